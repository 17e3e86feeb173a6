#include "rtf/rtfkept.h"

#include "rtf/rtfcodepage.h"
#include "rtf/rtfreader.h"
#include "rtf/rtftokenizer.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace rtfkept {

namespace {

// Words that point into the tables of the file the group came from.
bool pointsIntoTables(QByteArrayView w)
{
    return w == "f" || w == "af" || w == "cf" || w == "cb" || w == "highlight" || w == "chcbpat" ||
           w == "s" || w == "cs" || w == "ds" || w == "ts" || w == "ls" || w == "uc" || w == "loch" ||
           w == "hich" || w == "dbch";
}

void appendText(QByteArray& out, const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}')
            out += '\\';
        if (u >= 0x20 && u < 0x80)
            out += static_cast<char>(u);
        else if (u == '\t')
            out += "\\tab ";
        else if (u >= 0x80)
            out += "\\u" + QByteArray::number(static_cast<short>(u)) + '?';
    }
}

} // namespace

QByteArray escapedText(const QString& text)
{
    QByteArray out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}')
            out += '\\' + QByteArray(1, char(u));
        else if (u == '\t')
            out += "\\tab ";
        else if (u == 0x2028 || u == '\n')
            out += "\\line ";
        else if (u >= 0x20 && u < 0x7f)
            out += char(u);
        else if (u >= 0x80)
            out += "\\u" + QByteArray::number(static_cast<qint16>(u)) + '?';
    }
    return out;
}

QByteArray portableGroup(QByteArrayView group, const QHash<int, int>& fontCodePages, int codePage)
{
    QByteArray out;
    out.reserve(group.size() + group.size() / 4);
    QByteArray bytes;
    std::vector<std::pair<int, int>> stack; // code page and \uc count of the enclosing groups
    int uc = 1, skip = 0;
    auto flush = [&] {
        if (!bytes.isEmpty())
            appendText(out, rtfcodepage::decode(bytes, codePage));
        bytes.clear();
    };
    RtfTokenizer tok(group);
    tok.setCodePage(codePage);
    for (RtfTokenizer::Token t = tok.next(); t.kind != RtfTokenizer::Kind::End; t = tok.next()) {
        using Kind = RtfTokenizer::Kind;
        if (skip > 0 && (t.kind == Kind::Hex || t.kind == Kind::Text || t.kind == Kind::Symbol)) {
            if (t.kind == Kind::Text && t.word.size() > skip) {
                bytes += t.word.sliced(skip);
                skip = 0;
            } else {
                skip -= t.kind == Kind::Text ? static_cast<int>(t.word.size()) : 1;
            }
            continue;
        }
        skip = 0;
        switch (t.kind) {
        case Kind::GroupStart:
            flush();
            stack.emplace_back(codePage, uc);
            out += '{';
            break;
        case Kind::GroupEnd:
            flush();
            if (!stack.empty()) {
                codePage = stack.back().first;
                uc = stack.back().second;
                stack.pop_back();
            }
            tok.setCodePage(codePage);
            out += '}';
            break;
        case Kind::Word:
            if (t.word == "u") {
                flush();
                appendText(out,
                           QString(QChar(static_cast<char16_t>(t.param < 0 ? t.param + 65536 : t.param))));
                skip = uc;
                break;
            }
            if (t.word == "uc")
                uc = std::clamp(t.param, 0, 10);
            if (t.word == "f") {
                const auto it = fontCodePages.constFind(t.param);
                if (it != fontCodePages.constEnd() && *it > 0 &&
                    rtfcodepage::pendingLead(bytes, codePage) == 0) {
                    flush();
                    codePage = *it;
                    tok.setCodePage(codePage);
                }
            }
            if (pointsIntoTables(t.word))
                break;
            flush();
            out += '\\' + t.word.toByteArray();
            if (t.hasParam)
                out += QByteArray::number(t.param);
            out += ' ';
            break;
        case Kind::Symbol:
            if (t.symbol == '\\' || t.symbol == '{' || t.symbol == '}') {
                bytes += t.symbol;
                break;
            }
            flush();
            out += '\\';
            out += t.symbol;
            break;
        case Kind::Text:
            bytes += t.word;
            break;
        case Kind::Hex:
            bytes += static_cast<char>(t.byte);
            break;
        case Kind::Bin:
            flush();
            out += t.data.toByteArray();
            break;
        case Kind::End:
            break;
        }
    }
    flush();
    return out;
}

void registerHandler(QTextDocument* document)
{
    static Handler* handler = new Handler; // lives as long as the program, as documents may
    document->documentLayout()->registerHandler(kObjectType, handler);
}

QSizeF Handler::intrinsicSize(QTextDocument* doc, int, const QTextFormat& format)
{
    const QString mark = format.property(rtfprop::kKeptMark).toString();
    if (mark.isEmpty())
        return QSizeF(0, 0);
    QFont font = format.toCharFormat().font();
    font.setPointSizeF(font.pointSizeF() > 0 ? font.pointSizeF() * 0.7 : 8);
    const QFontMetricsF m(font, doc->documentLayout()->paintDevice());
    return QSizeF(m.horizontalAdvance(mark) + 1, m.height());
}

void Handler::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                         const QTextFormat& format)
{
    const QString mark = format.property(rtfprop::kKeptMark).toString();
    if (mark.isEmpty())
        return;
    QFont font = format.toCharFormat().font();
    font.setPointSizeF(font.pointSizeF() > 0 ? font.pointSizeF() * 0.7 : 8);
    painter->save();
    painter->setFont(font);
    painter->setPen(QColor(0x20, 0x40, 0xa0));
    painter->drawText(rect.translated(0, -rect.height() / 3), Qt::AlignLeft | Qt::AlignVCenter, mark);
    painter->restore();
}

} // namespace rtfkept
