#include "../support/tempprogramfolder.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/names.h"
#include "platform/owntag.h"
#include "platform/paths.h"
#include "platform/randomname.h"

#include <QDateTime>
#include <QFile>
#include <QSysInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

TEST(CodePage, EveryByteRoundTripsAndCyrillicHasItsWindowsBytes)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    bool lossless = false;
    EXPECT_EQ(cp1251::encode(cp1251::decode(all), &lossless), all);
    EXPECT_TRUE(lossless);

    EXPECT_EQ(cp1251::encode(u"Суккуленты Ёё №"_s),
              QByteArray("\xD1\xF3\xEA\xEA\xF3\xEB\xE5\xED\xF2\xFB \xA8\xB8 \xB9"));
    EXPECT_EQ(cp1251::decode("\xC0\xFF\x88"), u"Aя€"_s.replace(0, 1, QChar(0x0410)));
    // Characters outside the code page are refused by canEncode and become '?' when written.
    EXPECT_FALSE(cp1251::canEncode(u"Rosa 🌹"_s));
    EXPECT_EQ(cp1251::encode(u"Ä"_s, &lossless), QByteArray("?"));
    EXPECT_FALSE(lossless);
}

// Other letter cases are found in the companion's and the records' tests; an exact match wins over them.
TEST(Paths, AnExactMatchWinsOverOtherLetterCases)
{
    TempProgramFolder pf;
    pf.mkdir(u"myplants"_s);
    EXPECT_EQ(paths::fixed(pf.path(), paths::kMyPlants), pf.file(u"myplants"_s));
    pf.mkdir(u"MyPlants"_s);
    EXPECT_EQ(paths::fixed(pf.path(), paths::kMyPlants), pf.file(u"MyPlants"_s));
}

TEST(Names, NamesThatWouldLeaveTheirFolderOrCannotBeStoredAreRefused)
{
    using names::Problem;
    for (const QString& name : {u"Rosa canina"_s, u"Алоэ вера"_s})
        EXPECT_EQ(names::check(name), Problem::None);
    for (const QString& name : {u""_s, u"   "_s})
        EXPECT_EQ(names::check(name), Problem::Empty);
    for (const QString& name : {u".."_s, u"."_s})
        EXPECT_EQ(names::check(name), Problem::DotName);
    for (const QString& name : {u"../etc"_s, u"a\\b"_s})
        EXPECT_EQ(names::check(name), Problem::Separator);
    EXPECT_EQ(names::check(u"a\tb"), Problem::Control);
    EXPECT_EQ(names::check(u"Rosa 🌹"_s), Problem::NotInCodePage);
    EXPECT_EQ(names::check(u"What?"), Problem::ReservedChar);
    EXPECT_EQ(names::check(QString(130, QChar(0x0416))), Problem::TooLong); // 260 bytes in UTF-8
    EXPECT_TRUE(names::messageKey(Problem::None).isEmpty());
    EXPECT_EQ(names::messageKey(Problem::Separator), u"n3"_s);
}

TEST(AtomicFile, FailedWritesLeaveTheOldFileWhole)
{
    TempProgramFolder pf;
    const QString f = pf.file(u"plant.ini"_s);
    pf.write(u"plant.ini"_s, "old");
    ASSERT_TRUE(atomicfile::write(f, "new").ok());
    EXPECT_EQ(pf.read(u"plant.ini"_s), QByteArray("new"));

    // A read-only file is refused, even for root, and keeps its bytes and mode.
    ::chmod(QFile::encodeName(f).constData(), 0444);
    EXPECT_FALSE(atomicfile::write(f, "newer").ok());
    EXPECT_EQ(pf.read(u"plant.ini"_s), QByteArray("new"));

    // A folder where the file should be cannot be read (nor written: the window's tests).
    pf.mkdir(u"main.ini"_s);
    QByteArray bytes;
    bool missing = false;
    EXPECT_TRUE(atomicfile::readAll(pf.file(u"none.ini"_s), &bytes, &missing).ok());
    EXPECT_TRUE(missing);
    EXPECT_FALSE(atomicfile::readAll(pf.file(u"main.ini"_s), &bytes, &missing).ok());
    pf.write(u"big.ini"_s, QByteArray(5000, 'x'));
    EXPECT_FALSE(atomicfile::readAll(pf.file(u"big.ini"_s), &bytes, &missing, 4096).ok());
}

TEST(RemovedName, ANumberAlreadyTakenIsDrawnAgain)
{
    TempProgramFolder pf;
    pf.mkdir(u"g/Rose"_s);
    // Take every number but one: the draw must find the free one, never an existing folder.
    const QString host = u'-' + QString::fromLatin1(owntag::hostId()); // two computers never draw one name
    for (int n = 0; n <= 9998; ++n)
        if (n != 4242)
            pf.mkdir(u"g/!deleted_Rose_%1"_s.arg(n) + host);
    EXPECT_EQ(removedname::draw(pf.file(u"g"_s), u"Rose"_s), u"!deleted_Rose_4242"_s + host);
    const QString moved = removedname::removeByRenaming(pf.file(u"g"_s), u"Rose"_s);
    EXPECT_EQ(moved, pf.file(u"g/!deleted_Rose_4242"_s + host));
    EXPECT_FALSE(pf.exists(u"g/Rose"_s));
}
