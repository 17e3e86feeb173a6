#include "platform/paths.h"

#include "platform/fsname.h"
#include "platform/linkguard.h"

#include <QList>
#include <algorithm>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace paths {

QString join(const QString& dir, QStringView name)
{
    if (dir.isEmpty())
        return name.toString();
    if (dir.endsWith(u'/'))
        return dir + name;
    return dir + u'/' + name;
}

QString fixed(const QString& dir, QStringView fixedName)
{
    const QString exact = join(dir, fixedName);
    if (exists(exact))
        return exact;
    QString found;
    QByteArray foundBytes;
    for (const Entry& e : entries(dir)) {
        if (e.name.compare(fixedName, Qt::CaseInsensitive) == 0 &&
            (found.isEmpty() || e.bytes < foundBytes)) {
            found = e.name;
            foundBytes = e.bytes;
        }
    }
    return found.isEmpty() ? exact : join(dir, found);
}

QString parentOf(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return p.left(slash);
}

QString fileNameOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QList<Entry> entries(const QString& dir)
{
    QList<Entry> out;
    QByteArray folder = native(dir);
    DIR* d = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!d)
        return out;
    if (!folder.isEmpty() && !folder.endsWith('/'))
        folder += '/';
    while (dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        Entry entry;
        entry.bytes = QByteArray(e->d_name);
        entry.name = fsname::decodeName(entry.bytes);
        entry.isLink = e->d_type == DT_LNK;
        entry.isDir = e->d_type == DT_DIR;
        entry.isFile = e->d_type == DT_REG;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st {};
            const QByteArray full = folder + entry.bytes;
            if (e->d_type == DT_UNKNOWN && ::lstat(full.constData(), &st) == 0)
                entry.isLink = S_ISLNK(st.st_mode);
            if (::stat(full.constData(), &st) == 0) {
                entry.isDir = S_ISDIR(st.st_mode);
                entry.isFile = S_ISREG(st.st_mode);
            }
        }
        out << entry;
    }
    ::closedir(d);
    // Name order without regard to case, as the file systems the collections came from listed
    // folders, so whatever is numbered in listing order comes out the same everywhere.
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.bytes < b.bytes;
    });
    return out;
}

QStringList subdirectories(const QString& dir)
{
    QStringList out;
    for (const Entry& e : entries(dir))
        if (e.isDir)
            out << e.name;
    return out;
}

QStringList files(const QString& dir)
{
    QStringList out;
    for (const Entry& e : entries(dir))
        if (e.isFile)
            out << e.name;
    return out;
}

QByteArray native(const QString& path)
{
    return fsname::encodePath(path);
}

QUrl fileUrl(const QString& path)
{
    return QUrl::fromEncoded(QByteArray("file://" + native(path).toPercentEncoding("/")), QUrl::StrictMode);
}

bool isDir(const QString& path)
{
    struct stat st {};
    return ::stat(native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const QString& path)
{
    struct stat st {};
    return ::stat(native(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool exists(const QString& path)
{
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0;
}

bool isLink(const QString& path)
{
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

qint64 fileSize(const QString& path)
{
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return st.st_size;
}

bool makeDir(const QString& path)
{
    const QByteArray bytes = native(path);
    return !linkguard::refused(bytes) && ::mkdir(bytes.constData(), 0777) == 0;
}

bool makePathNative(const QByteArray& path)
{
    if (linkguard::refused(QByteArray(path + "/."))) // not in path itself either
        return false;
    struct stat st {};
    if (path.isEmpty() || ::stat(path.constData(), &st) == 0) {
        if (!path.isEmpty() && !S_ISDIR(st.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        return true;
    }
    qsizetype slash = path.size();
    while (slash > 1 && path[slash - 1] == '/')
        --slash;
    const QByteArray trimmed = path.left(slash);
    const qsizetype parent = trimmed.lastIndexOf('/');
    if (parent > 0 && !makePathNative(trimmed.left(parent)))
        return false;
    return ::mkdir(trimmed.constData(), 0777) == 0 || errno == EEXIST;
}

bool makePath(const QString& path)
{
    return makePathNative(native(path));
}

bool removeFile(const QString& path)
{
    const QByteArray bytes = native(path);
    return !linkguard::refused(bytes) && ::unlink(bytes.constData()) == 0;
}

bool removeDir(const QString& path)
{
    const QByteArray bytes = native(path);
    return !linkguard::refused(bytes) && ::rmdir(bytes.constData()) == 0;
}

namespace {

bool removeRecursive(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.constData()) == 0;
    bool ok = true;
    if (DIR* d = ::opendir(path.constData())) {
        QList<QByteArray> names;
        while (dirent* e = ::readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names << QByteArray(e->d_name);
        ::closedir(d);
        for (const QByteArray& n : names)
            ok = removeRecursive(path + '/' + n) && ok;
    }
    return ::rmdir(path.constData()) == 0 && ok;
}

} // namespace

bool removeTree(const QString& path)
{
    return removeTreeNative(native(path));
}

bool removeTreeNative(const QByteArray& path)
{
    return !linkguard::refused(path) && removeRecursive(path);
}

} // namespace paths

namespace paths {

namespace {
QDateTime fromTimespec(const struct timespec& t)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, Qt::UTC);
}
} // namespace

QDateTime modificationTime(const QString& path)
{
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 ? fromTimespec(st.st_mtim) : QDateTime();
}

QDateTime changeTime(const QString& path)
{
    struct stat st {};
    return ::lstat(native(path).constData(), &st) == 0 ? fromTimespec(st.st_ctim) : QDateTime();
}

void keepPrivate(const QString& path, bool create)
{
    const QByteArray bytes = native(path);
    if (create) {
        const int fd = ::open(bytes.constData(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    struct stat st {};
    if (::lstat(bytes.constData(), &st) == 0 && !S_ISLNK(st.st_mode))
        ::chmod(bytes.constData(), S_ISDIR(st.st_mode) ? 0700 : 0600);
}

Identity identity(const QString& path)
{
    Identity id;
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0)
        return id;
    id.exists = true;
    id.size = st.st_size;
    id.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.inode = st.st_ino;
    return id;
}

} // namespace paths
