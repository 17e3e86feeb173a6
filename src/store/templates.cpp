#include "store/templates.h"

#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "store/errorlog.h"

#include <cerrno>

namespace templates {

QString mainFolder(const QString& programFolder)
{
    return paths::fixed(collection::myPlants(programFolder), paths::kShablonAll);
}

QString groupFolder(const QString& programFolder, const QString& group)
{
    return paths::fixed(collection::groupFolder(programFolder, group), paths::kShablon);
}

QString file(const QString& programFolder, const QString& group, QStringView page)
{
    return paths::fixed(group.isEmpty() ? mainFolder(programFolder) : groupFolder(programFolder, group),
                        page);
}

IoStatus copyFile(const QString& source, const QString& destination)
{
    QByteArray bytes;
    bool missing = false;
    IoStatus s = atomicfile::readAll(source, &bytes, &missing, qint64(1) << 31);
    if (missing)
        return IoStatus::failure(ENOENT,
                                 QStringLiteral("The file ") + source + QStringLiteral(" does not exist."));
    if (!s.ok())
        return s;
    return atomicfile::write(destination, bytes);
}

IoStatus ensureTemplates(const QString& programFolder, const QString& group)
{
    const QString main = mainFolder(programFolder);
    paths::makePath(main);
    for (const QStringView page : kPages) {
        const QString path = paths::fixed(main, page);
        if (!paths::exists(path)) {
            const IoStatus s = CreateEmptyFile(path);
            if (!s.ok())
                return s;
        }
    }
    if (group.isEmpty())
        return {};
    paths::makePath(groupFolder(programFolder, group));
    copyMissingGroupTemplates(programFolder, group);
    return {};
}

void copyMissingGroupTemplates(const QString& programFolder, const QString& group)
{
    const QString main = mainFolder(programFolder);
    const QString own = groupFolder(programFolder, group);
    for (const QStringView page : kPages) {
        const QString path = paths::fixed(own, page);
        if (!paths::exists(path))
            copyFile(paths::fixed(main, page), path); // tried again at the next call when it fails
    }
}

} // namespace templates
