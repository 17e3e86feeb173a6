#include "../support/tempprogramfolder.h"
#include "platform/fsname.h"
#include "platform/paths.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// "Роза" and "Фото" as Windows wrote them.
const QByteArray kRose("\xD0\xEE\xE7\xE0");
const QByteArray kPhoto("\xD4\xEE\xF2\xEE.jpg");

} // namespace

// The tests of the tree, the window and the companion over a group copied from Windows reach UTF-8,
// Windows-1251 and undecodable names; here what those do not.
TEST(FsName, NamesAreShownFromTheirBytes)
{
    // Neither code page as a whole: each byte that is no letter is shown as a replacement.
    EXPECT_EQ(fsname::decodeName("bad\x98\xE8"), u"bad\uFFFDи"_s);
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
    // Two names shown alike: the first in byte order, always the same one.
    EXPECT_EQ(fsname::encodePath(root + u"MyPlants/ctl\uFFFDone"_s), pf.native("MyPlants/ctl\x01one"));

    // The comment of a photo that is not there is a new name: UTF-8.
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
}
