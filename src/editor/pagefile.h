#pragma once

#include "platform/iostatus.h"

#include <QString>

class QTextDocument;

// A page document on disk: a whole RTF file (or an empty one), read and written in one piece.
namespace pagefile {

// Pages with pictures can be large, but not larger than this.
inline constexpr qint64 kMaxPageBytes = qint64(512) * 1024 * 1024;

struct LoadResult {
    IoStatus status; // the file could not be read (missing, unreadable, not a document)
    QString problem; // it was read, but damaged: what could be read is in the document
    bool ok() const { return status.ok(); }
};

// Reads path into document. A file that is neither RTF nor text (a picture, a program) is refused,
// so it can never be saved over as a page.
LoadResult load(const QString& path, QTextDocument* document);

// Writes document as RTF through a temporary file renamed over path: a failed save leaves the old
// page whole. When keepOriginal is set and path exists, the file as it was is first kept beside it as
// path + ".damaged" (once), for a page whose reading had to leave something out.
IoStatus save(const QString& path, const QTextDocument& document, bool keepOriginal = false);

// The page's text as plain text, lines ending in "\n".
QString plainText(const QTextDocument& document);

} // namespace pagefile
