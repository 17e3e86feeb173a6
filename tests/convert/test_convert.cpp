#include "../support/companion.h"
#include "../support/windowevents.h"
#include "app/tform3.h"
#include "convert/convert.h"
#include "platform/codepage.h"
#include "platform/sysio.h"
#include "store/copyfolder.h"

#include <QMap>
#include <QProcess>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

QByteArray fixture(const QString& relative)
{
    return testData(u"older_layout/"_s + relative);
}

// The older layout as a keeper has it, in a real program folder.
void layOut(const TempProgramFolder& pf)
{
    for (const auto& [relative, bytes] :
         filesUnder(QStringLiteral(VERDARIUM_TEST_DATA "/older_layout/")).asKeyValueRange())
        pf.write(relative, bytes);
}

// What must never change: everything but MyPlants, the log and group1.ini itself.
QMap<QString, QByteArray> olderLayout(const TempProgramFolder& pf)
{
    return filesUnder(pf.path(), {u"MyPlants"_s, u"errorlog.txt"_s, u"group1."_s});
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
    QFile list(QStringLiteral(VERDARIUM_TEST_DATA "/older_layout_converted.txt"));
    EXPECT_TRUE(list.open(QIODevice::ReadOnly | QIODevice::Text));
    for (const QString& line : QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QString path = line.section(u'\t', 0, 0), what = line.section(u'\t', 1);
        const QStringList words = what.split(u' ');
        if (line.startsWith(u'#'))
            continue;
        if (words[0] == u"plant") {
            QByteArray record = "[Main]\r\nCond=" + words[1].toLatin1() + "\r\n";
            for (const QString& more : words.mid(2))
                record += more.toLatin1() + "\r\n";
            e.insert(path, record + "\r\n");
        } else if (words[0] == u"group")
            e.insert(path, groupRecord(words[1].toInt(), words[2].toInt()));
        else
            e.insert(path, fixture(what));
    }
    return e;
}

// startedAfter: the window went on to start (bar numbers in the group records, the first node's
// pages made), so records need hold the converted values and every converted file must be there.
void expectConverted(const TempProgramFolder& pf, bool startedAfter = false)
{
    const QMap<QString, QByteArray> got = filesUnder(pf.file(u"MyPlants"_s));
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
    EXPECT_FALSE(pf.exists(u"MyPlants/Суккуленты"_s));
    EXPECT_FALSE(pf.exists(u"MyPlants/Цветущие/Пустая папка"_s));
    EXPECT_FALSE(pf.exists(u"MyPlants/outside"_s));
}

QString errorLog(const TempProgramFolder& pf)
{
    return cp1251::decode(pf.read(u"errorlog.txt"_s));
}

struct Converted {
    convert::Outcome outcome;
    int filesCopied = 0;
    bool aborted = false;
};

