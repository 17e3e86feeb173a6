#include "store/leftovers.h"

#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "store/collection.h"

#include <QDir>
#include <QFileInfo>

namespace leftovers {

namespace {

// Moves leave "!vdpart_" (an unfinished copy; its source is whole) and "!vdgone_" (a source already
// copied whole to its target) folders beside nodes.
bool isMoveLeftover(const QString& name)
{
    return name.startsWith(QLatin1String("!vdpart_")) || name.startsWith(QLatin1String("!vdgone_"));
}

int cleanFolder(const QString& folder, int depth)
{
    int removed = 0;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        const QString name = e.fileName();
        if (e.isSymLink())
            continue;
        if (e.isDir()) {
            if (isMoveLeftover(name)) {
                removed += paths::removeTree(e.filePath()) ? 1 : 0;
            } else if (depth > 0 && !name.startsWith(QLatin1String("!deleted_"))) {
                removed += cleanFolder(e.filePath(), depth - 1);
            }
        } else if (atomicfile::isLeftover(name) && QFile::remove(e.filePath())) {
            ++removed;
        }
    }
    return removed;
}

} // namespace

int clean(const QString& programFolder)
{
    // The program folder's own files, then MyPlants down to the files of a plant inside a folder.
    int removed = 0;
    for (const QFileInfo& e :
         QDir(programFolder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks))
        if (atomicfile::isLeftover(e.fileName()) && QFile::remove(e.filePath()))
            ++removed;
    return removed + cleanFolder(collection::myPlants(programFolder), 3);
}

} // namespace leftovers
