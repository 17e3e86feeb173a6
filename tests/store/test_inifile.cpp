#include "../support/tempprogramfolder.h"
#include "platform/codepage.h"
#include "store/collection.h"
#include "store/errorlog.h"
#include "store/inifile.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(IniFile, FlushWritesSectionsInOrderWithCrLfAndOneEmptyLine)
{
    TempProgramFolder pf;
    // Comments, stray lines before the first section, blanks around keys and LF ends on reading.
    pf.write(QStringLiteral("plant.ini"), "stray=1\n; note\n[Main]\n  Cond = 2 \nExpanded=0\n\n[Extra]\nk\n");
    IniFile ini(pf.file(QStringLiteral("plant.ini")));
    EXPECT_EQ(ini.readInteger(u"main", u"COND", -1), 2);
    ini.writeInteger(u"MAIN", u"cond", 4);  // replaced in place, the stored spelling kept
    ini.writeInteger(u"Main", u"Added", 7); // appended at the end of its section
    ini.writeBool(u"New", u"Flag", true);   // a new section at the end of the file
    ASSERT_TRUE(ini.updateFile().ok());
    EXPECT_EQ(pf.read(QStringLiteral("plant.ini")),
              QByteArray("[Main]\r\nCond=4\r\nExpanded=0\r\nAdded=7\r\n\r\n"
                         "[Extra]\r\nk=\r\n\r\n"
                         "[New]\r\nFlag=1\r\n\r\n"));
}

TEST(IniFile, IntegersAcceptDecimalAndBothHexFormsAndFallBackOnAnythingElse)
{
    const IniFile ini = IniFile::fromBytes(QStringLiteral("x.ini"),
                                           "[Group]\nA=10484657\nB=$9FFBB1\nC=0x9ffbb1\nD=-1\nE=12abc\nF=\n"
                                           "G=99999999999\nH=$FFFFFFFF\nI=+5\nJ=0x\nK=-2147483648\n");
    EXPECT_EQ(ini.readInteger(u"Group", u"A", 0), 0x9FFBB1);
    EXPECT_EQ(ini.readInteger(u"Group", u"B", 0), 0x9FFBB1);
    EXPECT_EQ(ini.readInteger(u"Group", u"C", 0), 0x9FFBB1);
    EXPECT_EQ(ini.readInteger(u"Group", u"D", 0), -1);
    EXPECT_EQ(ini.readInteger(u"Group", u"E", 77), 77);
    EXPECT_EQ(ini.readInteger(u"Group", u"F", 77), 77);
    EXPECT_EQ(ini.readInteger(u"Group", u"G", 77), 77);
    EXPECT_EQ(ini.readInteger(u"Group", u"H", 77), -1);
    EXPECT_EQ(ini.readInteger(u"Group", u"I", 77), 5);
    EXPECT_EQ(ini.readInteger(u"Group", u"J", 77), 77);
    EXPECT_EQ(ini.readInteger(u"Group", u"K", 77), -2147483647 - 1);
    EXPECT_EQ(ini.readInteger(u"Group", u"Missing", 77), 77);
    EXPECT_EQ(ini.readInteger(u"Nope", u"A", 77), 77);
    EXPECT_TRUE(ini.readBool(u"Group", u"D", false));
    EXPECT_FALSE(ini.readBool(u"Group", u"E", false));
}

TEST(IniFile, CyrillicValuesAreWindows1251OnDisk)
{
    TempProgramFolder pf;
    pf.write(QStringLiteral("main.ini"),
             "[Options]\r\nLastGroup=\xD1\xF3\xEA\xEA\xF3\xEB\xE5\xED\xF2\xFB\r\n");
    IniFile ini(pf.file(QStringLiteral("main.ini")));
    EXPECT_EQ(ini.readString(u"Options", u"LastGroup", QString()), QString::fromUtf8("Суккуленты"));
    ini.writeString(u"Options", u"Language", QString::fromUtf8("Русский"));
    ASSERT_TRUE(ini.updateFile().ok());
    EXPECT_TRUE(pf.read(QStringLiteral("main.ini")).contains("Language=\xD0\xF3\xF1\xF1\xEA\xE8\xE9\r\n"));
}

TEST(IniFile, DamagedUnreadableAndNeverFlushedFilesAreLeftAlone)
{
    TempProgramFolder pf;
    // Never flushed: not touched, not even its time.
    pf.write(QStringLiteral("a.ini"), "[Main]\nCond=3");
    {
        IniFile ini(pf.file(QStringLiteral("a.ini")));
        ini.writeInteger(u"Main", u"Cond", 5);
    }
    EXPECT_EQ(pf.read(QStringLiteral("a.ini")), QByteArray("[Main]\nCond=3"));

    // Binary junk and NUL bytes read without harm and give defaults for what they lack.
    QByteArray junk(3000, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 73) % 256);
    pf.write(QStringLiteral("junk.ini"), junk + "\n[Main]\nCond=\0" + QByteArray(100000, 'x'));
    const IniFile j(pf.file(QStringLiteral("junk.ini")));
    EXPECT_TRUE(j.readStatus().ok());
    EXPECT_EQ(j.readInteger(u"Main", u"Cond", -1), -1);

    // A record that is a folder cannot be read, and a flush reports that instead of writing.
    pf.mkdir(QStringLiteral("main.ini"));
    const IniFile dir(pf.file(QStringLiteral("main.ini")));
    EXPECT_FALSE(dir.readStatus().ok());
    EXPECT_FALSE(dir.updateFile().ok());

    // A record that cannot be read is never replaced by a rewritten one.
    pf.write(QStringLiteral("locked.ini"), "[Main]\nCond=2\n");
    const QByteArray lockedPath = QFile::encodeName(pf.file(QStringLiteral("locked.ini")));
    ::chmod(lockedPath.constData(), 0);
    IniFile locked(pf.file(QStringLiteral("locked.ini")));
    if (!locked.readStatus().ok()) { // root reads anything; everyone else must not clobber it
        locked.writeInteger(u"Main", u"Cond", 0);
        EXPECT_FALSE(locked.updateFile().ok());
    }
    ::chmod(lockedPath.constData(), 0644);
    EXPECT_EQ(pf.read(QStringLiteral("locked.ini")), QByteArray("[Main]\nCond=2\n"));
}

