#include "../support/tempprogramfolder.h"
#include "platform/atomicfile.h"
#include "platform/fsname.h"
#include "platform/paths.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// "Роза" and "Фото" as Windows wrote them.
const QByteArray kRose("\xD0\xEE\xE7\xE0");
const QByteArray kPhoto("\xD4\xEE\xF2\xEE.jpg");

} // namespace

TEST(FsName, NamesAreShownFromTheirBytes)
{
    EXPECT_EQ(fsname::decodeName("Tea"), u"Tea"_s);
    EXPECT_EQ(fsname::decodeName("\xD0\xA0\xD0\xBE\xD0\xB7\xD0\xB0"), u"Роза"_s); // UTF-8
    EXPECT_EQ(fsname::decodeName(kRose), u"Роза"_s);                              // Windows-1251
    // Neither: 0x98 has no character in Windows-1251; control bytes are never shown as they are.
    EXPECT_EQ(fsname::decodeName("bad\x98\xE8"), u"bad\uFFFDи"_s);
    EXPECT_EQ(fsname::decodeName("tab\x01name"), u"tab\uFFFDname"_s);
    EXPECT_EQ(fsname::decodeName("\xEF\xBB\xBFname").size(), 5); // a leading mark stays part of the name
}

TEST(FsName, PathsReachTheBytesOnDisk)
{
    TempProgramFolder pf;
    const QString root = pf.path();
    pf.mkdirBytes("MyPlants/" + kRose + "/" + kRose);
    pf.writeBytes("MyPlants/" + kRose + "/" + kPhoto, "jpeg");
    pf.mkdirBytes("MyPlants/bad\x98one");
    pf.mkdirBytes("MyPlants/ctl\x01one");
    pf.mkdirBytes("MyPlants/ctl\x02one"); // shown the same as the one above
    pf.mkdirBytes(u"MyPlants/Чайная"_s.toUtf8());

    const QString rose = root + u"MyPlants/Роза"_s;
    EXPECT_EQ(fsname::encodePath(rose), pf.native("MyPlants/" + kRose));
    EXPECT_EQ(fsname::encodePath(rose + u"/Роза"_s), pf.native("MyPlants/" + kRose + "/" + kRose));
    EXPECT_EQ(fsname::encodePath(root + u"MyPlants/Чайная"_s), pf.native(u"MyPlants/Чайная"_s.toUtf8()));
    EXPECT_EQ(fsname::encodePath(root + u"MyPlants/bad\uFFFDone"_s), pf.native("MyPlants/bad\x98one"));
    // Two names shown alike: the first in byte order, always the same one.
    EXPECT_EQ(fsname::encodePath(root + u"MyPlants/ctl\uFFFDone"_s), pf.native("MyPlants/ctl\x01one"));

    // New names are UTF-8, inside 8-bit folders too; a photo's new comment keeps the photo's bytes.
    EXPECT_EQ(fsname::encodePath(rose + u"/Новая/plant.ini"_s),
              pf.native("MyPlants/" + kRose + "/" + u"Новая/plant.ini"_s.toUtf8()));
    EXPECT_EQ(fsname::encodePath(rose + u"/Фото.jpg.txt"_s),
              pf.native("MyPlants/" + kRose + "/" + kPhoto + ".txt"));
    EXPECT_EQ(fsname::encodePath(rose + u"/Другое.jpg.txt"_s),
              pf.native("MyPlants/" + kRose + "/" + u"Другое.jpg.txt"_s.toUtf8()));

    // The helpers list and reach the same entries.
    QStringList shown = paths::subdirectories(root + u"MyPlants"_s);
    shown.sort();
    EXPECT_EQ(shown,
              QStringList({u"bad\uFFFDone"_s, u"ctl\uFFFDone"_s, u"ctl\uFFFDone"_s, u"Роза"_s, u"Чайная"_s}));
    EXPECT_EQ(paths::files(rose), QStringList({u"Фото.jpg"_s}));
    EXPECT_TRUE(paths::isDir(rose + u"/Роза"_s));
    EXPECT_TRUE(paths::isFile(rose + u"/Фото.jpg"_s));
    EXPECT_EQ(paths::fileSize(rose + u"/Фото.jpg"_s), 4);
    // Another program is given the address of the very bytes.
    EXPECT_TRUE(paths::fileUrl(rose).toEncoded().endsWith("/MyPlants/%D0%EE%E7%E0"));

    // Writes go to the very file: a record in an 8-bit folder, a comment beside an 8-bit photo.
    ASSERT_TRUE(atomicfile::write(rose + u"/plant.ini"_s, "[Main]\r\nCond=0").ok());
    ASSERT_TRUE(atomicfile::write(rose + u"/Фото.jpg.txt"_s, "\xCA\xF0\xE0\xF1\xE8\xE2\xEE").ok());
    EXPECT_EQ(pf.readBytes("MyPlants/" + kRose + "/" + kPhoto + ".txt"), "\xCA\xF0\xE0\xF1\xE8\xE2\xEE");
    EXPECT_EQ(pf.listBytes("MyPlants/" + kRose),
              QList<QByteArray>({"plant.ini", kRose, kPhoto, kPhoto + ".txt"}));
    EXPECT_EQ(pf.listBytes("MyPlants").size(), 5);
}
