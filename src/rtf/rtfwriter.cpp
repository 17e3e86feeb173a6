#include "rtf/rtfwriter.h"

#include "platform/codepage.h"
#include "rtf/rtfkept.h"
#include "rtf/rtfreader.h"
#include "rtf/rtftokenizer.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <cmath>

namespace {

// Word's number format (\levelnfc) of a list style.
int levelNfc(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return 0;
    case QTextListFormat::ListUpperRoman:
        return 1;
    case QTextListFormat::ListLowerRoman:
        return 2;
    case QTextListFormat::ListUpperAlpha:
        return 3;
    case QTextListFormat::ListLowerAlpha:
        return 4;
    default:
        return 23;
    }
}

QByteArray hexByte(int b);

// A font's name as the font table holds it: what would end or break the entry goes as an escape.
QByteArray fontName(const QString& name)
{
    QByteArray out;
    for (const char c : cp1251::encode(name)) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || c == '\\' || c == '{' || c == '}' || c == ';')
            continue; // no font is named with them, and they would break the table
        out += c;
    }
    return out.trimmed().isEmpty() ? QByteArray("Arial") : out;
}

QByteArray hexByte(int b)
{
    return "\\'" + QByteArray::number(b, 16).rightJustified(2, '0');
}

int toTwips(qreal points)
{
    return static_cast<int>(std::lround(points * 20));
}

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : m_doc(doc) {}
    QByteArray run();

private:
    int fontIndex(const QTextCharFormat& f);
    int colorIndex(const QColor& c);
    void frame(QTextFrame* frame);
    void block(const QTextBlock& b, int depth);
    void table(QTextTable* t, int depth);
    void cell(const QTextTableCell& c, int depth);
    void text(const QString& s);
    QByteArray escaped(const QString& s);
    void picture(const QTextImageFormat& f);

    const QTextDocument& m_doc;
    QStringList m_fonts;
    QList<QColor> m_colors;
    QList<QTextList*> m_lists; // \ls N is m_lists[N - 1]
    QByteArray m_body;
};

int Writer::fontIndex(const QTextCharFormat& f)
{
    const QStringList families = f.fontFamilies().toStringList();
    QString name = families.isEmpty() ? m_doc.defaultFont().family() : families.first();
    if (name.isEmpty())
        name = QStringLiteral("Arial");
    qsizetype i = m_fonts.indexOf(name);
    if (i < 0) {
        m_fonts << name;
        i = m_fonts.size() - 1;
    }
    return static_cast<int>(i);
}

int Writer::colorIndex(const QColor& c)
{
    const QColor rgb = c.toRgb();
    for (qsizetype i = 0; i < m_colors.size(); ++i)
        if (m_colors[i].rgb() == rgb.rgb())
            return static_cast<int>(i + 1);
    m_colors << rgb;
    return static_cast<int>(m_colors.size());
}

void Writer::text(const QString& s)
{
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            m_body += '\\';
            m_body += static_cast<char>(u);
        } else if (u == '\t') {
            m_body += "\\tab ";
        } else if (u == QChar::LineSeparator || u == '\n') {
            m_body += "\\line ";
        } else if (u == 0x00A0) {
            m_body += "\\~";
        } else if (u == 0x00AD) {
            m_body += "\\-";
        } else if (u >= 0x20 && u < 0x80) {
            m_body += static_cast<char>(u);
        } else if (u < 0x20) {
            // other control characters carry nothing
        } else if (const unsigned char b = cp1251::byteOf(c); b != '?') { // '?' itself is ASCII, above
            m_body += "\\'" + QByteArray::number(b, 16).rightJustified(2, '0');
        } else {
            m_body += "\\u" + QByteArray::number(static_cast<short>(u)) + '?';
        }
    }
}

QByteArray Writer::escaped(const QString& s)
{
    QByteArray out;
    std::swap(out, m_body);
    text(s);
    std::swap(out, m_body);
    return out;
}

