// Destinations: the font and colour tables, pictures, fields, and the groups kept as they came
// (footnotes, comments, headers and footers).
#include "rtf/rtfreaderstate.h"

#include "platform/codepage.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfkept.h"

#include <QRegularExpression>

namespace rtfread {

void Reader::finishFontEntry()
{
    if (m_fontEntry < 0)
        return;
    QByteArray name = m_fontName.trimmed();
    if (name.endsWith(';'))
        name.chop(1);
    Font& f = m_fonts[m_fontEntry];
    f.name = rtfcodepage::decode(name, f.codePage > 0 ? f.codePage : m_docCodePage);
    m_fontName.clear();
    m_fontEntry = -1;
    m_formats.clear(); // made with the old font names
}

// The picture's group as it came, for writing back unchanged; a damaged group is rebuilt from what
// could be read of it, so a save never writes damage into the page.
QByteArray Reader::rawPictureGroup(const Picture& p, const QByteArray& data) const
{
    const QByteArray group = ownGroup(p.groupStart, p.from);
    RtfTokenizer check(group);
    int depth = 0;
    for (RtfTokenizer::Token t = check.next(); t.kind != Kind::End; t = check.next()) {
        if (t.kind == Kind::GroupStart)
            ++depth;
        else if (t.kind == Kind::GroupEnd && --depth < 0)
            break;
    }
    if (depth == 0 && !check.damaged())
        return group;
    return "{\\pict\\" + (p.rawKind.isEmpty() ? QByteArray("wmetafile8") : p.rawKind) + "\\picw" +
           QByteArray::number(p.picw) + "\\pich" + QByteArray::number(p.pich) + "\\picwgoal" +
           QByteArray::number(p.wgoal) + "\\pichgoal" + QByteArray::number(p.hgoal) + " " + data.toHex() +
           "}";
}

void Reader::finishPicture()
{
    Picture& p = m_pict;
    QByteArray data = p.bin.isEmpty() ? QByteArray::fromHex(p.hex) : p.bin; // only bytes present count
    // Only the picture's header is read here; it is decoded when it is first shown.
    QSize natural;
    if (!p.kind.isEmpty() && !data.isEmpty()) {
        QBuffer buffer(&data);
        QImageReader probe(&buffer, p.kind == "png" ? "PNG" : "JPEG");
        if (probe.canRead())
            natural = probe.size();
    }
    const bool showable = natural.isValid() && !natural.isEmpty();
    QTextImageFormat f;
    const QString name = QStringLiteral("rtfpicture-%1").arg(++m_pictures);
    // Sizes come from the file and may be anything; the shown size is kept within bounds.
    auto shown = [](qint64 goal, qint64 natural, int scale) {
        const qint64 side = (goal > 0 ? goal / 15 : natural) * std::clamp(scale, 1, 1000) / 100;
        return static_cast<int>(std::clamp<qint64>(side, 1, RtfReader::kMaxPictureSide));
    };
    const int w = shown(p.wgoal, showable ? natural.width() : p.picw / 15, p.scalex);
    const int h = shown(p.hgoal, showable ? natural.height() : p.pich / 15, p.scaley);
    if (!showable) {
        // A kind we cannot show: a grey box stands in, and the original group is kept for the save.
        QImage box(std::min(w, 256), std::min(h, 256), QImage::Format_RGB32);
        box.fill(QColor(0xd0, 0xd0, 0xd0));
        m_doc->addResource(QTextDocument::ImageResource, QUrl(name), box);
        f.setProperty(rtfprop::kRawPicture, rawPictureGroup(p, data));
    } else {
        m_doc->addResource(QTextDocument::ImageResource, QUrl(name), data);
        f.setProperty(rtfprop::kPictureBytes, data);
        f.setProperty(rtfprop::kPictureKind, p.kind);
    }
    f.setName(name);
    f.setWidth(w);
    f.setHeight(h);
    flushText();
    enterCellIfNeeded();
    m_cursor.insertImage(f);
    m_blockHasContent = true;
    m_pict = Picture();
}

// The group a destination word opened, up to the "}" just read: text and formats between the "{"
// and the word were already read as the page's own, so the group kept begins at the word.
QByteArray Reader::ownGroup(qsizetype groupStart, qsizetype wordStart) const
{
    const qsizetype end = m_tok.position();
    if (wordStart <= groupStart + 1)
        return m_bytes.sliced(groupStart, end - groupStart).toByteArray();
    return '{' + m_bytes.sliced(wordStart, end - wordStart).toByteArray();
}

// A group of this file as portable RTF, its fonts' code pages resolved.
QByteArray Reader::portableGroup(const QByteArray& group, int codePage) const
{
    QHash<int, int> codePages;
    for (auto it = m_fonts.constBegin(); it != m_fonts.constEnd(); ++it)
        codePages.insert(it.key(), it->codePage > 0 ? it->codePage : m_docCodePage);
    return rtfkept::portableGroup(group, codePages, codePage);
}

// A footnote, comment, header or footer closes: its group is kept as portable RTF.
void Reader::finishKept(const State& closed)
{
    const QByteArray portable = portableGroup(ownGroup(m_keptStart, m_keptFrom), m_keptCodePage);
    if (closed.dest == Dest::PageKept) {
        m_pageGroups += portable + "\r\n";
        return;
    }
    if (portable.startsWith("{\\*\\atn")) { // a comment's author goes with the comment after it
        m_keptPrefix += portable;
        return;
    }
    QString mark;
    if (m_keptPrefix.contains("chftn")) {
        NoteNumbers& n = portable.left(24).contains("\\ftnalt") ? m_endnoteNumbers : m_noteNumbers;
        mark = numberText(n.start + n.count++, n.kind);
    } else if (m_keptPrefix.contains("chatn"))
        mark = QString(QChar(rtfkept::kCommentMark));
    insertKept(m_keptPrefix + portable, mark);
    m_keptPrefix.clear();
}

// A group kept at its place in the text, as one object character showing mark.
void Reader::insertKept(const QByteArray& group, const QString& mark)
{
    flushText();
    enterCellIfNeeded();
    QTextCharFormat f = charFormat();
    f.setObjectType(rtfkept::kObjectType);
    f.setProperty(rtfprop::kKeptGroup, group);
    if (!mark.isEmpty())
        f.setProperty(rtfprop::kKeptMark, mark);
    m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), f);
    ++m_keptObjects;
    m_blockHasContent = true;
}

