#include "platform/rtf/rtfreader.h"

#include "platform/codepage.h"
#include "platform/rtf/rtfcodepage.h"
#include "platform/rtf/rtfkept.h"
#include "platform/rtf/rtftokenizer.h"

#include <QBuffer>
#include <QColor>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

using Kind = RtfTokenizer::Kind;

enum class Dest : uint8_t {
    Text,
    Skip,
    FontTable,
    ColorTable,
    Picture,
    FieldInstruction,
    FieldResult,
    ListText,
    PnDefinition,
    ListTable,
    LevelText,
    ListOverrideTable,
    Kept,     // kept whole at its place in the text (footnotes, comments)
    PageKept, // kept whole for the page (headers, footers)
    Inner,    // a wrapper whose inner groups are read (fields, shapes, objects)
};

// What a control word does: opens a destination, sets a character, paragraph, table, list, font,
// colour or picture property, inserts a character, or does something of its own.
enum class Kw : uint8_t { Dest, Char, Par, Insert, Special, Table, List, Font, Color, Pict };

enum CharProp {
    CPlain,
    CFont,
    CSize,
    CBold,
    CItalic,
    CUnder,
    CUnderNone,
    CStrike,
    CFg,
    CBg,
    CSuper,
    CSub,
    CNoSuperSub,
    CUp,
    CDown,
    CHidden,
    CProtect
};
enum ParProp {
    PPard,
    PLeft,
    PCenter,
    PRight,
    PJustify,
    PFirst,
    PLeftIndent,
    PRightIndent,
    PBefore,
    PAfter,
    PTab,
    PInTable,
    PItap,
    PListOverride,
    PLevel
};
enum Special {
    SFieldLock,
    SPar,
    SPage,
    SUnicode,
    SUc,
    SAnsiCpg,
    SMac,
    SDeff,
    SFootnoteMark,
    SCommentMark,
    // How footnotes (\ftnnar … \ftnnruc) and endnotes (\aftnnar … \aftnnruc) are numbered, in
    // the order of noteKinds
    SNoteArabic,
    SNoteLowerAlpha,
    SNoteUpperAlpha,
    SNoteLowerRoman,
    SNoteUpperRoman,
    SEndnoteArabic,
    SEndnoteLowerAlpha,
    SEndnoteUpperAlpha,
    SEndnoteLowerRoman,
    SEndnoteUpperRoman,
    SNoteStart,
    SEndnoteStart
};
enum TableProp { TRowDefaults, TCellX, TCell, TRow, TNestCell, TNestRow, TBorderSide, TBorderStyle };
enum ListProp {
    LList,
    LListId,
    LLevel,
    LLevelNfc,
    LLevelStart,
    LLevelLegal,
    LOverrideLs,
    LPnDecimal,
    LPnLowerAlpha,
    LPnUpperAlpha,
    LPnLowerRoman,
    LPnUpperRoman,
    LPnBullet
};
enum FontProp { FCharset, FCodePage };
enum ColorProp { CRed, CGreen, CBlue };
enum PictProp { XPng, XJpeg, XWidth, XHeight, XWidthGoal, XHeightGoal, XScaleX, XScaleY, XRawKind };

struct Keyword {
    Kw kind;
    int id;
};

