// The window's side of a collection shared between computers: File › Conflicts... and the mark on
// nodes a sync engine left conflict copies in.
#include "app/mainform.h"

#include "editor/editor.h"
#include "sync/conflicts.h"
#include "sync/conflictsdialog.h"
#include "tree/planttree.h"

#include <QAction>
#include <QMenu>
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
