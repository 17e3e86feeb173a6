// The plant tree's context menu and drags: adding, renaming, removing, marking and moving nodes.
#include "app/mainform.h"

#include "editor/editor.h"
#include "i18n/translate.h"
#include "platform/linkguard.h"
#include "platform/messagesink.h"
#include "platform/names.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "store/errorlog.h"
#include "tree/nodefiles.h"
#include "tree/plantops.h"
#include "tree/planttree.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>

namespace {

// The wait cursor for as long as a move runs.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QString systemText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The name dialog: a label, a name field, OK (the default) and Cancel. OK with an empty field does nothing.
QString nameDialog(QWidget* parent, const QString& caption, const QString& label)
{
    QDialog d(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    d.setObjectName(QStringLiteral("Form4"));
    d.setWindowTitle(caption);
    d.setFixedSize(339, 100);
    auto* l = new QLabel(label, &d);
    l->setObjectName(QStringLiteral("Label1"));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setGeometry(8, 20, 65, 21);
    auto* edit = new QLineEdit(&d);
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->setGeometry(84, 20, 241, 21);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &d);
    setTextKey(cancel, 55);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setGeometry(170, 60, 75, 25);
    auto* ok = new QPushButton(QStringLiteral("OK"), &d);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(250, 60, 75, 25);
    ok->setDefault(true);
    setTextKey(ok, 56);
    i18n::translateWithCurrent(&d);
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    QObject::connect(ok, &QPushButton::clicked, &d, [&] {
        if (!edit->text().isEmpty())
            d.accept();
    });
    return d.exec() == QDialog::Accepted ? edit->text() : QString();
}

} // namespace

void TMainForm::buildTreeMenu()
{
    askName = [this](const QString& caption, const QString& label) {
        return nameDialog(this, caption, label);
    };
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [this](QMenu* menu, const QString& name, const QString& text, int key, auto handler) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        setTextKey(a, key);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    item(PopupMenu1, QStringLiteral("N1"), QStringLiteral("Add plant"), 22, &TMainForm::N1Click);
    item(PopupMenu1, QStringLiteral("N15"), QStringLiteral("Add folder"), 23, &TMainForm::N15Click);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N16"));
    item(PopupMenu1, QStringLiteral("N7"), QStringLiteral("Delete"), 24, &TMainForm::N7Click);
    item(PopupMenu1, QStringLiteral("N18"), QStringLiteral("Rename"), 25, &TMainForm::N18Click);
    N8->setTitle(QStringLiteral("Send to..."));
    setTextKey(N8->menuAction(), 26);
    PopupMenu1->addMenu(N8);
    connect(N8, &QMenu::triggered, this, [this](QAction* a) { N9Click(a->text()); });
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N17"));
    QMenu* marks = PopupMenu1->addMenu(QStringLiteral("Note"));
    marks->setObjectName(QStringLiteral("N12"));
    setTextKey(marks->menuAction(), 27);
    for (const auto& [name, text, key, mark] :
         {std::tuple{"N13", "No", 28, 0}, std::tuple{"N21", "Ideal condition", 29, 2},
          std::tuple{"N31", "Urgently to replace!", 30, 3}, std::tuple{"N41", "To replace", 31, 4},
          std::tuple{"N14", "To treat", 32, 5}}) {
        QAction* a = item(marks, QString::fromLatin1(name), QString::fromLatin1(text), key,
                          [this, m = mark] { setMark(m); });
        a->setIcon(planttree::conditionIcon(mark));
    }
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this, marks] {
        // PopupMenu1Popup: the notes group sends nothing and marks nothing.
        const bool notes = isNotesGroup(currentGroupName);
        N8->menuAction()->setEnabled(!notes);
        if (notes)
            marks->menuAction()->setEnabled(false);
    });
    // A key of its own for a command: on the whole window, or only while the tree has the keyboard.
    auto key = [this](QWidget* on, const char* name, const QList<QKeySequence>& keys, auto handler) {
        auto* a = new QAction(on);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        a->setShortcutContext(on == this ? Qt::WindowShortcut : Qt::WidgetShortcut);
        on->addAction(a);
        connect(a, &QAction::triggered, this, handler);
    };
    // F2 renames the selected node wherever the keyboard is in the window.
    key(this, "RenameKey", {QKeySequence(Qt::Key_F2)}, &TMainForm::N18Click);
    // Delete asks to remove the selected node, and Shift+F10 opens the tree's menu, as the Menu key does.
    key(TreeView1, "DeleteKey", {QKeySequence(Qt::Key_Delete)}, &TMainForm::N7Click);
    key(TreeView1, "MenuKey", {QKeySequence(Qt::ShiftModifier | Qt::Key_F10), QKeySequence(Qt::Key_Menu)},
        &TMainForm::openTreeMenuFromKeyboard);
    // Escape leaves no node selected, so that the menu key then offers what empty space offers.
    key(TreeView1, "UnselectKey", {QKeySequence(Qt::Key_Escape)}, [this] { TreeView1->clearSelection(); });
    TreeView1->setDragEnabled(true);
    TreeView1->setDragDropMode(QAbstractItemView::DragDrop);
    TreeView1->setDefaultDropAction(Qt::MoveAction);
    connect(TreeView1, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* node, int) {
        if (node == m_renaming && node->text(0) != m_renamingFrom)
            TreeView1Edited(node, node->text(0));
    });
}

