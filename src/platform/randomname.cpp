#include "platform/randomname.h"

#include "platform/fsname.h"
#include "platform/owntag.h"
#include "platform/paths.h"
#include "platform/sysio.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>

namespace removedname {

namespace {

// A number for a free name, drawn from a clock-seeded generator.
template <class Taken> int drawNumber(const Taken& taken)
{
    std::mt19937 gen(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> dist(0, 9998);
    // 9,999 draws find a free number unless nearly all are taken; then count up from 0 instead.
    for (int i = 0; i < 9999; ++i) {
        const int n = dist(gen);
        if (!taken(n))
            return n;
    }
    for (int n = 0;; ++n)
        if (!taken(n))
            return n;
}

} // namespace

QString draw(const QString& parentDir, const QString& name)
{
    const QString stem = QStringLiteral("!deleted_") + name + u'_',
                  host = u'-' + QString::fromLatin1(owntag::hostId());
    const int n = drawNumber([&](int n) {
        return paths::exists(paths::join(parentDir, QString(stem + QString::number(n) + host)));
    });
    return stem + QString::number(n) + host;
}

QString drawWithStem(const QString& parentDir, const QString& stem)
{
    const int n = drawNumber(
        [&](int n) { return paths::exists(paths::join(parentDir, QString(stem + QString::number(n)))); });
    return stem + QString::number(n);
}

QByteArray drawNative(const QByteArray& folder, const QByteArray& stem)
{
    const int n = drawNumber([&](int n) {
        struct stat st {};
        return ::lstat(QByteArray(folder + stem + QByteArray::number(n)).constData(), &st) == 0;
    });
    return stem + QByteArray::number(n);
}

QString removeByRenaming(const QString& parentDir, const QString& name, QString* attempted)
{
    const QByteArray source = fsname::encodePath(paths::join(parentDir, name));
    const QByteArray folder = source.left(source.lastIndexOf('/') + 1);
    // The computer's id follows the number: two computers sharing the collection never make one name.
    const QByteArray stem = "!deleted_" + fsname::leafOf(source) + '_', host = '-' + owntag::hostId();
    const int n = drawNumber([&](int n) {
        struct stat st {};
        return ::lstat(QByteArray(folder + stem + QByteArray::number(n) + host).constData(), &st) == 0;
    });
    const QByteArray removed = stem + QByteArray::number(n) + host;
    const QString path = paths::join(parentDir, fsname::decodeName(removed));
    if (sysio::renameNoReplace(source.constData(), QByteArray(folder + removed).constData()) != 0) {
        if (attempted)
            *attempted = path;
        return QString();
    }
    return path;
}

bool renameNoReplace(const QString& source, const QString& target)
{
    // A plain rename would silently replace an empty folder that appeared since the check.
    return sysio::renameNoReplace(fsname::encodePath(source).constData(),
                                  fsname::encodePath(target).constData()) == 0;
}

} // namespace removedname
