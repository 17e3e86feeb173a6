#include "../support/companion.h"
#include "../support/tempprogramfolder.h"
#include "cli/cli.h"
#include "groups/bmpfile.h"
#include "groups/smoothresize.h"
#include "platform/jpegcodec.h"

#include <QApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <QFile>

namespace {

CliOutcome cli(const QStringList& args)
{
    static const Companion companion;
    return companion(args);
}

// A collection as it comes from a case-blind file system: fixed names in other letter cases,
// Windows-1251 records with Cyrillic values.
void layOutMixedCaseCollection(const TempProgramFolder& pf)
{
    const QString g = QString::fromUtf8("myplants/Суккуленты/");
    pf.writeRecord(g + QStringLiteral("Group.INI"),
                   QStringLiteral("[group]\ncolor=$FCC99E\nimageindex=2\nimageorder=2\n"));
    pf.writeRecord(g + QString::fromUtf8("Кактусы/PLANT.ini"),
                   QStringLiteral("[MAIN]\nCond=1\nExpanded=1\n"));
    pf.writeRecord(g + QString::fromUtf8("Кактусы/Опунция/Plant.Ini"), QStringLiteral("[Main]\nCond=3\n"));
    pf.writeRecord(g + QStringLiteral("Aloe/PLANT.INI"), QStringLiteral("[Main]\nCond=2\n"));
    pf.writeRecord(g + QStringLiteral("aloe/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.writeRecord(g + QStringLiteral("!SHABLON/description.rtf"), QStringLiteral("{\\rtf1}"));
    pf.writeRecord(QStringLiteral("myplants/!SHABLON_ALL/group.ini"), QStringLiteral("[Group]\n"));
    pf.writeRecord(QStringLiteral("myplants/Roses/group.ini"),
                   QStringLiteral("[Group]\nImageIndex=17\nImageOrder=1\n"));
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QApplication a(argc, argv);
    return RUN_ALL_TESTS();
}

TEST(Cli, ReadsACollectionWithFixedNamesInOtherLetterCases)
{
    TempProgramFolder pf;
    layOutMixedCaseCollection(pf);
    const CliOutcome groups = cli({QStringLiteral("groups"), pf.path()});
    EXPECT_EQ(groups.code, 0) << groups.err.toStdString();
    EXPECT_EQ(groups.out, QString::fromUtf8("1\tRoses\tpicture 17\t#000000\n"
                                            "2\tСуккуленты\tpicture 2\t#9EC9FC\n"));
    const CliOutcome tree = cli({QStringLiteral("tree"), pf.path(), QString::fromUtf8("Суккуленты")});
    EXPECT_EQ(tree.code, 0) << tree.err.toStdString();
    EXPECT_EQ(tree.out, QString::fromUtf8("Кактусы/\n"
                                          "  Опунция  [Urgently to replace!]\n"
                                          "Aloe  [Ideal condition]\n"
                                          "aloe\n"));
    EXPECT_TRUE(tree.err.isEmpty());
}

TEST(Cli, ReadsOnlyAndSaysWhatIsWrong)
{
    TempProgramFolder pf;
    EXPECT_EQ(cli({QStringLiteral("groups"), pf.path()}).code, 1); // no MyPlants
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants")));
    pf.mkdir(QStringLiteral("MyPlants/Roses"));
    const CliOutcome missing = cli({QStringLiteral("tree"), pf.path(), QStringLiteral("Tulips")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("no group named")));
    EXPECT_EQ(cli({QStringLiteral("tree"), pf.path(), QStringLiteral("..")}).code, 1);
    EXPECT_EQ(cli({QStringLiteral("bogus")}).code, 2);
    EXPECT_EQ(cli({}).code, 2);
    // Listing the groups never writes their records.
    EXPECT_EQ(cli({QStringLiteral("groups"), pf.path()}).code, 0);
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/group.ini")));
}

TEST(Cli, PrintsAPageAsTextWithTheProgramsReader)
{
    TempProgramFolder pf;
    QFile fixture(QStringLiteral(VERDARIUM_TEST_DATA "/rtf/richedit_cp1251.rtf"));
    ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
    const QString node = QString::fromUtf8("MyPlants/Розы/Кусты/Чайная");
    pf.write(node + QStringLiteral("/diary.rtf"), fixture.readAll());
    pf.write(node + QStringLiteral("/care.rtf"), "plain \xe2\xee\xe4\xe0");
    const CliOutcome diary = cli({QStringLiteral("page"), pf.path(), QString::fromUtf8("Розы"),
                                  QString::fromUtf8("Кусты/Чайная"), QStringLiteral("diary")});
    EXPECT_EQ(diary.code, 0) << diary.err.toStdString();
    EXPECT_TRUE(diary.out.startsWith(QString::fromUtf8("Роза Rose\n")));
    EXPECT_TRUE(diary.out.endsWith(u'\n'));
    const CliOutcome care = cli({QStringLiteral("page"), pf.path(), QString::fromUtf8("Розы"),
                                 QString::fromUtf8("Кусты/Чайная"), QStringLiteral("care")});
    EXPECT_EQ(care.out, QString::fromUtf8("plain вода\n")) << "a page that is not RTF is 1251 text";
    // A page that is not there, and names that would lead out of the collection.
    const CliOutcome none = cli(
        {QStringLiteral("page"), pf.path(), QString::fromUtf8("Розы"), QString::fromUtf8("Кусты/Чайная")});
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.err.contains(QStringLiteral("description.rtf")));
    for (const char* bad : {"../Розы", "Кусты/../..", "a/b/c", ""})
        EXPECT_EQ(
            cli({QStringLiteral("page"), pf.path(), QString::fromUtf8("Розы"), QString::fromUtf8(bad)}).code,
            1)
            << bad;
    EXPECT_EQ(cli({QStringLiteral("page"), pf.path(), QStringLiteral(".."), QStringLiteral("x")}).code, 1);
    EXPECT_EQ(cli({QStringLiteral("page"), pf.path(), QString::fromUtf8("Розы"), QString::fromUtf8("Кусты"),
                   QStringLiteral("notes")})
                  .code,
              2);
}

TEST(Cli, ResizeWritesTheResamplersBitmap)
{
    TempProgramFolder pf;
    QImage photo(140, 130, QImage::Format_RGB888);
    for (int y = 0; y < 130; ++y)
        for (int x = 0; x < 140; ++x)
            photo.setPixel(x, y, qRgb(x, y, (x * y) & 255));
    pf.write(QStringLiteral("in.bmp"), bmpfile::encode24(photo));
    pf.write(QStringLiteral("in.jpg"), jpegcodec::encode(photo, 90));
    const CliOutcome bmp =
        cli({QStringLiteral("resize"), pf.file(QStringLiteral("in.bmp")), QStringLiteral("70"),
             QStringLiteral("65"), pf.file(QStringLiteral("out.bmp"))});
    ASSERT_EQ(bmp.code, 0) << bmp.err.toStdString();
    EXPECT_EQ(pf.read(QStringLiteral("out.bmp")), bmpfile::encode24(SmoothResize(photo, 70, 65)));
    const CliOutcome jpg =
        cli({QStringLiteral("resize"), pf.file(QStringLiteral("in.jpg")), QStringLiteral("7"),
             QStringLiteral("3"), pf.file(QStringLiteral("small.bmp"))});
    ASSERT_EQ(jpg.code, 0) << jpg.err.toStdString();
    EXPECT_EQ(pf.read(QStringLiteral("small.bmp")).size(), 54 + 24 * 3);
    // Damaged input, a bad size and an unwritable target are reported; nothing is written.
    pf.write(QStringLiteral("bad.jpg"), QByteArray("\xff\xd8\xff\xe0 not really", 15));
    const CliOutcome bad = cli({QStringLiteral("resize"), pf.file(QStringLiteral("bad.jpg")),
                                QStringLiteral("7"), QStringLiteral("3"), pf.file(QStringLiteral("x.bmp"))});
    EXPECT_EQ(bad.code, 1);
    EXPECT_FALSE(bad.err.isEmpty());
    EXPECT_EQ(cli({QStringLiteral("resize"), pf.file(QStringLiteral("in.bmp")), QStringLiteral("0"),
                   QStringLiteral("3"), pf.file(QStringLiteral("x.bmp"))})
                  .code,
              2);
    EXPECT_EQ(cli({QStringLiteral("resize"), pf.file(QStringLiteral("in.bmp")), QStringLiteral("5"),
                   QStringLiteral("3"), pf.file(QStringLiteral("no/such/folder/x.bmp"))})
                  .code,
              1);
    EXPECT_FALSE(pf.exists(QStringLiteral("x.bmp")));
}

TEST(Cli, TheInstalledProgramPrintsUtf8)
{
    TempProgramFolder pf;
    layOutMixedCaseCollection(pf);
    QProcess p;
    p.start(QStringLiteral(VERDARIUM_CLI_BINARY), {QStringLiteral("groups"), pf.path()});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().contains(QString::fromUtf8("Суккуленты").toUtf8()));
}
