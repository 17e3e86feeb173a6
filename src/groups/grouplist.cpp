#include "groups/grouplist.h"

#include "platform/paths.h"
#include "store/collection.h"
#include "store/errorlog.h"
#include "store/inifile.h"

#include <utility>

void orderSlots(std::vector<GroupEntry>& slots)
{
    const size_t count = slots.size();
    for (size_t i = 0; i < count; ++i) {
        size_t best = count;
        for (size_t j = i; j < count; ++j) {
            const int v = slots[j].imageOrder;
            if (v < 1 || v > 100)
                continue;
            if (best == count || v <= slots[best].imageOrder)
                best = j;
        }
        if (best != count && best != i)
            std::swap(slots[i], slots[best]);
    }
}

GroupScan scanGroups(const QString& programFolder, bool writeRecords)
{
    GroupScan scan;
    const QString root = collection::myPlants(programFolder);
    int number = 0;
    for (const QString& name : paths::subdirectories(root)) {
        if (!collection::isListed(name))
            continue;
        ++number;
        if (scan.firstGroupName.isEmpty())
            scan.firstGroupName = name;
        const QString folder = paths::join(root, name);
        IniFile ini(collection::groupRecordPath(folder));
        GroupEntry g;
        g.name = name;
        g.picture = ini.readInteger(u"Group", u"ImageIndex", 1);
        g.imageOrder = ini.readInteger(u"Group", u"ImageOrder", -1);
        g.color = ini.readInteger(u"Group", u"Color", 0);
        IoStatus status = ini.readStatus();
        if (g.imageOrder == -1) {
            g.imageOrder = number;
            ini.writeInteger(u"Group", u"ImageOrder", number);
        }
        if (writeRecords && status.ok())
            status = ini.updateFile();
        if (!status.ok())
            scan.errors << errorlog::message(status.text, ini.fileName());
        if (g.picture == 100) {
            g.hasOwnPicture = paths::exists(paths::fixed(folder, paths::kGroupImage));
            if (!g.hasOwnPicture)
                g.picture = 1;
        }
        scan.slots.push_back(g);
    }
    orderSlots(scan.slots);
    return scan;
}
