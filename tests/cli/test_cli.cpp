#include "../support/companion.h"
#include "../support/exifjpeg.h"
#include "groups/bmpfile.h"
#include "groups/smoothresize.h"
#include "platform/jpegcodec.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

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
    const QString g = u"myplants/Суккуленты/"_s;
    pf.writeRecord(g + u"Group.INI"_s, u"[group]\ncolor=$FCC99E\nimageindex=2\nimageorder=2\n"_s);
    pf.writeRecord(g + u"Кактусы/PLANT.ini"_s, u"[MAIN]\nCond=1\nExpanded=1\n"_s);
    pf.writeRecord(g + u"Кактусы/Опунция/Plant.Ini"_s, u"[Main]\nCond=3\n"_s);
    pf.writeRecord(g + u"Aloe/PLANT.INI"_s, u"[Main]\nCond=2\n"_s);
    pf.writeRecord(g + u"aloe/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    pf.writeRecord(g + u"!SHABLON/description.rtf"_s, u"{\\rtf1}"_s);
    pf.writeRecord(u"myplants/!SHABLON_ALL/group.ini"_s, u"[Group]\n"_s);
    pf.writeRecord(u"myplants/Roses/group.ini"_s, u"[Group]\nImageIndex=17\nImageOrder=1\n"_s);
}

} // namespace

TEST(Cli, ReadsACollectionWithFixedNamesInOtherLetterCases)
{
    TempProgramFolder pf;
    layOutMixedCaseCollection(pf);
    const CliOutcome groups = cli({u"groups"_s, pf.path()});
    EXPECT_EQ(groups.code, 0) << groups.err.toStdString();
    EXPECT_EQ(groups.out, QString::fromUtf8("1\tRoses\tpicture 17\t#000000\n"
                                            "2\tСуккуленты\tpicture 2\t#9EC9FC\n"));
    const CliOutcome tree = cli({u"tree"_s, pf.path(), u"Суккуленты"_s});
    EXPECT_EQ(tree.code, 0) << tree.err.toStdString();
    EXPECT_EQ(tree.out, QString::fromUtf8("Кактусы/\n"
                                          "  Опунция  [Urgently to replace!]\n"
                                          "Aloe  [Ideal condition]\n"
                                          "aloe\n"));
    EXPECT_TRUE(tree.err.isEmpty());
    // The installed program prints UTF-8. Commands that lay out no page start without the GUI
    // machinery: with no display platform to be had they run all the same.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"no-such-platform"_s);
    pf.write(u"photo.jpg"_s, exifjpeg::plainJpeg(800, 600, QColor(40, 140, 60)));
    for (const QStringList& args :
         {QStringList{u"groups"_s, pf.path()}, QStringList{u"tree"_s, pf.path(), u"Суккуленты"_s},
          QStringList{u"search"_s, pf.path(), u"Aloe"_s}, QStringList{u"--help"_s},
          QStringList{u"export-web"_s, pf.file(u"photo.jpg"_s), pf.file(u"web.jpg"_s)},
          QStringList{u"removed"_s, pf.path()}, QStringList{u"conflicts"_s, pf.path()}}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VERDARIUM_CLI_BINARY), args);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 0) << args.first().toStdString() << p.readAllStandardError().constData();
        if (args.first() == u"groups") {
            EXPECT_TRUE(p.readAllStandardOutput().contains(u"Суккуленты"_s.toUtf8()));
        }
    }
    EXPECT_TRUE(pf.exists(u"web.jpg"_s));
}