Converted runConversion(const TempProgramFolder& pf, RecordingSink& sink)
{
    const IniFile settings(pf.file(u"main.ini"_s));
    FileCopier copier(pf.path(), sink);
    Converted c;
    c.outcome = convert::convertOlderLayout(pf.path(), settings, copier);
    c.filesCopied = copier.filesCopied;
    c.aborted = copier.copyAbort;
    return c;
}

} // namespace

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
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.said();

    // What was not converted as it stood is said.
    ASSERT_EQ(c.outcome.renamed.size(), 1u);
    EXPECT_EQ(c.outcome.renamed[0], std::make_pair(u"Сад/Огород"_s, u"Сад_Огород"_s));
    EXPECT_EQ(c.outcome.refusedLines, (QStringList{u"0../outside"_s, u"0..\\outside"_s, u"0"_s}));
    EXPECT_TRUE(c.outcome.groupsWithoutList.isEmpty());
    const QString log = errorLog(pf);
    EXPECT_TRUE(log.contains(u": Start conversion\r\n"_s));
    EXPECT_TRUE(log.contains(u"\"x\" is not a condition mark (args: gl_ToPath: "_s + pf.path() +
                             u"MyPlants/Луковичные/Лилия/; gl_FromPath: "_s + pf.path() +
                             u"plants/Лилия/)"_s))
        << log.toStdString();

    // Set aside once; a group1.bak in the way leaves group1.ini to be offered again.
    ASSERT_TRUE(convert::setAside(pf.path()).ok());
    EXPECT_FALSE(convert::pending(pf.path()));
    EXPECT_EQ(pf.read(u"group1.bak"_s), fixture(u"group1.ini"_s));
    pf.write(u"group1.ini"_s, fixture(u"group1.ini"_s));
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
    QFile::remove(pf.file(u"group2.ini"_s));
    QFile::remove(pf.file(u"group10.ini"_s));
    pf.mkdir(u"group10.ini"_s); // a folder where the list should be: unreadable
    RecordingSink sink;
    const Converted c = runConversion(pf, sink);
    ASSERT_TRUE(c.outcome.done);
    EXPECT_EQ(c.outcome.groupsWithoutList, (QStringList{u"Цветущие"_s, u"Луковичные"_s}));
    EXPECT_TRUE(c.outcome.report(MessageTable()).contains(u"Цветущие, Луковичные"_s));
    // Its templates and record are there; the other groups are whole.
    EXPECT_EQ(pf.read(u"MyPlants/Цветущие/group.ini"_s), groupRecord(65535, 1));
    EXPECT_TRUE(pf.exists(u"MyPlants/Цветущие/!Shablon/description.rtf"_s));
    EXPECT_FALSE(pf.exists(u"MyPlants/Цветущие/Фиалки"_s));
    EXPECT_FALSE(pf.exists(u"MyPlants/Луковичные"_s));
    EXPECT_EQ(pf.read(u"MyPlants/Кактусы/Редкие/Астрофитум/plant.ini"_s), plantRecord(3));
    EXPECT_TRUE(errorLog(pf).contains(u"(args: "_s + pf.path() + u"group2.ini)"_s));
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
    EXPECT_TRUE(sink.warnings.last().contains(u"Make more free space on a disk"_s));
    EXPECT_EQ(olderLayout(pf), before);
    EXPECT_TRUE(convert::pending(pf.path()));
    // Nothing after the stop was made: the collection-wide templates come later.
    EXPECT_FALSE(pf.exists(u"MyPlants/!Shablon_all"_s));

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
    EXPECT_EQ(convert::safeFolderName(u"Кактусы"_s, u"G"_s), u"Кактусы"_s);
    EXPECT_EQ(convert::safeFolderName(u"a/b\\c:d"_s, u"G"_s), u"a_b_c_d"_s);
    EXPECT_EQ(convert::safeFolderName(u".."_s, u"G"_s), u"__"_s);
    EXPECT_EQ(convert::safeFolderName(u"!Notes"_s, u"G"_s), u"_Notes"_s);
    EXPECT_EQ(convert::safeFolderName(u"x\ty"_s, u"G"_s), u"x_y"_s);
    EXPECT_EQ(convert::safeFolderName(u"   "_s, u"G"_s), u"G"_s);
    EXPECT_EQ(convert::safeFolderName(QString(300, u'я'), u"G"_s).toUtf8().size(), 254);
}

TEST(ConvertCommand, ConvertsWithTheRealCompanionAndSetsGroup1Aside)
{
    TempProgramFolder pf;
    TempProgramFolder runtime;
    layOut(pf);
    // A plant folder copied from Windows with its name in Windows-1251 bytes (Алоэ).
    pf.writeBytes("plants/\xC0\xEB\xEE\xFD/description.rtf", "{\\rtf1 aloe}");
    pf.write(u"group1.ini"_s, fixture(u"group1.ini"_s) + cp1251::encode(u"0Алоэ\r\n"_s));
    const auto before = olderLayout(pf);
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    cli.setProcessEnvironment(env);
    cli.start(u8(VERDARIUM_CLI_BINARY), {u"convert"_s, pf.path()});
    ASSERT_TRUE(cli.waitForFinished(60000));
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    EXPECT_EQ(cli.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(u"converting group 1: Кактусы\n"_s));
    EXPECT_TRUE(err.contains(u"25 files copied\n"_s));
    EXPECT_TRUE(err.contains(u"converted \"Сад/Огород\" as \"Сад_Огород\"\n"_s));
    // Listed after the folder line, so in the folder.
    const QString aloe = u"MyPlants/Кактусы/Редкие/Алоэ/"_s;
    EXPECT_EQ(pf.read(aloe + u"description.rtf"), "{\\rtf1 aloe}");
    EXPECT_EQ(pf.read(aloe + u"plant.ini"), plantRecord(0));
    QDir(pf.file(aloe)).removeRecursively();
    expectConverted(pf);
    EXPECT_EQ(olderLayout(pf), before);
    EXPECT_FALSE(pf.exists(u"group1.ini"_s));
    EXPECT_TRUE(pf.exists(u"group1.bak"_s));

    // Nothing left to convert.
    cli.start(u8(VERDARIUM_CLI_BINARY), {u"convert"_s, pf.path()});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 1);
}

