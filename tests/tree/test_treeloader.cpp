#include "../support/tempprogramfolder.h"
#include "groups/grouplist.h"
#include "tree/treeloader.h"

#include <gtest/gtest.h>

namespace {

QStringList texts(const std::vector<TreeNode>& nodes)
{
    QStringList out;
    for (const TreeNode& n : nodes)
        out << n.text;
    return out;
}

TreeNode node(const QString& text, int image)
{
    return TreeNode{text, image, false, {}};
}

} // namespace

TEST(TreeOrder, FoldersFirstThenWindows1251ByteOrder)
{
    std::vector<TreeNode> nodes = {node(QStringLiteral("rose"), 0),    node(QStringLiteral("Tulip"), 2),
                                   node(QString::fromUtf8("Алоэ"), 0), node(QStringLiteral("Rose"), 3),
                                   node(QStringLiteral("Abcd"), 0),    node(QStringLiteral("Abc"), 0),
                                   node(QStringLiteral("Zfolder"), 1), node(QStringLiteral("Afolder"), 1),
                                   node(QString::fromUtf8("ёлка"), 0), node(QString::fromUtf8("Ёж"), 0)};
    sortTree(nodes);
    EXPECT_EQ(texts(nodes),
              QStringList({QStringLiteral("Afolder"), QStringLiteral("Zfolder"), QStringLiteral("Abc"),
                           QStringLiteral("Abcd"), QStringLiteral("Rose"), QStringLiteral("Tulip"),
                           QStringLiteral("rose"), QString::fromUtf8("Ёж"), QString::fromUtf8("ёлка"),
                           QString::fromUtf8("Алоэ")}));
    EXPECT_LT(TreeView1Compare(node(QStringLiteral("Abc"), 0), node(QStringLiteral("Abcd"), 0)), 0);
    EXPECT_GT(TreeView1Compare(node(QStringLiteral("A"), 0), node(QStringLiteral("Z"), 1)), 0);
    EXPECT_EQ(compareNames(u"Same", u"Same"), 0);
}

