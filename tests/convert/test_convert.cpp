#include "../support/tempprogramfolder.h"
#include "app/mainform.h"
#include "app/tform3.h"
#include "cli/cli.h"
#include "convert/convert.h"
#include "groups/tframe1.h"
#include "platform/codepage.h"
#include "platform/sysio.h"
#include "store/copyfolder.h"
#include "store/inifile.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <gtest/gtest.h>

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString fixtureRoot()
{
    return QStringLiteral(VERDARIUM_TEST_DATA "/older_layout/");
}

QByteArray fixture(const char* relative)
{
    QFile f(fixtureRoot() + s(relative));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << relative;
    return f.readAll();
}

// Every file under folder by its path below it, with its bytes.
QMap<QString, QByteArray> filesUnder(const QString& folder, const QStringList& skip = {})
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(folder).relativeFilePath(path);
        if (std::any_of(skip.begin(), skip.end(), [&](const QString& p) { return relative.startsWith(p); }))
            continue;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        files.insert(relative, f.readAll());
    }
    return files;
}

// The older layout as a keeper has it, in a real program folder.
void layOut(const TempProgramFolder& pf)
{
    for (const auto& [relative, bytes] : filesUnder(fixtureRoot()).asKeyValueRange())
        pf.write(relative, bytes);
}

// What must never change: everything but MyPlants, the log and group1.ini itself.
QMap<QString, QByteArray> olderLayout(const TempProgramFolder& pf)
{
    return filesUnder(pf.path(), {s("MyPlants"), s("errorlog.txt"), s("group1.")});
}

QByteArray plantRecord(int cond)
{
    return "[Main]\r\nCond=" + QByteArray::number(cond) + "\r\n\r\n";
}

QByteArray groupRecord(int color, int image)
{
    return "[Group]\r\nColor=" + QByteArray::number(color) + "\r\nImageIndex=" + QByteArray::number(image) +
           "\r\n\r\n";
}

// MyPlants as the conversion of tests/data/older_layout must leave it, file by file.
QMap<QString, QByteArray> expectedMyPlants()
{
    QMap<QString, QByteArray> e;
    auto put = [&](const char* path, const QByteArray& bytes) { e.insert(s(path), bytes); };
    put("!Notes/group.ini", fixture("MyPlants/!Notes/group.ini")); // there already: kept
    put("!Notes/Main/description.rtf", fixture("plants/zametki.rtf"));
    put("!Notes/Main/plant.ini", "[Main]\r\nCond=0\r\nExpanded=0\r\n\r\n");
    put("!Shablon_all/description.rtf", fixture("plants/!Shablon_all/description.rtf"));
    put("!Shablon_all/care.rtf", fixture("plants/!Shablon_all/uhod.rtf"));
    // Groups 1 and 3 share a caption: one group, the record of the later one.
    put("Кактусы/group.ini", groupRecord(255, 7));
    put("Кактусы/!Shablon/description.rtf", fixture("plants/!Shablon_1/description.rtf"));
    put("Кактусы/!Shablon/care.rtf", fixture("plants/!Shablon_1/uhod.rtf"));
    put("Кактусы/!Shablon/diary.rtf", fixture("plants/!Shablon_1/kultura.rtf"));
    for (const char* at : {"Кактусы/Опунция/", "Цветущие/Фиалки/Опунция/"}) {
        const QString base = s(at);
        e.insert(base + u"description.rtf", fixture("plants/Опунция/description.rtf"));
        e.insert(base + u"diary.rtf", fixture("plants/Опунция/kultura.rtf"));
        e.insert(base + u"care.rtf", fixture("plants/Опунция/uhod.rtf"));
        e.insert(base + u"photo1.jpg", fixture("plants/Опунция/photo1.jpg"));
        e.insert(base + u"photo1.txt", fixture("plants/Опунция/photo1.txt"));
    }
    put("Кактусы/Опунция/plant.ini", plantRecord(2));
    put("Кактусы/Маммиллярия/description.rtf", fixture("plants/Маммиллярия/description.rtf"));
    put("Кактусы/Маммиллярия/plant.ini", plantRecord(0));
    put("Кактусы/Редкие/Астрофитум/care.rtf", fixture("plants/Астрофитум/Uhod.rtf"));
    put("Кактусы/Редкие/Астрофитум/plant.ini", plantRecord(3));
    put("Кактусы/Эхинопсис/diary.rtf", fixture("plants/Эхинопсис/KULTURA.RTF"));
    put("Кактусы/Эхинопсис/plant.ini", plantRecord(5));
    // A list beginning with a folder line: nothing at the top level; an empty folder is not made.
    put("Цветущие/group.ini", groupRecord(65535, 1));
    put("Цветущие/!Shablon/description.rtf", fixture("plants/!Shablon_2/description.rtf"));
    put("Цветущие/Фиалки/Опунция/plant.ini", plantRecord(0));
    put("Цветущие/Фиалки/Сенполия синяя/description.rtf", fixture("plants/Сенполия синяя/description.rtf"));
    put("Цветущие/Фиалки/Сенполия синяя/plant.ini", plantRecord(4));
    // "Сад/Огород" cannot be a folder name.
    put("Сад_Огород/group.ini", groupRecord(3, 2));
    put("Сад_Огород/Тюльпан/description.rtf", fixture("plants/Тюльпан/description.rtf"));
    put("Сад_Огород/Тюльпан/plant.ini", plantRecord(0));
    put("Луковичные/group.ini", groupRecord(16777215, 9));
    put("Луковичные/Тюльпан/description.rtf", fixture("plants/Тюльпан/description.rtf"));
    put("Луковичные/Тюльпан/plant.ini", plantRecord(0));
    // Marked "x": copied all the same, without a mark.
    put("Луковичные/Лилия/description.rtf", fixture("plants/Лилия/description.rtf"));
    put("Луковичные/Лилия/plant.ini", plantRecord(0));
    return e;
}

