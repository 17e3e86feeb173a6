#include "platform/linkguard.h"

#include "platform/fsname.h"

#include <QString>

#include <cerrno>
#include <sys/stat.h>

namespace linkguard {

namespace {
QString g_readOnly; // why the whole collection is read-only, when it is
}

void setReadOnly(const QString& why)
{
    g_readOnly = why;
}

bool readOnly()
{
    return !g_readOnly.isEmpty();
}

QByteArray linkOnTheWay(const QByteArrayView nativePath)
{
    // The collection begins after the last "MyPlants" (in any letter case) of the path: the program
    // folder above it may well lie behind links of the user's own.
    qsizetype from = -1;
    for (qsizetype at = nativePath.indexOf('/'); at >= 0; at = nativePath.indexOf('/', at + 1)) {
        const QByteArrayView rest = nativePath.sliced(at + 1);
        constexpr QByteArrayView name("myplants");
        if (rest.size() >= name.size() && rest.first(name.size()).compare(name, Qt::CaseInsensitive) == 0 &&
            (rest.size() == name.size() || rest[name.size()] == '/'))
            from = at + 1 + name.size();
    }
    if (from < 0)
        return {};
    if (readOnly())
        return nativePath.first(from).toByteArray();
    for (qsizetype at = nativePath.indexOf('/', from + 1); at >= 0; at = nativePath.indexOf('/', at + 1)) {
        if (at + 1 >= nativePath.size())
            break; // a trailing "/" ends the last part
        const QByteArray folder = nativePath.first(at).toByteArray();
        struct stat st {};
        if (::lstat(folder.constData(), &st) != 0)
            return {}; // nothing further exists to lead anywhere
        if (S_ISLNK(st.st_mode))
            return folder;
    }
    return {};
}

bool refused(QByteArrayView nativePath)
{
    if (linkOnTheWay(nativePath).isEmpty())
        return false;
    errno = EROFS;
    return true;
}

QString refusal(const QByteArray& link)
{
    if (readOnly())
        return g_readOnly;
    // Named from the collection down: the program folder above it says nothing new.
    QString shown = fsname::decodePath(link);
    const qsizetype from = shown.lastIndexOf(QLatin1String("/MyPlants/"), -1, Qt::CaseInsensitive);
    if (from >= 0)
        shown = shown.mid(from + 1);
    return shown +
           QStringLiteral(" is a symbolic link: what it leads to is shown read-only, and nothing is written "
                          "there");
}

} // namespace linkguard
