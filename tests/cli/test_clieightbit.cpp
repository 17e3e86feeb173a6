#include "../support/companion.h"
#include "../support/eightbit.h"
#include "../support/exifjpeg.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace eightbit;

TEST(CliEightBit, TreePageAddPhotoAndMoveUseTheNamesOnDisk)
{
    TempProgramFolder pf;
    const QByteArray& g = kG;
    const QByteArray photo = exifjpeg::plainJpeg(30, 20, Qt::red);
    eightbit::layOut(pf, photo);
    pf.write(u"in/flower.jpg"_s, photo);
    const QString p = pf.path();
    Companion cli;

    const CliOutcome tree = cli({u"tree"_s, p, u"Розы"_s});
    EXPECT_EQ(tree.code, 0) << tree.err.toStdString();
    EXPECT_EQ(tree.out, u"Кусты/\n  Дикая  [Urgently to replace!]\n"_s + kBadShown +
                            u"\nЧайная  [Ideal condition]\n"_s);

    const CliOutcome page = cli({u"page"_s, p, u"Розы"_s, u"Чайная"_s, u"care"_s});
    EXPECT_EQ(page.code, 0) << page.err.toStdString();
    EXPECT_EQ(page.out, u"Tea care\n"_s);
    pf.writeBytes(g + kShrubs + "/" + kWild + "/description.rtf", "{\\rtf1 Wild\\par}");
    EXPECT_EQ(cli({u"page"_s, p, u"Розы"_s, u"Кусты/Дикая"_s}).out, u"Wild\n"_s);

    const CliOutcome add =
        cli({u"add-photo"_s, p, u"Розы"_s, u"Чайная"_s, pf.file(u"in/flower.jpg"_s), u"Цветок"_s});
    EXPECT_EQ(add.code, 0) << add.err.toStdString();
    EXPECT_EQ(pf.readBytes(g + kTea + "/flower.jpg"), photo);
    EXPECT_EQ(pf.readBytes(g + kTea + "/flower.jpg.txt"), "\xD6\xE2\xE5\xF2\xEE\xEA");

    // Nothing was made twice.
    QList<QByteArray> names = pf.listBytes(g);
    names.removeAll("!Shablon");
    EXPECT_EQ(names, QList<QByteArray>({kBad, "group.ini", kShrubs, kTea}));

    // move keeps the bytes; the name valid in neither code page is renamed to a proper one.
    const CliOutcome move = cli({u"move"_s, p, u"Розы"_s, u"Чайная"_s, u"Cacti"_s});
    EXPECT_EQ(move.code, 0) << move.err.toStdString();
    EXPECT_EQ(pf.readBytes("MyPlants/Cacti/" + kTea + "/flower.jpg"), photo);
    EXPECT_FALSE(pf.existsBytes(g + kTea));
    EXPECT_EQ(cli({u"move"_s, p, u"Розы"_s, u"Кусты/Дикая"_s, u"Розы"_s}).code, 0);
    EXPECT_TRUE(pf.existsBytes(g + kWild + "/plant.ini"));
    const CliOutcome rename = cli({u"rename"_s, p, u"Розы"_s, kBadShown, u"Хорошая"_s});
    EXPECT_EQ(rename.code, 0) << rename.err.toStdString();
    EXPECT_FALSE(pf.existsBytes(g + kBad));
    EXPECT_TRUE(pf.existsBytes(g + u"Хорошая/plant.ini"_s.toUtf8()));
}