// The control words the reader knows. New constructs add rows here; a word not listed is passed
// over, and a destination not listed (\*\word) is skipped whole.
const std::unordered_map<std::string_view, Keyword>& keywords()
{
    static const std::unordered_map<std::string_view, Keyword> table = [] {
        std::unordered_map<std::string_view, Keyword> t;
        auto dest = [&](std::initializer_list<const char*> words, Dest d) {
            for (const char* w : words)
                t[w] = {Kw::Dest, static_cast<int>(d)};
        };
        dest({"fonttbl"}, Dest::FontTable);
        dest({"colortbl"}, Dest::ColorTable);
        dest({"pict"}, Dest::Picture);
        dest({"fldinst"}, Dest::FieldInstruction);
        dest({"fldrslt"}, Dest::FieldResult);
        dest({"pntext", "listtext"}, Dest::ListText);
        dest({"pn"}, Dest::PnDefinition);
        dest({"listtable"}, Dest::ListTable);
        dest({"leveltext"}, Dest::LevelText);
        dest({"listoverridetable"}, Dest::ListOverrideTable);
        dest({"footnote", "annotation", "atnid", "atnauthor"}, Dest::Kept);
        dest({"header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf"},
             Dest::PageKept);
        dest({"field", "shppict", "shp", "shpinst", "shptxt", "object", "result", "nesttableprops"},
             Dest::Inner);
        // Shapes in groups, and Word 6/95 drawing objects: their text boxes' text is shown.
        dest({"shpgrp", "do", "dpgroup", "dptxbx", "dptxbxtext"}, Dest::Inner);
        dest({"stylesheet",   "info",         "rsidtbl",      "generator",
              "xmlnstbl",     "pgdsctbl",     "themedata",    "colorschememapping",
              "latentstyles", "datastore",    "revtbl",       "filetbl",
              "mmathPr",      "pnseclvl",     "fldtype",      "bkmkstart",
              "bkmkend",      "nonshppict",   "nonesttables", "objdata",
              "objclass",     "objname",      "sp",           "shprslt",
              "listname",     "levelnumbers", "listpicture",  "panose",
              "falt",         "ftnsep",       "ftnsepc",      "ftncn",
              "aftnsep",      "aftnsepc",     "aftncn",       "xe",
              "tc",           "txe",          "template",     "userprops",
              "docvar",       "pntxta",       "pntxtb",       "atrfstart",
              "atrfend",      "atnref",       "atndate",      "atnicn",
              "atntime",      "fname"},
             Dest::Skip);
        auto rows = [&](Kw kind, std::initializer_list<std::pair<const char*, int>> list) {
            for (const auto& [w, id] : list)
                t[w] = {kind, id};
        };
        rows(Kw::Char, {{"plain", CPlain},
                        {"f", CFont},
                        {"fs", CSize},
                        {"b", CBold},
                        {"i", CItalic},
                        {"ul", CUnder},
                        {"uld", CUnder},
                        {"uldb", CUnder},
                        {"ulw", CUnder},
                        {"uldash", CUnder},
                        {"ulth", CUnder},
                        {"ulwave", CUnder},
                        {"uldashd", CUnder},
                        {"ulnone", CUnderNone},
                        {"strike", CStrike},
                        {"striked", CStrike},
                        {"cf", CFg},
                        {"highlight", CBg},
                        {"cb", CBg},
                        {"chcbpat", CBg},
                        {"super", CSuper},
                        {"sub", CSub},
                        {"nosupersub", CNoSuperSub},
                        {"up", CUp},
                        {"dn", CDown},
                        {"v", CHidden},
                        {"protect", CProtect}});
        rows(Kw::Par, {{"pard", PPard},
                       {"ql", PLeft},
                       {"qc", PCenter},
                       {"qr", PRight},
                       {"qj", PJustify},
                       {"fi", PFirst},
                       {"li", PLeftIndent},
                       {"ri", PRightIndent},
                       {"sb", PBefore},
                       {"sa", PAfter},
                       {"tx", PTab},
                       {"intbl", PInTable},
                       {"itap", PItap},
                       {"ls", PListOverride},
                       {"ilvl", PLevel}});
        rows(Kw::Insert, {{"line", 0x2028},
                          {"lbr", 0x2028},
                          {"tab", '\t'},
                          {"emdash", 0x2014},
                          {"endash", 0x2013},
                          {"emspace", 0x2003},
                          {"enspace", 0x2002},
                          {"qmspace", 0x2005},
                          {"bullet", 0x2022},
                          {"lquote", 0x2018},
                          {"rquote", 0x2019},
                          {"ldblquote", 0x201C},
                          {"rdblquote", 0x201D}});
        rows(Kw::Special, {{"par", SPar},
                           {"sect", SPar},
                           {"page", SPage},
                           {"column", SPage},
                           {"u", SUnicode},
                           {"uc", SUc},
                           {"ansicpg", SAnsiCpg},
                           {"mac", SMac},
                           {"deff", SDeff},
                           {"chftn", SFootnoteMark},
                           {"chatn", SCommentMark},
                           {"ftnstart", SNoteStart},
                           {"aftnstart", SEndnoteStart},
                           {"fldlock", SFieldLock}});
        rows(Kw::Special, {{"ftnnar", SNoteArabic},
                           {"ftnnalc", SNoteLowerAlpha},
                           {"ftnnauc", SNoteUpperAlpha},
                           {"ftnnrlc", SNoteLowerRoman},
                           {"ftnnruc", SNoteUpperRoman},
                           {"aftnnar", SEndnoteArabic},
                           {"aftnnalc", SEndnoteLowerAlpha},
                           {"aftnnauc", SEndnoteUpperAlpha},
                           {"aftnnrlc", SEndnoteLowerRoman},
                           {"aftnnruc", SEndnoteUpperRoman}});
        rows(Kw::Table, {{"trowd", TRowDefaults},
                         {"cellx", TCellX},
                         {"cell", TCell},
                         {"row", TRow},
                         {"nestcell", TNestCell},
                         {"nestrow", TNestRow}});
        for (const char* w : {"clbrdrt", "clbrdrb", "clbrdrl", "clbrdrr", "trbrdrt", "trbrdrb", "trbrdrl",
                              "trbrdrr", "trbrdrh", "trbrdrv"})
            t[w] = {Kw::Table, TBorderSide};
        for (const char* w : {"brdrs", "brdrth", "brdrsh", "brdrdb", "brdrdot", "brdrdash", "brdrhair",
                              "brdrinset", "brdroutset", "brdrtriple", "brdrwavy"})
            t[w] = {Kw::Table, TBorderStyle};
        rows(Kw::List, {{"list", LList},
                        {"listid", LListId},
                        {"listlevel", LLevel},
                        {"levelnfc", LLevelNfc},
                        {"levelnfcn", LLevelNfc},
                        {"levelstartat", LLevelStart},
                        {"levellegal", LLevelLegal},
                        {"pnstart", LLevelStart},
                        {"listoverride", LOverrideLs},
                        {"pndec", LPnDecimal},
                        {"pnlcltr", LPnLowerAlpha},
                        {"pnucltr", LPnUpperAlpha},
                        {"pnlcrm", LPnLowerRoman},
                        {"pnucrm", LPnUpperRoman},
                        {"pnlvlblt", LPnBullet}});
        rows(Kw::Font, {{"fcharset", FCharset}, {"cpg", FCodePage}});
        rows(Kw::Color, {{"red", CRed}, {"green", CGreen}, {"blue", CBlue}});
        rows(Kw::Pict, {{"pngblip", XPng},
                        {"jpegblip", XJpeg},
                        {"picw", XWidth},
                        {"pich", XHeight},
                        {"picwgoal", XWidthGoal},
                        {"pichgoal", XHeightGoal},
                        {"picscalex", XScaleX},
                        {"picscaley", XScaleY},
                        {"wmetafile", XRawKind},
                        {"emfblip", XRawKind},
                        {"macpict", XRawKind},
                        {"dibitmap", XRawKind},
                        {"wbitmap", XRawKind},
                        {"pmmetafile", XRawKind}});
        return t;
    }();
    return table;
}

// Control characters (NUL and the like, from damaged files or \\u escapes) are no text: they would show
// as nothing and could not be written back.
void dropControls(QString& text)
{
    text.removeIf(
        [](QChar c) { return (c.unicode() < 0x20 && c != u'\t' && c != u'\n') || c.unicode() == 0x7f; });
}

