#include "platform/trash.h"

#include "platform/fsname.h"
#include "platform/paths.h"
#include "platform/sysio.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trash {

namespace {

QByteArray parentBytes(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray homeTrash()
{
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (!data.startsWith('/')) {
        const QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/'))
            return QByteArray();
        data = home + "/.local/share";
    }
    while (data.size() > 1 && data.endsWith('/'))
        data.chop(1);
    return data + "/Trash";
}

// The nearest folder of path that exists, with its stat.
QByteArray existingAncestor(QByteArray path, struct stat* st)
{
    while (::stat(path.constData(), st) != 0) {
        if (path == "/")
            return QByteArray();
        path = parentBytes(path);
    }
    return path;
}

// The top of the file system path lies on: the last folder upwards on the same device.
QByteArray topOf(const QByteArray& path, dev_t dev)
{
    QByteArray top = parentBytes(path);
    while (top != "/") {
        const QByteArray up = parentBytes(top);
        struct stat st {};
        if (::stat(up.constData(), &st) != 0 || st.st_dev != dev)
            break;
        top = up;
    }
    return top;
}

bool makeFolder(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0700) == 0)
        return true;
    struct stat st {};
    return errno == EEXIST && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QByteArray absoluteNative(const QString& path)
{
    QByteArray native = paths::native(path);
    if (!native.startsWith('/')) {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd))
            native = QByteArray(cwd) + '/' + native;
    }
    return native;
}

// A candidate name in the trash: the file's own name, then name.2.ext, name.3.ext, ...
QByteArray candidate(const QByteArray& leaf, int n)
{
    if (n < 2)
        return leaf;
    const qsizetype dot = leaf.lastIndexOf('.');
    if (dot <= 0)
        return leaf + '.' + QByteArray::number(n);
    return leaf.left(dot) + '.' + QByteArray::number(n) + leaf.mid(dot);
}

} // namespace

QByteArray trashFor(const QString& path)
{
    const QByteArray native = absoluteNative(path);
    struct stat file {};
    if (::lstat(native.constData(), &file) != 0)
        return QByteArray();
    const QByteArray home = homeTrash();
    struct stat st {};
    const QByteArray homeBase = home.isEmpty() ? QByteArray() : existingAncestor(home, &st);
    if (!homeBase.isEmpty() && st.st_dev == file.st_dev) {
        // The home trash takes every file of its own file system, or none when it cannot be used.
        const bool usable = homeBase == home
                                ? S_ISDIR(st.st_mode) && ::access(home.constData(), W_OK) == 0
                                : S_ISDIR(st.st_mode) && ::access(homeBase.constData(), W_OK) == 0;
        return usable ? home : QByteArray();
    }
    // Another file system: its own .Trash-UID at its top, made when missing.
    const QByteArray top = topOf(native, file.st_dev);
    const QByteArray own = (top == "/" ? QByteArray() : top) + "/.Trash-" + QByteArray::number(::getuid());
    if (::lstat(own.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && ::access(own.constData(), W_OK) == 0
                   ? own
                   : QByteArray();
    return ::access(top.constData(), W_OK) == 0 ? own : QByteArray();
}

bool canTrash(const QString& path)
{
    return !trashFor(path).isEmpty();
}

Result moveToTrash(const QString& path, const QDateTime& when)
{
    Result r;
    const QByteArray native = absoluteNative(path);
    const QByteArray trashDir = trashFor(path);
    if (trashDir.isEmpty()) {
        r.status = IoStatus::failure(EXDEV, QStringLiteral("No trash can take ") + path);
        return r;
    }
    const QByteArray files = trashDir + "/files";
    const QByteArray info = trashDir + "/info";
    if (!paths::makePathNative(parentBytes(trashDir)) || !makeFolder(trashDir) || !makeFolder(files) ||
        !makeFolder(info)) {
        r.status = IoStatus::fromErrno(errno ? errno : EACCES);
        return r;
    }
    // The home trash names the file by its whole path; a trash at a file system's top by the path
    // below that top.
    QByteArray origin = native;
    const QByteArray top = parentBytes(trashDir);
    if (trashDir != homeTrash() && native.startsWith(QByteArray(top + '/')))
        origin = native.mid(top.size() + 1);
    const QByteArray text = "[Trash Info]\nPath=" + origin.toPercentEncoding("/") + "\nDeletionDate=" +
                            when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + "\n";
    const QByteArray leaf = fsname::leafOf(native);
    for (int n = 1; n < 10000; ++n) {
        const QByteArray name = candidate(leaf, n);
        struct stat st {};
        if (::lstat(QByteArray(files + '/' + name).constData(), &st) == 0)
            continue;
        const QByteArray infoFile = info + '/' + name + ".trashinfo";
        // The information file is made first and exclusively: it claims the name.
        const int fd = ::open(infoFile.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            r.status = IoStatus::fromErrno(errno);
            return r;
        }
        int err = 0;
        if (sysio::writeAll(fd, text.constData(), static_cast<size_t>(text.size())) < 0 ||
            sysio::fsync(fd) != 0)
            err = errno ? errno : EIO;
        if (::close(fd) != 0 && err == 0)
            err = errno ? errno : EIO;
        if (err == 0 &&
            sysio::renameNoReplace(native.constData(), QByteArray(files + '/' + name).constData()) != 0)
            err = errno ? errno : EIO;
        if (err != 0) {
            ::unlink(infoFile.constData());
            r.status = IoStatus::fromErrno(err);
            return r;
        }
        sysio::fsyncDir(files.constData());
        sysio::fsyncDir(info.constData());
        sysio::fsyncDir(parentBytes(native).constData());
        r.trashedAs = fsname::decodeName(files) + u'/' + fsname::decodeName(name);
        r.info = infoFile;
        return r;
    }
    r.status = IoStatus::fromErrno(EEXIST);
    return r;
}

bool putBack(const Result& trashed, const QString& path)
{
    if (sysio::renameNoReplace(fsname::encodePath(trashed.trashedAs).constData(),
                               absoluteNative(path).constData()) != 0)
        return false;
    ::unlink(trashed.info.constData());
    return true;
}

} // namespace trash
