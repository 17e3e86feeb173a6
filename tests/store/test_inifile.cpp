#include "../support/tempprogramfolder.h"
#include "platform/codepage.h"
#include "store/collection.h"
#include "store/errorlog.h"
#include "store/inifile.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

TEST(IniFile, FlushWritesSectionsInOrderWithCrLfOneEmptyLineAndCyrillicInWindows1251)
{
    TempProgramFolder pf;
    // Comments, stray lines before the first section, blanks around keys and LF ends on reading.
    pf.write(u"plant.ini"_s,
             "stray=1\n; note\n[Main]\n  Cond = 2 \nExpanded=0\n\n[Extra]\nk\nn=\xD0\xEE\xE7\xE0\n");
    IniFile ini(pf.file(u"plant.ini"_s));
    EXPECT_EQ(ini.readInteger(u"main", u"COND", -1), 2);
    EXPECT_EQ(ini.readString(u"Extra", u"n", QString()), u"Роза"_s);
    ini.writeInteger(u"MAIN", u"cond", 4);  // replaced in place, the stored spelling kept
    ini.writeInteger(u"Main", u"Added", 7); // appended at the end of its section
    ini.writeBool(u"New", u"Flag", true);   // a new section at the end of the file
    ini.writeString(u"New", u"Language", u"Русский"_s);
    ASSERT_TRUE(ini.updateFile().ok());
    EXPECT_EQ(pf.read(u"plant.ini"_s),
              QByteArray("[Main]\r\nCond=4\r\nExpanded=0\r\nAdded=7\r\n\r\n"
                         "[Extra]\r\nk=\r\nn=\xD0\xEE\xE7\xE0\r\n\r\n"
                         "[New]\r\nFlag=1\r\nLanguage=\xD0\xF3\xF1\xF1\xEA\xE8\xE9\r\n\r\n"));
}

TEST(IniFile, IntegersAcceptDecimalAndBothHexFormsAndFallBackOnAnythingElse)
{
    const IniFile ini =
        IniFile::fromBytes(u"x.ini"_s, "[Group]\nA=10484657\nB=$9FFBB1\nC=0x9ffbb1\nD=-1\nE=12abc\nF=\n"
                                       "G=99999999999\nH=$FFFFFFFF\nI=+5\nJ=0x\nK=-2147483648\n");
    auto read = [&](const char16_t* key) { return ini.readInteger(u"Group", QStringView(key), 77); };
    for (const char16_t* key : {u"A", u"B", u"C"})
        EXPECT_EQ(read(key), 0x9FFBB1);
    for (const char16_t* key : {u"E", u"F", u"G", u"J", u"Missing"})
        EXPECT_EQ(read(key), 77) << "the default";
    EXPECT_EQ(read(u"D"), -1);
    EXPECT_EQ(read(u"H"), -1);
    EXPECT_EQ(read(u"I"), 5);
    EXPECT_EQ(read(u"K"), -2147483647 - 1);
    EXPECT_EQ(ini.readInteger(u"Nope", u"A", 77), 77);
}

TEST(IniFile, DamagedUnreadableAndNeverFlushedFilesAreLeftAlone)
{
    TempProgramFolder pf;
    // Never flushed: not touched, not even its time.
    pf.write(u"a.ini"_s, "[Main]\nCond=3");
    {
        IniFile ini(pf.file(u"a.ini"_s));
        ini.writeInteger(u"Main", u"Cond", 5);
    }
    EXPECT_EQ(pf.read(u"a.ini"_s), QByteArray("[Main]\nCond=3"));

    // Binary junk and NUL bytes read without harm and give defaults for what they lack.
    QByteArray junk(3000, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 73) % 256);
    pf.write(u"junk.ini"_s, junk + "\n[Main]\nCond=\0" + QByteArray(100000, 'x'));
    const IniFile j(pf.file(u"junk.ini"_s));
    EXPECT_TRUE(j.readStatus().ok());
    EXPECT_EQ(j.readInteger(u"Main", u"Cond", -1), -1);

    // A record that is a folder: the window's tests (a folder in place of main.ini).
    // A record that cannot be read is never replaced by a rewritten one.
    pf.write(u"locked.ini"_s, "[Main]\nCond=2\n");
    const QByteArray lockedPath = QFile::encodeName(pf.file(u"locked.ini"_s));
    ::chmod(lockedPath.constData(), 0);
    IniFile locked(pf.file(u"locked.ini"_s));
    if (!locked.readStatus().ok()) { // root reads anything; everyone else must not clobber it
        locked.writeInteger(u"Main", u"Cond", 0);
        EXPECT_FALSE(locked.updateFile().ok());
    }
    ::chmod(lockedPath.constData(), 0644);
    EXPECT_EQ(pf.read(u"locked.ini"_s), QByteArray("[Main]\nCond=2\n"));
}

