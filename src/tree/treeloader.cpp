#include "tree/treeloader.h"

#include "platform/codepage.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "store/inifile.h"

#include <algorithm>

int compareNames(QStringView a, QStringView b)
{
    const qsizetype n = std::max(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned ca = i < a.size() ? cp1251::byteOf(a[i]) : 0u;
        const unsigned cb = i < b.size() ? cp1251::byteOf(b[i]) : 0u;
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return 0;
}

int TreeView1Compare(const TreeNode& a, const TreeNode& b)
{
    if (a.isFolder() && !b.isFolder())
        return -1;
    if (b.isFolder() && !a.isFolder())
        return 1;
    return compareNames(a.text, b.text);
}

void sortTree(std::vector<TreeNode>& nodes)
{
    // Sort keys are encoded once per node, not once per comparison.
    struct Keyed {
        QByteArray key;
        TreeNode* node;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(nodes.size());
    for (TreeNode& n : nodes) {
        sortTree(n.children);
        keyed.push_back({cp1251::encode(n.text), &n});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) {
        if (x.node->isFolder() != y.node->isFolder())
            return x.node->isFolder();
        // Unsigned byte order; a prefix stands before the longer name.
        return std::lexicographical_compare(
            x.key.cbegin(), x.key.cend(), y.key.cbegin(), y.key.cend(),
            [](char p, char q) { return static_cast<unsigned char>(p) < static_cast<unsigned char>(q); });
    });
    std::vector<TreeNode> sorted;
    sorted.reserve(nodes.size());
    for (Keyed& k : keyed)
        sorted.push_back(std::move(*k.node));
    nodes = std::move(sorted);
}

LoadedTree loadTreeFromDisk(const QString& programFolder, const QString& group,
                            const QString& firstGroupName)
{
    return loadTreeFromDisk(programFolder, group, firstGroupName, {});
}

LoadedTree loadTreeFromDisk(const QString& programFolder, const QString& groupIn,
                            const QString& firstGroupName, const RecordVisitor& visit)
{
    // A record as the tree reads it, shown to visit on the way.
    auto readRecord = [&](const QString& nodeFolder, IoStatus* st) {
        const IniFile ini(collection::plantRecordPath(nodeFolder));
        *st = ini.readStatus();
        if (visit)
            visit(nodeFolder, ini);
        return collection::plantRecordOf(ini);
    };
    LoadedTree tree;
    QString group = groupIn;
    if (group == u"_notes") {
        tree.heading = QStringLiteral("Notes");
    } else {
        QString folder = collection::groupFolder(programFolder, group);
        if (!paths::exists(collection::groupRecordPath(folder)))
            group = firstGroupName;
        folder = collection::groupFolder(programFolder, group);
        const IniFile record(collection::groupRecordPath(folder));
        tree.color = collection::groupRecordOf(record, 0xFFFFFF).color;
        if (!record.readStatus().ok())
            tree.unreadable << collection::groupRecordPath(folder);
        if (visit)
            visit(QString(), record);
        tree.heading = group;
    }
    tree.group = group;
    if (group.isEmpty())
        return tree;
    const QString groupFolder = collection::groupFolder(programFolder, group);
    for (const QString& name : paths::subdirectories(groupFolder)) {
        if (!collection::isListed(name))
            continue;
        const QString nodeFolder = paths::join(groupFolder, name);
        IoStatus st;
        const collection::PlantRecord rec = readRecord(nodeFolder, &st);
        if (!st.ok())
            tree.unreadable << collection::plantRecordPath(nodeFolder);
        TreeNode node;
        node.text = name;
        if (collection::isPlantAtTop(rec.cond)) {
            node.image = rec.cond;
        } else {
            node.image = collection::kFolderMark;
            node.expandedMark = rec.expanded == 1;
        }
        if (collection::folderHasChildren(rec.cond) && node.isFolder()) {
            for (const QString& childName : paths::subdirectories(nodeFolder)) {
                if (!collection::isListed(childName))
                    continue;
                const QString childFolder = paths::join(nodeFolder, childName);
                IoStatus cst;
                const int cond = readRecord(childFolder, &cst).cond;
                if (!cst.ok())
                    tree.unreadable << collection::plantRecordPath(childFolder);
                if (collection::shownInFolder(cond))
                    node.children.push_back(TreeNode{childName, cond, false, {}});
            }
        }
        tree.nodes.push_back(std::move(node));
    }
    sortTree(tree.nodes);
    return tree;
}

QString conditionName(int mark)
{
    switch (mark) {
    case 2:
        return QStringLiteral("Ideal condition");
    case 3:
        return QStringLiteral("Urgently to replace!");
    case 4:
        return QStringLiteral("To replace");
    case 5:
        return QStringLiteral("To treat");
    default:
        return QString();
    }
}
