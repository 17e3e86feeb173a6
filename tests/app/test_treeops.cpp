#include "../support/windowevents.h"
#include "platform/sysio.h"
#include "tree/planttree.h"

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

QStringList removedEntries(const TempProgramFolder& pf, const QString& folder, const QString& name)
{
    return QDir(pf.file(folder)).entryList({u"!deleted_"_s + name + u"_*"_s}, QDir::Dirs);
}

struct Collection {
    TempProgramFolder pf;
    RecordingSink sink;
    Collection()
    {
        pf.layOut({u"Roses"_s, u"Cacti"_s},
                  {u"Roses/Shrubs=1"_s, u"Roses/Shrubs/Rugosa=2"_s, u"Roses/Climbers=1"_s, u"Roses/Tea=0"_s});
        pf.write(u"MyPlants/Roses/Tea/description.rtf"_s, "{\\rtf1 Tea page\\par}");
        pf.write(u"MyPlants/Roses/Tea/photo1.jpg"_s, QByteArray(3000, 'p'));
    }
};

} // namespace

TEST(TreeOps, AddRenameRemoveAndMark)
{
    Collection c;
    TempProgramFolder& pf = c.pf;
    ShownForm form(pf.path(), &c.sink);
    QStringList answers;
    form.askName = [&](const QString&, const QString&) {
        return answers.isEmpty() ? QString() : answers.takeFirst();
    };
    QTreeWidget* tree = form.TreeView1;
    ASSERT_EQ(topNames(tree), QStringList({u"Climbers"_s, u"Shrubs"_s, u"Tea"_s}));

    // Add plant into the selected folder: trailing blanks go, names already in the tree are asked
    // again, a name with a separator is refused with a message.
    answers = {u"Rugosa"_s, u"a/b"_s, u"Alba  "_s};
    treeMenu(form, u"Shrubs"_s, "N1");
    EXPECT_EQ(c.sink.warnings.size(), 1);
    c.sink.warnings.clear();
    QTreeWidgetItem* alba = item(tree, u"Alba"_s);
    ASSERT_NE(alba, nullptr);
    EXPECT_FALSE(pf.exists(u"MyPlants/a"_s));

    // Add folder keeps a trailing blank; the new folder is selected, ready for its first plant.
    answers = {u"New "_s};
    treeMenu(form, u"Alba"_s, "N15");
    EXPECT_TRUE(QDir(pf.file(u"MyPlants/Roses/New "_s)).exists());
    EXPECT_EQ(pf.number(u"MyPlants/Roses/New /plant.ini"_s, u"Main", u"Cond"), 1);
    EXPECT_TRUE(planttree::isFolder(item(tree, u"New "_s)));
    EXPECT_EQ(tree->currentItem(), item(tree, u"New "_s));

    // Rename Alba to Rugosa: that name is taken in the folder, so it becomes "Rugosa 1"; the page
    // being edited follows the folder. A blank name is refused and the caption kept.
    clickNode(form, u"Alba"_s);
    QTest::keyClicks(form.Editor, u"alba text"_s);
    treeMenu(form, u"Alba"_s, "N18");
    typeNewName(form, u"Rugosa"_s);
    EXPECT_EQ(alba->text(0), u"Rugosa 1"_s);
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Shrubs/Rugosa 1/plant.ini"_s));
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Shrubs/Alba"_s));
    EXPECT_TRUE(form.editorFileName.endsWith(u"/Shrubs/Rugosa 1/description.rtf"_s));
    EXPECT_TRUE(pf.read(u"MyPlants/Roses/Shrubs/Rugosa 1/description.rtf"_s).contains("alba text"));
    QTest::keyClick(form.Editor, Qt::Key_F2);
    typeNewName(form, u"   "_s);
    EXPECT_EQ(alba->text(0), u"Rugosa 1"_s);
    EXPECT_EQ(c.sink.warnings.size(), 1);
    c.sink.warnings.clear();

    // Marks change the icon at once (the records they write are checked against the companion's).
    treeMenu(form, u"Tea"_s, "N12", "N14");
    EXPECT_EQ(planttree::imageOf(item(tree, u"Tea"_s)), 5);

    // The menu: Delete is off on a folder with plants, Add plant off on a plant.
    auto enabled = [&](const char* name) {
        return form.PopupMenu1->findChild<QAction*>(QString::fromLatin1(name))->isEnabled();
    };
    clickNode(form, u"Shrubs"_s, Qt::RightButton);
    EXPECT_FALSE(enabled("N7"));
    EXPECT_TRUE(enabled("N1"));
    QTest::keyClick(form.PopupMenu1, Qt::Key_Escape);
    clickNode(form, u"Tea"_s, Qt::RightButton);
    EXPECT_TRUE(enabled("N7"));
    EXPECT_FALSE(enabled("N1"));

    // Remove renames the folder and keeps everything in it.
    c.sink.answer = true;
    chooseItem(form.PopupMenu1, "N7");
    EXPECT_EQ(c.sink.questions.back(), u"Are you sure to remove \"Tea\"?"_s);
    EXPECT_EQ(item(tree, u"Tea"_s), nullptr);
    // Renamed, not deleted (the history tests restore removed nodes byte for byte).
    EXPECT_EQ(removedEntries(pf, u"MyPlants/Roses"_s, u"Tea"_s).size(), 1);
    EXPECT_NE(tree->currentItem(), nullptr);
    EXPECT_TRUE(c.sink.warnings.isEmpty()) << c.sink.said();

    // In the notes group a folder that is the only node cannot be removed.
    pf.mkdir(u"MyPlants/!Notes/Todo"_s);
    pf.writeRecord(u"MyPlants/!Notes/group.ini"_s, u"[Group]\nColor=10484657\n"_s);
    QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
    ASSERT_EQ(topNames(tree), QStringList({u"Todo"_s}));
    clickNode(form, u"Todo"_s, Qt::RightButton);
    EXPECT_FALSE(enabled("N7"));
    QTest::keyClick(form.PopupMenu1, Qt::Key_Escape);
}