struct CharState {
    int font = -1;
    int size = 24; // half-points
    bool bold = false, italic = false, underline = false, strike = false;
    int fg = 0, bg = 0; // colour table indexes, 0 = automatic
    int vertical = 0;   // 1 super, -1 sub
    QString href;
    QString field;            // the instruction of a field other than a link, kept with its result
    bool fieldLocked = false; // \fldlock: other programs must not compute the result again
    bool hidden = false;      // \v: kept, not shown
    bool protect = false;     // \protect: kept as a flag for the programs that honour it
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

// Word's number formats (\levelnfc); 255 is a level without a number.
ListKind nfcKind(int nfc)
{
    switch (nfc) {
    case 0:
    case 22:
        return ListKind::Decimal;
    case 1:
        return ListKind::UpperRoman;
    case 2:
        return ListKind::LowerRoman;
    case 3:
        return ListKind::UpperAlpha;
    case 4:
        return ListKind::LowerAlpha;
    case 255:
        return ListKind::None;
    default:
        return ListKind::Bullet;
    }
}

// What a marker such as "2.", "b)", "iv." or a bullet character says about its list.
ListKind markerKind(QString marker)
{
    while (!marker.isEmpty() && (marker[0] == u'(' || marker[0] == u'['))
        marker.remove(0, 1); // "(a)"
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

// A Word list level: its number format and the text around the number ("(" and ")" of "(a)").
struct ListLevel {
    ListKind kind = ListKind::Decimal;
    int start = 1;
    QString prefix, suffix = QStringLiteral(".");
    QString text;       // the whole level text; characters below 9 stand for the numbers of levels
    bool legal = false; // the numbers of outer levels shown in Arabic figures ("1.1" under "I")
};

// The list of one level of a Word list, whichever of its overrides (\ls) a paragraph names.
qint64 wordListKey(int listId, int level)
{
    return (static_cast<qint64>(listId) << 4) | level;
}

// A number as a list of the kind shows it: 4 is "4", "d", "D", "iv" or "IV".
QString numberText(int n, ListKind kind)
{
    if (n <= 0 || kind == ListKind::Decimal || kind == ListKind::Bullet || kind == ListKind::None)
        return QString::number(n);
    if (kind == ListKind::LowerAlpha || kind == ListKind::UpperAlpha) {
        QString out;
        for (; n > 0; n = (n - 1) / 26)
            out.prepend(QChar(u'a' + (n - 1) % 26));
        return kind == ListKind::UpperAlpha ? out.toUpper() : out;
    }
    static const std::pair<int, const char*> roman[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString out;
    for (const auto& [value, letters] : roman)
        for (; n >= value; n -= value)
            out += QLatin1String(letters);
    return kind == ListKind::UpperRoman ? out.toUpper() : out;
}

struct ListDefinition {
    int id = 0;
    std::vector<ListLevel> levels;
};

struct ParState {
    Qt::Alignment align = Qt::AlignLeft;
    int fi = 0, li = 0, ri = 0, sb = 0, sa = 0; // twips
    std::vector<int> tabs;
    ListKind list = ListKind::None;
    int ls = 0;     // \ls: a Word list
    int level = -1; // \ilvl; -1 when the paragraph does not say
    int itap = 0;   // table depth: 0 outside tables, 2 in a table in a table
    int start = 1;  // \pnstart
    bool operator==(const ParState&) const = default;
};

struct State {
    Dest dest = Dest::Text;
    CharState ch;
    ParState par;
    int uc = 1;
    int codePage = 1252;
    // Where this group's "{" stands, so a destination keeps its own whole group, whatever groups
    // came and went before its word; -1 for the document itself, which no destination may keep.
    qsizetype groupStart = -1;
    // In \upr's group the 8-bit alternative is passed over; its \*\ud group holds the text to show.
    bool dropText = false;
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
    qsizetype from = 0; // where its \pict word stands
};

// A table being read, one per nesting depth.
struct OpenTable {
    QTextTable* table = nullptr;
    int row = 0, col = 0;
    bool rowPending = false, cellPending = false;
};

// The row definition (\trowd ... \cellx) of one depth.
struct RowDefinition {
    std::vector<int> cellx;
    bool borders = false;
};

constexpr int kMaxTableDepth = 16;

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

    RtfReader::Result run(const RtfReader::Options& options);

private:
    void flushText();
    void appendText(const QString& s);
    void appendBytes(QByteArrayView b);
    void word(const RtfTokenizer::Token& t);
    void openDestination(Dest d);
    void charProperty(int id, int v, bool on, bool hasParam);
    void parProperty(int id, int v);
    void special(int id, const RtfTokenizer::Token& t);
    void tableWord(int id, int v);
    void listWord(int id, int v);
    void levelMarker(const ListDefinition& def, const ListLevel& own, int level, QString& prefix,
                     QString& suffix) const;
    void pictWord(int id, const RtfTokenizer::Token& t);
    void groupClosed(const State& closed);
    void symbol(char c);
    void text(QByteArrayView bytes);
    void paragraph();
    void applyList();
    void finishPicture();
    void finishKept(const State& closed);
    QByteArray ownGroup(qsizetype groupStart, qsizetype wordStart) const;
    void finishLevelText();
    QByteArray rawPictureGroup(const Picture& p, const QByteArray& data) const;
    void finishFontEntry();
    void enterCellIfNeeded();
    void closeTable();
    void endCell(int depth);
    void endRow(int depth);
    void setCodePage(int codePage);
    const QTextCharFormat& charFormat();
    QTextCharFormat makeCharFormat() const;
    const QTextBlockFormat& blockFormat();
    QTextBlockFormat makeBlockFormat() const;
    void applyBlockFormat();
    int codePageOfFont(int f) const;
    void noteLossy(const QString& what);

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
    qsizetype m_starAt = 0;   // where the last \* stood
    qsizetype m_destFrom = 0; // where the destination word being opened (or its \*) stands
    // picture
    Picture m_pict;
    int m_pictures = 0;
    ListKind m_pnKind = ListKind::None;
    ListKind m_markerKind = ListKind::None;
    QString m_markerSuffix, m_markerPrefix;
    int m_pnStart = 1;
    // kept groups
    qsizetype m_keptStart = 0;
    qsizetype m_keptFrom = 0;
    int m_keptCodePage = 1252;
    QByteArray m_keptPrefix; // the mark in the text before a footnote or comment
    // Footnotes and endnotes are numbered apart, each in its own kind of number.
    struct NoteNumbers {
        ListKind kind = ListKind::Decimal;
        int start = 1, count = 0;
    } m_noteNumbers, m_endnoteNumbers;
    QByteArray m_noteWords; // the words that say so, written back with the page
    int m_keptObjects = 0;
    QByteArray m_pageGroups;
    // field
    QString m_fieldInstruction;
    bool m_fieldLocked = false;
    // list markers read from \pntext or \listtext
    QString m_listText;
    // Word lists: definitions by \listid and overrides by \ls
    std::vector<ListDefinition> m_listDefinitions;
    QByteArray m_levelText;
    QHash<int, int> m_overrides; // \ls -> \listid
    int m_overrideLs = 0, m_overrideId = 0;
    // The open list of each level, outermost first, so an outer list numbers on after a nested one.
    struct OpenList {
        QPointer<QTextList> list; // a list goes when its last paragraph leaves it (a table cell taking it)
        ListKind kind;
        int li;
        int ls;
    };
    std::vector<OpenList> m_lists;
    QHash<qint64, QPointer<QTextList>>
        m_wordLists; // by wordListKey(); the overrides of one list number as one
    // tables, outermost first
    std::vector<OpenTable> m_tables;
    RowDefinition m_rowDefinitions[kMaxTableDepth + 1];
    bool m_borderSide = false;
    bool m_blockHasContent = false;
    QString m_problem;
    QStringList m_lossy;
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
    QTextBlockFormat m_madeBlock;
    ParState m_madeBlockState;
    bool m_madeBlockKnown = false;
};

void Reader::noteLossy(const QString& what)
{
    if (!m_lossy.contains(what))
        m_lossy << what;
}

int Reader::codePageOfFont(int f) const
{
    const auto it = m_fonts.constFind(f);
    if (it != m_fonts.constEnd() && it->codePage > 0)
        return it->codePage;
    return m_docCodePage;
}

void Reader::setCodePage(int codePage)
{
    m_s.codePage = codePage;
    m_tok.setCodePage(codePage);
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
    if (!m_s.ch.field.isEmpty())
        f.setProperty(rtfprop::kField,
                      m_s.ch.fieldLocked ? QStringLiteral("\\fldlock ") + m_s.ch.field : m_s.ch.field);
    if (!m_s.ch.href.isEmpty()) {
        f.setAnchor(true);
        f.setAnchorHref(m_s.ch.href);
    }
    if (m_s.ch.protect)
        f.setProperty(rtfprop::kProtected, true);
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

const QTextBlockFormat& Reader::blockFormat()
{
    if (!m_madeBlockKnown || !(m_madeBlockState == m_s.par)) {
        m_madeBlock = makeBlockFormat();
        m_madeBlockState = m_s.par;
        m_madeBlockKnown = true;
    }
    return m_madeBlock;
}

QTextBlockFormat Reader::makeBlockFormat() const
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
    if (!m_s.dropText)
        m_pendingBytes += b;
}

void Reader::appendText(const QString& s)
{
    if (!m_pendingBytes.isEmpty()) {
        m_pending += rtfcodepage::decode(m_pendingBytes, m_s.codePage);
        m_pendingBytes.clear();
    }
    if (!m_s.dropText)
        m_pending += s;
}

void Reader::closeTable()
{
    // what follows a table starts below it, in the cell or on the page around it
    m_cursor = m_tables.back().table->lastCursorPosition();
    m_cursor.movePosition(QTextCursor::NextCharacter);
    m_tables.pop_back();
    m_blockStateKnown = false;
}

void Reader::enterCellIfNeeded()
{
    const size_t depth = static_cast<size_t>(std::clamp(m_s.par.itap, 0, kMaxTableDepth));
    while (m_tables.size() > depth)
        closeTable();
    for (size_t d = 0; d < depth; ++d) {
        if (d == m_tables.size()) {
            const RowDefinition& def = m_rowDefinitions[d + 1];
            // The \\par before a table ends the paragraph above it; it opens no empty one.
            const QTextBlock here = m_cursor.block();
            if (here.length() == 1 && here.previous().isValid() && !m_cursor.currentList()) {
                QTextCursor before(here.previous());
                before.movePosition(QTextCursor::EndOfBlock);
                const bool sameCell =
                    before.currentFrame() == m_cursor.currentFrame() &&
                    (!m_cursor.currentTable() ||
                     m_cursor.currentTable()->cellAt(m_cursor) == before.currentTable()->cellAt(before));
                if (sameCell && before.position() + 1 == m_cursor.position())
                    m_cursor.deletePreviousChar();
            }
            OpenTable open;
            open.table = m_cursor.insertTable(1, std::max<int>(1, static_cast<int>(def.cellx.size())));
            QTextTableFormat tf = open.table->format();
            tf.setBorder(def.borders ? 1 : 0);
            tf.setBorderCollapse(true);
            tf.setCellPadding(2);
            tf.setCellSpacing(0);
            open.table->setFormat(tf);
            m_tables.push_back(open);
            m_cursor = open.table->cellAt(0, 0).firstCursorPosition();
            m_blockStateKnown = false;
            continue;
        }
        OpenTable& t = m_tables[d];
        if (!t.rowPending && !t.cellPending)
            continue;
        while (m_tables.size() > d + 1)
            closeTable();
        if (t.rowPending) {
            t.table->appendRows(1);
            ++t.row;
            t.col = 0;
        } else if (t.col >= t.table->columns()) {
            t.table->appendColumns(1); // a row with more cells than the first
        }
        t.rowPending = false;
        t.cellPending = false;
        m_cursor = t.table->cellAt(t.row, t.col).firstCursorPosition();
        m_blockStateKnown = false;
    }
}

void Reader::endCell(int depth)
{
    flushText();
    m_s.par.itap = std::max(m_s.par.itap, depth);
    if (depth > kMaxTableDepth) {
        noteLossy(QStringLiteral("tables"));
        return;
    }
    enterCellIfNeeded();
    applyBlockFormat();
    if (static_cast<int>(m_tables.size()) >= depth && depth > 0) {
        ++m_tables[depth - 1].col;
        m_tables[depth - 1].cellPending = true;
    }
}

void Reader::endRow(int depth)
{
    flushText();
    if (depth < 1 || depth > kMaxTableDepth || static_cast<int>(m_tables.size()) < depth)
        return;
    OpenTable& t = m_tables[depth - 1];
    // The first row gives the columns their widths, as the row definition says.
    const RowDefinition& def = m_rowDefinitions[depth];
    if (t.row == 0 && static_cast<int>(def.cellx.size()) == t.table->columns()) {
        QList<QTextLength> widths;
        int left = 0;
        for (const int x : def.cellx) {
            widths << QTextLength(QTextLength::FixedLength, twipsToPoints(std::clamp(x - left, 1, 31680)));
            left = std::max(left, x);
        }
        QTextTableFormat tf = t.table->format();
        tf.setColumnWidthConstraints(widths);
        tf.setBorder(def.borders ? 1 : 0);
        t.table->setFormat(tf);
    }
    t.rowPending = true; // a row with fewer cells than columns leaves the last ones empty
    t.cellPending = false;
}

void Reader::flushText()
{
    if (!m_pendingBytes.isEmpty()) {
        // A lead byte whose trail byte comes in the next escape or run waits for it.
        const int held = rtfcodepage::pendingLead(m_pendingBytes, m_s.codePage);
        const QByteArray last = m_pendingBytes.right(held);
        m_pendingBytes.chop(held);
        appendText(QString());
        m_pendingBytes = last;
    }
    dropControls(m_pending);
    if (m_pending.isEmpty())
        return;
    enterCellIfNeeded();
    if (m_s.ch.hidden) {
        // Hidden text is not shown, as in word processors, but kept where it stood and written back.
        QTextCharFormat f = charFormat();
        f.setObjectType(rtfkept::kObjectType);
        f.setProperty(rtfprop::kKeptGroup, QByteArray("{\\v " + rtfkept::escapedText(m_pending) + '}'));
        m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), f);
        ++m_keptObjects;
    } else {
        m_cursor.insertText(m_pending, charFormat());
    }
    m_blockHasContent = true;
    m_pending.clear();
}

