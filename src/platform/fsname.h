#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Names on disk are bytes. Collections copied from Windows without converting their names hold
// Windows-1251 bytes where this system expects UTF-8, so a name is shown from its bytes here and a
// path is turned back into the bytes that are really on disk here, and nowhere else.
namespace fsname {

// Stands for a byte (or a control character) a name cannot show.
inline constexpr QChar kPlaceholder = QChar(0xFFFD);

// Valid UTF-8 is UTF-8; anything else is the collection's own code page, Windows-1251. Bytes that
// neither can show (0x98, control bytes) become kPlaceholder.
QString decodeName(QByteArrayView bytes);

// The bytes of path on disk, found one component at a time: the UTF-8 form when that entry exists,
// else the Windows-1251 form when that exists, else (for a name shown with placeholders) the first
// entry in byte order whose shown name is the component. A component that is nowhere is a new name
// and goes in UTF-8, except a comment file (".txt") beside an 8-bit photo, which takes the photo's bytes.
QByteArray encodePath(const QString& path);

// path's folder as encodePath finds it, joined with leaf bytes as they are.
QByteArray encodeIn(const QString& folder, QByteArrayView leaf);

// A path given as bytes (a command-line argument), each component shown as decodeName shows it, so
// that encodePath finds the same bytes again.
QString decodePath(QByteArrayView bytes);

// The last component of a native path.
QByteArray leafOf(const QByteArray& native);

} // namespace fsname
