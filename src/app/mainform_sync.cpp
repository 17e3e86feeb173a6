// The window's side of a collection shared between computers: File › Conflicts... and the mark on
// nodes a sync engine left conflict copies in.
#include "app/mainform.h"

#include "editor/editor.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "sync/conflicts.h"
#include "sync/conflictsdialog.h"
#include "tree/planttree.h"
#include "tree/treeloader.h"

#include <QAction>
#include <QFileSystemWatcher>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

void TMainForm::buildSyncItems(QMenu* file)
{
    auto* item = new QAction(QStringLiteral("Conflicts..."), file);
    file->insertAction(m_removedItems, item);
    item->setObjectName(QStringLiteral("ConflictsItem"));
    setTextKey(item, 240);
    connect(item, &QAction::triggered, this, &TMainForm::showConflicts);
    file->removeAction(m_removedItems); // Removed items... first, then Conflicts...
    file->insertAction(item, m_removedItems);
}

void TMainForm::showConflicts()
{
    if (!FileSave())
        return;
    ConflictsDialog dialog(m_programFolder, m_messages, *m_sink, this);
    dialog.exec();
    if (!dialog.changed())
        return;
    markConflicts();
    if (editorFileName != untitled())
        FileOpen(); // the page on show may be the one whose text changed
}

namespace {

// Every node as "Folder/Plant" or "Plant", sorted: what the tree and the disk are compared by.
QStringList nodePaths(const std::vector<TreeNode>& nodes)
{
    QStringList out;
    for (const TreeNode& n : nodes) {
        out << n.text;
        for (const TreeNode& c : n.children)
            out << n.text + u'/' + c.text;
    }
    out.sort();
    return out;
}

QStringList nodePaths(const QTreeWidget* tree)
{
    QStringList out;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* top = tree->topLevelItem(i);
        out << top->text(0);
        for (int c = 0; c < top->childCount(); ++c)
            out << top->text(0) + u'/' + top->child(c)->text(0);
    }
    out.sort();
    return out;
}

} // namespace

void TMainForm::watchTree()
{
    if (!m_treeWatcher) {
        m_treeWatcher = new QFileSystemWatcher(this);
        m_treeRecheck = new QTimer(this);
        m_treeRecheck->setSingleShot(true);
        m_treeRecheck->setInterval(500); // a sync engine makes a plant's files one after another
        connect(m_treeWatcher, &QFileSystemWatcher::directoryChanged, m_treeRecheck,
                qOverload<>(&QTimer::start));
        connect(m_treeRecheck, &QTimer::timeout, this, &TMainForm::treeFolderChanged);
    }
    if (!m_treeWatcher->directories().isEmpty())
        m_treeWatcher->removePaths(m_treeWatcher->directories());
    const QString group = collection::groupFolder(m_programFolder, currentGroupName);
    QStringList folders{group};
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i)
        if (planttree::isFolder(TreeView1->topLevelItem(i)))
            folders << paths::join(group, TreeView1->topLevelItem(i)->text(0));
    m_treeWatcher->addPaths(folders);
}

void TMainForm::treeFolderChanged()
{
    // Plants, folders made, removed or renamed by another program (a sync engine) show as they are.
    if (treeLoading || currentGroupName.isEmpty() || !TreeView1->isEnabled())
        return;
    const LoadedTree disk = loadTreeFromDisk(m_programFolder, currentGroupName, firstGroupName);
    if (disk.group != currentGroupName || nodePaths(disk.nodes) == nodePaths(TreeView1))
        return;
    loadTree(currentGroupName);
    StatusBar->showMessage(m_messages.text(QStringLiteral("k30")), 10000);
}

void TMainForm::markConflicts()
{
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it) {
        const bool conflict = !conflicts::inFolder(nodeFolderOf(*it)).isEmpty();
        QFont font = (*it)->font(0);
        if (font.italic() == conflict && ((*it)->toolTip(0).isEmpty() != conflict))
            continue;
        font.setItalic(conflict);
        (*it)->setFont(0, font);
        (*it)->setToolTip(0, conflict ? m_messages.text(QStringLiteral("c7")) : QString());
    }
}
