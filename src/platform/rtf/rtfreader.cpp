#include "platform/rtf/rtfreader.h"

#include "platform/codepage.h"
#include "platform/rtf/rtfcodepage.h"
#include "platform/rtf/rtftokenizer.h"

#include <QBuffer>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace {

using Kind = RtfTokenizer::Kind;

enum class Dest { Text, Skip, FontTable, ColorTable, Picture, FieldInstruction, ListText, ListDefinition };

struct CharState {
    int font = -1;
    int size = 24; // half-points
    bool bold = false, italic = false, underline = false, strike = false;
    int fg = 0, bg = 0; // colour table indexes, 0 = automatic
    int vertical = 0;   // 1 super, -1 sub
    QString href;
    bool operator==(const CharState&) const = default;
};

enum class ListKind { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

QTextListFormat::Style listStyle(ListKind k)
{
    switch (k) {
    case ListKind::Decimal:
        return QTextListFormat::ListDecimal;
    case ListKind::LowerAlpha:
        return QTextListFormat::ListLowerAlpha;
    case ListKind::UpperAlpha:
        return QTextListFormat::ListUpperAlpha;
    case ListKind::LowerRoman:
        return QTextListFormat::ListLowerRoman;
    case ListKind::UpperRoman:
        return QTextListFormat::ListUpperRoman;
    default:
        return QTextListFormat::ListDisc;
    }
}

// What a marker such as "2.", "b)", "iv." or a bullet character says about its list.
ListKind markerKind(const QString& marker)
{
    if (marker.isEmpty())
        return ListKind::Bullet;
    const QChar c = marker[0];
    if (c.isDigit())
        return ListKind::Decimal;
    if (c.isLetter() && c.unicode() < 0x80) {
        QString letters;
        for (QChar m : marker) {
            if (!m.isLetter())
                break;
            letters += m;
        }
        const bool roman =
            letters.size() > 1 &&
            letters.toLower().count(u'i') + letters.toLower().count(u'v') + letters.toLower().count(u'x') ==
                letters.size();
        if (c.isLower())
            return roman || letters == u"i" ? ListKind::LowerRoman : ListKind::LowerAlpha;
        return roman || letters == u"I" ? ListKind::UpperRoman : ListKind::UpperAlpha;
    }
    return ListKind::Bullet;
}

struct ParState {
    Qt::Alignment align = Qt::AlignLeft;
    int fi = 0, li = 0, ri = 0, sb = 0, sa = 0; // twips
    std::vector<int> tabs;
    ListKind list = ListKind::None;
    int level = -1; // \ilvl; -1 when the paragraph does not say
    bool inTable = false;
    bool operator==(const ParState&) const = default;
};

struct State {
    Dest dest = Dest::Text;
    CharState ch;
    ParState par;
    int uc = 1;
    int codePage = 1252;
};

struct Font {
    QString name;
    int codePage = 0; // 0: the document's
};

struct Picture {
    QByteArray kind;    // png, jpeg, or empty for kinds we cannot show
    QByteArray rawKind; // the control word naming a kind we cannot show, with its parameter
    int picw = 0, pich = 0, wgoal = 0, hgoal = 0, scalex = 100, scaley = 100;
    QByteArray hex;
    QByteArray bin;
    qsizetype groupStart = 0;
};

qreal twipsToPoints(int t)
{
    return t / 20.0;
}

class Reader {
public:
    Reader(const QByteArray& bytes, QTextDocument* doc)
        : m_bytes(bytes), m_tok(bytes), m_doc(doc), m_cursor(doc)
    {
    }

    RtfReader::Result run();

private:
    void flushText();
    void appendText(const QString& s);
    void appendBytes(QByteArrayView b);
    void word(const RtfTokenizer::Token& t);
    void symbol(char c);
    void text(QByteArrayView bytes);
    void paragraph();
    void finishPicture();
    QByteArray rawPictureGroup(const Picture& p, const QByteArray& data) const;
    void finishFontEntry();
    void enterCellIfNeeded();
    const QTextCharFormat& charFormat();
    QTextCharFormat makeCharFormat() const;
    QTextBlockFormat blockFormat() const;
    void applyBlockFormat();
    int codePageOfFont(int f) const;

