#include "tree/plantops.h"

#include "platform/paths.h"
#include "platform/randomname.h"
#include "platform/sysio.h"
#include "store/copyfolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

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
    auto failWith = [&r](int err) {
        r.error = QString::fromLocal8Bit(std::strerror(err));
        return r;
    };
    if (paths::exists(target)) {
        r.targetExists = true;
        return failWith(EEXIST);
    }
    const QString sourceParent = paths::parentOf(source);
    const QString targetParent = paths::parentOf(target);
    if (!removedname::renameNoReplace(source, target)) {
        const int err = errno;
        if (err == EEXIST)
            r.targetExists = true;
        if (err != EXDEV)
            return failWith(err);
        if (paths::isLink(source)) {
            // A node that is a link moves as the link; what it points to stays where it is.
            QByteArray to(4096, '\0');
            const ssize_t n = ::readlink(QFile::encodeName(source).constData(), to.data(), to.size() - 1);
            if (n < 0 || ::symlink(to.left(n).constData(), QFile::encodeName(target).constData()) != 0)
                return failWith(errno);
            ::unlink(QFile::encodeName(source).constData());
            r.moved = true;
            return r;
        }
        // Another file system: copy to a hidden working name, then put it in place whole.
        const QString part = paths::join(
            targetParent, removedname::drawWithStem(targetParent, QStringLiteral("!vdpart_") +
                                                                      paths::fileNameOf(target) + u'_'));
        const int errorsBefore = copier.copyErrors;
        const bool started = copier.copyTree(source, part, false);
        QDir().mkpath(part); // a node that holds no file yet must still arrive
        if (!started || copier.copyErrors != errorsBefore || copier.copyAbort) {
            r.error = copier.lastErrorText.isEmpty() ? QString::fromLocal8Bit(std::strerror(EIO))
                                                     : copier.lastErrorText;
            paths::removeTree(part);
            return r;
        }
        if (!removedname::renameNoReplace(part, target)) {
            const int e = errno;
            paths::removeTree(part);
            r.targetExists = e == EEXIST;
            return failWith(e);
        }
        // The node is whole at the target: now the source goes, hidden first so it never shows half.
        const QString gone = paths::join(
            sourceParent, removedname::drawWithStem(sourceParent, QStringLiteral("!vdgone_") +
                                                                      paths::fileNameOf(source) + u'_'));
        if (!removedname::renameNoReplace(source, gone)) {
            r.moved = true;
            r.leftBehind = source; // a whole copy stays at the source too
            return r;
        }
        paths::removeTree(gone);
    }
    sysio::fsyncDir(QFile::encodeName(targetParent).constData());
    sysio::fsyncDir(QFile::encodeName(sourceParent).constData());
    r.moved = true;
    return r;
}

} // namespace plantops
