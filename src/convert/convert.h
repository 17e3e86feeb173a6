#pragma once

#include "platform/iostatus.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class FileCopier;
class IniFile;
class MessageTable;

// The previous version kept every plant folder side by side in "plants", the members of up to ten
// groups in group1.ini ... group10.ini and the groups' names and colours in main.ini. The conversion
// copies that collection into MyPlants and never changes or deletes anything of it; only group1.ini
// is set aside as group1.bak afterwards, so that it is not offered again.
namespace convert {

// Whether the program folder still holds the older layout (group1.ini).
bool pending(const QString& programFolder);

// The question asked before anything is copied.
QString question();

struct Hooks {
    // After "Start conversion" is logged and before the first copy (the window shows its progress
    // dialog and disables itself here).
    std::function<void()> started;
    // A line for each group taken on (the command line prints it).
    std::function<void(const QString&)> step;
};

struct Outcome {
    // False when a copy stopped it (a full disk): the older layout is as it was, the next start
    // converts again.
    bool done = false;
    // Captions of groups whose list file was missing or unreadable: converted without plants.
    QStringList groupsWithoutList;
    // Captions (and folder names of lists) that cannot be folder names, with the names they got.
    std::vector<std::pair<QString, QString>> renamed;
    // Plant lines that were not converted because their names would leave "plants".
    QStringList refusedLines;
    // Plants a list names whose folder "plants" does not hold.
    QStringList missingPlants;
    // Folders of "plants" that no group's list names: left where they are.
    QStringList unlistedFolders;
    // List files (groupN.ini) of groups the settings do not name.
    QStringList listsWithoutGroup;

    // What the user is told at the end, in the interface's language; empty when everything of the
    // older layout was converted.
    QString report(const MessageTable& messages) const;
};

// Copies the older layout into MyPlants (without asking): each named group's templates, plants
// (their records written with the condition marks) and record, the collection's templates and the
// notes. settings is main.ini as the program opened it. copier.conversion is set while it runs.
Outcome convertOlderLayout(const QString& programFolder, const IniFile& settings, FileCopier& copier,
                           const Hooks& hooks = {});

// Renames group1.ini to group1.bak; never replaces an existing group1.bak.
IoStatus setAside(const QString& programFolder);

// A caption or folder name the file system and the collection can hold as a folder name: itself
// when it can, otherwise with the offending characters replaced; fallback when nothing is left.
QString safeFolderName(const QString& name, const QString& fallback);

} // namespace convert
