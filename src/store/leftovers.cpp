#include "store/leftovers.h"

#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "store/collection.h"

#include <unistd.h>

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
    for (const paths::Entry& e : paths::entries(folder)) {
        if (e.isLink)
            continue;
        const QString path = paths::join(folder, e.name);
        if (e.isDir) {
            if (isMoveLeftover(e.name)) {
                removed += paths::removeTreeNative(paths::native(folder) + '/' + e.bytes) ? 1 : 0;
            } else if (depth > 0 && !e.name.startsWith(QLatin1String("!deleted_"))) {
                removed += cleanFolder(path, depth - 1);
            }
        } else if (atomicfile::isLeftover(e.name) &&
                   ::unlink(QByteArray(paths::native(folder) + '/' + e.bytes).constData()) == 0) {
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
    for (const paths::Entry& e : paths::entries(programFolder))
        if (e.isFile && !e.isLink && atomicfile::isLeftover(e.name) &&
            ::unlink(QByteArray(paths::native(programFolder) + '/' + e.bytes).constData()) == 0)
            ++removed;
    return removed + cleanFolder(collection::myPlants(programFolder), 3);
}

} // namespace leftovers
