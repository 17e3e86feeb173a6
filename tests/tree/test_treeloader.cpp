#include "../support/tempprogramfolder.h"
#include "groups/grouplist.h"
#include "tree/treeloader.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
    std::vector<TreeNode> nodes = {node(u"rose"_s, 0),    node(u"Tulip"_s, 2),   node(u"Алоэ"_s, 0),
                                   node(u"Rose"_s, 3),    node(u"Abcd"_s, 0),    node(u"Abc"_s, 0),
                                   node(u"Zfolder"_s, 1), node(u"Afolder"_s, 1), node(u"ёлка"_s, 0),
                                   node(u"Ёж"_s, 0)};
    sortTree(nodes);
    EXPECT_EQ(texts(nodes), QStringList({u"Afolder"_s, u"Zfolder"_s, u"Abc"_s, u"Abcd"_s, u"Rose"_s,
                                         u"Tulip"_s, u"rose"_s, u"Ёж"_s, u"ёлка"_s, u"Алоэ"_s}));
    EXPECT_LT(TreeView1Compare(node(u"Abc"_s, 0), node(u"Abcd"_s, 0)), 0);
    EXPECT_GT(TreeView1Compare(node(u"A"_s, 0), node(u"Z"_s, 1)), 0);
}

TEST(TreeLoader, FolderAndPlantRulesAtBothLevels)
{
    TempProgramFolder pf;
    const QString g = u"MyPlants/Garden/"_s;
    pf.writeRecord(g + u"group.ini"_s, u"[Group]\nColor=$9FFBB1\n"_s);
    pf.mkdir(g + u"NoRecord/Child"_s); // folder; child without record hidden
    pf.writeRecord(g + u"Cacti/plant.ini"_s, u"[Main]\nCond=1\nExpanded=1\n"_s);
    pf.writeRecord(g + u"Cacti/Opuntia/plant.ini"_s, u"[Main]\nCond=5\n"_s);
    pf.writeRecord(g + u"Cacti/Inner/plant.ini"_s, u"[Main]\nCond=1\n"_s);
    pf.writeRecord(g + u"Cacti/Hidden/plant.ini"_s, u"[Main]\nCond=-1\n"_s);
    pf.writeRecord(g + u"Cacti/!deleted_X_1/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    pf.writeRecord(g + u"Closed/plant.ini"_s, u"[Main]\nCond=-5\n"_s);
    pf.writeRecord(g + u"Closed/Inside/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    pf.writeRecord(g + u"Rose/PLANT.INI"_s, u"[MAIN]\nCOND=2\n"_s);
    pf.writeRecord(g + u"Broken/plant.ini"_s, u"[Main]\nCond=two\n"_s);
    pf.writeRecord(g + u"!Shablon/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    pf.write(g + u"loose-file.txt"_s, "not a node");

    const LoadedTree t = loadTreeFromDisk(pf.path(), u"Garden"_s, QString());
    EXPECT_EQ(t.color, 0x9FFBB1);
    ASSERT_EQ(texts(t.nodes), QStringList({u"Broken"_s, u"Cacti"_s, u"Closed"_s, u"NoRecord"_s, u"Rose"_s}));
    const TreeNode& cacti = t.nodes[1];
    EXPECT_TRUE(cacti.isFolder());
    EXPECT_TRUE(cacti.expandedMark);
    EXPECT_EQ(texts(cacti.children), QStringList({u"Inner"_s, u"Opuntia"_s}));
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
    pf.writeRecord(u"MyPlants/First/group.ini"_s, u"[Group]\nColor=255\n"_s);
    pf.writeRecord(u"MyPlants/First/Rose/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    pf.mkdir(u"MyPlants/NoIni/Tulip"_s);
    const LoadedTree t = loadTreeFromDisk(pf.path(), u"NoIni"_s, u"First"_s);
    EXPECT_EQ(t.group, u"First"_s);
    EXPECT_EQ(t.color, 255);
    EXPECT_EQ(texts(t.nodes), QStringList({u"Rose"_s}));
    const LoadedTree notes = loadTreeFromDisk(pf.path(), u"_notes"_s, u"First"_s);
    EXPECT_EQ(notes.heading, u"Notes"_s);
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
    EXPECT_EQ(order({2, 1, 1}), u"ZYX"_s); // equal values: the last of them first
    EXPECT_EQ(order({5, 3, 4}), u"YZX"_s); // values above the count still order
    EXPECT_EQ(order({0, 2, 1}), u"ZYX"_s); // 0 never moves forward
    EXPECT_EQ(order({101, 1, -3}), u"YXZ"_s);
}
