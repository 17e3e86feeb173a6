// The window's side of page history and removed items: menu items open the dialogs of src/history,
// then the window shows what they put back.
#include "app/mainform.h"

#include "editor/editor.h"
#include "groups/tframe1.h"
#include "history/pagehistorydialog.h"
#include "history/removeditemsdialog.h"
#include "history/versions.h"
#include "platform/paths.h"
#include "store/errorlog.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

void TMainForm::buildHistoryItems(QMenu* file, QMenu* edit)
{
    m_removedItems = new QAction(QStringLiteral("Removed items..."), file);
    // Above the separator before Quit.
    const QList<QAction*> items = file->actions();
    file->insertAction(items.size() >= 2 ? items[items.size() - 2] : nullptr, m_removedItems);
    m_removedItems->setObjectName(QStringLiteral("RemovedItemsItem"));
    setTextKey(m_removedItems, 200);
    connect(m_removedItems, &QAction::triggered, this, &TMainForm::showRemovedItems);
    m_pageHistory = edit->addAction(QStringLiteral("Page history..."));
    m_pageHistory->setObjectName(QStringLiteral("PageHistoryItem"));
    setTextKey(m_pageHistory, 201);
    m_pageHistory->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
    connect(m_pageHistory, &QAction::triggered, this, &TMainForm::showPageHistory);
    // The same item at the end of the editor's own menu.
    Editor->addAction(m_pageHistory);
}

bool TMainForm::pageHasHistory() const
{
    return editorFileName != untitled() && versions::keepsVersions(editorFileName);
}

void TMainForm::showPageHistory()
{
    if (!pageHasHistory() || !FileSave())
        return;
    QString caption = TreeView1->currentItem() ? TreeView1->currentItem()->text(0) : QString();
    if (QPushButton* page = pageButtonOf(currentPageFile))
        caption += QStringLiteral(" - ") + page->text().remove(u'&');
    PageHistoryDialog dialog(editorFileName, caption, m_messages, *m_sink, this);
    if (dialog.exec() == QDialog::Accepted && !dialog.restoredId().isEmpty())
        FileOpen();
}

void TMainForm::showRemovedItems()
{
    if (!FileSave())
        return;
    RemovedItemsDialog dialog(m_programFolder, m_messages, *m_sink, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.restored().ok)
        return;
    const removed::RestoreResult& r = dialog.restored();
    // Show it where it came back: its group, then its node.
    buildGroupBar();
    if (r.group.compare(paths::kNotes, Qt::CaseInsensitive) == 0) {
        BitBtn1Click();
    } else if (r.group == currentGroupName && !notesMode) {
        loadTree(currentGroupName);
    } else {
        for (int slot = 1; slot <= groupCount; ++slot)
            if (Frame11->entry(slot).name == r.group)
                Image3MouseDown(slot, Qt::LeftButton);
    }
    reselectCurrentGroup();
    if (dialog.restoredItem().kind == removed::Kind::Group)
        return;
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = TreeView1->topLevelItem(i);
        if (r.parent.isEmpty() && top->text(0) == r.name) {
            selectNode(top);
            return;
        }
        if (!r.parent.isEmpty() && top->text(0) == r.parent)
            for (int c = 0; c < top->childCount(); ++c)
                if (top->child(c)->text(0) == r.name) {
                    top->setExpanded(true);
                    selectNode(top->child(c));
                    return;
                }
    }
}
