#include "sync/conflicts.h"

#include "history/versions.h"
#include "photos/album.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "platform/sysio.h"
#include "platform/trash.h"
#include "store/collection.h"

#include <QRegularExpression>

#include <cerrno>

namespace conflicts {

namespace {

bool isPage(const QString& name)
{
    const QString n = name.toLower();
    return n == u"description.rtf" || n == u"care.rtf" || n == u"diary.rtf";
}

// What the original is to the user; empty when it is none of the collection's files.
QString whatOf(const QString& folder, const QString& original)
{
    const QString lower = original.toLower();
    if (isPage(original))
        return lower.left(lower.size() - 4);
    if (lower == u"plant.ini" || lower == u"group.ini")
        return QStringLiteral("record");
    if (lower.endsWith(u".txt")) {
        const QString photo = original.left(original.size() - 4);
        if (album::isPhotoName(photo) && paths::isFile(paths::join(folder, photo)))
            return QStringLiteral("comment ") + photo;
    }
    return {};
}

void scanFolder(const QString& folder, const QString& group, const QString& node, QList<Copy>* out)
{
    for (const QString& name : paths::files(folder)) {
        const std::optional<QString> original = originalName(name);
        if (!original)
            continue;
        const QString what = whatOf(folder, *original);
        if (!what.isEmpty())
            out->append({group, node, what, paths::join(folder, name), paths::join(folder, *original)});
    }
}

bool listed(const QString& name)
{
    return !name.startsWith(u'!');
}

} // namespace

std::optional<QString> originalName(const QString& fileName)
{
    static const QRegularExpression patterns[] = {
        QRegularExpression(QStringLiteral("^(.+)\\.sync-conflict-\\d{8}-\\d{6}-[A-Z0-9]{7}(\\.[^.]*)?$")),
        QRegularExpression(
            QStringLiteral("^(.+) \\(conflicted copy \\d{4}-\\d{2}-\\d{2} \\d{6}\\)(\\.[^.]*)?$")),
        QRegularExpression(QStringLiteral(
            "^(.+) \\(.+'s conflicted copy \\d{4}-\\d{2}-\\d{2}(?: \\(\\d+\\))?\\)(\\.[^.]*)?$"))};
    for (const QRegularExpression& re : patterns) {
        const QRegularExpressionMatch m = re.match(fileName);
        if (m.hasMatch())
            return m.captured(1) + m.captured(2);
    }
    return std::nullopt;
}

QList<Copy> scan(const QString& programFolder)
{
    QList<Copy> out;
    const QString root = collection::myPlants(programFolder);
    for (const QString& group : paths::subdirectories(root)) {
        if (!listed(group) && group.compare(paths::kNotes, Qt::CaseInsensitive) != 0)
            continue;
        const QString groupFolder = paths::join(root, group);
        scanFolder(groupFolder, group, QString(), &out);
        for (const QString& node : paths::subdirectories(groupFolder)) {
            if (!listed(node))
                continue;
            const QString nodeFolder = paths::join(groupFolder, node);
            scanFolder(nodeFolder, group, node, &out);
            for (const QString& plant : paths::subdirectories(nodeFolder))
                if (listed(plant))
                    scanFolder(paths::join(nodeFolder, plant), group, node + u'/' + plant, &out);
        }
    }
    return out;
}

QList<Copy> inFolder(const QString& folder)
{
    QList<Copy> out;
    scanFolder(folder, QString(), QString(), &out);
    return out;
}

IoStatus resolve(const Copy& copy, bool keepCopy)
{
    if (isPage(paths::fileNameOf(copy.original))) {
        QByteArray copyBytes, pageBytes;
        IoStatus s = atomicfile::readAll(copy.file, &copyBytes, nullptr, qint64(512) * 1024 * 1024);
        if (!s.ok())
            return s;
        if (keepCopy) {
            // The page as it is becomes a version, then the copy's text the page.
            const versions::KeepResult kept = versions::keepBefore(copy.original, copyBytes, false);
            if (!kept.kept && !kept.problem.isEmpty())
                return IoStatus::failure(EIO, QStringLiteral("the page could not be kept as a version (") +
                                                  kept.problem + QStringLiteral("); nothing was changed"));
            s = atomicfile::write(copy.original, copyBytes);
        } else {
            const versions::KeepResult kept =
                versions::keepText(copy.original, copyBytes, paths::modificationTime(copy.file));
            if (!kept.kept && !kept.problem.isEmpty())
                return IoStatus::failure(EIO, QStringLiteral("the copy could not be kept as a version (") +
                                                  kept.problem + QStringLiteral("); nothing was changed"));
        }
        if (!s.ok())
            return s;
        // Its text is in the history now; the copy itself goes to the trash where there is one.
        if (!trash::moveToTrash(copy.file).status.ok() && !paths::removeFile(copy.file))
            return IoStatus::fromErrno(errno);
        return {};
    }
    // A record or a comment: the text that is not kept goes to the desktop's trash.
    if (!keepCopy)
        return trash::moveToTrash(copy.file).status;
    const trash::Result old = trash::moveToTrash(copy.original);
    if (!old.status.ok())
        return old.status;
    if (sysio::renameNoReplace(paths::native(copy.file).constData(),
                               paths::native(copy.original).constData()) != 0) {
        const IoStatus s = IoStatus::fromErrno(errno);
        trash::putBack(old, copy.original);
        return s;
    }
    return {};
}

} // namespace conflicts
