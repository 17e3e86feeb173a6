#include "store/leftovers.h"

#include "platform/atomicfile.h"
#include "platform/owntag.h"
#include "platform/paths.h"
#include "store/collection.h"

#include <unistd.h>

namespace leftovers {

namespace {

// Moves leave "!vdpart_" (an unfinished copy; its source is whole) and "!vdgone_" (a source already
// copied whole to its target) folders beside nodes, named with the computer and process that made
// them; only those of this computer whose process is gone are leftovers.
bool isMoveLeftover(const QByteArray& name)
{
    return (name.startsWith("!vdpart_") || name.startsWith("!vdgone_")) &&
           owntag::isAbandoned(QByteArrayView(name).sliced(8));
}

int cleanFolder(const QString& folder, int depth)
{
    int removed = 0;
    for (const paths::Entry& e : paths::entries(folder)) {
        if (e.isLink)
            continue;
        const QString path = paths::join(folder, e.name);
        if (e.isDir) {
            if (isMoveLeftover(e.bytes)) {
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