// SYMBOL 74 \f "Wingdings": the character is the field's result, in the font named (Word often
// leaves the result empty). What Word put there is the same character and is passed over.
void Reader::symbolField(const QString& inst)
{
    QString family;
    const QString text = symbolFieldText(inst, &family);
    if (text.isEmpty())
        return;
    for (auto it = m_fonts.constBegin(); !family.isEmpty() && it != m_fonts.constEnd(); ++it)
        if (it->name.compare(family, Qt::CaseInsensitive) == 0)
            m_s.ch.font = it.key();
    appendText(text);
    m_s.dropText = true;
}

void Reader::openDestination(Dest d)
{
    // A destination word in the document's own group would take the rest of the page with it (a
    // group after the document's end, as some writers leave their theme data, is not that group).
    if (m_stack.size() <= 1 && m_s.groupStart == m_documentStart)
        return;
    // Destinations that are parts of others open only inside them.
    const Dest in = m_s.dest;
    if ((d == Dest::LevelText && in != Dest::ListTable) || (d == Dest::FieldResult && in == Dest::Skip)) {
        m_s.dest = Dest::Skip;
        return;
    }
    if (in != Dest::Text && in != Dest::FieldResult && in != Dest::Inner && d != Dest::LevelText) {
        m_s.dest = Dest::Skip; // nothing of ours nests in tables, pictures or list definitions
        return;
    }
    switch (d) {
    case Dest::Text:
    case Dest::Skip:
        if (d == Dest::Skip)
            flushText();
        m_s.dest = d;
        return;
    case Dest::Inner:
        flushText();
        m_s.dest = Dest::Inner;
        return;
    case Dest::FontTable:
        m_s.dest = d;
        return;
    case Dest::ColorTable:
        m_s.dest = d;
        m_colors.clear();
        m_colorSet = false;
        return;
    case Dest::Picture:
        flushText();
        m_s.dest = d;
        m_pict = Picture();
        m_pict.groupStart = m_s.groupStart;
        m_pict.from = m_destFrom;
        return;
    case Dest::FieldInstruction:
        flushText();
        m_s.dest = d;
        m_fieldInstruction.clear();
        return;
    case Dest::ShapeName:
        flushText();
        m_s.dest = d;
        m_shapeName.clear();
        return;
    case Dest::ShapeValue: // WordArt's text (a watermark's too) is the shape's only text
        flushText();
        m_s.dest = m_shapeName == "gtextUNICODE" ? Dest::Inner : Dest::Skip;
        if (m_s.dest == Dest::Inner)
            ownParagraph();
        return;
    case Dest::FieldResult: {
        flushText();
        m_s.dest = d;
        QString inst = m_fieldInstruction.trimmed();
        if (inst.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive)) {
            inst = inst.mid(9).trimmed();
            // switches such as \l come before the quoted address
            const qsizetype q1 = inst.indexOf(u'"');
            const qsizetype q2 = q1 >= 0 ? inst.indexOf(u'"', q1 + 1) : -1;
            m_s.ch.href = q2 > q1 ? inst.mid(q1 + 1, q2 - q1 - 1) : inst.section(u' ', 0, 0);
        } else if (!inst.isEmpty()) {
            m_s.ch.field = inst;
            m_s.ch.fieldLocked = m_fieldLocked;
            if (inst.startsWith(QLatin1String("SYMBOL"), Qt::CaseInsensitive))
                symbolField(inst);
        }
        return;
    }
    case Dest::ListText:
        flushText();
        m_s.dest = d;
        m_listText.clear();
        return;
    case Dest::PnDefinition:
        m_s.dest = d;
        m_pnKind = ListKind::Bullet;
        m_pnStart = 1;
        return;
    case Dest::ListTable:
    case Dest::ListOverrideTable:
        m_s.dest = d;
        return;
    case Dest::LevelText:
        m_s.dest = d;
        m_levelText.clear();
        return;
    case Dest::Kept:
    case Dest::PageKept:
        flushText();
        m_s.dest = d;
        m_keptStart = m_s.groupStart;
        m_keptFrom = m_destFrom;
        m_keptCodePage = m_s.codePage;
        return;
    }
}