TEST(ConvertCommand, StopsOnAMissingListOrAFullDiskAndKeepsGroup1)
{
    Companion cli;
    EXPECT_EQ(cli({u"convert"_s, u"a"_s, u"b"_s}).code, 2);
    EXPECT_TRUE(cli({u"convert"_s, u"--help"_s}).out.contains(u"Example:\n    verdarium-cli convert "_s));

    TempProgramFolder pf;
    layOut(pf);
    QFile::remove(pf.file(u"group3.ini"_s));
    CliOutcome run = cli({u"convert"_s, pf.path()});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(
        run.err.endsWith(u"verdarium-cli: no readable list of plants for Кактусы; the rest is converted, "
                         "group1.ini stays for another run\n"_s))
        << run.err.toStdString();
    EXPECT_TRUE(convert::pending(pf.path()));
    EXPECT_TRUE(pf.exists(u"MyPlants/Луковичные/Лилия/plant.ini"_s));

    TempProgramFolder full;
    layOut(full);
    const auto before = olderLayout(full);
    sysio::failEvery(sysio::Op::Write, 3, ENOSPC, true);
    run = cli({u"convert"_s, full.path()});
    sysio::clearFaults();
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(u"the older layout is as it was"_s)) << run.err.toStdString();
    EXPECT_TRUE(convert::pending(full.path()));
    EXPECT_EQ(olderLayout(full), before);
}

// The window's start-up step; this comes last, since a start that ends asks the application to quit.
// No ends the start with nothing written; a full disk ends it with the older layout whole; each next
// start asks again, and Yes converts under the progress dialog and opens the collection.
TEST(ConvertWindow, EachStartAsksUntilAConversionIsDone)
{
    TempProgramFolder pf;
    layOut(pf);
    const auto everything = filesUnder(pf.path());
    const auto before = olderLayout(pf);
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
    EXPECT_EQ(filesUnder(pf.path()), everything) << "not even main.ini is written at the close";
    {
        RecordingSink sink;
        sysio::failEvery(sysio::Op::Write, 10, ENOSPC);
        TMainForm form(pf.path(), {}, &sink);
        form.show();
        sysio::clearFaults();
        EXPECT_EQ(sink.questions.size(), 1);
        EXPECT_TRUE(form.endedAtStart());
        ASSERT_FALSE(sink.warnings.isEmpty());
        EXPECT_TRUE(sink.warnings.last().contains(u"Make more free space on a disk"_s));
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_EQ(qobject_cast<TForm3*>(w), nullptr);
    }
    EXPECT_EQ(olderLayout(pf), before);
    EXPECT_TRUE(convert::pending(pf.path()));

    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    // The copies let the window process its events: look at the progress dialog then.
    int counter = 0, gaugeMax = 0, dialogs = 0;
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
    EXPECT_EQ(title, u"Total files copied:"_s);
    EXPECT_TRUE(windowDisabled);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TForm3*>(w), nullptr);
    EXPECT_TRUE(form.isEnabled());
    EXPECT_FALSE(form.endedAtStart());
    expectConverted(pf, true);
    EXPECT_EQ(olderLayout(pf), before);
    EXPECT_TRUE(pf.exists(u"group1.bak"_s));
    EXPECT_FALSE(pf.exists(u"group1.ini"_s));
    EXPECT_EQ(form.groupCount, 4);
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings[0].contains(u"\"Сад/Огород\" cannot be a folder name"_s));
}

// What the older layout holds and no group takes is named in the report, each with why.
TEST(Convert, TheReportNamesWhatWasNotConverted)
{
    TempProgramFolder pf;
    layOut(pf);
    pf.write(u"plants/Забытый/description.rtf"_s, "{\\rtf1 forgotten}");
    pf.write(u"group1.ini"_s, pf.read(u"group1.ini"_s) + "0\xcf\xee\xf2\xe5\xf0\xff\xed\xed\xfb\xe9\r\n");
    pf.write(u"group7.ini"_s, "0\xc7\xe0\xe1\xfb\xf2\xfb\xe9\r\n");
    RecordingSink sink;
    const Converted c = runConversion(pf, sink);
    ASSERT_TRUE(c.outcome.done);
    // The layout of the tests already has one of each; the ones added here join them.
    EXPECT_EQ(c.outcome.unlistedFolders, (QStringList{u"Забытый"_s, u"Хавортия"_s}));
    EXPECT_EQ(c.outcome.missingPlants, (QStringList{u"Потерянный"_s, u"Нет такой"_s, u"Отсутствующая"_s}));
    EXPECT_EQ(c.outcome.listsWithoutGroup, (QStringList{u"group4.ini"_s, u"group7.ini"_s}));
    const QString report = c.outcome.report(MessageTable());
    for (const QString& name : {u"Забытый"_s, u"Потерянный"_s, u"group7.ini"_s})
        EXPECT_TRUE(report.contains(name)) << report.toStdString();
    EXPECT_TRUE(pf.exists(u"plants/Забытый/description.rtf"_s)) << "left where it is";
}
