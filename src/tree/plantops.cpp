#include "tree/plantops.h"

#include "platform/changenotice.h"
#include "platform/fsname.h"
#include "platform/owntag.h"
#include "platform/paths.h"
#include "platform/randomname.h"
#include "platform/sysio.h"
#include "store/copyfolder.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
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
    changenotice::notify(parentFolder);
    return name;
}

QString removeNode(const QString& parentFolder, const QString& name, QString* attempted)
{
    const QString removed = removedname::removeByRenaming(parentFolder, name, attempted);
    changenotice::notify(parentFolder);
    return removed;
}

MoveResult moveNode(FileCopier& copier, const QString& source, const QString& target)
{
    MoveResult r;
    auto failWith = [&r](int err) {
        r.error = QString::fromLocal8Bit(std::strerror(err));
        return r;
    };
    const QString sourceParent = paths::parentOf(source);
    const QString targetParent = paths::parentOf(target);
    // A node keeps the bytes its name has on disk wherever it goes: an 8-bit name stays 8-bit.
    const QByteArray from = paths::native(source);
    const QByteArray leaf = paths::fileNameOf(target) == paths::fileNameOf(source)
                                ? fsname::leafOf(from)
                                : fsname::leafOf(paths::native(target));
    const QByteArray toFolder = paths::native(targetParent) + '/';
    const QByteArray to = toFolder + leaf;
    struct stat st {};
    if (paths::exists(target) || ::lstat(to.constData(), &st) == 0) {
        r.targetExists = true;
        return failWith(EEXIST);
    }
    if (sysio::renameNoReplace(from.constData(), to.constData()) != 0) {
        const int err = errno;
        if (err == EEXIST)
            r.targetExists = true;
        if (err != EXDEV)
            return failWith(err);
        if (paths::isLink(source)) {
            // A node that is a link moves as the link; what it points to stays where it is.
            QByteArray link(4096, '\0');
            const ssize_t n = ::readlink(from.constData(), link.data(), link.size() - 1);
            if (n < 0 || ::symlink(link.left(n).constData(), to.constData()) != 0)
                return failWith(errno);
            ::unlink(from.constData());
            r.moved = true;
            return r;
        }
        // Another file system: copy to a hidden working name, then put it in place whole.
        const QByteArray partBytes =
            toFolder + removedname::drawNative(toFolder, "!vdpart_" + owntag::tag() + '_' + leaf + '_');
        const QString part = paths::join(targetParent, fsname::decodeName(fsname::leafOf(partBytes)));
        const int errorsBefore = copier.copyErrors;
        // Made first, so the copy finds it by its bytes; a node that holds no file must still arrive.
        paths::makePathNative(partBytes);
        const bool started = copier.copyTree(source, part, false);
        if (!started || copier.copyErrors != errorsBefore || copier.copyAbort) {
            r.error = copier.lastErrorText.isEmpty() ? QString::fromLocal8Bit(std::strerror(EIO))
                                                     : copier.lastErrorText;
            paths::removeTreeNative(partBytes);
            return r;
        }
        if (sysio::renameNoReplace(partBytes.constData(), to.constData()) != 0) {
            const int e = errno;
            paths::removeTreeNative(partBytes);
            r.targetExists = e == EEXIST;
            return failWith(e);
        }
        // The node is whole at the target: now the source goes, hidden first so it never shows half.
        const QByteArray fromFolder = from.left(from.lastIndexOf('/') + 1);
        const QByteArray gone =
            fromFolder + removedname::drawNative(fromFolder, "!vdgone_" + owntag::tag() + '_' +
                                                                 fsname::leafOf(from) + '_');
        if (sysio::renameNoReplace(from.constData(), gone.constData()) != 0) {
            r.moved = true;
            r.leftBehind = source; // a whole copy stays at the source too
            return r;
        }
        paths::removeTreeNative(gone);
    }
    sysio::fsyncDir(toFolder.constData());
    sysio::fsyncDir(paths::native(sourceParent).constData());
    r.moved = true;
    changenotice::notify(target);
    return r;
}

} // namespace plantops
