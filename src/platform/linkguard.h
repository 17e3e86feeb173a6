#pragma once

#include <QByteArray>
#include <QString>

// A group or folder of the collection that is a symbolic link (a group kept on another disk, say) is
// shown but never written through: whatever lies at the other end is not the collection's to change.
// Every writer of the platform layer asks here first, so no operation can write through such a link.
namespace linkguard {

// The first symbolic link among the folders below the path's "MyPlants" on the way to the path's last
// part (that part itself may be a link: it is renamed or removed as a link); empty when there is none
// or the path is not inside a collection. Bytes as on disk.
QByteArray linkOnTheWay(QByteArrayView nativePath);

// True, with errno EROFS, when a link lies on the way to nativePath: the platform layer's writers
// refuse there.
bool refused(QByteArrayView nativePath);

// The message for a write refused because of link.
QString refusal(const QByteArray& link);

// The whole collection read-only (it is open on another computer and the user chose to look only):
// every write below a "MyPlants" is refused, and refusal() gives why. Empty why: writable again.
void setReadOnly(const QString& why);
bool readOnly();

} // namespace linkguard
