#include "editor/pagetext.h"

#include "platform/codepage.h"
#include "rtf/rtfkept.h"
#include "rtf/rtfreader.h"

#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <cerrno>

namespace pagetext {

QString withListMarkers(const QTextDocument& document)
{
    QString out;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        QString line = b.text();
        // A footnote's object character stands for its number, as word processors write it in text; a
        // comment's anchor and what the page keeps unseen (hidden text) are no text.
        if (line.contains(QChar::ObjectReplacementCharacter)) {
            line.clear();
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                if (f.objectType() != rtfkept::kObjectType)
                    line += it.fragment().text();
                else if (const QString mark = f.stringProperty(rtfprop::kKeptMark);
                         mark != QString(QChar(rtfkept::kCommentMark)))
                    line += mark.repeated(it.fragment().length());
            }
        }
        line.replace(QChar::LineSeparator, u'\n');
        line.replace(QChar::Nbsp, u' ');
        if (const QTextList* list = b.textList()) {
            const QTextListFormat f = list->format();
            const int level = std::max(f.indent(), 1) - 1;
            const bool bullet = f.style() == QTextListFormat::ListDisc ||
                                f.style() == QTextListFormat::ListCircle ||
                                f.style() == QTextListFormat::ListSquare;
            const QString marker = bullet ? QStringLiteral("•") : list->itemText(b);
            line = QString(level * 4, u' ') + marker + u' ' + line;
        }
        out += line;
        if (b.next().isValid())
            out += u'\n';
    }
    return out;
}

Format formatOf(const QString& name, const QByteArray& bytes)
{
    if (bytes.trimmed().startsWith("{\\rtf"))
        return Format::Rtf;
    const QString lower = name.toLower();
    if (lower.endsWith(QLatin1String(".rtf")))
        return Format::Rtf;
    if (lower.endsWith(QLatin1String(".html")) || lower.endsWith(QLatin1String(".htm")))
        return Format::Html;
    if (lower.endsWith(QLatin1String(".md")) || lower.endsWith(QLatin1String(".markdown")))
        return Format::Markdown;
    return Format::Text;
}

IoStatus read(const QByteArray& bytes, Format format, QTextDocument* document)
{
    if (format == Format::Rtf) {
        if (!bytes.trimmed().startsWith("{\\rtf"))
            return IoStatus::failure(EINVAL, QStringLiteral("it is not an RTF document"));
        const RtfReader::Result r = RtfReader::read(bytes, document);
        if (!r.ok)
            return IoStatus::failure(EINVAL, QStringLiteral("the RTF document is damaged: ") + r.problem);
        document->setModified(false);
        return IoStatus::success();
    }
    // NUL bytes never stand in text: a picture, an archive or a program was given.
    if (bytes.contains('\0'))
        return IoStatus::failure(EINVAL, QStringLiteral("it is not a text document"));
    const QString text = cp1251::utf8OrDecode(bytes);
    // Text without fonts of its own takes the font a page typed in the window has.
    document->setDefaultFont(QFont(QStringLiteral("Times New Roman"), 12));
    switch (format) {
    case Format::Html:
        document->setHtml(text);
        break;
    case Format::Markdown:
        document->setMarkdown(text);
        break;
    default:
        document->setPlainText(text);
        break;
    }
    document->setModified(false);
    return IoStatus::success();
}

} // namespace pagetext
