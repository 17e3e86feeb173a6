#pragma once

#include "platform/iostatus.h"

#include <QString>

class IniFile;

// The collection on disk: program folder, MyPlants, group folders, node folders and their records.
// Fixed names are found in whatever letter case they have on disk; user names are taken as they are.
namespace collection {

QString myPlants(const QString& programFolder);
QString groupFolder(const QString& programFolder, const QString& group);
QString groupRecordPath(const QString& groupFolder);
QString plantRecordPath(const QString& nodeFolder);
// A tree node's folder: parentFolder empty for a node at the top level of the group.
QString nodeFolder(const QString& programFolder, const QString& group, const QString& parentFolder,
                   const QString& node);

// A name beginning with "!" is reserved (templates, notes, removed items) and never listed; nor is
// a folder that only bears a record's name.
inline bool isListed(const QString& name)
{
    return !name.isEmpty() && !name.startsWith(u'!') && name != u"." && name != u".." &&
           name.compare(u"group.ini", Qt::CaseInsensitive) != 0 &&
           name.compare(u"plant.ini", Qt::CaseInsensitive) != 0;
}

// Group record group.ini, section Group.
struct GroupRecord {
    int color = 0xFFFFFF;
    int imageIndex = 1;
    int imageOrder = -1;
};
GroupRecord readGroupRecord(const QString& groupFolder, int colorDefault, IoStatus* status = nullptr);
GroupRecord groupRecordOf(const IniFile& record, int colorDefault);

// Plant record plant.ini, section Main.
struct PlantRecord {
    int cond = -1;
    int expanded = 0;
};
PlantRecord readPlantRecord(const QString& nodeFolder, IoStatus* status = nullptr);
PlantRecord plantRecordOf(const IniFile& record);
IoStatus writePlantRecord(const QString& nodeFolder, int cond, int expanded);

// Condition marks.
inline constexpr int kFolderMark = 1;
// A directory at the top level of a group is a plant when its Cond is 0 or more and not 1.
inline bool isPlantAtTop(int cond)
{
    return cond > -1 && cond != kFolderMark;
}
// Only a folder whose Cond is exactly -1 or 1 has its subdirectories read.
inline bool folderHasChildren(int cond)
{
    return cond == -1 || cond == kFolderMark;
}
// Inside a folder a subdirectory is shown when its Cond is 0 or more.
inline bool shownInFolder(int cond)
{
    return cond > -1;
}

} // namespace collection
