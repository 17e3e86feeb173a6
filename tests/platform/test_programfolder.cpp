#include "../support/tempprogramfolder.h"
#include "platform/programfolder.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <gtest/gtest.h>

TEST(ProgramFolder, APortableCopyKeepsItsCollectionBesideItAndAnInstalledOneInTheUsersDataFolder)
{
    TempProgramFolder t;
    const QByteArray old = qgetenv("XDG_DATA_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", old); });
    qputenv("XDG_DATA_HOME", QFile::encodeName(t.file(u8("data"))));
    const QString bin = t.file(u8("bin"));
    t.mkdir(u8("bin"));
    const QString userData = t.file(u8("data/my-verdarium/"));
    EXPECT_EQ(programfolder::userDataFolder(), userData);

    // A writable folder of its own: portable.
    EXPECT_EQ(programfolder::choose(bin), bin + u'/');
    // Installed (the shipped data beside bin/): the user's data folder, even where bin/ can be written.
    t.mkdir(u8("share/my-verdarium"));
    EXPECT_EQ(programfolder::choose(bin), userData);
    // A collection beside the program stays where it is, its names in any letter case.
    t.write(u8("bin/MAIN.Ini"), "[Options]\r\n");
    EXPECT_TRUE(programfolder::holdsCollection(bin));
    EXPECT_EQ(programfolder::choose(bin), bin + u'/');
    QFile::remove(t.file(u8("bin/MAIN.Ini")));
    t.write(u8("bin/myplants"), "a file, not a collection");
    EXPECT_FALSE(programfolder::holdsCollection(bin));
    QFile::remove(t.file(u8("bin/myplants")));
    t.mkdir(u8("bin/myPlants"));
    EXPECT_EQ(programfolder::choose(bin), bin + u'/');

    // No usable XDG_DATA_HOME: ~/.local/share.
    for (const char* unusable : {"", "data"}) {
        qputenv("XDG_DATA_HOME", unusable);
        EXPECT_EQ(programfolder::userDataFolder(), QDir::homePath() + u8("/.local/share/my-verdarium/"))
            << unusable;
    }
}

TEST(ProgramFolder, TheLanguageFileIsTheProgramFoldersOwnThenTheShippedOne)
{
    TempProgramFolder t;
    const QString bin = t.file(u8("bin"));
    const QString pf = t.file(u8("collection/"));
    t.mkdir(u8("bin"));
    t.mkdir(u8("collection"));
    EXPECT_EQ(programfolder::langFile(pf, bin), pf + u8("lang.INI")) << "neither: the program folder's";
    t.write(u8("share/my-verdarium/lang.INI"), "[English]\r\n");
    EXPECT_EQ(programfolder::langFile(pf, bin), t.file(u8("share/my-verdarium/lang.INI")));
    t.write(u8("collection/LANG.ini"), "[Mine]\r\n");
    EXPECT_EQ(programfolder::langFile(pf, bin), pf + u8("LANG.ini"));
}
