#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class IniFile;

// A group's tree as the loader reads it from disk: two levels, folders before plants, names in the
// byte order of their Windows-1251 form.
struct TreeNode {
    QString text;  // the directory name, exactly as on disk
    int image = 1; // 1 for a folder; the condition mark for a plant
    bool expandedMark = false;
    std::vector<TreeNode> children;

    bool isFolder() const { return image == 1; }
};

struct LoadedTree {
    QString group;   // the group folder actually read (after the fallback to the first group)
    QString heading; // text above the tree
    int color = 0xFFFFFF;
    std::vector<TreeNode> nodes;
    QStringList unreadable; // record files that exist but could not be read (shown with defaults)
};

// Loads the tree of group. When the group has no group.ini the first group of the last bar build is
// read instead. Reads only; writes nothing.
LoadedTree loadTreeFromDisk(const QString& programFolder, const QString& group,
                            const QString& firstGroupName);
// The same, showing visit every record it reads (the group's with an empty node folder), so that
// what else a record holds is read in the same pass.
using RecordVisitor = std::function<void(const QString& nodeFolder, const IniFile& record)>;
LoadedTree loadTreeFromDisk(const QString& programFolder, const QString& group,
                            const QString& firstGroupName, const RecordVisitor& visit);

// Names compared as unsigned bytes of their Windows-1251 form; a missing character counts as 0.
int compareNames(QStringView a, QStringView b);
// Folders before plants, then names. Negative when a stands before b.
int TreeView1Compare(const TreeNode& a, const TreeNode& b);
// Sorts every level.
void sortTree(std::vector<TreeNode>& nodes);

// Caption of a condition mark ("Ideal condition", ...); empty for none or a folder.
QString conditionName(int mark);