TEST(TreeOps, MoveIntoAFolderAndSendToAnotherGroup)
{
    Collection c;
    TempProgramFolder& pf = c.pf;
    pf.mkdir(u"MyPlants/Roses/Never selected"_s);
    pf.mkdir(u"MyPlants/Roses/Empty"_s);
    pf.write(u"MyPlants/Roses/Tea/big.jpg"_s, QByteArray(300000, 'b'));
    ShownForm form(pf.path(), &c.sink);
    QTreeWidget* tree = form.TreeView1;

    // Send Tea to Cacti on another file system (so the move copies) where files larger than 100 KB
    // cannot be written: nothing arrives, nothing is hidden, the plant is whole where it was and
    // still in the tree.
    clickNode(form, u"Tea"_s, Qt::RightButton);
    const auto before = QDir(pf.file(u"MyPlants/Roses/Tea"_s)).entryList(QDir::Files);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = 100000;
    sysio::failEvery(sysio::Op::Rename, 1, EXDEV, true);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    chooseItem(form.PopupMenu1, "N8", "mgr2");
    setrlimit(RLIMIT_FSIZE, &old);
    sysio::clearFaults();
    EXPECT_EQ(
        QDir(pf.file(u"MyPlants/Cacti"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList{u"group.ini"_s});
    EXPECT_EQ(QDir(pf.file(u"MyPlants/Roses/Tea"_s)).entryList(QDir::Files), before);
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/big.jpg"_s), QByteArray(300000, 'b'));
    EXPECT_TRUE(removedEntries(pf, u"MyPlants/Roses"_s, u"Tea"_s).isEmpty());
    EXPECT_NE(item(tree, u"Tea"_s), nullptr);
    ASSERT_FALSE(c.sink.warnings.isEmpty()) << "the failing file was reported";
    EXPECT_TRUE(c.sink.warnings.join(u' ').contains(u"File too large"_s)) << c.sink.said();
    c.sink.warnings.clear();

    // Send to the same group: nothing. To Cacti: it arrives at Cacti's top level (drags: NewUserDrags).
    treeMenu(form, u"Tea"_s, "N8", "mgr1");
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Tea/plant.ini"_s));
    ASSERT_EQ(tree->currentItem()->text(0), u"Tea"_s);
    // With room made, the move goes through, across file systems too (the fault tests check the files
    // of such moves at every step).
    clickNode(form, u"Tea"_s, Qt::RightButton);
    sysio::failEvery(sysio::Op::Rename, 1, EXDEV, true);
    chooseItem(form.PopupMenu1, "N8", "mgr2");
    sysio::clearFaults();
    EXPECT_EQ(QDir(pf.file(u"MyPlants/Cacti/Tea"_s)).entryList(QDir::Files), before) << c.sink.said();
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Tea"_s));
    EXPECT_EQ(item(tree, u"Tea"_s), nullptr);

    // A folder is not lost when sent: it arrives in the other group, also when its files went
    // meanwhile (no files at all).
    treeMenu(form, u"Never selected"_s, "N8", "mgr2"); // selecting it made its pages
    EXPECT_TRUE(QDir(pf.file(u"MyPlants/Cacti/Never selected"_s)).exists());
    clickNode(form, u"Empty"_s);
    QDir(pf.file(u"MyPlants/Roses/Empty"_s)).removeRecursively();
    pf.mkdir(u"MyPlants/Roses/Empty"_s);
    treeMenu(form, u"Empty"_s, "N8", "mgr2");
    EXPECT_TRUE(QDir(pf.file(u"MyPlants/Cacti/Empty"_s)).exists());
    EXPECT_FALSE(QDir(pf.file(u"MyPlants/Roses/Empty"_s)).exists());

    // A name that already exists in the target group is refused; nothing moves.
    pf.writeRecord(u"MyPlants/Cacti/Shrubs/plant.ini"_s, u"[Main]\nCond=1\n"_s);
    treeMenu(form, u"Shrubs"_s, "N8", "mgr2");
    ASSERT_EQ(c.sink.warnings.size(), 1);
    EXPECT_TRUE(c.sink.warnings[0].startsWith(u"Directory with name "_s));
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Shrubs/Rugosa/plant.ini"_s));
}
