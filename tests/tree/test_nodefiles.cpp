#include "../support/tempprogramfolder.h"
#include "store/inifile.h"
#include "store/templates.h"
#include "tree/nodefiles.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

int condOf(const TempProgramFolder& pf, const QString& nodeFolder)
{
    return pf.number(nodeFolder + u"/plant.ini"_s, u"Main", u"Cond");
}

} // namespace

TEST(NodeFiles, NewNodesGetTemplatesOrEmptyPagesAndExistingFilesAreNeverTouched)
{
    TempProgramFolder pf;
    pf.mkdir(u"MyPlants/Roses"_s);
    // A fresh collection: empty collection-wide templates, copied into the group's set.
    NodeFiles plant = prepareNodeFiles(pf.path(), u"Roses"_s, QString(), u"Tea"_s, false);
    ASSERT_TRUE(plant.ok()) << plant.error.toStdString();
    for (const char* page : {"description.rtf", "care.rtf", "diary.rtf"}) {
        const QString name = QString::fromLatin1(page);
        EXPECT_TRUE(pf.exists(u"MyPlants/!Shablon_all/"_s + name));
        EXPECT_TRUE(pf.exists(u"MyPlants/Roses/!Shablon/"_s + name));
        EXPECT_TRUE(pf.read(u"MyPlants/Roses/Tea/"_s + name).isEmpty());
    }
    EXPECT_EQ(condOf(pf, u"MyPlants/Roses/Tea"_s), 0);

    // The user fills the group's Description template: plants added afterwards start with it, folders
    // and notes never do. A later collection-wide change does not reach the existing group.
    pf.write(u"MyPlants/Roses/!Shablon/description.rtf"_s, "{\\rtf1 Group template\\par}");
    pf.write(u"MyPlants/!Shablon_all/care.rtf"_s, "{\\rtf1 Main care\\par}");
    ASSERT_TRUE(prepareNodeFiles(pf.path(), u"Roses"_s, QString(), u"Wild"_s, false).ok());
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Wild/description.rtf"_s), "{\\rtf1 Group template\\par}");
    EXPECT_TRUE(pf.read(u"MyPlants/Roses/Wild/care.rtf"_s).isEmpty());
    ASSERT_TRUE(prepareNodeFiles(pf.path(), u"Roses"_s, QString(), u"Shrubs"_s, true).ok());
    EXPECT_TRUE(pf.read(u"MyPlants/Roses/Shrubs/description.rtf"_s).isEmpty());
    EXPECT_EQ(condOf(pf, u"MyPlants/Roses/Shrubs"_s), 1);

    // A plant inside a folder; a page the user wrote, and a record with other keys, stay as they are.
    pf.write(u"MyPlants/Roses/Shrubs/Rugosa/diary.rtf"_s, "{\\rtf1 my diary\\par}");
    pf.writeRecord(u"MyPlants/Roses/Shrubs/Rugosa/plant.ini"_s, u"[Main]\nCond=3\nOwn=1\n"_s);
    const QByteArray record = pf.read(u"MyPlants/Roses/Shrubs/Rugosa/plant.ini"_s);
    ASSERT_TRUE(prepareNodeFiles(pf.path(), u"Roses"_s, u"Shrubs"_s, u"Rugosa"_s, false).ok());
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Shrubs/Rugosa/diary.rtf"_s), "{\\rtf1 my diary\\par}");
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Shrubs/Rugosa/description.rtf"_s), "{\\rtf1 Group template\\par}");
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Shrubs/Rugosa/plant.ini"_s), record);

    // Only a deleted page comes back, from the group's template; a deleted group template too.
    QFile::remove(pf.file(u"MyPlants/Roses/Tea/care.rtf"_s));
    QFile::remove(pf.file(u"MyPlants/Roses/!Shablon/care.rtf"_s));
    pf.write(u"MyPlants/Roses/Tea/description.rtf"_s, "{\\rtf1 written\\par}");
    ASSERT_TRUE(prepareNodeFiles(pf.path(), u"Roses"_s, QString(), u"Tea"_s, false).ok());
    EXPECT_EQ(pf.read(u"MyPlants/Roses/!Shablon/care.rtf"_s), "{\\rtf1 Main care\\par}");
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/care.rtf"_s), "{\\rtf1 Main care\\par}");
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/description.rtf"_s), "{\\rtf1 written\\par}");

    // Fixed names in other letter cases are found, not doubled.
    pf.write(u"MyPlants/Roses/Old/DESCRIPTION.RTF"_s, "{\\rtf1 old\\par}");
    ASSERT_TRUE(prepareNodeFiles(pf.path(), u"Roses"_s, QString(), u"Old"_s, false).ok());
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Old/description.rtf"_s));
}

TEST(NodeFiles, AFolderThatCannotBeMadeStopsWithItsName)
{
    TempProgramFolder pf;
    pf.mkdir(u"MyPlants/Roses/!Shablon"_s);
    pf.write(u"MyPlants/Roses/New"_s, "a file where the plant's folder should be");
    const NodeFiles r = prepareNodeFiles(pf.path(), u"Roses"_s, QString(), u"New"_s, false);
    EXPECT_EQ(r.error, u"Cannot create "_s + pf.file(u"MyPlants/Roses/New"_s));
    EXPECT_EQ(pf.read(u"MyPlants/Roses/New"_s), "a file where the plant's folder should be");
}
