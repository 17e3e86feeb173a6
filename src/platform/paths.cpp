#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <cstring>
#include <dirent.h>
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
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        if (e.compare(fixedName, Qt::CaseInsensitive) == 0 && (found.isEmpty() || e < found))
            found = e;
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

QStringList subdirectories(const QString& dir)
{
    QStringList out;
    const QByteArray native = QFile::encodeName(dir);
    DIR* d = ::opendir(native.constData());
    if (!d)
        return out;
    while (dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        bool directory = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st {};
            const QByteArray full = native + '/' + e->d_name;
            directory = ::stat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (directory)
            out << QFile::decodeName(e->d_name);
    }
    ::closedir(d);
    return out;
}

bool isDir(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool isLink(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

namespace {

bool removeNative(const QByteArray& path)
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
            ok = removeNative(path + '/' + n) && ok;
    }
    return ::rmdir(path.constData()) == 0 && ok;
}

} // namespace

bool removeTree(const QString& path)
{
    return removeNative(QFile::encodeName(path));
}

bool leavesRoot(const QString& root, const QString& folder)
{
    const QString realRoot = QFileInfo(root).canonicalFilePath();
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    const QString realParent = QFileInfo(parentOf(folder)).canonicalFilePath();
    if (realRoot.isEmpty() || realFolder.isEmpty())
        return false; // not there (yet): nothing to follow
    if (!realFolder.startsWith(realRoot + u'/'))
        return true;
    return realParent == realFolder || realParent.startsWith(realFolder + u'/');
}

} // namespace paths
