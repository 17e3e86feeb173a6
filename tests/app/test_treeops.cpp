#include "../support/tempprogramfolder.h"
#include "../support/treeitems.h"
#include "app/mainform.h"
#include "editor/editor.h"
#include "platform/sysio.h"
#include "store/inifile.h"
#include "tree/planttree.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QStringList removedEntries(const TempProgramFolder& pf, const QString& folder, const QString& name)
{
    return QDir(pf.file(folder))
        .entryList({QStringLiteral("!deleted_") + name + QStringLiteral("_*")}, QDir::Dirs);
}

struct Collection {
    TempProgramFolder pf;
    RecordingSink sink;
    Collection()
    {
        pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
        pf.writeRecord(QStringLiteral("MyPlants/Cacti/group.ini"), QStringLiteral("[Group]\nImageOrder=2\n"));
        pf.writeRecord(QStringLiteral("MyPlants/Roses/Shrubs/plant.ini"), QStringLiteral("[Main]\nCond=1\n"));
        pf.writeRecord(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa/plant.ini"),
                       QStringLiteral("[Main]\nCond=2\n"));
        pf.writeRecord(QStringLiteral("MyPlants/Roses/Climbers/plant.ini"),
                       QStringLiteral("[Main]\nCond=1\n"));
        pf.writeRecord(QStringLiteral("MyPlants/Roses/Tea/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
        pf.write(QStringLiteral("MyPlants/Roses/Tea/description.rtf"), "{\\rtf1 Tea page\\par}");
        pf.write(QStringLiteral("MyPlants/Roses/Tea/photo1.jpg"), QByteArray(3000, 'p'));
        pf.writeRecord(QStringLiteral("main.ini"), QStringLiteral("[Options]\nLastGroup=Roses\n"));
    }
};

} // namespace

TEST(TreeOps, AddRenameRemoveAndMark)
{
    Collection c;
    TempProgramFolder& pf = c.pf;
    TMainForm form(pf.path(), {}, &c.sink);
    QStringList answers;
    form.askName = [&](const QString&, const QString&) {
        return answers.isEmpty() ? QString() : answers.takeFirst();
    };
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTreeWidget* tree = form.TreeView1;
    ASSERT_EQ(topNames(tree),
              QStringList({QStringLiteral("Climbers"), QStringLiteral("Shrubs"), QStringLiteral("Tea")}));

    // Add plant into the selected folder: trailing blanks go, names already in the tree are asked
    // again, a name with a separator is refused with a message.
    tree->setCurrentItem(item(tree, QStringLiteral("Shrubs")));
    answers = {QStringLiteral("Rugosa"), QStringLiteral("a/b"), QStringLiteral("Alba  ")};
    form.N1Click();
    EXPECT_EQ(c.sink.warnings.size(), 1);
    c.sink.warnings.clear();
    QTreeWidgetItem* alba = item(tree, QStringLiteral("Alba"));
    ASSERT_NE(alba, nullptr);
    EXPECT_EQ(alba->parent()->text(0), QStringLiteral("Shrubs"));
    EXPECT_EQ(tree->currentItem(), alba)
        << (tree->currentItem() ? tree->currentItem()->text(0).toStdString() : "none");
    EXPECT_EQ(IniFile(pf.file(QStringLiteral("MyPlants/Roses/Shrubs/Alba/plant.ini")))
                  .readInteger(u"Main", u"Cond", -1),
              0);
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Roses/Shrubs/Alba/diary.rtf")));
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/a")));

    // Add folder keeps a trailing blank; it has no record until it is first selected.
    answers = {QStringLiteral("New ")};
    form.N15Click();
    EXPECT_TRUE(QDir(pf.file(QStringLiteral("MyPlants/Roses/New "))).exists());
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/New /plant.ini")));
    EXPECT_TRUE(planttree::isFolder(item(tree, QStringLiteral("New "))));

    // Rename Alba to Rugosa: that name is taken in the folder, so it becomes "Rugosa 1"; the page
    // being edited follows the folder. A blank name is refused and the caption kept.
    tree->setCurrentItem(alba);
    QTest::keyClicks(form.Editor, QStringLiteral("alba text"));
    form.N18Click();
    alba->setText(0, QStringLiteral("Rugosa"));
    EXPECT_EQ(alba->text(0), QStringLiteral("Rugosa 1"));
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa 1/plant.ini")));
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/Shrubs/Alba")));
    EXPECT_TRUE(form.editorFileName.endsWith(QStringLiteral("/Shrubs/Rugosa 1/description.rtf")));
    EXPECT_TRUE(
        pf.read(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa 1/description.rtf")).contains("alba text"));
    form.N18Click();
    alba->setText(0, QStringLiteral("   "));
    EXPECT_EQ(alba->text(0), QStringLiteral("Rugosa 1"));
    EXPECT_EQ(c.sink.warnings.size(), 1);
    c.sink.warnings.clear();

    // Marks change the icon at once and write the record.
    tree->setCurrentItem(item(tree, QStringLiteral("Tea")));
    form.setMark(5);
    EXPECT_EQ(planttree::imageOf(item(tree, QStringLiteral("Tea"))), 5);
    const IniFile tea(pf.file(QStringLiteral("MyPlants/Roses/Tea/plant.ini")));
    EXPECT_EQ(tea.readInteger(u"Main", u"Cond", -1), 5);
    EXPECT_EQ(tea.readInteger(u"Main", u"Expanded", -1), 0);

    // The menu: Delete is off on a folder with plants, Add plant off on a plant.
    auto enabled = [&](const char* name) {
        return form.PopupMenu1->findChild<QAction*>(QString::fromLatin1(name))->isEnabled();
    };
    form.openTreeMenu(item(tree, QStringLiteral("Shrubs")), QPoint(10, 10));
    EXPECT_FALSE(enabled("N7"));
    EXPECT_TRUE(enabled("N1"));
    form.PopupMenu1->hide();
    form.openTreeMenu(item(tree, QStringLiteral("Tea")), QPoint(10, 10));
    EXPECT_TRUE(enabled("N7"));
    EXPECT_FALSE(enabled("N1"));
    form.PopupMenu1->hide();

    // The menu key opens the menu for the selected node too.
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5),
                          tree->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(tree->viewport(), &key);
    EXPECT_TRUE(form.PopupMenu1->isVisible());
    EXPECT_TRUE(enabled("N7"));
    form.PopupMenu1->hide();

    // Remove renames the folder and keeps everything in it.
    c.sink.answer = true;
    form.N7Click();
    EXPECT_EQ(c.sink.questions.back(), QStringLiteral("Are you sure to remove \"Tea\"?"));
    EXPECT_EQ(item(tree, QStringLiteral("Tea")), nullptr);
    const QStringList removed = removedEntries(pf, QStringLiteral("MyPlants/Roses"), QStringLiteral("Tea"));
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/") + removed[0] + QStringLiteral("/photo1.jpg")).size(),
              3000);
    EXPECT_NE(tree->currentItem(), nullptr);
    EXPECT_TRUE(c.sink.warnings.isEmpty()) << c.sink.warnings.join(u'\n').toStdString();

    // In the notes group nothing is sent or marked; a folder that is the only node cannot be removed.
    pf.mkdir(QStringLiteral("MyPlants/!Notes/Todo"));
    pf.writeRecord(QStringLiteral("MyPlants/!Notes/group.ini"), QStringLiteral("[Group]\nColor=10484657\n"));
    form.showGroup(QStringLiteral("Notes"), QStringLiteral("!Notes"));
    ASSERT_EQ(topNames(tree), QStringList({QStringLiteral("Todo")}));
    form.openTreeMenu(tree->topLevelItem(0), QPoint(10, 10));
    EXPECT_FALSE(form.N8->menuAction()->isEnabled());
    EXPECT_FALSE(form.PopupMenu1->findChild<QMenu*>(QStringLiteral("N12"))->menuAction()->isEnabled());
    EXPECT_FALSE(enabled("N7"));
    form.PopupMenu1->hide();
    form.close();
}

TEST(TreeOps, MoveIntoAFolderAndSendToAnotherGroup)
{
    Collection c;
    TempProgramFolder& pf = c.pf;
    pf.mkdir(QStringLiteral("MyPlants/Roses/Never selected"));
    TMainForm form(pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTreeWidget* tree = form.TreeView1;

    // Drag Tea into Climbers: its files move, it shows under the folder.
    tree->setCurrentItem(item(tree, QStringLiteral("Tea")));
    QTest::keyClicks(form.Editor, QStringLiteral("moved "));
    EXPECT_FALSE(form.TreeView1DragOver(tree, item(tree, QStringLiteral("Rugosa")))) << "never onto a plant";
    EXPECT_TRUE(form.TreeView1DragOver(tree, item(tree, QStringLiteral("Climbers"))));
    form.TreeView1DragDrop(item(tree, QStringLiteral("Climbers")));
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/Tea")));
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Climbers/Tea/photo1.jpg")).size(), 3000);
    EXPECT_TRUE(pf.read(QStringLiteral("MyPlants/Roses/Climbers/Tea/description.rtf")).contains("moved"))
        << "the page was saved before the move";
    ASSERT_NE(item(tree, QStringLiteral("Tea")), nullptr);
    EXPECT_EQ(item(tree, QStringLiteral("Tea"))->parent()->text(0), QStringLiteral("Climbers"));
    // Dropping it on the folder that holds it does nothing.
    tree->setCurrentItem(item(tree, QStringLiteral("Tea")));
    form.TreeView1DragDrop(item(tree, QStringLiteral("Climbers")));
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Roses/Climbers/Tea/plant.ini")));

    // Send to the same group: nothing. To Cacti: it arrives at Cacti's top level.
    form.N9Click(QStringLiteral("Roses"));
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Roses/Climbers/Tea/plant.ini")));
    ASSERT_EQ(tree->currentItem()->text(0), QStringLiteral("Tea"));
    QAction* toCacti = form.N8->findChild<QAction*>(QStringLiteral("mgr2"));
    ASSERT_NE(toCacti, nullptr);
    EXPECT_EQ(toCacti->text(), QStringLiteral("Cacti"));
    toCacti->trigger(); // "Send to..." > Cacti
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Cacti/Tea/photo1.jpg")).size(), 3000)
        << c.sink.warnings.join(u' ').toStdString();
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/Climbers/Tea")));
    EXPECT_EQ(item(tree, QStringLiteral("Tea")), nullptr);

    // A folder never selected (no files at all) is not lost: it arrives in the other group.
    tree->setCurrentItem(item(tree, QStringLiteral("Never selected")));
    form.N9Click(QStringLiteral("Cacti")); // selecting it made its pages; send it anyway
    EXPECT_TRUE(QDir(pf.file(QStringLiteral("MyPlants/Cacti/Never selected"))).exists());
    pf.mkdir(QStringLiteral("MyPlants/Roses/Empty"));
    form.loadTree(QStringLiteral("Roses"));
    QSignalBlocker quiet(tree); // select without node selection, as a folder that was never opened
    tree->setCurrentItem(item(tree, QStringLiteral("Empty")));
    quiet.unblock();
    form.N9Click(QStringLiteral("Cacti"));
    EXPECT_TRUE(QDir(pf.file(QStringLiteral("MyPlants/Cacti/Empty"))).exists());
    EXPECT_FALSE(QDir(pf.file(QStringLiteral("MyPlants/Roses/Empty"))).exists());

    // A name that already exists in the target group is refused; nothing moves.
    pf.writeRecord(QStringLiteral("MyPlants/Cacti/Shrubs/plant.ini"), QStringLiteral("[Main]\nCond=1\n"));
    tree->setCurrentItem(item(tree, QStringLiteral("Shrubs")));
    form.N9Click(QStringLiteral("Cacti"));
    ASSERT_EQ(c.sink.warnings.size(), 1);
    EXPECT_TRUE(c.sink.warnings[0].startsWith(QStringLiteral("Directory with name ")));
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa/plant.ini")));
    form.close();
}

TEST(TreeOps, AMoveThatRunsOutOfRoomIsWholeOrNothing)
{
    Collection c;
    TempProgramFolder& pf = c.pf;
    pf.write(QStringLiteral("MyPlants/Roses/Tea/big.jpg"), QByteArray(300000, 'b'));
    TMainForm form(pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.TreeView1->setCurrentItem(item(form.TreeView1, QStringLiteral("Tea")));
    const auto before = QDir(pf.file(QStringLiteral("MyPlants/Roses/Tea"))).entryList(QDir::Files);
    // The target lies on another file system (so the move copies) where files larger than 100 KB
    // cannot be written.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = 100000;
    sysio::failEvery(sysio::Op::Rename, 1, EXDEV, true);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    form.N8->findChild<QAction*>(QStringLiteral("mgr2"))->trigger(); // Send to > Cacti
    setrlimit(RLIMIT_FSIZE, &old);
    sysio::clearFaults();
    // Nothing arrived, nothing is hidden: the plant is whole where it was, and still in the tree.
    EXPECT_EQ(QDir(pf.file(QStringLiteral("MyPlants/Cacti")))
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("group.ini")});
    EXPECT_EQ(QDir(pf.file(QStringLiteral("MyPlants/Roses/Tea"))).entryList(QDir::Files), before);
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Tea/big.jpg")), QByteArray(300000, 'b'));
    EXPECT_TRUE(removedEntries(pf, QStringLiteral("MyPlants/Roses"), QStringLiteral("Tea")).isEmpty());
    EXPECT_NE(item(form.TreeView1, QStringLiteral("Tea")), nullptr);
    ASSERT_FALSE(c.sink.warnings.isEmpty()) << "the failing file was reported";
    EXPECT_TRUE(c.sink.warnings.join(u' ').contains(QStringLiteral("File too large")))
        << c.sink.warnings.join(u' ').toStdString();

    // With room made, the next move goes through, across file systems too.
    sysio::failEvery(sysio::Op::Rename, 1, EXDEV, true);
    form.TreeView1->setCurrentItem(item(form.TreeView1, QStringLiteral("Tea")));
    form.N8->findChild<QAction*>(QStringLiteral("mgr2"))->trigger();
    sysio::clearFaults();
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Cacti/Tea/big.jpg")), QByteArray(300000, 'b'));
    EXPECT_EQ(QDir(pf.file(QStringLiteral("MyPlants/Cacti/Tea"))).entryList(QDir::Files), before);
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/Tea")));
    EXPECT_EQ(
        QDir(pf.file(QStringLiteral("MyPlants/Roses"))).entryList({QStringLiteral("!vd*")}, QDir::AllEntries),
        QStringList());
    form.close();
}