void Reader::applyList()
{
    ListKind kind = m_s.par.list;
    QString prefix, suffix;
    int start = 1;
    int level = m_s.par.level;
    bool defined = false;
    const ListDefinition* definition = nullptr;
    ListLevel own;
    if (m_s.par.ls > 0) {
        const auto id = m_overrides.constFind(m_s.par.ls);
        const auto def = std::find_if(m_listDefinitions.begin(), m_listDefinitions.end(), [&](const auto& d) {
            return id != m_overrides.constEnd() && d.id == *id;
        });
        if (def != m_listDefinitions.end()) {
            const ListLevel l =
                def->levels.empty()
                    ? ListLevel()
                    : def->levels[std::min<size_t>(std::max(level, 0), def->levels.size() - 1)];
            kind = l.kind;
            prefix = l.prefix;
            suffix = l.suffix;
            start = l.start;
            level = std::max(level, 0);
            defined = true;
            definition = &*def;
            own = l;
        }
    }
    // The marker text shows whether the list is numbered; a numbered definition says how.
    if (kind != ListKind::None && m_markerKind != ListKind::None &&
        (kind == ListKind::Bullet || m_markerKind == ListKind::Bullet || m_markerKind == ListKind::Decimal) &&
        !defined)
        kind = m_markerKind;
    if (!defined && !m_markerSuffix.isEmpty()) {
        prefix = m_markerPrefix;
        suffix = m_markerSuffix;
    }
    if (!defined)
        start = m_s.par.start;
    m_markerKind = ListKind::None;
    m_markerSuffix.clear();
    m_markerPrefix.clear();
    if (kind == ListKind::None) {
        if (m_lists.empty())
            return; // the block was made outside any list
        if (QTextList* l = m_cursor.block().textList())
            l->remove(m_cursor.block());
        m_lists.clear();
        return;
    }
    const int li = m_s.par.li;
    size_t depth = 0;
    if (level >= 0) {
        depth = static_cast<size_t>(std::min(level, 8));
    } else {
        // Without a level the indent tells: deeper than the open list nests, shallower returns.
        while (depth < m_lists.size() && m_lists[depth].li < li)
            ++depth;
    }
    depth = std::min(depth, m_lists.size());
    m_lists.resize(std::min(m_lists.size(), depth + 1), OpenList{nullptr, ListKind::None, 0, 0});
    // An item of a Word list starts its deeper levels again, as word processors number them.
    if (defined)
        for (int k = static_cast<int>(depth) + 1; k < 9; ++k)
            m_wordLists.remove(wordListKey(definition->id, k));
    if (depth < m_lists.size() && m_lists[depth].list && m_lists[depth].kind == kind &&
        m_lists[depth].ls == m_s.par.ls) {
        m_lists[depth].list->add(m_cursor.block());
        return;
    }
    // A Word list numbers on across the paragraphs between its items, as word processors show it.
    const qint64 key = defined ? wordListKey(definition->id, static_cast<int>(depth)) : 0;
    if (defined) {
        const QPointer<QTextList> earlier = m_wordLists.value(key);
        if (earlier && earlier->format().style() == listStyle(kind)) {
            earlier->add(m_cursor.block());
            m_lists.resize(depth + 1, OpenList{nullptr, ListKind::None, 0, 0});
            m_lists[depth] = OpenList{earlier, kind, li, m_s.par.ls};
            return;
        }
    }
    if (defined && !own.text.isEmpty())
        levelMarker(*definition, own, level, prefix, suffix);
    QTextListFormat lf;
    lf.setStyle(listStyle(kind));
    lf.setIndent(static_cast<int>(depth) + 1);
    if (kind != ListKind::Bullet) {
        lf.setNumberPrefix(prefix);
        lf.setNumberSuffix(suffix.isEmpty() && !defined ? QStringLiteral(".") : suffix);
        if (start != 1)
            lf.setProperty(rtfprop::kListStart, start);
    }
    const OpenList open{m_cursor.createList(lf), kind, li, m_s.par.ls};
    if (defined)
        m_wordLists.insert(key, open.list);
    if (depth < m_lists.size())
        m_lists[depth] = open;
    else
        m_lists.push_back(open);
}

