#pragma once

// The reader's own parts: the state of a group (character, paragraph, destination), lists, tables,
// pictures and fonts as they are read, and the class whose member functions the reader's files share
// (rtfreader.cpp the run and the words, rtfbuilder.cpp the document's text and formats,
// rtfdestinations.cpp fonts, pictures, fields and kept groups, rtflists.cpp, rtftables.cpp).
#include "rtf/rtfcontrolwords.h"
#include "rtf/rtfreader.h"
#include "rtf/rtftokenizer.h"

#include <QBuffer>
#include <QColor>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QPointer>
#include <QSet>
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

namespace rtfread {

using Kind = RtfTokenizer::Kind;

inline void dropControls(QString& text)
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

QTextListFormat::Style listStyle(ListKind k);

// Word's number formats (\levelnfc); 255 is a level without a number.
ListKind nfcKind(int nfc);

// What a marker such as "2.", "b)", "iv." or a bullet character says about its list.
ListKind markerKind(QString marker);

// A Word list level: its number format and the text around the number ("(" and ")" of "(a)").
struct ListLevel {
    ListKind kind = ListKind::Decimal;
    int start = 1;
    QString prefix, suffix = QStringLiteral(".");
    QString text;       // the whole level text; characters below 9 stand for the numbers of levels
    bool legal = false; // the numbers of outer levels shown in Arabic figures ("1.1" under "I")
};

// The list of one level of a Word list, whichever of its overrides (\ls) a paragraph names.
qint64 wordListKey(int listId, int level);

// A number as a list of the kind shows it: 4 is "4", "d", "D", "iv" or "IV".
QString numberText(int n, ListKind kind);

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
    // A field's group. One that shows no text (no result, or an empty one: a MACROBUTTON's text is in
    // its instruction) is kept whole, so a save writes it back.
    bool fieldGroup = false;
    qsizetype shownAt = 0; // how far the text had come when the group began
    // A text box's or WordArt's text, which stands in paragraphs of its own, not amid the words of
    // the paragraph that anchors it
    bool ownParagraph = false;
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

// Tables nest six deep at the most: Qt lays a nested table out about twice over for each level it
// is in, so a page of sixteen levels took minutes to show (deeper rows go to the sixth level's cells,
// and the page is kept as it came beside itself).
constexpr int kMaxTableDepth = 6;

inline qreal twipsToPoints(int t)
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
    void breakBeforeThisBlock();
    bool blockHasText() const;
    void ownParagraph();
    void symbolField(const QString& instruction);
    void insertKept(const QByteArray& group, const QString& mark);
    QByteArray portableGroup(const QByteArray& group, int codePage) const;
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
    bool m_afterGroupStart = false; // the token before was a "{"
    std::vector<int> m_pageBreaks; // blocks that begin a page
    int m_sectionBreak = -1; // the block a section's end began a page before
    bool m_documentEnded = false; // the document's own group has closed
    bool m_afterEnd = false;      // and something more than blanks and optional groups followed
    bool m_endGroupOpened = false;
    int m_endDepth = 0;
    qsizetype m_documentStart = -2;  // where the document's own "{" stands
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
    QByteArray m_shapeName; // the name of the shape property being read
    QByteArray m_pageWords; // the words that say so, and the page's layout, written back with the page
    QSet<QByteArray> m_pageWordsSeen;
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

} // namespace rtfread