void Writer::picture(const QTextImageFormat& f)
{
    const QVariant raw = f.property(rtfprop::kRawPicture);
    if (raw.isValid()) {
        m_body += raw.toByteArray();
        return;
    }
    QByteArray data = f.property(rtfprop::kPictureBytes).toByteArray();
    QByteArray kind = f.property(rtfprop::kPictureKind).toByteArray();
    const QImage image = m_doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
    QSize natural = image.size();
    if (data.isEmpty()) {
        if (image.isNull())
            return;
        QBuffer buf(&data);
        buf.open(QIODevice::WriteOnly);
        image.save(&buf, "PNG");
        kind = "png";
    } else if (image.isNull()) {
        // The document no longer holds the decoded picture: its size comes from the bytes themselves.
        QBuffer buf(&data);
        natural = QImageReader(&buf).size();
    }
    natural = natural.isValid() ? natural : QSize(1, 1);
    const int w = f.width() > 0 ? static_cast<int>(f.width()) : natural.width();
    const int h = f.height() > 0 ? static_cast<int>(f.height()) : natural.height();
    m_body += "{\\pict\\" + (kind == "jpeg" ? QByteArray("jpegblip") : QByteArray("pngblip")) + "\\picw" +
              QByteArray::number(natural.width()) + "\\pich" + QByteArray::number(natural.height()) +
              "\\picwgoal" + QByteArray::number(w * 15) + "\\pichgoal" + QByteArray::number(h * 15) + "\r\n";
    const QByteArray hex = data.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128)
        m_body += hex.mid(i, 128) + "\r\n";
    m_body += '}';
}