// The text around a level's own number, with the numbers its outer levels have at this item ("Sect 2." of
// "Sect 2.1" under chapter II): a list of the level starts again after each outer item, so the text stays.
void Reader::levelMarker(const ListDefinition& def, const ListLevel& own, int level, QString& prefix,
                         QString& suffix) const
{
    QString before, after;
    bool seen = false;
    for (const QChar c : own.text) {
        QString& out = seen ? after : before;
        const int k = c.unicode();
        if (k >= 9) {
            out += c;
        } else if (k == level) {
            seen = true;
        } else if (k < level) {
            const QPointer<QTextList> outer = m_wordLists.value(wordListKey(def.id, k));
            if (!outer || outer->count() == 0)
                continue;
            const QTextListFormat f = outer->format();
            const int n = (f.hasProperty(rtfprop::kListStart) ? f.intProperty(rtfprop::kListStart) : 1) +
                          outer->count() - 1;
            const ListKind outerKind = def.levels[std::min<size_t>(k, def.levels.size() - 1)].kind;
            out += numberText(n, own.legal ? ListKind::Decimal : outerKind);
        }
    }
    if (seen) {
        prefix = before;
        suffix = after;
    }
}

void Reader::paragraph()
{
    flushText();
    enterCellIfNeeded();
    applyBlockFormat();
    applyList();
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

// A footnote, comment, header or footer closes: its group is kept as portable RTF.
void Reader::finishKept(const State& closed)
{
    const QByteArray group = ownGroup(m_keptStart, m_keptFrom);
    QHash<int, int> codePages;
    for (auto it = m_fonts.constBegin(); it != m_fonts.constEnd(); ++it)
        codePages.insert(it.key(), it->codePage > 0 ? it->codePage : m_docCodePage);
    const QByteArray portable = rtfkept::portableGroup(group, codePages, m_keptCodePage);
    if (closed.dest == Dest::PageKept) {
        m_pageGroups += portable + "\r\n";
        return;
    }
    if (portable.startsWith("{\\*\\atn")) { // a comment's author goes with the comment after it
        m_keptPrefix += portable;
        return;
    }
    flushText();
    enterCellIfNeeded();
    QTextCharFormat f = charFormat();
    f.setObjectType(rtfkept::kObjectType);
    f.setProperty(rtfprop::kKeptGroup, QByteArray(m_keptPrefix + portable));
    if (m_keptPrefix.contains("chftn")) {
        NoteNumbers& n = portable.left(24).contains("\\ftnalt") ? m_endnoteNumbers : m_noteNumbers;
        f.setProperty(rtfprop::kKeptMark, numberText(n.start + n.count++, n.kind));
    } else if (m_keptPrefix.contains("chatn"))
        f.setProperty(rtfprop::kKeptMark, QStringLiteral("\u270e"));
    m_keptPrefix.clear();
    m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), f);
    ++m_keptObjects;
    m_blockHasContent = true;
}

