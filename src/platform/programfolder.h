#pragma once

#include <QString>

// Where the collection lives. A portable copy keeps it beside its executable, as the previous
// version did; an installed copy, whose folder the user cannot (or should not) write, keeps it in
// the user's data folder. Both programs choose the same way.
namespace programfolder {

// The folder of the shipped data (lang.INI) relative to the executable's folder, as installed.
QString installedDataFolder(const QString& exeDir);

// Whether folder holds a collection: MyPlants or main.ini, in any letter case.
bool holdsCollection(const QString& folder);

// $XDG_DATA_HOME/my-verdarium/, or ~/.local/share/my-verdarium/ when that variable is unset, empty
// or not an absolute path. Ends with '/'.
QString userDataFolder();

// The program folder for an executable in exeDir, ending with '/': exeDir when it holds a collection,
// or when it can be written and is not an installed copy (one with the shipped data folder beside
// it: even root keeps its collection out of /usr/bin); otherwise userDataFolder().
QString choose(const QString& exeDir);

// lang.INI: the program folder's own when there is one, else the installed one; the program folder's
// (missing) path when neither exists.
QString langFile(const QString& programFolder, const QString& exeDir);

} // namespace programfolder
