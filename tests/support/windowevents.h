#pragma once

// What the tests of the window use: the window and its parts, a program folder, and helpers that drive
// them with the events a user makes.
#include "app/mainform.h"
#include "editor/editor.h"
#include "groups/tform2.h"
#include "groups/tframe1.h"
#include "photos/photopanel.h"
#include "store/inifile.h"
#include "tempprogramfolder.h"
#include "treeitems.h"
#include "typing.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include <gtest/gtest.h>

// The main window over a program folder, shown on the screen.
struct ShownForm : TMainForm {
    ShownForm(const QString& programFolder, MessageSink* sink, const QStringList& args = {})
        : TMainForm(programFolder, args, sink)
    {
        show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(this));
    }
};

// Saves a picture of w into $VERDARIUM_SHOTS (for the README's screenshots) when that is set.
inline void shoot(QWidget* w, const char* name)
{
    const QByteArray dir = qgetenv("VERDARIUM_SHOTS");
    if (!dir.isEmpty()) {
        QTest::qWait(200);
        w->grab().save(QFile::decodeName(dir) + u'/' + QLatin1String(name));
    }
}

// The group names on the bar, in its order.
inline QStringList barNames(TMainForm& form)
{
    QStringList names;
    for (int n = 1; n <= form.Frame11->count(); ++n)
        names << form.Frame11->entry(n).name;
    return names;
}

// A left click on the tree's node of that text, at any level.
inline void clickNode(TMainForm& form, const QString& text, Qt::MouseButton button = Qt::LeftButton)
{
    const QList<QTreeWidgetItem*> found =
        form.TreeView1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_FALSE(found.isEmpty()) << text.toStdString();
    form.TreeView1->scrollToItem(found.front());
    QTest::mouseClick(form.TreeView1->viewport(), button, {},
                      form.TreeView1->visualItemRect(found.front()).center());
    QApplication::processEvents();
}

// Opens a shown menu's submenu of that object name with a click on its item.
inline QMenu* openSubmenu(QMenu* menu, const char* name)
{
    for (QAction* a : menu->actions())
        if (a->menu() && a->menu()->objectName() == QLatin1String(name)) {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
            EXPECT_TRUE(QTest::qWaitFor([a] { return a->menu()->isVisible(); })) << name;
            return a->menu();
        }
    ADD_FAILURE() << "no submenu " << name;
    return menu;
}

// A click on a shown menu's item of that object name, or on the item sub of that submenu.
inline void chooseItem(QMenu* menu, const char* item, const char* sub = nullptr)
{
    if (sub)
        return chooseItem(openSubmenu(menu, item), sub);
    ASSERT_TRUE(menu->isVisible());
    QAction* a = nullptr;
    for (QAction* shown : menu->actions())
        a = shown->objectName() == QLatin1String(item) ? shown : a;
    ASSERT_NE(a, nullptr) << item;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
}

// A click on the menu bar's menu of that object name, then on its item (or on the item sub of that submenu).
inline void menuBarItem(TMainForm& form, const char* menuName, const char* item, const char* sub = nullptr)
{
    auto* menu = form.menuBar()->findChild<QMenu*>(QString::fromLatin1(menuName));
    ASSERT_NE(menu, nullptr) << menuName;
    QTest::mouseClick(form.menuBar(), Qt::LeftButton, {},
                      form.menuBar()->actionGeometry(menu->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
    chooseItem(menu, item, sub);
}

// A right click on a node, then a click on the tree menu's item (or on the item sub of that submenu).
inline void treeMenu(TMainForm& form, const QString& node, const char* item, const char* sub = nullptr)
{
    clickNode(form, node, Qt::RightButton);
    chooseItem(form.PopupMenu1, item, sub);
}

// F2 or Rename has opened the caption's editor: type the new name where the keyboard is (that must
// be the caption's editor in the tree) and press Enter.
inline void typeNewName(TMainForm& form, const QString& name)
{
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr) << "no caption editor has the keyboard";
    ASSERT_TRUE(form.TreeView1->isAncestorOf(edit));
    edit->selectAll();
    QTest::keyClicks(edit, name);
    QTest::keyClick(edit, Qt::Key_Return);
    QApplication::processEvents(); // the caption is committed from the event loop
}

// Acts on the next modal window of type T (a message box, a dialog) as soon as it is open and active.
template <class T> void whenModal(const std::function<void(T*)>& act)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        // Once it has the keyboard: keys sent before then would go to the window beneath.
        auto* w = qobject_cast<T*>(QApplication::activeModalWidget());
        if (w && w->isActiveWindow()) {
            poll->stop();
            poll->deleteLater();
            act(w);
        }
    });
    poll->start(5);
}

// A right click on a group picture, then a click on the group menu's item when one is named.
inline void groupMenu(TMainForm& form, int slot, const char* itemName = nullptr)
{
    QWidget* picture = form.Frame11->picture(slot);
    QContextMenuEvent press(QContextMenuEvent::Mouse, picture->rect().center(),
                            picture->mapToGlobal(picture->rect().center()));
    QApplication::sendEvent(picture, &press);
    if (itemName)
        chooseItem(form.PopupMenu3, itemName);
}
