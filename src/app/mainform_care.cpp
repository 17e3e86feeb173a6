// The window's side of the care schedule (src/care/carecommands): its actions put in the File menu, the
// menu bar's corner and the tree's menu, and the window's answers to it.
#include "app/mainform.h"

#include "care/carecommands.h"
#include "tree/nodefiles.h"
#include "tree/planttree.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>

void TMainForm::buildCareItems(QMenu* file)
{
    CareCommands::Hooks hooks;
    hooks.saveFirst = [this] { return FileSave(); };
    hooks.changed = [this](const QStringList& folders) {
        markOverdue();
        // The diary on show got its line: shown anew (its edits were saved before).
        for (const QString& f : folders)
            if (editorFileName.startsWith(f + u'/'))
                FileOpen();
    };
    hooks.say = [this](const QString& text) { StatusBar->showMessage(text, 15000); };
    hooks.warn = [this](const QString& text) { showError(text); };
    m_care = new CareCommands(m_programFolder, m_caption, m_messages, *m_sink, this, std::move(hooks));
    // Above Removed items...
    file->insertAction(m_removedItems, m_care->today());
    file->insertAction(m_removedItems, m_care->calendar());
    file->insertSeparator(m_removedItems);
    addAction(m_care->today()); // its key works wherever the keyboard is in the window
    // The button sits at the right end of the menu bar: always in sight, and no row of its own taken
    // from the pages.
    auto* button = new QToolButton(menuBar());
    button->setObjectName(QStringLiteral("CareButton"));
    button->setDefaultAction(m_care->today());
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    menuBar()->setCornerWidget(button, Qt::TopRightCorner);

    PopupMenu1->addSeparator();
    PopupMenu1->addAction(m_care->schedule());
    connect(m_care->schedule(), &QAction::triggered, this, &TMainForm::showCareSchedule);
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] {
        m_care->schedule()->setEnabled(!isNotesGroup(currentGroupName) && !currentGroupName.isEmpty());
    });
}

void TMainForm::markOverdue()
{
    m_care->markOverdue(TreeView1, currentGroupName, [this](const QTreeWidgetItem* n) { return nodeFolderOf(n); });
}

void TMainForm::showCareSchedule()
{
    if (isNotesGroup(currentGroupName) || currentGroupName.isEmpty())
        return;
    // The selected node's schedule; from the menu over empty space, the group's.
    QTreeWidgetItem* node = m_topLevelAdd ? nullptr : TreeView1->currentItem();
    if (node && !node->isSelected())
        node = nullptr;
    m_care->editSchedule(currentGroupName, node && node->parent() ? node->parent()->text(0) : QString(),
                         node ? node->text(0) : QString(), planttree::isFolder(node));
}