QString TMainForm::parentFolderOf(const QTreeWidgetItem* node) const
{
    QString folder = collection::groupFolder(m_programFolder, currentGroupName);
    if (node && node->parent())
        folder = paths::join(folder, node->parent()->text(0));
    return folder;
}

bool TMainForm::nameInTree(const QString& name) const
{
    return !TreeView1->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive | Qt::MatchRecursive)
                .isEmpty();
}

void TMainForm::openTreeMenuFromKeyboard()
{
    // The node the menu is for is the selected one; with none selected, it is the empty space's menu.
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (node && !node->isSelected())
        node = nullptr;
    const QPoint at = node ? TreeView1->visualItemRect(node).center() : QPoint(8, 8);
    openTreeMenu(node, TreeView1->viewport()->mapToGlobal(at));
}

void TMainForm::openTreeMenu(QTreeWidgetItem* node, const QPoint& globalPos)
{
    QAction* add = PopupMenu1->findChild<QAction*>(QStringLiteral("N1"));
    QAction* del = PopupMenu1->findChild<QAction*>(QStringLiteral("N7"));
    QAction* rename = PopupMenu1->findChild<QAction*>(QStringLiteral("N18"));
    QAction* marks = PopupMenu1->findChild<QMenu*>(QStringLiteral("N12"))->menuAction();
    if (node) {
        if (!FileSave())
            return;
        m_topLevelAdd = false;
        if (TreeView1->currentItem() != node)
            TreeView1->setCurrentItem(node);
        const bool folder = planttree::isFolder(node);
        add->setEnabled(folder);
        marks->setEnabled(!folder);
        del->setEnabled(canRemove(node));
        rename->setEnabled(true);
    } else {
        add->setEnabled(true);
        del->setEnabled(false);
        rename->setEnabled(false); // over empty space there is nothing to rename
        marks->setEnabled(false);
        m_topLevelAdd = true;
    }
    QApplication::processEvents();
    PopupMenu1->popup(globalPos);
}

QString TMainForm::askNewNodeName(const QString& caption, bool trimEnd)
{
    // Asked again until the name is one no node of the tree has and the disk can hold.
    for (;;) {
        QString name = askName(caption, m_messages.text(QStringLiteral("s58")));
        if (name.isEmpty())
            return QString();
        if (trimEnd)
            while (name.endsWith(u' '))
                name.chop(1);
        if (name.isEmpty())
            continue;
        const names::Problem problem = names::check(name);
        if (problem != names::Problem::None) {
            showError(m_messages.textWithName(names::messageKey(problem), name));
            continue;
        }
        if (!nameInTree(name))
            return name;
    }
}

bool TMainForm::refusedByLink(const QString& path)
{
    const QByteArray link = linkguard::linkOnTheWay(paths::native(path));
    if (link.isEmpty())
        return false;
    showError(linkguard::refusal(link));
    return true;
}

