#include "../support/tempprogramfolder.h"
#include "store/inifile.h"
#include "store/templates.h"
#include "tree/nodefiles.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

int condOf(const TempProgramFolder& pf, const QString& nodeFolder)
{
    return IniFile(pf.file(nodeFolder + QStringLiteral("/plant.ini"))).readInteger(u"Main", u"Cond", -99);
}

} // namespace

TEST(NodeFiles, NewNodesGetTemplatesOrEmptyPagesAndExistingFilesAreNeverTouched)
{
    TempProgramFolder pf;
    pf.mkdir(QStringLiteral("MyPlants/Roses"));
    // A fresh collection: empty collection-wide templates, copied into the group's set.
    NodeFiles plant =
        prepareNodeFiles(pf.path(), QStringLiteral("Roses"), QString(), QStringLiteral("Tea"), false);
    ASSERT_TRUE(plant.ok()) << plant.error.toStdString();
    for (const char* page : {"description.rtf", "care.rtf", "diary.rtf"}) {
        const QString name = QString::fromLatin1(page);
        EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/!Shablon_all/") + name));
        EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Roses/!Shablon/") + name));
        EXPECT_TRUE(pf.read(QStringLiteral("MyPlants/Roses/Tea/") + name).isEmpty());
    }
    EXPECT_EQ(condOf(pf, QStringLiteral("MyPlants/Roses/Tea")), 0);

    // The user fills the group's Description template: plants added afterwards start with it, folders
    // and notes never do. A later collection-wide change does not reach the existing group.
    pf.write(QStringLiteral("MyPlants/Roses/!Shablon/description.rtf"), "{\\rtf1 Group template\\par}");
    pf.write(QStringLiteral("MyPlants/!Shablon_all/care.rtf"), "{\\rtf1 Main care\\par}");
    ASSERT_TRUE(
        prepareNodeFiles(pf.path(), QStringLiteral("Roses"), QString(), QStringLiteral("Wild"), false).ok());
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Wild/description.rtf")), "{\\rtf1 Group template\\par}");
    EXPECT_TRUE(pf.read(QStringLiteral("MyPlants/Roses/Wild/care.rtf")).isEmpty());
    ASSERT_TRUE(
        prepareNodeFiles(pf.path(), QStringLiteral("Roses"), QString(), QStringLiteral("Shrubs"), true).ok());
    EXPECT_TRUE(pf.read(QStringLiteral("MyPlants/Roses/Shrubs/description.rtf")).isEmpty());
    EXPECT_EQ(condOf(pf, QStringLiteral("MyPlants/Roses/Shrubs")), 1);
    // A group made afterwards gets the filled collection-wide Care template.
    pf.mkdir(QStringLiteral("MyPlants/Ferns"));
    ASSERT_TRUE(
        prepareNodeFiles(pf.path(), QStringLiteral("Ferns"), QString(), QStringLiteral("Fern"), false).ok());
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Ferns/!Shablon/care.rtf")), "{\\rtf1 Main care\\par}");
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Ferns/Fern/care.rtf")), "{\\rtf1 Main care\\par}");
    // In the notes group every page starts empty.
    pf.write(QStringLiteral("MyPlants/!Notes/!Shablon/description.rtf"), "{\\rtf1 never\\par}");
    ASSERT_TRUE(
        prepareNodeFiles(pf.path(), QStringLiteral("!Notes"), QString(), QStringLiteral("Todo"), false).ok());
    EXPECT_TRUE(pf.read(QStringLiteral("MyPlants/!Notes/Todo/description.rtf")).isEmpty());

    // A plant inside a folder; a page the user wrote, and a record with other keys, stay as they are.
    pf.write(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa/diary.rtf"), "{\\rtf1 my diary\\par}");
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa/plant.ini"),
                   QStringLiteral("[Main]\nCond=3\nOwn=1\n"));
    const QByteArray record = pf.read(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa/plant.ini"));
    ASSERT_TRUE(prepareNodeFiles(pf.path(), QStringLiteral("Roses"), QStringLiteral("Shrubs"),
                                 QStringLiteral("Rugosa"), false)
                    .ok());
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa/diary.rtf")), "{\\rtf1 my diary\\par}");
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa/description.rtf")),
              "{\\rtf1 Group template\\par}");
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa/plant.ini")), record);

    // Only a deleted page comes back, from the group's template; a deleted group template too.
    QFile::remove(pf.file(QStringLiteral("MyPlants/Roses/Tea/care.rtf")));
    QFile::remove(pf.file(QStringLiteral("MyPlants/Roses/!Shablon/care.rtf")));
    pf.write(QStringLiteral("MyPlants/Roses/Tea/description.rtf"), "{\\rtf1 written\\par}");
    ASSERT_TRUE(
        prepareNodeFiles(pf.path(), QStringLiteral("Roses"), QString(), QStringLiteral("Tea"), false).ok());
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/!Shablon/care.rtf")), "{\\rtf1 Main care\\par}");
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Tea/care.rtf")), "{\\rtf1 Main care\\par}");
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Tea/description.rtf")), "{\\rtf1 written\\par}");

    // Fixed names in other letter cases are found, not doubled.
    pf.write(QStringLiteral("MyPlants/Roses/Old/DESCRIPTION.RTF"), "{\\rtf1 old\\par}");
    ASSERT_TRUE(
        prepareNodeFiles(pf.path(), QStringLiteral("Roses"), QString(), QStringLiteral("Old"), false).ok());
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/Old/description.rtf")));
}

TEST(NodeFiles, AFolderThatCannotBeMadeStopsWithItsName)
{
    TempProgramFolder pf;
    pf.mkdir(QStringLiteral("MyPlants/Roses/!Shablon"));
    pf.write(QStringLiteral("MyPlants/Roses/New"), "a file where the plant's folder should be");
    const NodeFiles r =
        prepareNodeFiles(pf.path(), QStringLiteral("Roses"), QString(), QStringLiteral("New"), false);
    EXPECT_EQ(r.error, QStringLiteral("Cannot create ") + pf.file(QStringLiteral("MyPlants/Roses/New")));
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/New")), "a file where the plant's folder should be");
}
