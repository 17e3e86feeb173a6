#include "../support/companion.h"
#include "../support/tempprogramfolder.h"
#include "cli/cli.h"
#include "platform/jpegcodec.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Розы, Кусты, Чайная, Дикая as Windows wrote them, and a name valid in neither code page.
const QByteArray kGroup("\xD0\xEE\xE7\xFB");
const QByteArray kShrubs("\xCA\xF3\xF1\xF2\xFB");
const QByteArray kTea("\xD7\xE0\xE9\xED\xE0\xFF");
const QByteArray kWild("\xC4\xE8\xEA\xE0\xFF");
const QByteArray kBad("bad\x98name");

} // namespace

TEST(CliEightBit, TreePageAddPhotoAndMoveUseTheNamesOnDisk)
{
    TempProgramFolder pf;
    const QByteArray g = "MyPlants/" + kGroup + "/";
    pf.writeBytes(g + "group.ini", "[Group]\r\nImageOrder=1\r\n");
    pf.writeBytes("MyPlants/Cacti/group.ini", "[Group]\r\nImageOrder=2\r\n");
    pf.writeBytes(g + kShrubs + "/plant.ini", "[Main]\r\nCond=1\r\n");
    pf.writeBytes(g + kShrubs + "/" + kWild + "/plant.ini", "[Main]\r\nCond=3\r\n");
    pf.writeBytes(g + kTea + "/plant.ini", "[Main]\r\nCond=0\r\n");
    pf.writeBytes(g + kTea + "/care.rtf", "{\\rtf1 Tea care\\par}");
    pf.writeBytes(g + kBad + "/plant.ini", "[Main]\r\nCond=0\r\n");
    QImage img(30, 20, QImage::Format_RGB888);
    img.fill(Qt::red);
    const QByteArray photo = jpegcodec::encode(img, 90);
    pf.write(QStringLiteral("in/flower.jpg"), photo);
    const QString p = pf.path();
    Companion cli;

    const CliOutcome tree = cli({u("tree"), p, u("Розы")});
    EXPECT_EQ(tree.code, 0) << tree.err.toStdString();
    EXPECT_EQ(tree.out, u("Кусты/\n  Дикая  [Urgently to replace!]\nbad\xEF\xBF\xBDname\nЧайная\n"));

    const CliOutcome page = cli({u("page"), p, u("Розы"), u("Чайная"), u("care")});
    EXPECT_EQ(page.code, 0) << page.err.toStdString();
    EXPECT_EQ(page.out, u("Tea care\n"));
    pf.writeBytes(g + kShrubs + "/" + kWild + "/description.rtf", "{\\rtf1 Wild\\par}");
    EXPECT_EQ(cli({u("page"), p, u("Розы"), u("Кусты/Дикая")}).out, u("Wild\n"));

    const CliOutcome add =
        cli({u("add-photo"), p, u("Розы"), u("Чайная"), pf.file(u("in/flower.jpg")), u("Цветок")});
    EXPECT_EQ(add.code, 0) << add.err.toStdString();
    EXPECT_EQ(pf.readBytes(g + kTea + "/flower.jpg"), photo);
    EXPECT_EQ(pf.readBytes(g + kTea + "/flower.jpg.txt"), "\xD6\xE2\xE5\xF2\xEE\xEA");

    // Nothing was made twice.
    QList<QByteArray> names = pf.listBytes(g);
    names.removeAll("!Shablon");
    EXPECT_EQ(names, QList<QByteArray>({kBad, "group.ini", kShrubs, kTea}));

    // move keeps the bytes; the name valid in neither code page is renamed to a proper one.
    const CliOutcome move = cli({u("move"), p, u("Розы"), u("Чайная"), u("Cacti")});
    EXPECT_EQ(move.code, 0) << move.err.toStdString();
    EXPECT_EQ(pf.readBytes("MyPlants/Cacti/" + kTea + "/flower.jpg"), photo);
    EXPECT_FALSE(pf.existsBytes(g + kTea));
    EXPECT_EQ(cli({u("move"), p, u("Розы"), u("Кусты/Дикая"), u("Розы")}).code, 0);
    EXPECT_TRUE(pf.existsBytes(g + kWild + "/plant.ini"));
    const CliOutcome rename = cli({u("rename"), p, u("Розы"), u("bad\xEF\xBF\xBDname"), u("Хорошая")});
    EXPECT_EQ(rename.code, 0) << rename.err.toStdString();
    EXPECT_FALSE(pf.existsBytes(g + kBad));
    EXPECT_TRUE(pf.existsBytes(g + u("Хорошая/plant.ini").toUtf8()));
}