void Reader::pictWord(int id, const RtfTokenizer::Token& t)
{
    const int v = t.param;
    switch (id) {
    case XPng:
        m_pict.kind = "png";
        break;
    case XJpeg:
        m_pict.kind = "jpeg";
        break;
    case XWidth:
        m_pict.picw = v;
        break;
    case XHeight:
        m_pict.pich = v;
        break;
    case XWidthGoal:
        m_pict.wgoal = v;
        break;
    case XHeightGoal:
        m_pict.hgoal = v;
        break;
    case XScaleX:
        m_pict.scalex = v;
        break;
    case XScaleY:
        m_pict.scaley = v;
        break;
    case XRawKind:
        m_pict.kind.clear();
        m_pict.rawKind = t.word.toByteArray() + (t.hasParam ? QByteArray::number(v) : QByteArray());
        break;
    default:
        break;
    }
}

void Reader::groupClosed(const State& closed)
{
    if (closed.dest == Dest::ListOverrideTable && m_overrideLs > 0 && m_overrideId != 0) {
        m_overrides.insert(m_overrideLs, m_overrideId);
        m_overrideLs = m_overrideId = 0;
    }
    if (closed.ownParagraph && !m_s.ownParagraph && m_blockHasContent)
        paragraph();
    if (closed.fieldGroup && !closed.dropText && !closed.ch.hidden && m_cursor.position() == closed.shownAt &&
        !m_fieldInstruction.trimmed().isEmpty()) {
        // A MACROBUTTON shows the words after the macro's name.
        QString shown;
        if (const QString inst = m_fieldInstruction.simplified(); inst.startsWith(QLatin1String("MACROBUTTON ")))
            shown = inst.section(u' ', 2).remove(QRegularExpression(QStringLiteral("\\\\\\*\\s*\\S+"))).trimmed();
        insertKept(portableGroup(ownGroup(closed.groupStart, closed.groupStart), closed.codePage), shown);
        m_fieldInstruction.clear();
    }
    if (closed.dest == m_s.dest)
        return; // an inner group of the same destination
    switch (closed.dest) {
    case Dest::FontTable:
        finishFontEntry();
        break;
    case Dest::Picture:
        finishPicture();
        break;
    case Dest::PnDefinition:
        m_s.par.list = m_pnKind;
        m_s.par.start = m_pnStart;
        break;
    case Dest::ListText: {
        const QString marker = m_listText.trimmed();
        m_markerKind = markerKind(marker);
        if (m_markerKind != ListKind::Bullet && !marker.isEmpty() && !marker.back().isLetterOrNumber()) {
            m_markerSuffix = marker.back();
            m_markerPrefix = marker.front().isLetterOrNumber() ? QString() : QString(marker.front());
        }
        break;
    }
    case Dest::LevelText:
        finishLevelText();
        break;
    case Dest::ListOverrideTable:
        break;
    case Dest::Kept:
    case Dest::PageKept:
        finishKept(closed);
        break;
    default:
        break;
    }
    if (!closed.ch.href.isEmpty() && m_s.ch.href.isEmpty())
        m_fieldInstruction.clear();
}

} // namespace rtfread

QString symbolFieldText(const QString& instruction, QString* font)
{
    static const QRegularExpression number(QStringLiteral("^\\s*SYMBOL\\s+(0[xX][0-9A-Fa-f]+|\\d+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression fontName(QStringLiteral("\\\\f\\s+(?:\"([^\"]+)\"|(\\S+))"));
    const QRegularExpressionMatch n = number.match(instruction);
    bool ok = false;
    const uint code = n.hasMatch() ? n.captured(1).toUInt(&ok, 0) : 0;
    if (!ok || code < 32 || code > 0xFFFF || QChar::isSurrogate(char32_t(code)))
        return {};
    if (font) {
        const QRegularExpressionMatch f = fontName.match(instruction);
        *font = f.hasMatch() ? f.captured(1) + f.captured(2) : QString();
    }
    return QString(QChar(char16_t(code)));
}