void TMainForm::N1Click()
{
    QTreeWidgetItem* into = TreeView1->currentItem();
    const bool inFolder = !m_topLevelAdd && into && planttree::isFolder(into) && !into->parent();
    if (refusedByLink(inFolder ? nodeFolderOf(into) + QStringLiteral("/.")
                               : collection::groupFolder(m_programFolder, currentGroupName) +
                                     QStringLiteral("/.")))
        return;
    const QString name = askNewNodeName(m_messages.text(QStringLiteral("u52")), true);
    if (name.isEmpty())
        return;
    QTreeWidgetItem* parent = TreeView1->currentItem();
    auto* node = new QTreeWidgetItem(QStringList{name});
    planttree::setImage(node, 0);
    if (m_topLevelAdd || !parent || !planttree::isFolder(parent) || parent->parent())
        TreeView1->addTopLevelItem(node);
    else
        parent->addChild(node);
    TreeView1->setCurrentItem(node); // node selection makes its folder, pages and record
}

void TMainForm::N15Click()
{
    if (refusedByLink(collection::groupFolder(m_programFolder, currentGroupName) + QStringLiteral("/.")))
        return;
    const QString name = askNewNodeName(m_messages.text(QStringLiteral("u53")), false);
    if (name.isEmpty())
        return;
    const QString folder = paths::join(collection::groupFolder(m_programFolder, currentGroupName), name);
    if (!paths::makeDir(folder)) {
        showError(m_messages.text(QStringLiteral("e8")) + u' ' + folder);
        return;
    }
    auto* node = new QTreeWidgetItem(QStringList{name});
    planttree::setImage(node, collection::kFolderMark);
    TreeView1->addTopLevelItem(node);
    TreeView1->setCurrentItem(node); // ready for its first plant
}

void TMainForm::nodeLeft(QTreeWidgetItem* node)
{
    // The node's unsaved text has no home any more (it was saved when the menu opened).
    Editor->document()->setModified(false);
    showModifiedState(false);
    editorFileName = untitled();
    delete node; // the tree selects another node, which runs node selection
    if (!TreeView1->currentItem() && TreeView1->topLevelItemCount() > 0)
        TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
    Editor->setEnabled(TreeView1->topLevelItemCount() > 0);
    showEmptyPageWhenNoNodes();
}

bool TMainForm::canRemove(const QTreeWidgetItem* node) const
{
    // A folder goes only when empty, and never as the group's last node.
    if (!node || !planttree::isFolder(node))
        return node != nullptr;
    int nodes = 0;
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it)
        ++nodes;
    return node->childCount() == 0 && nodes != 1;
}

void TMainForm::N7Click()
{
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!canRemove(node))
        return;
    if (refusedByLink(nodeFolderOf(node)))
        return;
    if (!m_sink->question(m_messages.text(QStringLiteral("q1")) + QStringLiteral(" \"") + node->text(0) +
                          QStringLiteral("\"?")))
        return;
    if (!FileSave())
        return;
    const QString parent = parentFolderOf(node);
    QString target;
    if (plantops::removeNode(parent, node->text(0), &target).isEmpty()) {
        const QString text = systemText();
        m_sink->warning(m_messages.text(QStringLiteral("e5")) + u' ' + text);
        errorlog::WriteErrorLog(m_programFolder, errorlog::message(text, QStringLiteral("n7click"), target));
        return;
    }
    nodeLeft(node);
}

void TMainForm::N18Click()
{
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node)
        return;
    m_renaming = node;
    m_renamingFrom = node->text(0);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    TreeView1->setFocus(); // F2 may come from the page or the comment box: the typing goes to the caption
    TreeView1->editItem(node, 0);
}

