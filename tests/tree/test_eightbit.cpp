#include "../support/eightbit.h"
#include "groups/grouplist.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "store/copyfolder.h"
#include "store/inifile.h"
#include "tree/nodefiles.h"
#include "tree/plantops.h"
#include "tree/treeloader.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace eightbit;

namespace {

QStringList texts(const std::vector<TreeNode>& nodes)
{
    QStringList out;
    for (const TreeNode& n : nodes)
        out << n.text;
    return out;
}

// The group from Windows, with one plant made here (UTF-8) and one with a Latin name.
void layOut(const TempProgramFolder& pf)
{
    eightbit::layOut(pf, "photo");
    pf.writeBytes(kG + u"Ёлка/plant.ini"_s.toUtf8(), "[Main]\r\nCond=0\r\n");
    pf.writeBytes(kG + "Abc/plant.ini", "[Main]\r\nCond=0\r\n");
}

} // namespace

TEST(EightBitNames, TheTreeShowsAndOrdersThemAsTheCollectionAlwaysHad)
{
    TempProgramFolder pf;
    layOut(pf);
    const GroupScan scan = scanGroups(pf.path(), false);
    QStringList groups;
    for (const GroupEntry& g : scan.slots)
        groups << g.name;
    EXPECT_TRUE(groups.contains(u"Розы"_s)) << groups.join(u',').toStdString();

    const LoadedTree t = loadTreeFromDisk(pf.path(), u"Розы"_s, scan.firstGroupName);
    EXPECT_EQ(t.group, u"Розы"_s); // its group.ini was found
    EXPECT_EQ(t.color, 255);
    EXPECT_TRUE(t.unreadable.isEmpty());
    // Folders first; then Windows-1251 byte order: Latin, the placeholder ('?' there), Ё (0xA8), Ч.
    EXPECT_EQ(texts(t.nodes), QStringList({u"Кусты"_s, u"Abc"_s, kBadShown, u"Ёлка"_s, u"Чайная"_s}));
    EXPECT_EQ(texts(t.nodes[0].children), QStringList({u"Дикая"_s}));
    EXPECT_EQ(t.nodes[0].children[0].image, 3);
    EXPECT_EQ(t.nodes[4].image, 2);
}

// The window's and the companion's tests select, rename and remove nodes of 8-bit names; here the
// record and the moves into and out of 8-bit folders.
TEST(EightBitNames, RecordsAndMovesActOnTheOriginalFolders)
{
    TempProgramFolder pf;
    layOut(pf);
    const QByteArray& g = kG;
    NodeFiles tea = prepareNodeFiles(pf.path(), u"Розы"_s, QString(), u"Чайная"_s, false);
    ASSERT_TRUE(tea.ok()) << tea.error.toStdString();
    ASSERT_TRUE(collection::writePlantRecord(tea.nodeFolder, 5, 0).ok());
    EXPECT_EQ(IniFile(tea.nodeFolder + u"/plant.ini"_s).readInteger(u"Main", u"Cond", -1), 5);
    EXPECT_TRUE(pf.readBytes(g + kTea + "/plant.ini").contains("Cond=5"));

    // A move keeps the bytes it found, into an 8-bit folder and back out.
    const QString groupFolder = collection::groupFolder(pf.path(), u"Розы"_s);
    RecordingSink sink;
    FileCopier copier(pf.path(), sink);
    plantops::MoveResult m =
        plantops::moveNode(copier, paths::join(groupFolder, u"Чайная"_s), groupFolder + u"/Кусты/Чайная"_s);
    ASSERT_TRUE(m.moved) << m.error.toStdString();
    EXPECT_EQ(pf.readBytes(g + kShrubs + "/" + kTea + "/description.rtf"), "{\\rtf1 Tea page\\par}");
    m = plantops::moveNode(copier, groupFolder + u"/Кусты/Чайная"_s, pf.path() + u"MyPlants/Cacti/Чайная"_s);
    ASSERT_TRUE(m.moved);
    EXPECT_TRUE(pf.existsBytes("MyPlants/Cacti/" + kTea + "/description.rtf"));
    EXPECT_FALSE(pf.existsBytes(g + kShrubs + "/" + kTea));
    // Moving onto a node of the same name refuses, whichever code page either name is in.
    pf.writeBytes(g + u"Дикая/plant.ini"_s.toUtf8(), "[Main]\r\nCond=0\r\n");
    m = plantops::moveNode(copier, groupFolder + u"/Дикая"_s, groupFolder + u"/Кусты/Дикая"_s);
    EXPECT_FALSE(m.moved);
    EXPECT_TRUE(m.targetExists);
}

TEST(EightBitNames, CopiesGiveEveryEntryTheBytesOfItsSource)
{
    TempProgramFolder pf;
    layOut(pf);
    pf.writeBytes("from/" + kTea + "/\xD4\xEE\xF2\xEE.jpg", "jpeg bytes");
    pf.writeBytes("from/" + kTea + "/\xD4\xEE\xF2\xEE.jpg.txt", "\xCA\xF0\xE0\xF1\xE8\xE2\xEE");
    pf.writeBytes("from/" + kBad + "/x", "x");
    RecordingSink sink;
    FileCopier copier(pf.path(), sink);
    ASSERT_TRUE(copier.copyTree(pf.path() + u"from"_s, pf.path() + u"to"_s, true));
    EXPECT_EQ(copier.copyErrors, 0);
    EXPECT_EQ(pf.readBytes("to/" + kTea + "/\xD4\xEE\xF2\xEE.jpg"), "jpeg bytes");
    EXPECT_EQ(pf.readBytes("to/" + kTea + "/\xD4\xEE\xF2\xEE.jpg.txt"), "\xCA\xF0\xE0\xF1\xE8\xE2\xEE");
    EXPECT_EQ(pf.readBytes("to/" + kBad + "/x"), "x");
    EXPECT_EQ(pf.listBytes("to"), QList<QByteArray>({"bad\x98\x01name", kTea}));
    EXPECT_TRUE(pf.listBytes("from/" + kTea).isEmpty()); // the sources went once copied
}
