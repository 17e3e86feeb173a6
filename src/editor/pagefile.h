#pragma once

#include "platform/iostatus.h"
#include "platform/paths.h"
#include "rtf/rtfreader.h"

#include <QString>
#include <QStringList>

class QTextDocument;

// A page document on disk: a whole RTF file (or an empty one), read and written in one piece.
namespace pagefile {

// Pages with pictures can be large, but not larger than this.
inline constexpr qint64 kMaxPageBytes = qint64(512) * 1024 * 1024;

// What a file held when it was read: a page is written back in the same form, so a plain-text file
// given to the editor stays plain text in its own encoding.
enum class Kind { Rtf, Utf8Text, Cp1251Text };

// A page file as the editor last read or wrote it, to notice another program changing it meanwhile.
struct Stamp {
    paths::Identity file;
    size_t hash = 0; // of its bytes
};
// The file's stamp now (reading it when its size, time or inode tell nothing).
Stamp stampOf(const QString& path, const QByteArray& bytes);
// Whether the file at path is no longer what stamp says: another text, or gone.
bool changedSince(const QString& path, const Stamp& stamp);

struct LoadResult {
    Stamp stamp;
    IoStatus status;   // the file could not be read (missing, unreadable, not a document)
    QString problem;   // it was read, but damaged: what could be read is in the document
    QStringList lossy; // parts shown as text only (see RtfReader::Result::lossy)
    Kind kind = Kind::Rtf;
    bool crlf = false;    // text whose lines ended in CR LF
    bool bom = false;     // UTF-8 text that began with a byte-order mark
    bool partial = false; // only the first paragraphs were read (RtfReader::Options::firstParagraphs)
    bool ok() const { return status.ok(); }
};

// How a document goes back to its file.
struct Form {
    Kind kind = Kind::Rtf;
    bool crlf = false;
    bool bom = false;
};

// Reads path into document. A file that is neither RTF nor text (a picture, a program) is refused,
// so it can never be saved over as a page. Text that is not RTF is read as plain text: UTF-8 when it
// is valid UTF-8, else Windows-1251; an empty file is an RTF page when its name ends in ".rtf".
// options go to the RTF reader.
LoadResult load(const QString& path, QTextDocument* document, const RtfReader::Options& options = {});

// Writes document as RTF through a temporary file renamed over path: a failed save leaves the old
// page whole. When keepOriginal is set and path exists, the file as it was is first kept beside it as
// path + ".damaged" (once), for a page whose reading had to leave something out.
// A plain-text form writes the text in its own encoding and line ends; characters Windows-1251 cannot
// hold make such a file UTF-8 rather than lose them.
// A page of the collection keeps its old content as a version first; note (when given) says why none
// could be kept, while the save itself goes ahead.
// stamp (when given) is set to the stamp of the file written.
IoStatus save(const QString& path, const QTextDocument& document, bool keepOriginal = false, Form form = {},
              QString* note = nullptr, Stamp* stamp = nullptr);

// Keeps the file at path as it is now as a version that no later save replaces.
void keepFileAsVersion(const QString& path);

// The bytes save would write for document.
QByteArray bytesOf(const QTextDocument& document, Form form = {});

// Keeps the file at path beside it as path + ".original" unless that exists; true when it was made now.
// A page with parts the editor shows as text only keeps its original before it can be saved over.
bool keepOriginal(const QString& path, IoStatus* status);

// The page's text as plain text, lines ending in "\n".
QString plainText(const QTextDocument& document);

// Whether document holds anything plain text cannot: pictures, tables, lists, links, bold, italic,
// underlined or struck-out text, colours, aligned or indented paragraphs.
bool hasFormatting(const QTextDocument& document);

// Whether path is a page of the collection: such a page is always saved as RTF, whatever another
// program left in it.
bool isCollectionPage(const QString& path);

} // namespace pagefile