// The companion's and the loader's tests read records of any letter case and their defaults; here
// a record is written under the spelling it has.
TEST(Collection, ARecordIsWrittenUnderItsOwnSpelling)
{
    TempProgramFolder pf;
    pf.write(u"myplants/Cacti/Opuntia/PLANT.ini"_s, "[main]\ncond=5\n");
    const QString node = collection::nodeFolder(pf.path(), u"Cacti"_s, QString(), u"Opuntia"_s);
    ASSERT_TRUE(collection::writePlantRecord(node, 2, 0).ok());
    EXPECT_EQ(pf.read(u"myplants/Cacti/Opuntia/PLANT.ini"_s),
              QByteArray("[main]\r\ncond=2\r\nExpanded=0\r\n\r\n"));
    EXPECT_FALSE(pf.exists(u"myplants/Cacti/Opuntia/plant.ini"_s));
    // A folder whose record has no usable mark shows what it holds (the loader's tests cover the rest).
    EXPECT_TRUE(collection::folderHasChildren(-1));
}

TEST(ErrorLog, LinesAreAppendedInWindows1251WithCrLf)
{
    TempProgramFolder pf;
    pf.write(u"errorlog.txt"_s, "earlier line\r\n");
    const QString msg = errorlog::message(u"No space left on device"_s, u"FCopyFile"_s,
                                          u"infile: /a/Роза; outfile: /b/Роза"_s);
    EXPECT_EQ(msg, QString::fromUtf8("Error msg: No space left on device ((FCopyFile) args: infile: /a/Роза; "
                                     "outfile: /b/Роза)"));
    EXPECT_EQ(errorlog::message(u"Permission denied"_s, u"/p/group.ini"_s),
              u"Error msg: Permission denied (args: /p/group.ini)"_s);
    ASSERT_TRUE(errorlog::WriteErrorLog(pf.path(), msg).ok());
    ASSERT_TRUE(errorlog::WriteErrorLog(pf.path(), u"Start conversion"_s).ok());
    const QByteArray log = pf.read(u"errorlog.txt"_s);
    const QList<QByteArray> lines = log.split('\n');
    ASSERT_EQ(lines.size(), 4); // three lines and the empty rest after the last LF
    EXPECT_EQ(lines[0], QByteArray("earlier line\r"));
    EXPECT_TRUE(lines[1].endsWith(QByteArray(cp1251::encode(msg) + '\r')));
    EXPECT_TRUE(lines[2].endsWith(": Start conversion\r"));
    // date, one blank, time, ": " and the message
    const QString second = cp1251::decode(lines[2]);
    const QRegularExpression layout(u"^\\S.* \\d{1,2}:\\d{2}:\\d{2}( [AP]M)?: Start conversion\r$"_s);
    EXPECT_TRUE(layout.match(second).hasMatch()) << second.toStdString();

    // An empty page file made over an old one truncates it.
    pf.write(u"t/care.rtf"_s, "{\\rtf1 old}");
    ASSERT_TRUE(CreateEmptyFile(pf.file(u"t/care.rtf"_s)).ok());
    EXPECT_TRUE(pf.exists(u"t/care.rtf"_s));
    EXPECT_TRUE(pf.read(u"t/care.rtf"_s).isEmpty());
    EXPECT_FALSE(CreateEmptyFile(pf.file(u"missing/folder/x.rtf"_s)).ok());
}