void TMainForm::TreeView1Edited(QTreeWidgetItem* node, const QString& text)
{
    const QString from = m_renamingFrom;
    m_renaming = nullptr;
    node->setFlags(node->flags() & ~Qt::ItemIsEditable);
    auto keep = [&] {
        const QSignalBlocker quiet(TreeView1);
        node->setText(0, from);
    };
    // A blank name, or one the folder could not hold, is refused; the caption stays.
    const names::Problem problem = names::check(text);
    if (problem != names::Problem::None) {
        keep();
        showError(m_messages.textWithName(names::messageKey(problem), text));
        return;
    }
    if (!FileSave() || refusedByLink(nodeFolderOf(node))) {
        keep();
        return;
    }
    const QString parent = parentFolderOf(node);
    const QString name = plantops::renameNode(parent, from, text);
    if (name.isEmpty()) {
        // "Probably the name exists" only when it does; anything else says what the system said.
        const QString why = errno == EEXIST ? m_messages.text(QStringLiteral("e7"))
                                            : m_messages.text(QStringLiteral("e3")) + u' ' + text +
                                                  QStringLiteral(": ") + systemText();
        keep();
        showError(why);
        return;
    }
    {
        const QSignalBlocker quiet(TreeView1);
        node->setText(0, name);
    }
    // The page being edited and the album now live in the renamed folder (the node's own, or its
    // parent's).
    followFolder(paths::join(parent, from), paths::join(parent, name));
    const QTreeWidgetItem* current = TreeView1->currentItem();
    if (current && current->parent() == node)
        subPath = name;
    if (current)
        m_lastNodes.insert(currentGroupName, planttree::pathOf(current));
}

bool TMainForm::moveNodeTo(QTreeWidgetItem* node, const QString& target, const QString& routine)
{
    const QString source = nodeFolderOf(node);
    if (refusedByLink(source) || refusedByLink(target))
        return false;
    const plantops::MoveResult r = [&] {
        const BusyCursor busy;
        return plantops::moveNode(m_copier, source, target);
    }();
    if (r.targetExists) {
        m_sink->warning(m_messages.text(QStringLiteral("e1")) + u' ' + target + u' ' +
                        m_messages.text(QStringLiteral("e2")));
        errorlog::WriteErrorLog(m_programFolder, QStringLiteral("Error msg: ") + r.error +
                                                     QStringLiteral(" ((") + routine +
                                                     QStringLiteral(") args: same directory exist"));
        return false;
    }
    if (!r.moved) {
        m_sink->warning(m_messages.text(QStringLiteral("e5")) + u' ' + r.error);
        errorlog::WriteErrorLog(m_programFolder, errorlog::message(r.error, routine, source));
        return false;
    }
    if (!r.leftBehind.isEmpty())
        errorlog::WriteErrorLog(
            m_programFolder,
            QStringLiteral("Error msg: the node is at its target, and its original also stays in ") +
                r.leftBehind + QStringLiteral(" ((") + routine + QStringLiteral(") args: ") + target + u')');
    return true;
}

void TMainForm::N9Click(const QString& group)
{
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node || group == currentGroupName || isNotesGroup(currentGroupName))
        return;
    if (!FileSave())
        return;
    if (moveNodeTo(node, paths::join(collection::groupFolder(m_programFolder, group), node->text(0)),
                   QStringLiteral("n9click")))
        nodeLeft(node);
}

bool TMainForm::TreeView1DragOver(QObject* source, QTreeWidgetItem* target) const
{
    // Onto a folder; or onto empty space (no target), which takes a plant out of its folder.
    if (source != TreeView1)
        return false;
    if (!target)
        return TreeView1->currentItem() && TreeView1->currentItem()->parent();
    return planttree::isFolder(target);
}

void TMainForm::TreeView1DragDrop(QTreeWidgetItem* target)
{
    // Onto a folder, or (target none) onto empty space: out of its folder to the top level.
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node || node == target || planttree::isFolder(node) || node->parent() == target ||
        (target && !planttree::isFolder(target)))
        return;
    if (!FileSave())
        return;
    const QString groupFolder = collection::groupFolder(m_programFolder, currentGroupName);
    const QString into = target ? paths::join(groupFolder, target->text(0)) : groupFolder;
    if (!moveNodeTo(node, paths::join(into, node->text(0)), QStringLiteral("TreeView1DragDrop")))
        return;
    auto* moved = new QTreeWidgetItem(QStringList{node->text(0)});
    planttree::setImage(moved, planttree::imageOf(node));
    {
        const QSignalBlocker quiet(TreeView1);
        if (target)
            target->addChild(moved);
        else
            TreeView1->addTopLevelItem(moved);
    }
    nodeLeft(node);
}

void TMainForm::setMark(int mark)
{
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node || planttree::isFolder(node) || refusedByLink(nodeFolderOf(node) + QStringLiteral("/.")))
        return;
    {
        const QSignalBlocker quiet(TreeView1);
        planttree::setImage(node, mark);
    }
    savecond(mark, 0);
}
