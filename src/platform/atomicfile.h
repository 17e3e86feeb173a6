#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QString>

namespace atomicfile {

// Reads a whole file. A missing file is not an error: *missing is set and the result is empty.
// Files larger than maxBytes are refused rather than read into memory.
IoStatus readAll(const QString& path, QByteArray* out, bool* missing = nullptr,
                 qint64 maxBytes = 64 * 1024 * 1024);

// Writes data to a temporary file in the same folder, flushes it to disk and renames it over path,
// so a failed write leaves the old file whole. A read-only file or a folder in the way is refused.
IoStatus write(const QString& path, const QByteArray& data);

} // namespace atomicfile