TEST(Cli, ReadingCommandsSayWhatIsWrongAndWriteNothing)
{
    TempProgramFolder pf;
    EXPECT_EQ(cli({u"groups"_s, pf.path()}).code, 1); // no MyPlants
    EXPECT_FALSE(pf.exists(u"MyPlants"_s));
    // A page that is not RTF is 1251 text (the writing tests print RTF pages).
    pf.write(u"MyPlants/Розы/Кусты/Чайная/care.rtf"_s, "plain \xe2\xee\xe4\xe0");
    EXPECT_EQ(cli({u"page"_s, pf.path(), u"Розы"_s, u"Кусты/Чайная"_s, u"care"_s}).out, u"plain вода\n"_s);
    // In text a footnote is its number; a comment's anchor and hidden text are no text.
    pf.write(u"MyPlants/Розы/Кусты/Чайная/diary.rtf"_s,
             "{\\rtf1 super{\\*\\atnid A}{\\chatn{\\*\\annotation note}}cali{\\v hidden} fed"
             "{\\super\\chftn}{\\footnote{\\super\\chftn} twice}.\\par}");
    EXPECT_EQ(cli({u"page"_s, pf.path(), u"Розы"_s, u"Кусты/Чайная"_s, u"diary"_s}).out, u"supercali fed1.\n"_s);
    const CliOutcome missing = cli({u"tree"_s, pf.path(), u"Tulips"_s});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(u"no group named"_s));
    const CliOutcome none = cli({u"page"_s, pf.path(), u"Розы"_s, u"Кусты/Чайная"_s});
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.err.contains(u"description.rtf"_s));
    // Names that would lead out of the collection; usage.
    for (const char* bad : {"../Розы", "Кусты/../..", "a/b/c", ""})
        EXPECT_EQ(cli({u"page"_s, pf.path(), u"Розы"_s, u8(bad)}).code, 1) << bad;
    EXPECT_EQ(cli({u"page"_s, pf.path(), u".."_s, u"x"_s}).code, 1);
    EXPECT_EQ(cli({u"tree"_s, pf.path(), u".."_s}).code, 1);
    EXPECT_EQ(cli({u"page"_s, pf.path(), u"Розы"_s, u"Кусты"_s, u"notes"_s}).code, 2);
    EXPECT_EQ(cli({u"bogus"_s}).code, 2);
    EXPECT_EQ(cli({}).code, 2);
    // Listing the groups never writes their records.
    EXPECT_EQ(cli({u"groups"_s, pf.path()}).code, 0);
    EXPECT_FALSE(pf.exists(u"MyPlants/Розы/group.ini"_s));
}

TEST(Cli, ResizeWritesTheResamplersBitmap)
{
    TempProgramFolder pf;
    QImage photo(140, 130, QImage::Format_RGB888);
    for (int y = 0; y < 130; ++y)
        for (int x = 0; x < 140; ++x)
            photo.setPixel(x, y, qRgb(x, y, (x * y) & 255));
    pf.write(u"in.bmp"_s, bmpfile::encode24(photo));
    pf.write(u"in.jpg"_s, jpegcodec::encode(photo, 90));
    const CliOutcome bmp = cli({u"resize"_s, pf.file(u"in.bmp"_s), u"70"_s, u"65"_s, pf.file(u"out.bmp"_s)});
    ASSERT_EQ(bmp.code, 0) << bmp.err.toStdString();
    EXPECT_EQ(pf.read(u"out.bmp"_s), bmpfile::encode24(SmoothResize(photo, 70, 65)));
    const CliOutcome jpg = cli({u"resize"_s, pf.file(u"in.jpg"_s), u"7"_s, u"3"_s, pf.file(u"small.bmp"_s)});
    ASSERT_EQ(jpg.code, 0) << jpg.err.toStdString();
    EXPECT_EQ(pf.read(u"small.bmp"_s).size(), 54 + 24 * 3);
    // Damaged input, a bad size and an unwritable target are reported; nothing is written.
    pf.write(u"bad.jpg"_s, QByteArray("\xff\xd8\xff\xe0 not really", 15));
    const CliOutcome bad = cli({u"resize"_s, pf.file(u"bad.jpg"_s), u"7"_s, u"3"_s, pf.file(u"x.bmp"_s)});
    EXPECT_EQ(bad.code, 1);
    EXPECT_FALSE(bad.err.isEmpty());
    EXPECT_EQ(cli({u"resize"_s, pf.file(u"in.bmp"_s), u"0"_s, u"3"_s, pf.file(u"x.bmp"_s)}).code, 2);
    EXPECT_EQ(
        cli({u"resize"_s, pf.file(u"in.bmp"_s), u"5"_s, u"3"_s, pf.file(u"no/such/folder/x.bmp"_s)}).code, 1);
    EXPECT_FALSE(pf.exists(u"x.bmp"_s));
}
