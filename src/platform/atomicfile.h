#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QString>

namespace atomicfile {

// Reads a whole file. A missing file is not an error: *missing is set and the result is empty.
// Files larger than maxBytes are refused rather than read into memory.
IoStatus readAll(const QString& path, QByteArray* out, bool* missing = nullptr,
                 qint64 maxBytes = 64 * 1024 * 1024);

// Writes data to a temporary file in the same folder with every byte checked, flushes it to disk,
// renames it over path and flushes the folder, so a failed write leaves the old file byte for byte as
// it was and reports the system's own text. A read-only file or a folder in the way is refused.
IoStatus write(const QString& path, const QByteArray& data);
// The same for a file that must not exist yet: an existing path is refused (EEXIST), never replaced.
IoStatus writeNew(const QString& path, const QByteArray& data);

// Copies the file source to target, which must not exist yet, the same way: a copy that fails
// part-way never stands under target's name.
IoStatus copyNew(const QString& source, const QString& target);

// Whether write(path) could replace path: the file (when it exists) and its folder are writable.
bool canReplace(const QString& path);

// The temporary name a write uses beside target (its bytes on disk): hidden, with a marker no person
// types, this computer's id and the process id, so it is recognisable as ours when a crash left it.
QByteArray temporaryPattern(const QByteArray& target);
// Whether a file name is one of ours left by an interrupted write of this computer whose process is
// gone. Nothing else is ever a leftover.
bool isLeftover(const QString& fileName);

} // namespace atomicfile
