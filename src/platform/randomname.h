#pragma once

#include <QByteArray>
#include <QString>

// Removal never deletes: a folder gets the name "!deleted_" + old name + "_" + N + "-" + the computer's
// short id in place, N drawn from a clock-seeded generator (0..9998) and drawn again while that name
// exists in the folder; the id keeps two computers sharing the collection from making one name.
namespace removedname {

// The removed name for name inside parentDir, free at the time of the call.
QString draw(const QString& parentDir, const QString& name);

// stem + N, free in parentDir, N drawn the same way (for the program's own hidden working names).
QString drawWithStem(const QString& parentDir, const QString& stem);

// stem + N as bytes, free in the folder whose bytes on disk are folder (empty, or ending with '/').
QByteArray drawNative(const QByteArray& folder, const QByteArray& stem);

// Renames parentDir/name to its removed name, which keeps the bytes the name has on disk; returns the
// new path, or an empty string when the rename failed (errno tells why; attempted, when given, is
// then the path it was to have).
QString removeByRenaming(const QString& parentDir, const QString& name, QString* attempted = nullptr);

// Renames source to target unless target exists (errno EEXIST then); never replaces anything.
bool renameNoReplace(const QString& source, const QString& target);
} // namespace removedname