void Writer::block(const QTextBlock& b, int depth)
{
    const QTextBlockFormat bf = b.blockFormat();
    m_body += "\\pard";
    if (depth > 0)
        m_body += "\\intbl";
    if (depth > 1)
        m_body += "\\itap" + QByteArray::number(depth);
    if (depth == 0 && (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
        m_body += "\\pagebb";
    const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        m_body += "\\qc";
    else if (a & Qt::AlignRight)
        m_body += "\\qr";
    else if (a & Qt::AlignJustify)
        m_body += "\\qj";
    // A list's own indent is the view's; the paragraph's margins are written as they are, so a page
    // keeps its geometry across saves.
    const qreal left = bf.leftMargin();
    const qreal first = bf.textIndent();
    QTextList* list = b.textList();
    if (toTwips(first))
        m_body += "\\fi" + QByteArray::number(toTwips(first));
    if (toTwips(left))
        m_body += "\\li" + QByteArray::number(toTwips(left));
    if (toTwips(bf.rightMargin()))
        m_body += "\\ri" + QByteArray::number(toTwips(bf.rightMargin()));
    if (toTwips(bf.topMargin()))
        m_body += "\\sb" + QByteArray::number(toTwips(bf.topMargin()));
    if (toTwips(bf.bottomMargin()))
        m_body += "\\sa" + QByteArray::number(toTwips(bf.bottomMargin()));
    for (const QTextOption::Tab& t : bf.tabPositions())
        m_body += "\\tx" + QByteArray::number(toTwips(t.position));
    if (list) {
        // A Word list (\\ls, \\ilvl) with its marker as text for readers that know no lists.
        const QTextListFormat lf = list->format();
        qsizetype ls = m_lists.indexOf(list);
        if (ls < 0) {
            m_lists << list;
            ls = m_lists.size() - 1;
        }
        m_body += "\\ls" + QByteArray::number(ls + 1) + "\\ilvl" +
                  QByteArray::number(std::clamp(lf.indent() - 1, 0, 8));
        const QByteArray marker =
            levelNfc(lf.style()) == 23 ? QByteArray("\\u8226 ?") : escaped(list->itemText(b));
        m_body += "{\\listtext\\f" + QByteArray::number(fontIndex(b.charFormat())) + " " + marker + "\\tab}";
    }
    // Fragments of one link or field share one \\field group, whatever their formats.
    QByteArray openField;
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (!frag.isValid())
            continue;
        const QTextCharFormat f = frag.charFormat();
        QByteArray fmt = "\\plain\\f" + QByteArray::number(fontIndex(f));
        const qreal size = f.fontPointSize() > 0 ? f.fontPointSize() : 12;
        fmt += "\\fs" + QByteArray::number(static_cast<int>(std::lround(size * 2)));
        if (f.fontWeight() >= QFont::DemiBold)
            fmt += "\\b";
        if (f.fontItalic())
            fmt += "\\i";
        if (f.fontUnderline())
            fmt += "\\ul";
        if (f.fontStrikeOut())
            fmt += "\\strike";
        if (f.boolProperty(rtfprop::kProtected))
            fmt += "\\protect";
        if (f.foreground().style() != Qt::NoBrush)
            fmt += "\\cf" + QByteArray::number(colorIndex(f.foreground().color()));
        if (f.background().style() != Qt::NoBrush)
            fmt += "\\highlight" + QByteArray::number(colorIndex(f.background().color()));
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            fmt += "\\super";
        if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
            fmt += "\\sub";
        const bool link = f.isAnchor() && !f.anchorHref().isEmpty();
        const QString instruction = f.property(rtfprop::kField).toString();
        const bool locked = instruction.startsWith(QLatin1String("\\fldlock "));
        QByteArray field;
        if (link)
            field = "{\\*\\fldinst{HYPERLINK \"" + escaped(f.anchorHref()) + "\"}}";
        else if (!instruction.isEmpty())
            field = QByteArray(locked ? "\\fldlock" : "") + "{\\*\\fldinst{" +
                    escaped(instruction.mid(locked ? 9 : 0)) + "}}";
        const QString s = frag.text();
        if (!link && !instruction.isEmpty() && !s.isEmpty() && symbolFieldText(instruction) == s.left(1) &&
            s == QString(s.size(), s.front())) {
            // A SYMBOL field goes back once for each character with its result left to the reader, as Word
            // writes it (other readers show both the result and the character they compute).
            if (!openField.isEmpty())
                m_body += "}}}";
            openField.clear();
            for (qsizetype i = 0; i < s.size(); ++i)
                m_body += "{\\field" + field + "{\\fldrslt{{" + fmt + " }}}}";
            continue;
        }
        if (field != openField) {
            if (!openField.isEmpty())
                m_body += "}}}";
            if (!field.isEmpty())
                m_body += "{\\field" + field + "{\\fldrslt{";
            openField = field;
        }
        m_body += '{' + fmt + ' ';
        if (f.isImageFormat()) {
            for (qsizetype i = 0; i < s.size(); ++i)
                picture(f.toImageFormat());
        } else if (f.objectType() == rtfkept::kObjectType) {
            for (qsizetype i = 0; i < s.size(); ++i)
                m_body += f.property(rtfprop::kKeptGroup).toByteArray();
        } else {
            text(s);
        }
        m_body += '}';
    }
    if (!openField.isEmpty())
        m_body += "}}}";
}

// Borders and column widths go back as they came, so other programs show the table as it was.
void Writer::table(QTextTable* t, int depth)
{
    const QTextTableFormat tf = t->format();
    const QList<QTextLength> widths = tf.columnWidthConstraints();
    const QByteArray side = "\\brdrs\\brdrw10";
    QByteArray row = "\\trowd\\trgaph108";
    if (tf.border() > 0)
        for (const char* s : {"t", "l", "b", "r", "h", "v"})
            row += "\\trbrdr" + QByteArray(s) + side;
    int x = 0;
    for (int c = 0; c < t->columns(); ++c) {
        const QTextLength w = widths.value(c);
        x += w.type() == QTextLength::FixedLength && w.rawValue() > 0 ? toTwips(w.rawValue())
             : w.type() == QTextLength::PercentageLength ? static_cast<int>(9360 * w.rawValue() / 100)
                                                         : 2880;
        if (tf.border() > 0)
            for (const char* s : {"t", "l", "b", "r"})
                row += "\\clbrdr" + QByteArray(s) + side;
        row += "\\cellx" + QByteArray::number(x);
    }
    for (int r = 0; r < t->rows(); ++r) {
        if (depth == 1)
            m_body += row + "\r\n";
        for (int c = 0; c < t->columns(); ++c) {
            cell(t->cellAt(r, c), depth);
            m_body += depth == 1 ? "\\cell " : "\\nestcell ";
        }
        if (depth == 1)
            m_body += "\\row\r\n";
        else
            m_body += "{\\*\\nesttableprops" + row + "\\nestrow}{\\nonesttables\\par}\r\n";
    }
}

// A cell's paragraphs, and tables nested in it, each starting a paragraph of its own.
void Writer::cell(const QTextTableCell& c, int depth)
{
    bool first = true;
    for (QTextFrame::iterator it = c.begin(); !it.atEnd(); ++it) {
        if (auto* nested = qobject_cast<QTextTable*>(it.currentFrame())) {
            if (!first)
                m_body += "\\par\r\n";
            table(nested, depth + 1);
            first = true;
            continue;
        }
        if (!it.currentBlock().isValid())
            continue;
        if (!first)
            m_body += "\\par\r\n";
        block(it.currentBlock(), depth);
        first = false;
    }
}

void Writer::frame(QTextFrame* f)
{
    bool first = true;
    for (QTextFrame::iterator it = f->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* child = it.currentFrame()) {
            if (!first)
                m_body += "\\par\r\n"; // the paragraph above a table ends before it
            if (auto* t = qobject_cast<QTextTable*>(child))
                table(t, 1);
            else
                frame(child);
            first = true;
            continue;
        }
        const QTextBlock b = it.currentBlock();
        if (!first)
            m_body += "\\par\r\n";
        block(b, 0);
        first = false;
    }
}

