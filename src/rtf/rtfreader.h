#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QTextDocument;

// Reads a page's RTF bytes into a document: text in the code pages the file names (double-byte ones
// too), character and paragraph formats, Word and older lists, links, pictures and tables, nested
// ones too. Pictures it cannot show (metafiles) are kept as they came, and so are footnotes, comments,
// headers and footers, so a save writes them back, and so are fields with their results. Objects
// and text boxes keep their text. A 0-byte
// file is an empty page; bytes that are not RTF are read as plain text in code page 1251. Damaged input never
// crashes or hangs the reader: it keeps what it could read and says what went wrong.
class RtfReader {
public:
    struct Result {
        bool ok = true;
        QString problem; // why reading stopped early or what was skipped
        // Parts kept as their text only, so a save loses their frame or code: "objects" (embedded
        // from other programs), "shapes" (text boxes), "tables" (nested deeper than the page can show);
        // "after the end": bytes after the document's end, not shown and not saved.
        QStringList lossy;
        bool partial = false; // stopped after Options::firstParagraphs: the rest of the page is not read
    };
    struct Options {
        // Read no more than the first paragraphs of the body, for a first look at a long page; 0 reads all.
        int firstParagraphs = 0;
        // Told the share read so far (0-100) every few hundredths of a second on long pages.
        std::function<void(int percent)> progress;
    };

    static Result read(const QByteArray& bytes, QTextDocument* document, const Options& options);
    static Result read(const QByteArray& bytes, QTextDocument* document) { return read(bytes, document, {}); }

    // Limits that keep damaged files harmless.
    static constexpr int kMaxDepth = 8192; // mail programs' HTML in RTF nests thousands deep
    static constexpr int kMaxPictureSide = 8192; // pixels, for the shown size
};

// Text-format properties the reader leaves for the writer.
namespace rtfprop {
// The picture's original RTF group ({\pict ...}) when it is a kind we cannot show.
inline constexpr int kRawPicture = 0x100000 + 1;
// The original bytes of a PNG or JPEG picture and their kind ("png" or "jpeg").
inline constexpr int kPictureBytes = 0x100000 + 2;
inline constexpr int kPictureKind = 0x100000 + 3;
// A group kept as it came (portable RTF), on its object character, and the mark the character shows.
inline constexpr int kKeptGroup = 0x100000 + 4;
inline constexpr int kKeptMark = 0x100000 + 5;
// Groups of the whole page (headers, footers), on the root frame.
inline constexpr int kPageGroups = 0x100000 + 6;
// The instruction of a field other than a link ("PAGE", "DATE \\@ ..."), on its result text; it begins
// with "\fldlock " when other programs must not compute the result again.
inline constexpr int kField = 0x100000 + 8;
// A list's first number, when it is not 1.
inline constexpr int kListStart = 0x100000 + 7;
// Text protected from changes in the programs that honour \protect.
inline constexpr int kProtected = 0x100000 + 9;
} // namespace rtfprop

// The character a SYMBOL field shows ("SYMBOL 74 \\f \"Wingdings\"" is "J" in Wingdings), and the
// font it names; empty for another field.
QString symbolFieldText(const QString& instruction, QString* font = nullptr);
