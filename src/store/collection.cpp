#include "store/collection.h"

#include "platform/paths.h"
#include "store/inifile.h"

namespace collection {

QString myPlants(const QString& programFolder)
{
    return paths::fixed(programFolder, paths::kMyPlants);
}

QString groupFolder(const QString& programFolder, const QString& group)
{
    return paths::join(myPlants(programFolder), group);
}

QString groupRecordPath(const QString& groupFolder)
{
    return paths::fixed(groupFolder, paths::kGroupIni);
}

QString plantRecordPath(const QString& nodeFolder)
{
    return paths::fixed(nodeFolder, paths::kPlantIni);
}

QString nodeFolder(const QString& programFolder, const QString& group, const QString& parentFolder,
                   const QString& node)
{
    QString folder = groupFolder(programFolder, group);
    if (!parentFolder.isEmpty())
        folder = paths::join(folder, parentFolder);
    return paths::join(folder, node);
}

GroupRecord readGroupRecord(const QString& groupFolder, int colorDefault, IoStatus* status)
{
    const IniFile ini(groupRecordPath(groupFolder));
    if (status)
        *status = ini.readStatus();
    return groupRecordOf(ini, colorDefault);
}

GroupRecord groupRecordOf(const IniFile& ini, int colorDefault)
{
    GroupRecord r;
    r.color = ini.readInteger(u"Group", u"Color", colorDefault);
    r.imageIndex = ini.readInteger(u"Group", u"ImageIndex", 1);
    r.imageOrder = ini.readInteger(u"Group", u"ImageOrder", -1);
    return r;
}

PlantRecord readPlantRecord(const QString& nodeFolder, IoStatus* status)
{
    const IniFile ini(plantRecordPath(nodeFolder));
    if (status)
        *status = ini.readStatus();
    return plantRecordOf(ini);
}

PlantRecord plantRecordOf(const IniFile& ini)
{
    PlantRecord r;
    r.cond = ini.readInteger(u"Main", u"Cond", -1);
    r.expanded = ini.readInteger(u"Main", u"Expanded", 0);
    return r;
}

IoStatus writePlantRecord(const QString& nodeFolder, int cond, int expanded)
{
    IniFile ini(plantRecordPath(nodeFolder));
    ini.writeInteger(u"Main", u"Cond", cond);
    ini.writeInteger(u"Main", u"Expanded", expanded);
    return ini.updateFile();
}

} // namespace collection