// startedAfter: the window went on to start (bar numbers in the group records, the first node's
// pages made), so records need hold the converted values and every converted file must be there.
void expectConverted(const TempProgramFolder& pf, bool startedAfter = false)
{
    const QMap<QString, QByteArray> got = filesUnder(pf.file(s("MyPlants")));
    const QMap<QString, QByteArray> want = expectedMyPlants();
    if (!startedAfter) {
        EXPECT_EQ(got.keys(), want.keys());
    }
    for (const auto& [path, bytes] : want.asKeyValueRange()) {
        ASSERT_TRUE(got.contains(path)) << path.toStdString();
        if (!startedAfter || !path.endsWith(u".ini")) {
            EXPECT_EQ(got.value(path), bytes) << path.toStdString();
            continue;
        }
        const IniFile wanted = IniFile::fromBytes(path, bytes);
        const IniFile record = IniFile::fromBytes(path, got.value(path));
        for (const QString& section : wanted.sections())
            for (const QString& key : wanted.keys(section))
                EXPECT_EQ(record.readString(section, key, {}), wanted.readString(section, key, {}))
                    << path.toStdString() << ' ' << key.toStdString();
    }
    // Neither the group without a caption, nor one no copy made a folder for, nor the empty folder.
    EXPECT_FALSE(pf.exists(s("MyPlants/Суккуленты")));
    EXPECT_FALSE(pf.exists(s("MyPlants/Цветущие/Пустая папка")));
    EXPECT_FALSE(pf.exists(s("MyPlants/outside")));
}

QString errorLog(const TempProgramFolder& pf)
{
    return cp1251::decode(pf.read(s("errorlog.txt")));
}

struct Converted {
    convert::Outcome outcome;
    int filesCopied = 0;
    bool aborted = false;
};

Converted runConversion(const TempProgramFolder& pf, RecordingSink& sink)
{
    const IniFile settings(pf.file(s("main.ini")));
    FileCopier copier(pf.path(), sink);
    Converted c;
    c.outcome = convert::convertOlderLayout(pf.path(), settings, copier);
    c.filesCopied = copier.filesCopied;
    c.aborted = copier.copyAbort;
    return c;
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QApplication a(argc, argv);
    return RUN_ALL_TESTS();
}

