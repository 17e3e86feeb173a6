#include "tree/plantops.h"

#include "platform/paths.h"
#include "platform/randomname.h"
#include "store/copyfolder.h"

#include <QDir>

#include <cerrno>
#include <cstring>

namespace plantops {

QString freeName(const QString& parentFolder, const QString& name)
{
    if (!paths::exists(paths::join(parentFolder, name)) && !name.isEmpty())
        return name;
    for (int n = 1;; ++n) {
        const QString candidate = name + QStringLiteral(" %1").arg(n);
        if (!paths::exists(paths::join(parentFolder, candidate)))
            return candidate;
    }
}

QString renameNode(const QString& parentFolder, const QString& from, const QString& to)
{
    const QString name = freeName(parentFolder, to);
    if (!removedname::renameNoReplace(paths::join(parentFolder, from), paths::join(parentFolder, name)))
        return QString();
    return name;
}

QString removeNode(const QString& parentFolder, const QString& name)
{
    return removedname::removeByRenaming(parentFolder, name);
}

MoveResult moveNode(FileCopier& copier, const QString& source, const QString& target)
{
    MoveResult r;
    if (paths::exists(target)) {
        r.targetExists = true;
        r.error = QString::fromLocal8Bit(std::strerror(EEXIST));
        return r;
    }
    if (!copier.copyTree(source, target, true)) {
        r.error = copier.lastErrorText;
        return r;
    }
    // Folders that held no file are not made by the copy; the node itself must still arrive.
    QDir().mkpath(target);
    for (const QString& sub : paths::subdirectories(source))
        QDir(source).rmdir(sub); // empty ones only; a folder that still holds files stays
    if (QDir().rmdir(source)) {
        r.moved = true;
        return r;
    }
    const QString parent = paths::parentOf(source);
    const QString hidden = removedname::removeByRenaming(parent, paths::fileNameOf(source));
    if (hidden.isEmpty()) {
        r.error = QString::fromLocal8Bit(std::strerror(errno));
        return r;
    }
    r.moved = true;
    r.leftBehind = hidden;
    return r;
}

} // namespace plantops