    QByteArrayView m_bytes;
    RtfTokenizer m_tok;
    QTextDocument* m_doc;
    QTextCursor m_cursor;
    State m_s;
    std::vector<State> m_stack;
    int m_docCodePage = 1252;
    int m_defaultFont = 0;
    QHash<int, Font> m_fonts;
    int m_fontEntry = -1;
    QByteArray m_fontName;
    std::vector<QColor> m_colors;
    int m_r = 0, m_g = 0, m_b = 0;
    bool m_colorSet = false;
    QString m_pending;
    QByteArray m_pendingBytes;
    int m_skipChars = 0;
    bool m_starNext = false;
    // picture
    Picture m_pict;
    int m_pictures = 0;
    qsizetype m_groupStart = 0;
    ListKind m_pnKind = ListKind::None;
    ListKind m_markerKind = ListKind::None;
    // field
    QString m_fieldInstruction;
    // list markers read from \pntext or \listtext
    QString m_listText;
    // The open list of each level, outermost first, so an outer list numbers on after a nested one.
    struct OpenList {
        QTextList* list;
        ListKind kind;
        int li;
    };
    std::vector<OpenList> m_lists;
    // tables
    QTextTable* m_table = nullptr;
    int m_row = -1, m_col = 0;
    int m_rowCells = 0;
    bool m_rowPending = false;
    bool m_cellPending = false;
    bool m_blockHasContent = false;
    QString m_problem;
    int m_paragraphs = 0;
    // Formats are made again only when the state they come from has changed.
    struct MadeFormat {
        CharState state;
        int defaultFont;
        QTextCharFormat format;
    };
    std::vector<MadeFormat> m_formats;
    ParState m_blockState;
    bool m_blockStateKnown = false;
};

int Reader::codePageOfFont(int f) const
{
    const auto it = m_fonts.constFind(f);
    if (it != m_fonts.constEnd() && it->codePage > 0)
        return it->codePage;
    return m_docCodePage;
}

const QTextCharFormat& Reader::charFormat()
{
    // A page uses few distinct formats; the recent ones are kept, most recent first.
    for (size_t i = 0; i < m_formats.size(); ++i) {
        if (m_formats[i].state == m_s.ch && m_formats[i].defaultFont == m_defaultFont) {
            if (i > 0)
                std::swap(m_formats[i], m_formats[i - 1]);
            return m_formats[i > 0 ? i - 1 : 0].format;
        }
    }
    if (m_formats.size() >= 16)
        m_formats.pop_back();
    m_formats.insert(m_formats.begin(), {m_s.ch, m_defaultFont, makeCharFormat()});
    return m_formats.front().format;
}

QTextCharFormat Reader::makeCharFormat() const
{
    QTextCharFormat f;
    const auto it = m_fonts.constFind(m_s.ch.font >= 0 ? m_s.ch.font : m_defaultFont);
    if (it != m_fonts.constEnd() && !it->name.isEmpty())
        f.setFontFamilies({it->name});
    f.setFontPointSize(std::clamp(m_s.ch.size, 2, 3276) / 2.0);
    if (m_s.ch.bold)
        f.setFontWeight(QFont::Bold);
    f.setFontItalic(m_s.ch.italic);
    f.setFontUnderline(m_s.ch.underline);
    f.setFontStrikeOut(m_s.ch.strike);
    if (m_s.ch.fg > 0 && m_s.ch.fg < static_cast<int>(m_colors.size()) && m_colors[m_s.ch.fg].isValid())
        f.setForeground(m_colors[m_s.ch.fg]);
    if (m_s.ch.bg > 0 && m_s.ch.bg < static_cast<int>(m_colors.size()) && m_colors[m_s.ch.bg].isValid())
        f.setBackground(m_colors[m_s.ch.bg]);
    if (m_s.ch.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (m_s.ch.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (!m_s.ch.href.isEmpty()) {
        f.setAnchor(true);
        f.setAnchorHref(m_s.ch.href);
    }
    return f;
}

// The current block takes the paragraph state unless it already has it.
void Reader::applyBlockFormat()
{
    if (m_blockStateKnown && m_blockState == m_s.par)
        return;
    m_cursor.setBlockFormat(blockFormat());
    m_blockState = m_s.par;
    m_blockStateKnown = true;
}

QTextBlockFormat Reader::blockFormat() const
{
    QTextBlockFormat b;
    b.setAlignment(m_s.par.align);
    b.setTextIndent(twipsToPoints(m_s.par.fi));
    b.setLeftMargin(twipsToPoints(m_s.par.li));
    b.setRightMargin(twipsToPoints(m_s.par.ri));
    b.setTopMargin(twipsToPoints(m_s.par.sb));
    b.setBottomMargin(twipsToPoints(m_s.par.sa));
    if (!m_s.par.tabs.empty()) {
        QList<QTextOption::Tab> tabs;
        for (const int t : m_s.par.tabs)
            tabs << QTextOption::Tab(twipsToPoints(t), QTextOption::LeftTab);
        b.setTabPositions(tabs);
    }
    return b;
}

void Reader::appendBytes(QByteArrayView b)
{
    m_pendingBytes += b;
}

void Reader::appendText(const QString& s)
{
    if (!m_pendingBytes.isEmpty()) {
        m_pending += rtfcodepage::decode(m_pendingBytes, m_s.codePage);
        m_pendingBytes.clear();
    }
    m_pending += s;
}

void Reader::enterCellIfNeeded()
{
    if (!m_s.par.inTable) {
        if (m_table) {
            // what follows a table starts below it
            m_cursor = m_table->lastCursorPosition();
            m_blockStateKnown = false;
            m_cursor.movePosition(QTextCursor::NextCharacter);
            m_table = nullptr;
        }
        return;
    }
    if (!m_table) {
        m_table = m_cursor.insertTable(1, std::max(1, m_rowCells));
        QTextTableFormat tf = m_table->format();
        tf.setBorder(1);
        tf.setCellPadding(2);
        tf.setCellSpacing(0);
        m_table->setFormat(tf);
        m_row = 0;
        m_col = 0;
        m_rowPending = false;
        m_cellPending = false;
        m_cursor = m_table->cellAt(0, 0).firstCursorPosition();
        m_blockStateKnown = false;
    } else if (m_rowPending) {
        m_table->appendRows(1);
        ++m_row;
        m_col = 0;
        m_rowPending = false;
        m_cellPending = false;
        m_cursor = m_table->cellAt(m_row, 0).firstCursorPosition();
        m_blockStateKnown = false;
    } else if (m_cellPending) {
        if (m_col >= m_table->columns())
            m_table->appendColumns(1); // a row with more cells than the first
        m_cellPending = false;
        m_cursor = m_table->cellAt(m_row, m_col).firstCursorPosition();
        m_blockStateKnown = false;
    }
}

void Reader::flushText()
{
    if (!m_pendingBytes.isEmpty())
        appendText(QString());
    if (m_pending.isEmpty())
        return;
    enterCellIfNeeded();
    m_cursor.insertText(m_pending, charFormat());
    m_blockHasContent = true;
    m_pending.clear();
}

void Reader::paragraph()
{
    flushText();
    enterCellIfNeeded();
    applyBlockFormat();
    ListKind kind = m_s.par.list;
    // The marker text shows whether the list is numbered; a numbered definition says how.
    if (kind != ListKind::None && m_markerKind != ListKind::None &&
        (kind == ListKind::Bullet || m_markerKind == ListKind::Bullet || m_markerKind == ListKind::Decimal))
        kind = m_markerKind;
    m_markerKind = ListKind::None;
    if (kind != ListKind::None) {
        const int li = m_s.par.li;
        size_t level = 0;
        if (m_s.par.level >= 0) {
            level = static_cast<size_t>(std::min(m_s.par.level, 8));
        } else {
            // Without a level the indent tells: deeper than the open list nests, shallower returns.
            while (level < m_lists.size() && m_lists[level].li < li)
                ++level;
        }
        if (level > m_lists.size())
            level = m_lists.size();
        m_lists.resize(std::min(m_lists.size(), level + 1), OpenList{nullptr, ListKind::None, 0});
        if (level < m_lists.size() && m_lists[level].kind == kind) {
            m_lists[level].list->add(m_cursor.block());
        } else {
            QTextListFormat lf;
            lf.setStyle(listStyle(kind));
            lf.setIndent(static_cast<int>(level) + 1);
            const OpenList open{m_cursor.createList(lf), kind, li};
            if (level < m_lists.size())
                m_lists[level] = open;
            else
                m_lists.push_back(open);
        }
    } else {
        if (QTextList* l = m_cursor.block().textList())
            l->remove(m_cursor.block());
        m_lists.clear();
    }
    m_cursor.insertBlock(blockFormat(), charFormat());
    m_blockState = m_s.par;
    m_blockStateKnown = true;
    m_blockHasContent = false;
    ++m_paragraphs;
}

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
    const QByteArrayView group = m_bytes.sliced(p.groupStart, m_tok.position() - p.groupStart);
    RtfTokenizer check(group);
    int depth = 0;
    for (RtfTokenizer::Token t = check.next(); t.kind != Kind::End; t = check.next()) {
        if (t.kind == Kind::GroupStart)
            ++depth;
        else if (t.kind == Kind::GroupEnd && --depth < 0)
            break;
    }
    if (depth == 0 && !check.damaged())
        return group.toByteArray();
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

void Reader::symbol(char c)
{
    switch (c) {
    case '\\':
    case '{':
    case '}':
        appendText(QString(QLatin1Char(c)));
        break;
    case '~':
        appendText(QString(QChar(0x00A0)));
        break;
    case '_':
        appendText(QString(QChar(0x2011)));
        break;
    case '-':
        break; // optional hyphen
    case '*':
        m_starNext = true;
        return;
    case '\t':
        appendText(QStringLiteral("\t"));
        break;
    default:
        break;
    }
}

void Reader::word(const RtfTokenizer::Token& t)
{
    const QByteArrayView w = t.word;
    const int v = t.param;
    const bool on = !t.hasParam || v != 0;
    const bool star = m_starNext;
    m_starNext = false;

    if (m_s.dest == Dest::Picture) {
        if (w == "pngblip")
            m_pict.kind = "png";
        else if (w == "jpegblip")
            m_pict.kind = "jpeg";
        else if (w == "picw")
            m_pict.picw = v;
        else if (w == "pich")
            m_pict.pich = v;
        else if (w == "picwgoal")
            m_pict.wgoal = v;
        else if (w == "pichgoal")
            m_pict.hgoal = v;
        else if (w == "picscalex")
            m_pict.scalex = v;
        else if (w == "picscaley")
            m_pict.scaley = v;
        else if (w == "wmetafile" || w == "emfblip" || w == "macpict" || w == "dibitmap" || w == "wbitmap") {
            m_pict.kind.clear();
            m_pict.rawKind = w.toByteArray() + (t.hasParam ? QByteArray::number(v) : QByteArray());
        }
        return;
    }
    if (m_s.dest == Dest::FontTable) {
        if (w == "f") {
            finishFontEntry();
            m_fontEntry = v;
            m_fonts[v] = Font();
        } else if (w == "fcharset" && m_fontEntry >= 0)
            m_fonts[m_fontEntry].codePage = rtfcodepage::fromCharset(v, m_docCodePage);
        else if (w == "cpg" && m_fontEntry >= 0 && v > 0)
            m_fonts[m_fontEntry].codePage = v;
        else if (star || w == "panose" || w == "falt")
            m_s.dest = Dest::Skip;
        return;
    }
    if (m_s.dest == Dest::ColorTable) {
        if (w == "red")
            m_r = v;
        else if (w == "green")
            m_g = v;
        else if (w == "blue")
            m_b = v;
        m_colorSet = true;
        return;
    }
    if (m_s.dest == Dest::Skip)
        return;
    if (m_s.dest == Dest::ListDefinition) {
        if (w == "pndec")
            m_pnKind = ListKind::Decimal;
        else if (w == "pnlcltr")
            m_pnKind = ListKind::LowerAlpha;
        else if (w == "pnucltr")
            m_pnKind = ListKind::UpperAlpha;
        else if (w == "pnlcrm")
            m_pnKind = ListKind::LowerRoman;
        else if (w == "pnucrm")
            m_pnKind = ListKind::UpperRoman;
        else if (w == "pnlvlblt")
            m_pnKind = ListKind::Bullet;
        return;
    }

    // Destinations.
    if (w == "fonttbl") {
        m_s.dest = Dest::FontTable;
        return;
    }
    if (w == "colortbl") {
        m_s.dest = Dest::ColorTable;
        m_colors.clear();
        m_colorSet = false;
        return;
    }
    if (w == "pict") {
        flushText();
        m_s.dest = Dest::Picture;
        m_pict = Picture();
        m_pict.groupStart = m_groupStart;
        return;
    }
    if (w == "fldinst") {
        flushText();
        m_s.dest = Dest::FieldInstruction;
        m_fieldInstruction.clear();
        return;
    }
    if (w == "fldrslt") {
        flushText();
        QString inst = m_fieldInstruction.trimmed();
        if (inst.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive)) {
            inst = inst.mid(9).trimmed();
            // switches such as \l come before the quoted address
            const qsizetype q1 = inst.indexOf(u'"');
            const qsizetype q2 = q1 >= 0 ? inst.indexOf(u'"', q1 + 1) : -1;
            m_s.ch.href = q2 > q1 ? inst.mid(q1 + 1, q2 - q1 - 1) : inst.section(u' ', 0, 0);
        }
        return;
    }
    if (w == "pntext" || w == "listtext") {
        flushText();
        m_s.dest = Dest::ListText;
        m_listText.clear();
        return;
    }
    if (w == "shppict" || w == "field")
        return; // read their inner groups
    if (w == "pn") {
        m_s.dest = Dest::ListDefinition;
        m_pnKind = ListKind::Bullet;
        return;
    }
    if (star || w == "stylesheet" || w == "info" || w == "header" || w == "footer" || w == "headerl" ||
        w == "headerr" || w == "footerl" || w == "footerr" || w == "footnote" || w == "nonshppict" ||
        w == "listtable" || w == "listoverridetable" || w == "rsidtbl" || w == "generator" ||
        w == "xmlnstbl" || w == "pgdsctbl" || w == "themedata" || w == "colorschememapping" ||
        w == "latentstyles" || w == "datastore" || w == "object" || w == "revtbl" || w == "filetbl" ||
        w == "mmathPr" || w == "pnseclvl" || w == "fldtype" || w == "bkmkstart" || w == "bkmkend") {
        flushText();
        m_s.dest = Dest::Skip;
        return;
    }

    if (m_s.dest == Dest::FieldInstruction || m_s.dest == Dest::ListText)
        return;

    // Header.
    if (w == "ansicpg") {
        if (v > 0)
            m_docCodePage = v;
        m_s.codePage = codePageOfFont(m_s.ch.font);
        return;
    }
    if (w == "deff") {
        m_defaultFont = v;
        return;
    }
    if (w == "uc") {
        m_s.uc = std::clamp(v, 0, 10);
        return;
    }
    if (w == "u") {
        appendText(QString(QChar(static_cast<char16_t>(v < 0 ? v + 65536 : v))));
        m_skipChars = m_s.uc;
        return;
    }

    // Text.
    if (w == "par" || w == "sect") {
        paragraph();
        return;
    }
    if (w == "line") {
        appendText(QString(QChar::LineSeparator));
        return;
    }
    if (w == "tab") {
        appendText(QStringLiteral("\t"));
        return;
    }
    if (w == "emdash") {
        appendText(QString(QChar(0x2014)));
        return;
    }
    if (w == "endash") {
        appendText(QString(QChar(0x2013)));
        return;
    }
    if (w == "emspace") {
        appendText(QString(QChar(0x2003)));
        return;
    }
    if (w == "enspace") {
        appendText(QString(QChar(0x2002)));
        return;
    }
    if (w == "qmspace") {
        appendText(QString(QChar(0x2005)));
        return;
    }
    if (w == "bullet") {
        appendText(QString(QChar(0x2022)));
        return;
    }
    if (w == "lquote") {
        appendText(QString(QChar(0x2018)));
        return;
    }
    if (w == "rquote") {
        appendText(QString(QChar(0x2019)));
        return;
    }
    if (w == "ldblquote") {
        appendText(QString(QChar(0x201C)));
        return;
    }
    if (w == "rdblquote") {
        appendText(QString(QChar(0x201D)));
        return;
    }

    // Tables.
    if (w == "trowd") {
        flushText();
        m_rowCells = 0;
        m_s.par.inTable = true;
        return;
    }
    if (w == "cellx") {
        ++m_rowCells;
        return;
    }
    if (w == "intbl") {
        m_s.par.inTable = true;
        return;
    }
    if (w == "cell") {
        flushText();
        m_s.par.inTable = true;
        enterCellIfNeeded();
        applyBlockFormat();
        ++m_col;
        m_cellPending = true;
        return;
    }
    if (w == "row") {
        flushText();
        if (m_table)
            m_rowPending = true; // a row with fewer cells than columns leaves the last ones empty
        return;
    }

    // Character formats: any change ends the run so far.
    flushText();
    CharState& c = m_s.ch;
    if (w == "plain") {
        const QString href = c.href;
        c = CharState();
        c.href = href;
        c.font = m_defaultFont;
    } else if (w == "f") {
        c.font = v;
        m_s.codePage = codePageOfFont(v);
    } else if (w == "fs")
        c.size = v;
    else if (w == "b")
        c.bold = on;
    else if (w == "i")
        c.italic = on;
    else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "uldash" || w == "ulth")
        c.underline = on;
    else if (w == "ulnone")
        c.underline = false;
    else if (w == "strike" || w == "striked")
        c.strike = on;
    else if (w == "cf")
        c.fg = v;
    else if (w == "highlight" || w == "cb" || w == "chcbpat")
        c.bg = v;
    else if (w == "super")
        c.vertical = on ? 1 : 0;
    else if (w == "sub")
        c.vertical = on ? -1 : 0;
    else if (w == "nosupersub")
        c.vertical = 0;
    else if (w == "up")
        c.vertical = t.hasParam && v == 0 ? 0 : 1; // raised text, as LibreOffice writes it
    else if (w == "dn")
        c.vertical = t.hasParam && v == 0 ? 0 : -1;
    // Paragraph formats.
    else if (w == "pard") {
        m_s.par = ParState();
    } else if (w == "ql")
        m_s.par.align = Qt::AlignLeft;
    else if (w == "qc")
        m_s.par.align = Qt::AlignHCenter;
    else if (w == "qr")
        m_s.par.align = Qt::AlignRight;
    else if (w == "qj")
        m_s.par.align = Qt::AlignJustify;
    else if (w == "fi")
        m_s.par.fi = v;
    else if (w == "li")
        m_s.par.li = v;
    else if (w == "ri")
        m_s.par.ri = v;
    else if (w == "sb")
        m_s.par.sb = v;
    else if (w == "sa")
        m_s.par.sa = v;
    else if (w == "tx") {
        if (m_s.par.tabs.size() < 64)
            m_s.par.tabs.push_back(v);
    } else if (w == "ilvl") {
        m_s.par.level = std::clamp(v, 0, 8);
    } else if (w == "ls") {
        if (m_s.par.list == ListKind::None)
            m_s.par.list = ListKind::Bullet;
    }
}

void Reader::text(QByteArrayView bytes)
{
    switch (m_s.dest) {
    case Dest::Text:
        appendBytes(bytes);
        break;
    case Dest::FontTable:
        m_fontName += bytes;
        break;
    case Dest::ColorTable:
        for (const char c : bytes) {
            if (c != ';')
                continue;
            m_colors.push_back(
                m_colorSet ? QColor(std::clamp(m_r, 0, 255), std::clamp(m_g, 0, 255), std::clamp(m_b, 0, 255))
                           : QColor());
            m_r = m_g = m_b = 0;
            m_colorSet = false;
            m_formats.clear();
        }
        break;
    case Dest::Picture:
        if (m_pict.hex.size() < 256 * 1024 * 1024)
            m_pict.hex += bytes;
        break;
    case Dest::FieldInstruction:
        m_fieldInstruction += rtfcodepage::decode(bytes, m_s.codePage);
        break;
    case Dest::ListText:
        m_listText += rtfcodepage::decode(bytes, m_s.codePage);
        break;
    default:
        break;
    }
}

RtfReader::Result Reader::run()
{
    m_cursor.movePosition(QTextCursor::Start);
    m_cursor.beginEditBlock();
    int depthOverflow = 0;
    for (;;) {
        const RtfTokenizer::Token t = m_tok.next();
        if (t.kind == Kind::End)
            break;
        if (depthOverflow > 0) { // groups nested too deep are passed over whole
            if (t.kind == Kind::GroupStart)
                ++depthOverflow;
            else if (t.kind == Kind::GroupEnd)
                --depthOverflow;
            continue;
        }
        // Characters after \u that stand in for it are skipped.
        if (m_skipChars > 0 && (t.kind == Kind::Hex || t.kind == Kind::Text || t.kind == Kind::Symbol ||
                                (t.kind == Kind::Word && t.word != "u"))) {
            if (t.kind == Kind::Text && t.word.size() > m_skipChars) {
                const QByteArrayView rest = t.word.sliced(m_skipChars);
                m_skipChars = 0;
                text(rest);
            } else {
                m_skipChars -= t.kind == Kind::Text ? static_cast<int>(t.word.size()) : 1;
                m_skipChars = std::max(0, m_skipChars);
            }
            continue;
        }
        switch (t.kind) {
        case Kind::GroupStart:
            m_skipChars = 0;
            if (m_stack.size() >= static_cast<size_t>(RtfReader::kMaxDepth)) {
                depthOverflow = 1;
                m_problem =
                    QStringLiteral("The page nests groups too deeply; the deepest parts were left out.");
                break;
            }
            m_groupStart = m_tok.position() - 1;
            m_stack.push_back(m_s);
            break;
        case Kind::GroupEnd: {
            m_skipChars = 0;
            if (m_stack.empty())
                break; // unbalanced braces are tolerated
            if (m_s.dest == Dest::Text)
                flushText();
            const State closed = m_s;
            m_s = m_stack.back();
            m_stack.pop_back();
            if (closed.dest == Dest::FontTable)
                finishFontEntry();
            if (closed.dest == Dest::Picture && m_s.dest != Dest::Picture)
                finishPicture();
            if (closed.dest == Dest::ListDefinition && m_s.dest != Dest::ListDefinition)
                m_s.par.list = m_pnKind;
            if (closed.dest == Dest::ListText && m_s.dest != Dest::ListText) {
                const QString marker = m_listText.trimmed();
                m_markerKind = markerKind(marker);
            }
            if (!closed.ch.href.isEmpty() && m_s.ch.href.isEmpty() && closed.dest == Dest::Text)
                m_fieldInstruction.clear();
            if (m_stack.empty())
                m_s.codePage = codePageOfFont(m_s.ch.font);
            break;
        }
        case Kind::Word:
            word(t);
            break;
        case Kind::Symbol:
            if (m_s.dest == Dest::Text || t.symbol == '*')
                symbol(t.symbol);
            break;
        case Kind::Text:
            text(t.word);
            break;
        case Kind::Hex:
            if (m_s.dest == Dest::Text || m_s.dest == Dest::FontTable || m_s.dest == Dest::FieldInstruction ||
                m_s.dest == Dest::ListText) {
                const char b = static_cast<char>(t.byte);
                text(QByteArrayView(&b, 1));
            }
            break;
        case Kind::Bin:
            if (m_s.dest == Dest::Picture)
                m_pict.bin = t.data.toByteArray();
            break;
        case Kind::End:
            break;
        }
    }
    flushText();
    m_s.par.inTable = false;
    enterCellIfNeeded();
    if (!m_blockHasContent && m_paragraphs > 0 && m_cursor.block().length() == 1 &&
        !m_cursor.currentTable()) {
        // The final \par closes the last paragraph; it does not open an empty one.
        m_cursor.deletePreviousChar();
    } else {
        applyBlockFormat();
    }
    m_cursor.endEditBlock();
    RtfReader::Result r;
    if (m_tok.damaged() && m_problem.isEmpty())
        m_problem = QStringLiteral("The page is damaged; what could be read is shown.");
    r.ok = m_problem.isEmpty();
    r.problem = m_problem;
    return r;
}

} // namespace

RtfReader::Result RtfReader::read(const QByteArray& bytes, QTextDocument* document)
{
    document->clear();
    qsizetype start = 0;
    while (start < bytes.size() && static_cast<unsigned char>(bytes[start]) <= ' ')
        ++start;
    if (!QByteArrayView(bytes).sliced(start).startsWith("{\\rtf")) {
        // Not RTF: plain 8-bit text in the collection's code page.
        QString text = cp1251::decode(bytes);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(u'\r', u'\n');
        document->setPlainText(text);
        return {};
    }
    // Reading is one edit: no undo steps and no layout work until the whole page is in.
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    Reader reader(bytes, document);
    const Result r = reader.run();
    document->setUndoRedoEnabled(undo);
    return r;
}