TEST(Convert, CopiesEveryGroupPlantAndTemplateAndChangesNothingOld)
{
    TempProgramFolder pf;
    layOut(pf);
    const auto before = olderLayout(pf);
    ASSERT_TRUE(convert::pending(pf.path()));
    RecordingSink sink;
    const Converted c = runConversion(pf, sink);
    ASSERT_TRUE(c.outcome.done);
    EXPECT_FALSE(c.aborted);
    expectConverted(pf);
    EXPECT_EQ(olderLayout(pf), before);
    EXPECT_EQ(c.filesCopied, 24);
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u'\n').toStdString();

    // What was not converted as it stood is said.
    ASSERT_EQ(c.outcome.renamed.size(), 1u);
    EXPECT_EQ(c.outcome.renamed[0], std::make_pair(s("Сад/Огород"), s("Сад_Огород")));
    EXPECT_EQ(c.outcome.refusedLines, (QStringList{s("0../outside"), s("0..\\outside"), s("0")}));
    EXPECT_TRUE(c.outcome.groupsWithoutList.isEmpty());
    EXPECT_TRUE(c.outcome.report().contains(s("\"Сад/Огород\"")));
    const QString log = errorLog(pf);
    EXPECT_TRUE(log.contains(s(": Start conversion\r\n")));
    EXPECT_TRUE(log.contains(s("\"x\" is not a condition mark (args: gl_ToPath: ") + pf.path() +
                             s("MyPlants/Луковичные/Лилия/; gl_FromPath: ") + pf.path() +
                             s("plants/Лилия/)")))
        << log.toStdString();

    // Set aside once; a group1.bak in the way leaves group1.ini to be offered again.
    ASSERT_TRUE(convert::setAside(pf.path()).ok());
    EXPECT_FALSE(convert::pending(pf.path()));
    EXPECT_EQ(pf.read(s("group1.bak")), fixture("group1.ini"));
    pf.write(s("group1.ini"), fixture("group1.ini"));
    EXPECT_EQ(convert::setAside(pf.path()).code, EEXIST);
    EXPECT_TRUE(convert::pending(pf.path()));

    // Converting again copies over what is there and gives the same collection.
    RecordingSink again;
    ASSERT_TRUE(runConversion(pf, again).outcome.done);
    expectConverted(pf);
}

TEST(Convert, AGroupWithoutAReadableListIsConvertedWithoutPlantsAndNamed)
{
    TempProgramFolder pf;
    layOut(pf);
    QFile::remove(pf.file(s("group2.ini")));
    QFile::remove(pf.file(s("group10.ini")));
    pf.mkdir(s("group10.ini")); // a folder where the list should be: unreadable
    RecordingSink sink;
    const Converted c = runConversion(pf, sink);
    ASSERT_TRUE(c.outcome.done);
    EXPECT_EQ(c.outcome.groupsWithoutList, (QStringList{s("Цветущие"), s("Луковичные")}));
    EXPECT_TRUE(c.outcome.report().contains(s("Цветущие, Луковичные")));
    // Its templates and record are there; the other groups are whole.
    EXPECT_EQ(pf.read(s("MyPlants/Цветущие/group.ini")), groupRecord(65535, 1));
    EXPECT_TRUE(pf.exists(s("MyPlants/Цветущие/!Shablon/description.rtf")));
    EXPECT_FALSE(pf.exists(s("MyPlants/Цветущие/Фиалки")));
    EXPECT_FALSE(pf.exists(s("MyPlants/Луковичные")));
    EXPECT_EQ(pf.read(s("MyPlants/Кактусы/Редкие/Астрофитум/plant.ini")), plantRecord(3));
    EXPECT_TRUE(errorLog(pf).contains(s("(args: ") + pf.path() + s("group2.ini)")));
}

TEST(Convert, AFullDiskStopsWithTheOlderLayoutWholeAndTheNextRunConverts)
{
    TempProgramFolder pf;
    layOut(pf);
    const auto before = olderLayout(pf);
    RecordingSink sink;
    sysio::failEvery(sysio::Op::Write, 6, ENOSPC, true);
    const Converted stopped = runConversion(pf, sink);
    sysio::clearFaults();
    EXPECT_FALSE(stopped.outcome.done);
    EXPECT_TRUE(stopped.aborted);
    ASSERT_FALSE(sink.warnings.isEmpty());
    EXPECT_TRUE(sink.warnings.last().contains(s("Make more free space on a disk")));
    EXPECT_EQ(olderLayout(pf), before);
    EXPECT_TRUE(convert::pending(pf.path()));
    // Nothing after the stop was made: the collection-wide templates come later.
    EXPECT_FALSE(pf.exists(s("MyPlants/!Shablon_all")));

    // Every write failing from some point on, records included: stopped all the same.
    for (int n : {9, 12, 15}) {
        RecordingSink full;
        sysio::failEvery(sysio::Op::Write, n, ENOSPC);
        const Converted c = runConversion(pf, full);
        sysio::clearFaults();
        EXPECT_FALSE(c.outcome.done) << n;
        EXPECT_TRUE(c.aborted) << n;
        EXPECT_EQ(olderLayout(pf), before);
    }

    RecordingSink again;
    ASSERT_TRUE(runConversion(pf, again).outcome.done);
    expectConverted(pf);
    EXPECT_EQ(olderLayout(pf), before);
}

