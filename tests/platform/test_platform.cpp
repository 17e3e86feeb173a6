#include "../support/tempprogramfolder.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/names.h"
#include "platform/paths.h"
#include "platform/randomname.h"
#include "platform/singleinstance.h"

#include <QDateTime>
#include <QFile>
#include <QSysInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(CodePage, EveryByteRoundTripsAndCyrillicHasItsWindowsBytes)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    bool lossless = false;
    EXPECT_EQ(cp1251::encode(cp1251::decode(all), &lossless), all);
    EXPECT_TRUE(lossless);

    EXPECT_EQ(cp1251::encode(QString::fromUtf8("Суккуленты Ёё №")),
              QByteArray("\xD1\xF3\xEA\xEA\xF3\xEB\xE5\xED\xF2\xFB \xA8\xB8 \xB9"));
    EXPECT_EQ(cp1251::decode("\xC0\xFF\x88"), QString::fromUtf8("Aя€").replace(0, 1, QChar(0x0410)));
    // Characters outside the code page are refused by canEncode and become '?' when written.
    EXPECT_FALSE(cp1251::canEncode(QString::fromUtf8("Rosa 🌹")));
    EXPECT_EQ(cp1251::encode(QString::fromUtf8("Ä"), &lossless), QByteArray("?"));
    EXPECT_FALSE(lossless);
}

TEST(Paths, FixedNamesAreFoundInAnyLetterCase)
{
    TempProgramFolder pf;
    pf.mkdir(QStringLiteral("myplants/Cacti"));
    pf.write(QStringLiteral("myplants/Cacti/Group.INI"), "[Group]\r\n");
    EXPECT_EQ(paths::fixed(pf.path(), paths::kMyPlants), pf.file(QStringLiteral("myplants")));
    EXPECT_EQ(paths::fixed(pf.file(QStringLiteral("myplants/Cacti")), paths::kGroupIni),
              pf.file(QStringLiteral("myplants/Cacti/Group.INI")));
    // Not there yet: the name as the program writes it.
    EXPECT_EQ(paths::fixed(pf.file(QStringLiteral("myplants/Cacti")), paths::kPlantIni),
              pf.file(QStringLiteral("myplants/Cacti/plant.ini")));
    // An exact match wins over other spellings.
    pf.mkdir(QStringLiteral("MyPlants"));
    EXPECT_EQ(paths::fixed(pf.path(), paths::kMyPlants), pf.file(QStringLiteral("MyPlants")));
}

TEST(Names, NamesThatWouldLeaveTheirFolderOrCannotBeStoredAreRefused)
{
    using names::Problem;
    EXPECT_EQ(names::check(u"Rosa canina"), Problem::None);
    EXPECT_EQ(names::check(QString::fromUtf8("Алоэ вера")), Problem::None);
    EXPECT_EQ(names::check(u""), Problem::Empty);
    EXPECT_EQ(names::check(u"   "), Problem::Empty);
    EXPECT_EQ(names::check(u".."), Problem::DotName);
    EXPECT_EQ(names::check(u"."), Problem::DotName);
    EXPECT_EQ(names::check(u"../etc"), Problem::Separator);
    EXPECT_EQ(names::check(u"a\\b"), Problem::Separator);
    EXPECT_EQ(names::check(u"a\tb"), Problem::Control);
    EXPECT_EQ(names::check(QString::fromUtf8("Rosa 🌹")), Problem::NotInCodePage);
    EXPECT_EQ(names::check(u"What?"), Problem::ReservedChar);
    EXPECT_EQ(names::check(QString(130, QChar(0x0416))), Problem::TooLong); // 260 bytes in UTF-8
    EXPECT_TRUE(names::messageKey(Problem::None).isEmpty());
    EXPECT_EQ(names::messageKey(Problem::Separator), QStringLiteral("n3"));
}