TEST(Collection, RecordsOfAnyLetterCaseAndTheirDefaults)
{
    TempProgramFolder pf;
    pf.write(QStringLiteral("myplants/Cacti/Group.INI"), "[GROUP]\ncolor=$9FFBB1\n");
    pf.write(QStringLiteral("myplants/Cacti/Opuntia/PLANT.ini"), "[main]\ncond=5\n");
    const QString group = collection::groupFolder(pf.path(), QStringLiteral("Cacti"));
    const collection::GroupRecord g = collection::readGroupRecord(group, 0xFFFFFF);
    EXPECT_EQ(g.color, 0x9FFBB1);
    EXPECT_EQ(g.imageIndex, 1);
    EXPECT_EQ(g.imageOrder, -1);
    const QString node =
        collection::nodeFolder(pf.path(), QStringLiteral("Cacti"), QString(), QStringLiteral("Opuntia"));
    EXPECT_EQ(collection::readPlantRecord(node).cond, 5);
    // The existing spelling is written, not a second record beside it.
    ASSERT_TRUE(collection::writePlantRecord(node, 2, 0).ok());
    EXPECT_EQ(pf.read(QStringLiteral("myplants/Cacti/Opuntia/PLANT.ini")),
              QByteArray("[main]\r\ncond=2\r\nExpanded=0\r\n\r\n"));
    EXPECT_FALSE(pf.exists(QStringLiteral("myplants/Cacti/Opuntia/plant.ini")));
    // Missing record: the defaults.
    const collection::PlantRecord none = collection::readPlantRecord(pf.file(QStringLiteral("nowhere")));
    EXPECT_EQ(none.cond, -1);
    EXPECT_EQ(none.expanded, 0);
    // The folder/plant rules.
    EXPECT_TRUE(collection::isPlantAtTop(0));
    EXPECT_FALSE(collection::isPlantAtTop(1));
    EXPECT_FALSE(collection::isPlantAtTop(-2));
    EXPECT_TRUE(collection::folderHasChildren(-1));
    EXPECT_FALSE(collection::folderHasChildren(-2));
    EXPECT_FALSE(collection::isListed(QStringLiteral("!deleted_Rose_12")));
}

TEST(ErrorLog, LinesAreAppendedInWindows1251WithCrLf)
{
    TempProgramFolder pf;
    pf.write(QStringLiteral("errorlog.txt"), "earlier line\r\n");
    const QString msg =
        errorlog::message(QStringLiteral("No space left on device"), QStringLiteral("FCopyFile"),
                          QString::fromUtf8("infile: /a/Роза; outfile: /b/Роза"));
    EXPECT_EQ(msg, QString::fromUtf8("Error msg: No space left on device ((FCopyFile) args: infile: /a/Роза; "
                                     "outfile: /b/Роза)"));
    EXPECT_EQ(errorlog::message(QStringLiteral("Permission denied"), QStringLiteral("/p/group.ini")),
              QStringLiteral("Error msg: Permission denied (args: /p/group.ini)"));
    ASSERT_TRUE(errorlog::WriteErrorLog(pf.path(), msg).ok());
    ASSERT_TRUE(errorlog::WriteErrorLog(pf.path(), QStringLiteral("Start conversion")).ok());
    const QByteArray log = pf.read(QStringLiteral("errorlog.txt"));
    const QList<QByteArray> lines = log.split('\n');
    ASSERT_EQ(lines.size(), 4); // three lines and the empty rest after the last LF
    EXPECT_EQ(lines[0], QByteArray("earlier line\r"));
    EXPECT_TRUE(lines[1].endsWith(QByteArray(cp1251::encode(msg) + '\r')));
    EXPECT_TRUE(lines[2].endsWith(": Start conversion\r"));
    // date, one blank, time, ": " and the message
    const QString second = cp1251::decode(lines[2]);
    const QRegularExpression layout(
        QStringLiteral("^\\S.* \\d{1,2}:\\d{2}:\\d{2}( [AP]M)?: Start conversion\r$"));
    EXPECT_TRUE(layout.match(second).hasMatch()) << second.toStdString();
}

TEST(ErrorLog, CreateEmptyFileTruncates)
{
    TempProgramFolder pf;
    pf.write(QStringLiteral("t/care.rtf"), "{\\rtf1 old}");
    ASSERT_TRUE(CreateEmptyFile(pf.file(QStringLiteral("t/care.rtf"))).ok());
    EXPECT_TRUE(pf.exists(QStringLiteral("t/care.rtf")));
    EXPECT_TRUE(pf.read(QStringLiteral("t/care.rtf")).isEmpty());
    EXPECT_FALSE(CreateEmptyFile(pf.file(QStringLiteral("missing/folder/x.rtf"))).ok());
}