TEST(Convert, SafeFolderNames)
{
    EXPECT_EQ(convert::safeFolderName(s("Кактусы"), s("G")), s("Кактусы"));
    EXPECT_EQ(convert::safeFolderName(s("a/b\\c:d"), s("G")), s("a_b_c_d"));
    EXPECT_EQ(convert::safeFolderName(s(".."), s("G")), s("__"));
    EXPECT_EQ(convert::safeFolderName(s("!Notes"), s("G")), s("_Notes"));
    EXPECT_EQ(convert::safeFolderName(s("x\ty"), s("G")), s("x_y"));
    EXPECT_EQ(convert::safeFolderName(s("   "), s("G")), s("G"));
    EXPECT_EQ(convert::safeFolderName(QString(300, u'я'), s("G")).toUtf8().size(), 254);
}

TEST(ConvertCommand, ConvertsWithTheRealCompanionAndSetsGroup1Aside)
{
    TempProgramFolder pf;
    TempProgramFolder runtime;
    layOut(pf);
    // A plant folder copied from Windows with its name in Windows-1251 bytes (Алоэ).
    pf.writeBytes("plants/\xC0\xEB\xEE\xFD/description.rtf", "{\\rtf1 aloe}");
    pf.write(s("group1.ini"), fixture("group1.ini") + cp1251::encode(s("0Алоэ\r\n")));
    const auto before = olderLayout(pf);
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(s("XDG_RUNTIME_DIR"), runtime.path());
    cli.setProcessEnvironment(env);
    cli.start(s(VERDARIUM_CLI_BINARY), {s("convert"), pf.path()});
    ASSERT_TRUE(cli.waitForFinished(60000));
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    EXPECT_EQ(cli.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(s("converting group 1: Кактусы\n")));
    EXPECT_TRUE(err.contains(s("25 files copied\n")));
    EXPECT_TRUE(err.contains(s("converted \"Сад/Огород\" as \"Сад_Огород\"\n")));
    // Listed after the folder line, so in the folder.
    const QString aloe = s("MyPlants/Кактусы/Редкие/Алоэ/");
    EXPECT_EQ(pf.read(aloe + u"description.rtf"), "{\\rtf1 aloe}");
    EXPECT_EQ(pf.read(aloe + u"plant.ini"), plantRecord(0));
    QDir(pf.file(aloe)).removeRecursively();
    expectConverted(pf);
    EXPECT_EQ(olderLayout(pf), before);
    EXPECT_FALSE(pf.exists(s("group1.ini")));
    EXPECT_TRUE(pf.exists(s("group1.bak")));

    // Nothing left to convert.
    cli.start(s(VERDARIUM_CLI_BINARY), {s("convert"), pf.path()});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 1);
}

TEST(ConvertCommand, StopsOnAMissingListOrAFullDiskAndKeepsGroup1)
{
    TempProgramFolder runtime;
    auto run = [&](const QStringList& args, QString* err) {
        QString out;
        QTextStream o(&out), e(err);
        const int code = runCli(args, o, e, runtime.file(s("MyPelmo.lock")));
        e.flush();
        return code;
    };
    QString err;
    EXPECT_EQ(run({s("convert"), s("a"), s("b")}, &err), 2);
    QString help;
    {
        QString out;
        QTextStream o(&out), e(&help);
        EXPECT_EQ(runCli({s("convert"), s("--help")}, o, e), 0);
        o.flush();
        EXPECT_TRUE(out.contains(s("Example:\n    verdarium-cli convert ")));
    }

    TempProgramFolder pf;
    layOut(pf);
    QFile::remove(pf.file(s("group3.ini")));
    err.clear();
    EXPECT_EQ(run({s("convert"), pf.path()}, &err), 1);
    EXPECT_TRUE(
        err.endsWith(s("verdarium-cli: no readable list of plants for Кактусы; the rest is converted, "
                       "group1.ini stays for another run\n")))
        << err.toStdString();
    EXPECT_TRUE(convert::pending(pf.path()));
    EXPECT_TRUE(pf.exists(s("MyPlants/Луковичные/Лилия/plant.ini")));

    TempProgramFolder full;
    layOut(full);
    const auto before = olderLayout(full);
    sysio::failEvery(sysio::Op::Write, 3, ENOSPC, true);
    err.clear();
    const int code = run({s("convert"), full.path()}, &err);
    sysio::clearFaults();
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(err.contains(s("the older layout is as it was"))) << err.toStdString();
    EXPECT_TRUE(convert::pending(full.path()));
    EXPECT_EQ(olderLayout(full), before);
}

