#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

// Collection paths are formed from the program folder and fixed pieces, with '/' on disk. Every
// function here takes names as they are shown and reaches the entries by their bytes on disk
// (fsname::encodePath), so an 8-bit name from Windows is found, never made a second time.
namespace paths {

// Fixed names of the collection; on disk they may stand in any letter case.
inline constexpr QStringView kMyPlants = u"MyPlants";
inline constexpr QStringView kShablon = u"!Shablon";
inline constexpr QStringView kShablonAll = u"!Shablon_all";
inline constexpr QStringView kNotes = u"!Notes";
inline constexpr QStringView kGroupIni = u"group.ini";
inline constexpr QStringView kPlantIni = u"plant.ini";
inline constexpr QStringView kMainIni = u"main.ini";
inline constexpr QStringView kLangIni = u"lang.INI";
inline constexpr QStringView kErrorLog = u"errorlog.txt";
inline constexpr QStringView kGroupImage = u"groupimage.bmp";

// dir + "/" + name, without doubling a separator.
QString join(const QString& dir, QStringView name);

// The entry of dir whose name equals fixedName without regard to letter case: an exact match first,
// otherwise the first such entry in byte order of the names; dir/fixedName when there is none yet.
QString fixed(const QString& dir, QStringView fixedName);

// The folder of a path, without a trailing separator.
QString parentOf(const QString& path);
QString fileNameOf(const QString& path);

// The directories directly in dir (hidden ones too), in name order without regard to letter case,
// without "." and "..".
QStringList subdirectories(const QString& dir);

// One entry of a folder: its name as shown and its bytes on disk.
struct Entry {
    QString name;
    QByteArray bytes;
    bool isLink = false;
    bool isDir = false;  // a folder, or a link to one
    bool isFile = false; // a regular file, or a link to one
};

// The entries of dir (hidden ones too) in name order without regard to letter case (the order the
// older file systems listed them in, whatever this one does), without "." and "..".
QList<Entry> entries(const QString& dir);
// The regular files directly in dir (links to files too), as shown.
QStringList files(const QString& dir);

// The bytes of path on disk (fsname::encodePath).
QByteArray native(const QString& path);
// A file: address of path that names its bytes on disk, for opening it with another program.
QUrl fileUrl(const QString& path);

bool isDir(const QString& path);
bool isFile(const QString& path);
bool exists(const QString& path);
bool isLink(const QString& path);
// The size of a file, -1 when there is none.
qint64 fileSize(const QString& path);
// When an entry's content last changed, and when the entry itself last changed (a rename changes
// that); invalid when there is no entry. Links are not followed.
QDateTime modificationTime(const QString& path);
QDateTime changeTime(const QString& path);

// False (errno) on failure; makePath also makes the missing parents and accepts a folder that exists.
bool makeDir(const QString& path);
bool makePath(const QString& path);
bool makePathNative(const QByteArray& native);
bool removeFile(const QString& path);
// Removes an empty folder.
bool removeDir(const QString& path);

// Deletes path and everything below it without ever following a symbolic link: a link is removed as
// a link, never what it points to. False (errno) when anything stayed.
bool removeTree(const QString& path);
bool removeTreeNative(const QByteArray& path);

// What tells one state of a file from another without reading it: its size, modification time and
// inode (a rename over it gives a new one). exists is false when there is no file.
struct Identity {
    bool exists = false;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    bool operator==(const Identity&) const = default;
};
Identity identity(const QString& path);

// Makes path readable and writable by its owner alone (0700 for a folder, 0600 for a file), whatever
// the umask; with create, a missing file is made empty with that mode. Links are left alone.
void keepPrivate(const QString& path, bool create = false);

} // namespace paths
