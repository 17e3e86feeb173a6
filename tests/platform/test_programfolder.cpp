#include "../support/tempprogramfolder.h"
#include "platform/programfolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Sets an environment variable for one scope.
class EnvVar {
public:
    EnvVar(const char* name, const QByteArray& value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~EnvVar() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

} // namespace

TEST(ProgramFolder, APortableCopyKeepsItsCollectionBesideItAndAnInstalledOneInTheUsersDataFolder)
{
    TempProgramFolder t;
    const EnvVar data("XDG_DATA_HOME", QFile::encodeName(t.file(s("data"))));
    const QString bin = t.file(s("bin"));
    t.mkdir(s("bin"));
    const QString userData = t.file(s("data/my-verdarium/"));
    EXPECT_EQ(programfolder::userDataFolder(), userData);

    // A writable folder of its own: portable.
    EXPECT_EQ(programfolder::choose(bin), bin + u'/');
    // Installed (the shipped data beside bin/): the user's data folder, even where bin/ can be written.
    t.mkdir(s("share/my-verdarium"));
    EXPECT_EQ(programfolder::choose(bin), userData);
    // A collection beside the program stays where it is, its names in any letter case.
    t.write(s("bin/MAIN.Ini"), "[Options]\r\n");
    EXPECT_TRUE(programfolder::holdsCollection(bin));
    EXPECT_EQ(programfolder::choose(bin), bin + u'/');
    QFile::remove(t.file(s("bin/MAIN.Ini")));
    t.write(s("bin/myplants"), "a file, not a collection");
    EXPECT_FALSE(programfolder::holdsCollection(bin));
    QFile::remove(t.file(s("bin/myplants")));
    t.mkdir(s("bin/myPlants"));
    EXPECT_EQ(programfolder::choose(bin), bin + u'/');

    // No usable XDG_DATA_HOME: ~/.local/share.
    const QString fallback = QDir::homePath() + s("/.local/share/my-verdarium/");
    {
        const EnvVar empty("XDG_DATA_HOME", "");
        EXPECT_EQ(programfolder::userDataFolder(), fallback);
    }
    const EnvVar relative("XDG_DATA_HOME", "data");
    EXPECT_EQ(programfolder::userDataFolder(), fallback);
}

TEST(ProgramFolder, TheLanguageFileIsTheProgramFoldersOwnThenTheShippedOne)
{
    TempProgramFolder t;
    const QString bin = t.file(s("bin"));
    const QString pf = t.file(s("collection/"));
    t.mkdir(s("bin"));
    t.mkdir(s("collection"));
    EXPECT_EQ(programfolder::langFile(pf, bin), pf + s("lang.INI")) << "neither: the program folder's";
    t.write(s("share/my-verdarium/lang.INI"), "[English]\r\n");
    EXPECT_EQ(programfolder::langFile(pf, bin), t.file(s("share/my-verdarium/lang.INI")));
    t.write(s("collection/LANG.ini"), "[Mine]\r\n");
    EXPECT_EQ(programfolder::langFile(pf, bin), pf + s("LANG.ini"));
}