// The window's start-up step; these come last, since a start that ends asks the application to quit.
TEST(ConvertWindow, YesConvertsUnderTheProgressDialogAndOpensTheCollection)
{
    TempProgramFolder pf;
    layOut(pf);
    const auto before = olderLayout(pf);
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    // The copies let the window process its events: look at the progress dialog then.
    int counter = 0;
    int gaugeMax = 0;
    int dialogs = 0;
    bool windowDisabled = true;
    QString title;
    QTimer sampler;
    sampler.setInterval(0);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TForm3*>(w); d && d->isVisible()) {
                ++dialogs;
                counter = std::max(counter, d->Label7->text().toInt());
                gaugeMax = std::max(gaugeMax, d->Gauge2->MaxValue());
                title = d->Label6->text();
                windowDisabled = windowDisabled && !form.isEnabled();
            }
    });
    sampler.start();
    form.show();
    sampler.stop();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    EXPECT_EQ(sink.questions, QStringList{convert::question()});
    EXPECT_GT(dialogs, 0);
    EXPECT_GE(counter, 20);
    EXPECT_EQ(gaugeMax, 512); // photo1.jpg: 5,120 bytes in tens
    EXPECT_EQ(title, s("Total files copied:"));
    EXPECT_TRUE(windowDisabled);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TForm3*>(w), nullptr);
    EXPECT_TRUE(form.isEnabled());
    EXPECT_FALSE(form.endedAtStart());

    expectConverted(pf, true);
    EXPECT_EQ(olderLayout(pf), before);
    EXPECT_TRUE(pf.exists(s("group1.bak")));
    EXPECT_FALSE(pf.exists(s("group1.ini")));
    EXPECT_EQ(form.groupCount, 4);
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings[0].contains(s("\"Сад/Огород\" cannot be a folder name")));
}

TEST(ConvertWindow, NoEndsTheStartWithNothingWrittenAndTheNextStartAsksAgain)
{
    TempProgramFolder pf;
    layOut(pf);
    const auto before = filesUnder(pf.path());
    {
        RecordingSink sink;
        sink.answer = false;
        TMainForm form(pf.path(), {}, &sink);
        form.show();
        QApplication::processEvents();
        EXPECT_EQ(sink.questions.size(), 1);
        EXPECT_TRUE(form.endedAtStart());
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.groupCount, 0);
        form.close();
    }
    // Not even main.ini is written at the close.
    EXPECT_EQ(filesUnder(pf.path()), before);

    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    EXPECT_EQ(sink.questions.size(), 1);
    EXPECT_FALSE(form.endedAtStart());
    expectConverted(pf, true);
}

TEST(ConvertWindow, AFullDiskEndsTheStartAndTheNextStartConverts)
{
    TempProgramFolder pf;
    layOut(pf);
    const auto before = olderLayout(pf);
    {
        RecordingSink sink;
        sysio::failEvery(sysio::Op::Write, 10, ENOSPC);
        TMainForm form(pf.path(), {}, &sink);
        form.show();
        sysio::clearFaults();
        EXPECT_TRUE(form.endedAtStart());
        ASSERT_FALSE(sink.warnings.isEmpty());
        EXPECT_TRUE(sink.warnings.last().contains(s("Make more free space on a disk")));
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_EQ(qobject_cast<TForm3*>(w), nullptr);
    }
    EXPECT_EQ(olderLayout(pf), before);
    EXPECT_TRUE(convert::pending(pf.path()));

    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    EXPECT_FALSE(form.endedAtStart());
    expectConverted(pf, true);
    EXPECT_TRUE(pf.exists(s("group1.bak")));
}
