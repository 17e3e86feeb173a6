#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The desktop's trash (the freedesktop.org layout the file managers share): the file goes to
// Trash/files and a Trash/info/NAME.trashinfo beside it says where it came from and when, so the file
// manager can put it back. The home trash ($XDG_DATA_HOME/Trash) takes files of its own file system;
// a file elsewhere goes to .Trash-UID at the top of its own file system.
namespace trash {

// The trash folder (with files/ and info/) that would take path, made when missing; empty when no
// trash can take it (no writable trash on its file system).
QByteArray trashFor(const QString& path);

// Whether path can go to a trash (without moving anything).
bool canTrash(const QString& path);

struct Result {
    IoStatus status;
    QString trashedAs; // its path in Trash/files
    QByteArray info;   // its information file
};

// Moves path into the trash with its information file. Nothing is deleted: when no trash takes the
// file it stays where it is and the status says why.
Result moveToTrash(const QString& path, const QDateTime& when = QDateTime::currentDateTime());

// Takes a file just moved to the trash back to path (which must still be free) and drops its
// information file; false (errno) when it could not.
bool putBack(const Result& trashed, const QString& path);

} // namespace trash