TEST(TreeLoader, FolderAndPlantRulesAtBothLevels)
{
    TempProgramFolder pf;
    const QString g = QStringLiteral("MyPlants/Garden/");
    pf.writeRecord(g + QStringLiteral("group.ini"), QStringLiteral("[Group]\nColor=$9FFBB1\n"));
    pf.mkdir(g + QStringLiteral("NoRecord/Child")); // folder; child without record hidden
    pf.writeRecord(g + QStringLiteral("Cacti/plant.ini"), QStringLiteral("[Main]\nCond=1\nExpanded=1\n"));
    pf.writeRecord(g + QStringLiteral("Cacti/Opuntia/plant.ini"), QStringLiteral("[Main]\nCond=5\n"));
    pf.writeRecord(g + QStringLiteral("Cacti/Inner/plant.ini"), QStringLiteral("[Main]\nCond=1\n"));
    pf.writeRecord(g + QStringLiteral("Cacti/Hidden/plant.ini"), QStringLiteral("[Main]\nCond=-1\n"));
    pf.writeRecord(g + QStringLiteral("Cacti/!deleted_X_1/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.writeRecord(g + QStringLiteral("Closed/plant.ini"), QStringLiteral("[Main]\nCond=-5\n"));
    pf.writeRecord(g + QStringLiteral("Closed/Inside/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.writeRecord(g + QStringLiteral("Rose/PLANT.INI"), QStringLiteral("[MAIN]\nCOND=2\n"));
    pf.writeRecord(g + QStringLiteral("Broken/plant.ini"), QStringLiteral("[Main]\nCond=two\n"));
    pf.writeRecord(g + QStringLiteral("!Shablon/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.write(g + QStringLiteral("loose-file.txt"), "not a node");

    const LoadedTree t = loadTreeFromDisk(pf.path(), QStringLiteral("Garden"), QString());
    EXPECT_EQ(t.color, 0x9FFBB1);
    EXPECT_EQ(t.heading, QStringLiteral("Garden"));
    ASSERT_EQ(texts(t.nodes),
              QStringList({QStringLiteral("Broken"), QStringLiteral("Cacti"), QStringLiteral("Closed"),
                           QStringLiteral("NoRecord"), QStringLiteral("Rose")}));
    const TreeNode& cacti = t.nodes[1];
    EXPECT_TRUE(cacti.isFolder());
    EXPECT_TRUE(cacti.expandedMark);
    EXPECT_EQ(texts(cacti.children), QStringList({QStringLiteral("Inner"), QStringLiteral("Opuntia")}));
    EXPECT_TRUE(cacti.children[0].isFolder());
    EXPECT_EQ(cacti.children[1].image, 5);
    EXPECT_TRUE(t.nodes[2].children.empty()); // Cond -5: a folder that stays empty
    EXPECT_TRUE(t.nodes[3].children.empty()); // a child without a record is not shown
    EXPECT_EQ(t.nodes[4].image, 2);
    EXPECT_TRUE(t.nodes[0].isFolder()); // no usable Cond: a folder
}

TEST(TreeLoader, MissingGroupRecordFallsBackAndNotesAreWhite)
{
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/First/group.ini"), QStringLiteral("[Group]\nColor=255\n"));
    pf.writeRecord(QStringLiteral("MyPlants/First/Rose/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.mkdir(QStringLiteral("MyPlants/NoIni/Tulip"));
    const LoadedTree t = loadTreeFromDisk(pf.path(), QStringLiteral("NoIni"), QStringLiteral("First"));
    EXPECT_EQ(t.group, QStringLiteral("First"));
    EXPECT_EQ(t.color, 255);
    EXPECT_EQ(texts(t.nodes), QStringList({QStringLiteral("Rose")}));
    const LoadedTree notes = loadTreeFromDisk(pf.path(), QStringLiteral("_notes"), QStringLiteral("First"));
    EXPECT_EQ(notes.heading, QStringLiteral("Notes"));
    EXPECT_EQ(notes.color, 0xFFFFFF);
}

TEST(GroupOrder, TheBarsSelectionProcedure)
{
    auto order = [](std::vector<int> values) {
        std::vector<GroupEntry> slots;
        for (size_t i = 0; i < values.size(); ++i)
            slots.push_back(
                GroupEntry{QString(QChar(u'X' + static_cast<char16_t>(i))), 1, values[i], 0, false});
        orderSlots(slots);
        QString names;
        for (const GroupEntry& g : slots)
            names += g.name;
        return names;
    };
    EXPECT_EQ(order({2, 1, 1}), QStringLiteral("ZYX")); // equal values: the last of them first
    EXPECT_EQ(order({5, 3, 4}), QStringLiteral("YZX")); // values above the count still order
    EXPECT_EQ(order({0, 2, 1}), QStringLiteral("ZYX")); // 0 never moves forward
    EXPECT_EQ(order({101, 1, -3}), QStringLiteral("YXZ"));
}

TEST(GroupScan, ReadOnlyScanWritesNothingAndSkipsReservedFolders)
{
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"),
                   QStringLiteral("[Group]\nImageIndex=100\nImageOrder=2\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Cacti/group.ini"),
                   QStringLiteral("[Group]\nImageIndex=3\nImageOrder=1\n"));
    pf.mkdir(QStringLiteral("MyPlants/!Notes"));
    pf.mkdir(QStringLiteral("MyPlants/!deleted_Old_5"));
    pf.write(QStringLiteral("MyPlants/file.txt"), "x");
    const GroupScan scan = scanGroups(pf.path(), false);
    ASSERT_EQ(scan.slots.size(), 2u);
    EXPECT_EQ(scan.slots[0].name, QStringLiteral("Cacti"));
    EXPECT_EQ(scan.slots[1].picture, 1); // own picture missing: built-in picture 1
    EXPECT_FALSE(pf.read(QStringLiteral("MyPlants/Roses/group.ini")).contains("\r\n\r\n"));

    // The bar's build writes ImageOrder for a group without one and creates a missing record.
    pf.mkdir(QStringLiteral("MyPlants/New"));
    const GroupScan built = scanGroups(pf.path(), true);
    EXPECT_EQ(built.slots.size(), 3u);
    EXPECT_TRUE(pf.read(QStringLiteral("MyPlants/New/group.ini")).startsWith("[Group]\r\nImageOrder="));
}