QByteArray Writer::run()
{
    frame(m_doc.rootFrame());
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl";
    if (m_fonts.isEmpty())
        m_fonts << QStringLiteral("Arial");
    for (qsizetype i = 0; i < m_fonts.size(); ++i)
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset204 " + fontName(m_fonts[i]) + ";}";
    out += "}\r\n{\\colortbl ;";
    for (const QColor& c : m_colors)
        out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue" +
               QByteArray::number(c.blue()) + ';';
    out += "}\r\n";
    if (!m_lists.isEmpty()) {
        // One Word list for each list of the page, every level of it numbered alike.
        QByteArray overrides;
        out += "{\\*\\listtable";
        for (qsizetype n = 0; n < m_lists.size(); ++n) {
            const QTextListFormat lf = m_lists[n]->format();
            const int nfc = levelNfc(lf.style());
            const int start = lf.hasProperty(rtfprop::kListStart) ? lf.intProperty(rtfprop::kListStart) : 1;
            out += "{\\list\\listtemplateid" + QByteArray::number(n + 1);
            for (int level = 0; level < 9; ++level) {
                out += "{\\listlevel\\levelnfc" + QByteArray::number(nfc) + "\\levelstartat" +
                       QByteArray::number(start);
                if (nfc == 23) {
                    out += "{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}";
                } else {
                    const QString prefix = lf.numberPrefix().left(8), suffix = lf.numberSuffix().left(8);
                    out += "{\\leveltext" + hexByte(static_cast<int>(prefix.size() + 1 + suffix.size())) +
                           escaped(prefix) + hexByte(level) + escaped(suffix) + ";}{\\levelnumbers" +
                           hexByte(static_cast<int>(prefix.size() + 1)) + ";}";
                }
                out += "\\fi-360\\li" + QByteArray::number(360 * (level + 1)) + '}';
            }
            out += "\\listid" + QByteArray::number(n + 1) + "}\r\n";
            overrides += "{\\listoverride\\listid" + QByteArray::number(n + 1) + "\\listoverridecount0\\ls" +
                         QByteArray::number(n + 1) + '}';
        }
        out += "}\r\n{\\listoverridetable" + overrides + "}\r\n";
    }
    out += "\\viewkind4\\uc1";
    out += m_doc.rootFrame()->frameFormat().property(rtfprop::kPageGroups).toByteArray();
    out += m_body;
    out += "\\par\r\n}\r\n";
    return out;
}

} // namespace

QByteArray RtfWriter::write(const QTextDocument& document)
{
    return Writer(document).run();
}

QString RtfWriter::readBackProblem(const QByteArray& bytes, qsizetype fullReadBytes)
{
    using Kind = RtfTokenizer::Kind;
    RtfTokenizer tok(bytes);
    int depth = 0;
    bool ended = false;
    for (RtfTokenizer::Token t = tok.next(); t.kind != Kind::End; t = tok.next()) {
        if (ended && !(t.kind == Kind::Text && t.word.trimmed().isEmpty()))
            return QStringLiteral("something follows the end of the document");
        if (t.kind == Kind::GroupStart) {
            ++depth;
        } else if (t.kind == Kind::GroupEnd) {
            if (--depth < 0)
                return QStringLiteral("a group is closed that was never opened");
            ended = depth == 0;
        } else if (depth == 0) {
            return QStringLiteral("something stands outside the document");
        }
    }
    if (depth != 0)
        return QStringLiteral("a group is left open");
    if (tok.damaged())
        return QStringLiteral("an escape or binary run is damaged");
    if (bytes.size() <= fullReadBytes) {
        QTextDocument again;
        const RtfReader::Result r = RtfReader::read(bytes, &again);
        if (!r.ok)
            return r.problem;
    }
    return {};
}