TEST(AtomicFile, FailedWritesLeaveTheOldFileWhole)
{
    TempProgramFolder pf;
    const QString f = pf.file(QStringLiteral("plant.ini"));
    pf.write(QStringLiteral("plant.ini"), "old");
    ASSERT_TRUE(atomicfile::write(f, "new").ok());
    EXPECT_EQ(pf.read(QStringLiteral("plant.ini")), QByteArray("new"));

    // A read-only file is refused, even for root, and keeps its bytes and mode.
    ::chmod(QFile::encodeName(f).constData(), 0444);
    EXPECT_FALSE(atomicfile::write(f, "newer").ok());
    EXPECT_EQ(pf.read(QStringLiteral("plant.ini")), QByteArray("new"));

    // A folder where the file should be.
    pf.mkdir(QStringLiteral("main.ini"));
    const IoStatus st = atomicfile::write(pf.file(QStringLiteral("main.ini")), "x");
    EXPECT_FALSE(st.ok());
    EXPECT_FALSE(st.text.isEmpty());

    QByteArray bytes;
    bool missing = false;
    EXPECT_TRUE(atomicfile::readAll(pf.file(QStringLiteral("none.ini")), &bytes, &missing).ok());
    EXPECT_TRUE(missing);
    EXPECT_FALSE(atomicfile::readAll(pf.file(QStringLiteral("main.ini")), &bytes, &missing).ok());
    pf.write(QStringLiteral("big.ini"), QByteArray(5000, 'x'));
    EXPECT_FALSE(atomicfile::readAll(pf.file(QStringLiteral("big.ini")), &bytes, &missing, 4096).ok());
}

TEST(SingleInstance, SecondHolderIsRefusedAndADeadOwnersLockIsRecovered)
{
    TempProgramFolder pf;
    const QString lock = pf.file(QStringLiteral("MyPelmo.lock"));
    {
        SingleInstance first(lock);
        EXPECT_FALSE(first.anotherInstance());
        SingleInstance second(lock);
        EXPECT_TRUE(second.anotherInstance());
    }
    SingleInstance again(lock);
    EXPECT_FALSE(again.anotherInstance());
}

TEST(SingleInstance, StaleLockAfterACrashIsTakenOver)
{
    TempProgramFolder pf;
    // A lock file as QLockFile writes it, for a process id that does not run.
    const QByteArray content = QByteArray::number(999999) + '\n' + "verdarium" + '\n' +
                               QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() +
                               '\n';
    pf.write(QStringLiteral("MyPelmo.lock"), content);
    SingleInstance after(pf.file(QStringLiteral("MyPelmo.lock")));
    EXPECT_FALSE(after.anotherInstance());
}

TEST(SingleInstance, ALockLeftHalfMadeByAKilledProcessIsTakenOver)
{
    TempProgramFolder pf;
    const QString lock = pf.file(QStringLiteral("MyPelmo.lock"));
    pf.write(QStringLiteral("MyPelmo.lock"), QByteArray());
    {
        const SingleInstance justNow(lock);
        EXPECT_TRUE(justNow.anotherInstance()) << "it may be being made this very moment";
    }
    QFile f(lock);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-5), QFileDevice::FileModificationTime));
    f.close();
    const SingleInstance later(lock);
    EXPECT_FALSE(later.anotherInstance());
}

TEST(RemovedName, ANumberAlreadyTakenIsDrawnAgain)
{
    TempProgramFolder pf;
    pf.mkdir(QStringLiteral("g/Rose"));
    // Take every number but one: the draw must find the free one, never an existing folder.
    for (int n = 0; n <= 9998; ++n)
        if (n != 4242)
            pf.mkdir(QStringLiteral("g/!deleted_Rose_%1").arg(n));
    EXPECT_EQ(removedname::draw(pf.file(QStringLiteral("g")), QStringLiteral("Rose")),
              QStringLiteral("!deleted_Rose_4242"));
    const QString moved = removedname::removeByRenaming(pf.file(QStringLiteral("g")), QStringLiteral("Rose"));
    EXPECT_EQ(moved, pf.file(QStringLiteral("g/!deleted_Rose_4242")));
    EXPECT_FALSE(pf.exists(QStringLiteral("g/Rose")));
}
