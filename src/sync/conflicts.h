#pragma once

#include "platform/iostatus.h"

#include <QList>
#include <QString>

#include <optional>

// Sync engines keep both texts when a file changed on two computers at once: the one they received
// becomes a conflict copy beside the file (Syncthing "NAME.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.EXT",
// Nextcloud and ownCloud "NAME (conflicted copy YYYY-MM-DD HHMMSS).EXT", Dropbox "NAME (HOST's
// conflicted copy YYYY-MM-DD).EXT"). Here they are found beside pages, records and comments, and one
// of the two texts is made the file, the other kept: a page's as a version in its history, a record's
// or a comment's in the desktop's trash.
namespace conflicts {

// The name of the file fileName is a conflict copy of; none when it is no conflict copy.
std::optional<QString> originalName(const QString& fileName);

struct Copy {
    QString group;
    QString node;     // as the tree shows it: "Plant" or "Folder/Plant"; empty for a group's own record
    QString what;     // "description", "care", "diary", "record" or "comment PHOTO"
    QString file;     // the copy's full path
    QString original; // the full path of the file it is a copy of
};

// Every conflict copy of a page, record or comment in the collection, in group and node order.
QList<Copy> scan(const QString& programFolder);
// Those of one node folder (the tree's mark).
QList<Copy> inFolder(const QString& folder);

// Makes the copy's text the file (keepCopy) or keeps the file as it is, keeps the other text, and
// takes the copy away.
IoStatus resolve(const Copy& copy, bool keepCopy);

} // namespace conflicts
