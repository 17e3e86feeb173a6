#include "../support/companion.h"
#include "../support/eightbit.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace eightbit;

TEST(CliEightBit, TreePageMoveAndRenameUseTheNamesOnDisk)
{
    TempProgramFolder pf;
    const QByteArray& g = kG;
    eightbit::layOut(pf, "photo");
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

    // Nothing was made twice. (Photos added into these folders: the window's test; moves out of the
    // group: the tree's.)
    QList<QByteArray> names = pf.listBytes(g);
    names.removeAll("!Shablon");
    EXPECT_EQ(names, QList<QByteArray>({kBad, "group.ini", kShrubs, kTea}));

    // A plant moves out of its 8-bit folder; the name valid in neither code page is renamed to a proper one.
    EXPECT_EQ(cli({u"move"_s, p, u"Розы"_s, u"Кусты/Дикая"_s, u"Розы"_s}).code, 0);
    EXPECT_TRUE(pf.existsBytes(g + kWild + "/plant.ini"));
    const CliOutcome rename = cli({u"rename"_s, p, u"Розы"_s, kBadShown, u"Хорошая"_s});
    EXPECT_EQ(rename.code, 0) << rename.err.toStdString();
    EXPECT_FALSE(pf.existsBytes(g + kBad));
    EXPECT_TRUE(pf.existsBytes(g + u"Хорошая/plant.ini"_s.toUtf8()));
}