void Reader::finishLevelText()
{
    if (m_listDefinitions.empty() || m_listDefinitions.back().levels.empty())
        return;
    ListLevel& l = m_listDefinitions.back().levels.back();
    // The first byte counts the characters; bytes below 9 stand for the numbers of levels.
    const QString text = rtfcodepage::decode(m_levelText, m_s.codePage);
    const QString body =
        text.mid(1, std::max<int>(0, std::min<int>(text.size() - 1, text.isEmpty() ? 0 : text[0].unicode())));
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i].unicode() < 9) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first >= 0) {
        l.prefix = body.left(first);
        l.suffix = body.mid(last + 1);
        l.text = body;
    }
    m_levelText.clear();
}

void Reader::symbol(char c)
{
    switch (c) {
    case '\\':
    case '{':
    case '}':
        appendBytes(QByteArrayView(&c, 1)); // may be the trail byte of a double-byte character
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
        m_starAt = m_tok.position() - 2;
        return;
    case '\t':
        appendText(QStringLiteral("\t"));
        break;
    default:
        break;
    }
}

void Reader::openDestination(Dest d)
{
    // A destination word in the document's own group would take the rest of the page with it.
    if (m_stack.size() <= 1)
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

void Reader::word(const RtfTokenizer::Token& t)
{
    const bool star = m_starNext;
    m_starNext = false;
    m_destFrom = star ? m_starAt : t.word.data() - m_bytes.data() - 1;
    if (m_s.dest == Dest::Skip || m_s.dest == Dest::Kept || m_s.dest == Dest::PageKept)
        return;
    // A Unicode text and its 8-bit alternative for older readers: the Unicode one is shown.
    if (t.word == "upr" || t.word == "ud") {
        if (m_s.dest == Dest::Text || m_s.dest == Dest::FieldResult || m_s.dest == Dest::Inner) {
            flushText();
            m_s.dropText = t.word == "upr";
        } else if (star) {
            openDestination(Dest::Skip);
        }
        return;
    }
    const auto& table = keywords();
    const auto found = table.find(std::string_view(t.word.data(), static_cast<size_t>(t.word.size())));
    if (found == table.end()) {
        if (star)
            openDestination(Dest::Skip); // an optional destination we do not know
        return;
    }
    const Keyword k = found->second;
    const int v = t.param;
    if (k.kind == Kw::Dest) {
        if (t.word == "field")
            m_fieldLocked = false;
        if (t.word == "object")
            noteLossy(QStringLiteral("objects"));
        else if (t.word == "shp" || t.word == "shpgrp" || t.word == "do")
            noteLossy(QStringLiteral("shapes"));
        openDestination(static_cast<Dest>(k.id));
        return;
    }
    if (star) {
        openDestination(Dest::Skip);
        return;
    }
    switch (m_s.dest) {
    case Dest::Picture:
        if (k.kind == Kw::Pict)
            pictWord(k.id, t);
        return;
    case Dest::FontTable:
        if (k.kind == Kw::Char && k.id == CFont) {
            finishFontEntry();
            m_fontEntry = v;
            m_fonts[v] = Font();
        } else if (k.kind == Kw::Font && m_fontEntry >= 0) {
            if (k.id == FCharset)
                m_fonts[m_fontEntry].codePage = rtfcodepage::fromCharset(v, m_docCodePage);
            else if (v > 0)
                m_fonts[m_fontEntry].codePage = v;
        }
        return;
    case Dest::ColorTable:
        if (k.kind == Kw::Color) {
            (k.id == CRed ? m_r : k.id == CGreen ? m_g : m_b) = v;
            m_colorSet = true;
        }
        return;
    case Dest::PnDefinition:
    case Dest::ListTable:
    case Dest::ListOverrideTable:
        if (k.kind == Kw::List)
            listWord(k.id, t.hasParam ? v : 1); // a flag such as \levellegal alone is on
        else if (k.kind == Kw::Par && k.id == PListOverride && m_s.dest == Dest::ListOverrideTable)
            m_overrideLs = v;
        return;
    case Dest::LevelText:
        if (k.kind == Kw::Special && k.id == SUnicode) {
            m_levelText += '?'; // a bullet character: bullet levels need no text around a number
            m_skipChars = m_s.uc;
        }
        return;
    case Dest::FieldInstruction:
    case Dest::ListText:
        return;
    default:
        break;
    }
    const bool on = !t.hasParam || v != 0;
    switch (k.kind) {
    case Kw::Char:
        flushText();
        charProperty(k.id, v, on, t.hasParam);
        return;
    case Kw::Par:
        parProperty(k.id, v);
        return;
    case Kw::Insert:
        appendText(QString(QChar(static_cast<char16_t>(k.id))));
        return;
    case Kw::Special:
        special(k.id, t);
        return;
    case Kw::Table:
        tableWord(k.id, v);
        return;
    default:
        return;
    }
}

void Reader::charProperty(int id, int v, bool on, bool hasParam)
{
    CharState& c = m_s.ch;
    switch (id) {
    case CPlain: {
        const QString href = c.href, field = c.field;
        const bool locked = c.fieldLocked;
        c = CharState();
        c.href = href;
        c.field = field;
        c.fieldLocked = locked;
        c.font = m_defaultFont;
        break;
    }
    case CFont:
        c.font = v;
        setCodePage(codePageOfFont(v));
        break;
    case CSize:
        c.size = v;
        break;
    case CBold:
        c.bold = on;
        break;
    case CItalic:
        c.italic = on;
        break;
    case CUnder:
        c.underline = on;
        break;
    case CUnderNone:
        c.underline = false;
        break;
    case CStrike:
        c.strike = on;
        break;
    case CFg:
        c.fg = v;
        break;
    case CBg:
        c.bg = v;
        break;
    case CSuper:
        c.vertical = on ? 1 : 0;
        break;
    case CSub:
        c.vertical = on ? -1 : 0;
        break;
    case CNoSuperSub:
        c.vertical = 0;
        break;
    case CUp:
        c.vertical = hasParam && v == 0 ? 0 : 1; // raised text, as LibreOffice writes it
        break;
    case CDown:
        c.vertical = hasParam && v == 0 ? 0 : -1;
        break;
    case CHidden:
        c.hidden = on;
        break;
    case CProtect:
        c.protect = on;
        break;
    default:
        break;
    }
}

void Reader::parProperty(int id, int v)
{
    ParState& p = m_s.par;
    switch (id) {
    case PPard:
        flushText();
        p = ParState();
        break;
    case PLeft:
        p.align = Qt::AlignLeft;
        break;
    case PCenter:
        p.align = Qt::AlignHCenter;
        break;
    case PRight:
        p.align = Qt::AlignRight;
        break;
    case PJustify:
        p.align = Qt::AlignJustify;
        break;
    case PFirst:
        p.fi = v;
        break;
    case PLeftIndent:
        p.li = v;
        break;
    case PRightIndent:
        p.ri = v;
        break;
    case PBefore:
        p.sb = v;
        break;
    case PAfter:
        p.sa = v;
        break;
    case PTab:
        if (p.tabs.size() < 64)
            p.tabs.push_back(v);
        break;
    case PInTable:
        p.itap = std::max(p.itap, 1);
        break;
    case PItap:
        flushText();
        p.itap = std::clamp(v, 0, kMaxTableDepth + 1);
        break;
    case PListOverride:
        p.ls = std::max(v, 0);
        if (p.list == ListKind::None)
            p.list = ListKind::Bullet;
        break;
    case PLevel:
        p.level = std::clamp(v, 0, 8);
        break;
    default:
        break;
    }
}

void Reader::special(int id, const RtfTokenizer::Token& t)
{
    const int v = t.param;
    switch (id) {
    case SPar:
        paragraph();
        break;
    case SPage:
        if (m_blockHasContent || !m_pending.isEmpty() || !m_pendingBytes.isEmpty())
            paragraph();
        break;
    case SUnicode:
        appendText(QString(QChar(static_cast<char16_t>(v < 0 ? v + 65536 : v))));
        m_skipChars = m_s.uc;
        break;
    case SUc:
        m_s.uc = std::clamp(v, 0, 10);
        break;
    case SAnsiCpg:
        if (v > 0)
            m_docCodePage = v;
        setCodePage(codePageOfFont(m_s.ch.font));
        break;
    case SMac:
        m_docCodePage = 10000;
        setCodePage(codePageOfFont(m_s.ch.font));
        break;
    case SDeff:
        m_defaultFont = v;
        break;
    case SFieldLock:
        m_fieldLocked = true;
        break;
    case SNoteArabic:
    case SNoteLowerAlpha:
    case SNoteUpperAlpha:
    case SNoteLowerRoman:
    case SNoteUpperRoman:
    case SEndnoteArabic:
    case SEndnoteLowerAlpha:
    case SEndnoteUpperAlpha:
    case SEndnoteLowerRoman:
    case SEndnoteUpperRoman: {
        static const ListKind noteKinds[] = {ListKind::Decimal, ListKind::LowerAlpha, ListKind::UpperAlpha,
                                             ListKind::LowerRoman, ListKind::UpperRoman};
        const bool endnotes = id >= SEndnoteArabic;
        (endnotes ? m_endnoteNumbers : m_noteNumbers).kind =
            noteKinds[id - (endnotes ? SEndnoteArabic : SNoteArabic)];
        m_noteWords += '\\' + t.word.toByteArray();
        break;
    }
    case SNoteStart:
    case SEndnoteStart:
        (id == SNoteStart ? m_noteNumbers : m_endnoteNumbers).start = std::clamp(v, 1, 32767);
        m_noteWords += '\\' + t.word.toByteArray() + QByteArray::number(v);
        break;
    case SFootnoteMark:
        flushText();
        m_keptPrefix += "{\\super\\chftn}";
        break;
    case SCommentMark:
        flushText();
        m_keptPrefix += "\\chatn ";
        break;
    default:
        break;
    }
}

void Reader::tableWord(int id, int v)
{
    // A row definition belongs to the depth of the paragraph it stands in, at least the outer table.
    const int depth = std::clamp(std::max(m_s.par.itap, 1), 1, kMaxTableDepth);
    switch (id) {
    case TRowDefaults:
        flushText();
        m_rowDefinitions[depth] = RowDefinition();
        m_s.par.itap = std::max(m_s.par.itap, 1);
        break;
    case TCellX:
        if (m_rowDefinitions[depth].cellx.size() < 256)
            m_rowDefinitions[depth].cellx.push_back(v);
        m_borderSide = false;
        break;
    case TBorderSide:
        m_borderSide = true;
        break;
    case TBorderStyle:
        if (m_borderSide)
            m_rowDefinitions[depth].borders = true;
        break;
    case TCell:
        endCell(1);
        break;
    case TNestCell:
        endCell(std::max(m_s.par.itap, 2));
        break;
    case TRow:
        endRow(1);
        break;
    case TNestRow:
        endRow(std::max(m_s.par.itap, 2));
        break;
    default:
        break;
    }
}

void Reader::listWord(int id, int v)
{
    if (m_s.dest == Dest::PnDefinition) {
        static const ListKind kinds[] = {ListKind::Decimal,    ListKind::LowerAlpha, ListKind::UpperAlpha,
                                         ListKind::LowerRoman, ListKind::UpperRoman, ListKind::Bullet};
        if (id >= LPnDecimal && id <= LPnBullet)
            m_pnKind = kinds[id - LPnDecimal];
        else if (id == LLevelStart)
            m_pnStart = std::clamp(v, 0, 32767);
        return;
    }
    if (m_s.dest == Dest::ListOverrideTable) {
        if (id == LOverrideLs) {
            m_overrideLs = 0;
            m_overrideId = 0;
        } else if (id == LListId) {
            m_overrideId = v;
        }
        return;
    }
    if (id == LList && m_listDefinitions.size() < 4096)
        m_listDefinitions.emplace_back();
    if (m_listDefinitions.empty())
        return;
    ListDefinition& def = m_listDefinitions.back();
    if (id == LListId)
        def.id = v;
    else if (id == LLevel && def.levels.size() < 9)
        def.levels.emplace_back();
    else if (id == LLevelNfc && !def.levels.empty())
        def.levels.back().kind = nfcKind(v);
    else if (id == LLevelLegal && !def.levels.empty())
        def.levels.back().legal = v != 0;
    else if (id == LLevelStart && !def.levels.empty())
        def.levels.back().start = std::clamp(v, 0, 32767);
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

void Reader::text(QByteArrayView bytes)
{
    switch (m_s.dest) {
    case Dest::Text:
    case Dest::FieldResult:
    case Dest::Inner:
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
        if (m_fieldInstruction.size() < 65536)
            m_fieldInstruction += rtfcodepage::decode(bytes, m_s.codePage);
        break;
    case Dest::ListText:
        m_listText += rtfcodepage::decode(bytes, m_s.codePage);
        break;
    case Dest::LevelText:
        if (m_levelText.size() < 256)
            m_levelText += bytes;
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

RtfReader::Result Reader::run(const RtfReader::Options& options)
{
    m_cursor.movePosition(QTextCursor::Start);
    m_cursor.beginEditBlock();
    int depthOverflow = 0;
    bool partial = false;
    QElapsedTimer sinceTold;
    sinceTold.start();
    for (unsigned tokens = 1;; ++tokens) {
        const RtfTokenizer::Token t = m_tok.next();
        if (t.kind == Kind::End)
            break;
        if (options.progress && tokens % 4096 == 0 && sinceTold.elapsed() >= 40) {
            options.progress(
                static_cast<int>(m_tok.position() * 100 / std::max<qsizetype>(1, m_bytes.size())));
            sinceTold.restart();
        }
        // A first look stops between paragraphs of the body, outside tables and groups of their own.
        if (options.firstParagraphs > 0 && m_paragraphs >= options.firstParagraphs && m_tables.empty() &&
            m_s.dest == Dest::Text && m_stack.size() <= 1 && t.kind != Kind::GroupEnd) {
            partial = true;
            break;
        }
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
        // "\\*" marks only the control word right after it.
        if (t.kind != Kind::Word && !(t.kind == Kind::Symbol && t.symbol == '*'))
            m_starNext = false;
        switch (t.kind) {
        case Kind::GroupStart:
            m_skipChars = 0;
            if (m_stack.size() >= static_cast<size_t>(RtfReader::kMaxDepth)) {
                depthOverflow = 1;
                m_problem =
                    QStringLiteral("The page nests groups too deeply; the deepest parts were left out.");
                break;
            }
            m_stack.push_back(m_s);
            m_s.groupStart = m_tok.position() - 1;
            break;
        case Kind::GroupEnd: {
            m_skipChars = 0;
            if (m_stack.empty())
                break; // unbalanced braces are tolerated
            if (m_s.dest == Dest::Text || m_s.dest == Dest::FieldResult || m_s.dest == Dest::Inner)
                flushText();
            const State closed = m_s;
            m_s = m_stack.back();
            m_stack.pop_back();
            m_tok.setCodePage(m_s.codePage);
            groupClosed(closed);
            if (m_stack.empty())
                setCodePage(codePageOfFont(m_s.ch.font));
            break;
        }
        case Kind::Word:
            word(t);
            break;
        case Kind::Symbol:
            if (m_s.dest == Dest::FieldInstruction &&
                (t.symbol == '\\' || t.symbol == '{' || t.symbol == '}'))
                m_fieldInstruction += QLatin1Char(t.symbol); // a field's switches: DATE \\@ "d.M.yyyy"
            else if (m_s.dest == Dest::Text || m_s.dest == Dest::FieldResult || m_s.dest == Dest::Inner ||
                     t.symbol == '*')
                symbol(t.symbol);
            break;
        case Kind::Text:
            text(t.word);
            break;
        case Kind::Hex: {
            const char b = static_cast<char>(t.byte);
            if (m_s.dest != Dest::Picture)
                text(QByteArrayView(&b, 1));
            break;
        }
        case Kind::Bin:
            if (m_s.dest == Dest::Picture)
                m_pict.bin = t.data.toByteArray();
            break;
        case Kind::End:
            break;
        }
    }
    if (m_s.dest == Dest::Kept || m_s.dest == Dest::PageKept)
        m_problem = QStringLiteral("The page ends inside a footnote, comment, header or footer.");
    m_pendingBytes += QByteArray(rtfcodepage::pendingLead(m_pendingBytes, m_s.codePage), '?');
    flushText();
    m_s.par.itap = 0;
    enterCellIfNeeded();
    if (!m_blockHasContent && m_paragraphs > 0 && m_cursor.block().length() == 1 &&
        !m_cursor.currentTable()) {
        // The final \par closes the last paragraph; it does not open an empty one.
        m_cursor.deletePreviousChar();
    } else {
        applyBlockFormat();
    }
    // Asking for the layout makes one; a page without kept groups leaves that to its view.
    if (m_keptObjects > 0)
        rtfkept::registerHandler(m_doc);
    m_cursor.endEditBlock();
    m_pageGroups.prepend(m_noteWords.isEmpty() ? m_noteWords : m_noteWords + "\r\n");
    if (!m_pageGroups.isEmpty()) {
        QTextFrameFormat ff = m_doc->rootFrame()->frameFormat();
        ff.setProperty(rtfprop::kPageGroups, m_pageGroups);
        m_doc->rootFrame()->setFrameFormat(ff);
    }
    RtfReader::Result r;
    if (m_tok.damaged() && m_problem.isEmpty())
        m_problem = QStringLiteral("The page is damaged; what could be read is shown.");
    r.ok = m_problem.isEmpty();
    r.problem = m_problem;
    r.lossy = m_lossy;
    r.partial = partial;
    return r;
}

} // namespace

RtfReader::Result RtfReader::read(const QByteArray& bytes, QTextDocument* document, const Options& options)
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
        dropControls(text);
        document->setPlainText(text);
        return {};
    }
    // Reading is one edit with no undo steps. A document shown in an editor lays itself out as it
    // changes; with no page size it does not, and getting its size back lays the whole page out
    // lazily, a part at a time after the first paint, as a document given to an editor is.
    const bool undo = document->isUndoRedoEnabled();
    const QSizeF page = document->pageSize();
    document->setUndoRedoEnabled(false);
    document->setPageSize(QSizeF(0, 0));
    Reader reader(bytes, document);
    const Result r = reader.run(options);
    document->setPageSize(page);
    document->setUndoRedoEnabled(undo);
    return r;
}
