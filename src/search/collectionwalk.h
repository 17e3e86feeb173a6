#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

// The nodes of every group (and of the notes group) as their trees show them, with what search
// reads of each: its pages, its photos' comments, and a signature of their sizes and modification
// times by which a change made by any program is noticed.
namespace search {

enum Field { Name, Description, Care, Diary, Comments, Conflicts, FieldCount };
// "name", "description", "care", "diary", "comments", "conflict" (a sync engine's conflict copy).
const char* fieldKey(int field);

struct NodeOnDisk {
    QString group;  // the group folder's name ("!Notes" for the notes group)
    QString parent; // the folder node holding it, empty at the top level
    QString name;
    int cond = 0;
    qint64 order = 0;                // group order (bar order, the notes group last), then tree order
    QByteArray folder;               // the node folder's bytes on disk
    QByteArray signature;            // names, sizes and modification times of the files below
    std::array<QByteArray, 3> pages; // description, care, diary on disk; empty when missing
    std::vector<std::pair<QString, QByteArray>> comments; // photo name, comment file on disk
    std::vector<QByteArray> conflictCopies;               // sync engines' copies of its files

    QString key() const { return group + u'\x1f' + parent + u'\x1f' + name; }
};

// What the index already knows of a node (its condition mark for a signature), so records whose
// files did not change are not read again.
using KnownCond = std::function<bool(const QString& key, const QByteArray& signature, int* cond)>;

// Folder listings a walk read, by the folder's path on disk, with the folder's stamp (inode, change
// and modification times). A folder whose stamp is unchanged is not listed again: every save of ours
// and of most programs renames into its folder, and a file changed in place is still found, as the
// files a node's signature covers are stat-ed all the same. A listing is kept only once its folder
// has been still for a moment, so two changes in one tick of the file system's clock are both seen.
struct Listing {
    QByteArray stamp;
    QByteArray entries; // per entry: 'd' (folder), 'f' (file) or 'o' (other), its name, '\0'
};
using Listings = QHash<QByteArray, Listing>;

// listings (when given) are used and brought up to date: entries for folders gone are dropped.
// folders (when given) gets every folder walked: MyPlants, the groups (empty ones too) and the nodes.
std::vector<NodeOnDisk> walkCollection(const QString& programFolder, const KnownCond& known = {},
                                       Listings* listings = nullptr, std::vector<QByteArray>* folders = nullptr);

// The folded texts of a node's fields; comments one after another, each on its own line.
std::array<QString, FieldCount> readFields(const NodeOnDisk& node, bool foldText = true);
// The text of one field, not folded, and for Comments each photo's comment on its own.
QString readField(const NodeOnDisk& node, int field);
std::vector<std::pair<QString, QString>> readComments(const NodeOnDisk& node);

// The largest page search reads; a longer one is read up to this size.
inline constexpr qint64 kMaxReadBytes = qint64(256) * 1024 * 1024;
QByteArray readNative(const QByteArray& path, qint64 maxBytes = kMaxReadBytes);

} // namespace search

namespace search {
// The node folder group/parent/name as a walk would find it; its cond is left at 0.
NodeOnDisk nodeAt(const QString& programFolder, const QString& group, const QString& parent,
                  const QString& name);
// A group's folder: the notes group's wherever its letter case puts it.
QString groupFolderOf(const QString& programFolder, const QString& group);
} // namespace search
