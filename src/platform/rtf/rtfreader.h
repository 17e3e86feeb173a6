#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Reads a page's RTF bytes into a document: text in the code pages the file names, character and
// paragraph formats, lists, links, pictures and simple tables. Pictures it cannot show (metafiles)
// are kept as they came, so a save writes them back. A 0-byte file is an empty page; bytes that are
// not RTF are read as plain text in code page 1251. Damaged input never crashes or hangs the reader:
// it keeps what it could read and says what went wrong.
class RtfReader {
public:
    struct Result {
        bool ok = true;
        QString problem; // why reading stopped early or what was skipped
    };

    static Result read(const QByteArray& bytes, QTextDocument* document);

    // Limits that keep damaged files harmless.
    static constexpr int kMaxDepth = 512;
    static constexpr int kMaxPictureSide = 8192; // pixels, for the shown size
};

// Text-format properties the reader leaves for the writer.
namespace rtfprop {
// The picture's original RTF group ({\pict ...}) when it is a kind we cannot show.
inline constexpr int kRawPicture = 0x100000 + 1;
// The original bytes of a PNG or JPEG picture and their kind ("png" or "jpeg").
inline constexpr int kPictureBytes = 0x100000 + 2;
inline constexpr int kPictureKind = 0x100000 + 3;
} // namespace rtfprop
