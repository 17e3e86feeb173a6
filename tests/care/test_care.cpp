#include "../support/companion.h"
#include "care/careschedule.h"
#include "editor/pagefile.h"
#include "history/versions.h"
#include "store/inifile.h"

#include <QDir>
#include <QProcess>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QDate day(const char* text)
{
    return QDate::fromString(QString::fromLatin1(text), Qt::ISODate);
}

care::Rule rule(const char* every, const char* start, const char* season = nullptr)
{
    care::Rule r;
    r.every = *care::parseInterval(QString::fromLatin1(every));
    r.start = day(start);
    if (season)
        r.season = *care::parseSeason(QString::fromLatin1(season));
    return r;
}

// The dates a rule falls due on, one after another, each settled before the next is asked for.
QStringList dates(const care::Rule& r, int n)
{
    QStringList out;
    care::Progress p;
    for (int i = 0; i < n; ++i) {
        const QDate d = care::nextDue(r, p);
        out << d.toString(Qt::ISODate);
        p.through = d;
    }
    return out;
}

// A group "Кактусы" with a plant at the top, a folder "Окно" with two plants, and lang.INI.
void layOutCacti(const TempProgramFolder& pf)
{
    pf.layOut({u"Кактусы"_s}, {u"Кактусы/Эхинопсис=0"_s, u"Кактусы/Окно=1"_s, u"Кактусы/Окно/Маммиллярия=2"_s,
                              u"Кактусы/Окно/Ребуция=0"_s});
}

} // namespace

TEST(CareDates, MonthsFromTheThirtyFirstLeapYearsAndSeasonsAcrossTheYearsEnd)
{
    // Months count from the start itself: the 31st comes back after shorter months.
    EXPECT_EQ(dates(rule("1m", "2027-01-31"), 13),
              (QStringList{u"2027-01-31"_s, u"2027-02-28"_s, u"2027-03-31"_s, u"2027-04-30"_s, u"2027-05-31"_s,
                           u"2027-06-30"_s, u"2027-07-31"_s, u"2027-08-31"_s, u"2027-09-30"_s, u"2027-10-31"_s,
                           u"2027-11-30"_s, u"2027-12-31"_s, u"2028-01-31"_s}));
    EXPECT_EQ(dates(rule("1m", "2028-01-31"), 2), (QStringList{u"2028-01-31"_s, u"2028-02-29"_s}));
    EXPECT_EQ(dates(rule("1m", "2028-01-30"), 3), (QStringList{u"2028-01-30"_s, u"2028-02-29"_s, u"2028-03-30"_s}));
    EXPECT_EQ(dates(rule("1y", "2028-02-29"), 5), (QStringList{u"2028-02-29"_s, u"2029-02-28"_s, u"2030-02-28"_s,
                                                              u"2031-02-28"_s, u"2032-02-29"_s}));
    EXPECT_EQ(dates(rule("1d", "2028-02-28"), 3), (QStringList{u"2028-02-28"_s, u"2028-02-29"_s, u"2028-03-01"_s}));
    // A winter task runs from October to March, across the new year, and sleeps in summer.
    EXPECT_EQ(dates(rule("2w", "2026-12-21", "10-3"), 3),
              (QStringList{u"2026-12-21"_s, u"2027-01-04"_s, u"2027-01-18"_s}));
    care::Progress lastOfWinter;
    lastOfWinter.through = day("2027-03-29");
    EXPECT_EQ(care::nextDue(rule("1w", "2026-10-05", "10-3"), lastOfWinter), day("2027-10-04"));
    // Every second month from 30 November in December to February: 30 January, then the next winter.
    EXPECT_EQ(dates(rule("2m", "2026-11-30", "12-2"), 3),
              (QStringList{u"2027-01-30"_s, u"2028-01-30"_s, u"2029-01-30"_s}));
    // A yearly task outside its season never falls due.
    EXPECT_FALSE(care::nextDue(rule("1y", "2026-06-01", "1-3"), {}).isValid());

    // Done late: the next date is the rule's, not the done date plus the interval; done early: the date
    // it was done for is settled, the next one is due.
    care::Progress late;
    late.through = day("2027-03-01");
    late.done = day("2027-03-05");
    EXPECT_EQ(care::nextDue(rule("1w", "2027-03-01"), late), day("2027-03-08"));
    care::Progress early;
    early.through = day("2027-03-08");
    early.done = day("2027-03-06");
    EXPECT_EQ(care::nextDue(rule("1w", "2027-03-01"), early), day("2027-03-15"));
    // Weeks behind: the first date not done yet is the one shown as late.
    care::Progress behind;
    behind.done = day("2027-03-02");
    EXPECT_EQ(care::nextDue(rule("1w", "2027-03-01"), behind), day("2027-03-08"));
}

TEST(CareDates, APlantsOwnTaskOverridesItsFoldersWhichOverridesItsGroups)
{
    TempProgramFolder pf;
    layOutCacti(pf);
    Companion cli;
    const QString p = pf.path();
    for (const QStringList& a :
         {QStringList{u"schedule"_s, p, u"Кактусы"_s, u"--task"_s, u"Полив"_s, u"--every"_s, u"7d"_s, u"--start"_s,
                      u"2026-12-01"_s},
          QStringList{u"schedule"_s, p, u"Кактусы"_s, u"--task"_s, u"Подкормка"_s, u"--every"_s, u"1m"_s, u"--start"_s,
                      u"2026-12-15"_s},
          QStringList{u"schedule"_s, p, u"Кактусы"_s, u"Окно"_s, u"--task"_s, u"полив"_s, u"--every"_s, u"3d"_s,
                      u"--start"_s, u"2026-12-02"_s},
          QStringList{u"schedule"_s, p, u"Кактусы"_s, u"Окно/Ребуция"_s, u"--task"_s, u"Полив"_s, u"--every"_s,
                      u"10d"_s, u"--start"_s, u"2026-12-04"_s}}) {
        const CliOutcome r = cli(a);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
    }
    const CliOutcome due = cli({u"due"_s, p, u"--date"_s, u"2026-12-20"_s});
    ASSERT_EQ(due.code, 0) << due.err.toStdString();
    EXPECT_EQ(due.out.toStdString(), QString(u"2026-12-01\tКактусы\tЭхинопсис\tПолив\n"
                       u"2026-12-02\tКактусы\tОкно/Маммиллярия\tполив\n"
                       u"2026-12-04\tКактусы\tОкно/Ребуция\tПолив\n"
                       u"2026-12-15\tКактусы\tОкно/Маммиллярия\tПодкормка\n"
                       u"2026-12-15\tКактусы\tОкно/Ребуция\tПодкормка\n"
                       u"2026-12-15\tКактусы\tЭхинопсис\tПодкормка\n"_s).toStdString()); // same day: tree order
    const care::Survey s = care::survey(p, day("2026-12-01"));
    ASSERT_EQ(s.due.size(), 1u);
    EXPECT_EQ(s.due[0].origin, care::Origin::Group);
    EXPECT_EQ(s.defined.size(), 4u);
    // Taken off the folder, its plants follow the group again.
    ASSERT_EQ(cli({u"unschedule"_s, p, u"Кактусы"_s, u"Окно"_s, u"--task"_s, u"Полив"_s}).code, 0);
    EXPECT_TRUE(cli({u"due"_s, p, u"--date"_s, u"2026-12-01"_s}).out.contains(u"Окно/Маммиллярия\tПолив"_s));
}

TEST(CareRecord, EveryByteOfTheRecordStaysAndADamagedLineIsKeptAndSkipped)
{
    TempProgramFolder pf;
    layOutCacti(pf);
    // As another program or an older version left it: LF lines, blanks round "=", a comment, no last
    // line end, and a care line this version cannot read.
    const QByteArray before = "; kept by hand\n[Main]\nCond = 2\nExpanded=0\n\n[Care]\n"
                              "\xCE\xEF\xF0\xFB\xF1\xEA\xE8\xE2\xE0\xED\xE8\xE5=every now and then\n[Extra]\nNote=\xFB";
    pf.write(u"MyPlants/Кактусы/Окно/Маммиллярия/plant.ini"_s, before);
    const QByteArray topBefore = pf.read(u"MyPlants/Кактусы/Эхинопсис/plant.ini"_s);
    Companion cli;
    const QString p = pf.path();
    const QStringList set{u"schedule"_s, p, u"Кактусы"_s, u"Окно/Маммиллярия"_s, u"--task"_s, u"Полив"_s,
                          u"--every"_s, u"5d"_s, u"--start"_s, u"2026-12-01"_s, u"--season"_s, u"11-2"_s};
    ASSERT_EQ(cli(set).code, 0);
    const QByteArray line = "\xCF\xEE\xEB\xE8\xE2=every 5d; from 2026-12-01; season 11-2\r\n";
    QByteArray after = pf.read(u"MyPlants/Кактусы/Окно/Маммиллярия/plant.ini"_s);
    ASSERT_TRUE(after.contains(line)) << after.constData();
    EXPECT_EQ(QByteArray(after).replace(line, ""), before); // in its section, nothing else moved
    EXPECT_EQ(IniFile(pf.file(u"MyPlants/Кактусы/Окно/Маммиллярия/plant.ini"_s)).readInteger(u"Main", u"Cond", -1), 2);

    // A record without the section gets it at its end, CR LF, in Windows-1251.
    ASSERT_EQ(cli({u"done"_s, p, u"Кактусы"_s, u"Окно/Маммиллярия"_s, u"--task"_s, u"Полив"_s, u"--date"_s,
                   u"2026-12-02"_s})
                  .code,
              0);
    ASSERT_EQ(cli({u"schedule"_s, p, u"Кактусы"_s, u"Эхинопсис"_s, u"--task"_s, u"Полив"_s, u"--every"_s, u"1w"_s})
                  .code,
              0);
    const QByteArray top = pf.read(u"MyPlants/Кактусы/Эхинопсис/plant.ini"_s);
    EXPECT_TRUE(top.startsWith(topBefore));
    EXPECT_TRUE(top.mid(topBefore.size()).startsWith("\r\n[Care]\r\n\xCF\xEE\xEB\xE8\xE2=every 1w; from ")) << top.constData();

    // The damaged line is skipped (and said), the rest is read; it stays through every change.
    const CliOutcome due = cli({u"due"_s, p, u"--date"_s, u"2026-12-31"_s});
    EXPECT_EQ(due.code, 0);
    EXPECT_TRUE(due.err.contains(u"every now and then"_s)) << due.err.toStdString();
    // Done a day late: the date it was due is settled, the next is the rule's own.
    EXPECT_TRUE(due.out.contains(u"2026-12-06\tКактусы\tОкно/Маммиллярия\tПолив"_s)) << due.out.toStdString();
    after = pf.read(u"MyPlants/Кактусы/Окно/Маммиллярия/plant.ini"_s);
    EXPECT_TRUE(after.contains("=every now and then\n\xCF"));
    EXPECT_TRUE(after.endsWith("\n[Extra]\nNote=\xFB"));
    EXPECT_TRUE(after.contains("\xCF\xEE\xEB\xE8\xE2=every 5d; from 2026-12-01; season 11-2; done 2026-12-02; "
                               "through 2026-12-01\r\n"))
        << after.constData();
    // Taking the task off leaves its progress; a task never set cannot be taken off.
    ASSERT_EQ(cli({u"unschedule"_s, p, u"Кактусы"_s, u"Окно/Маммиллярия"_s, u"--task"_s, u"Полив"_s}).code, 0);
    EXPECT_EQ(pf.read(u"MyPlants/Кактусы/Окно/Маммиллярия/plant.ini"_s)
                  .replace("\xCF\xEE\xEB\xE8\xE2=done 2026-12-02; through 2026-12-01\r\n", ""),
              before);
    const CliOutcome none = cli({u"unschedule"_s, p, u"Кактусы"_s, u"--task"_s, u"Полив"_s});
    EXPECT_EQ(none.code, 1);
    // A care line the program cannot read is never rewritten.
    const CliOutcome damaged = cli({u"schedule"_s, p, u"Кактусы"_s, u"Окно/Маммиллярия"_s, u"--task"_s,
                                    u"Опрыскивание"_s, u"--every"_s, u"3d"_s});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_TRUE(pf.read(u"MyPlants/Кактусы/Окно/Маммиллярия/plant.ini"_s).contains("=every now and then\n"));
}

TEST(CareCompanion, BadInputIsOneLineAndChangesNothing)
{
    TempProgramFolder pf;
    layOutCacti(pf);
    Companion cli;
    const QString p = pf.path();
    ASSERT_EQ(cli({u"schedule"_s, p, u"Кактусы"_s, u"--task"_s, u"Полив"_s, u"--every"_s, u"7d"_s}).code, 0);
    const auto before = filesUnder(p);
    const QStringList plant{u"schedule"_s, p, u"Кактусы"_s, u"Эхинопсис"_s};
    for (const QStringList& a : {plant + QStringList{u"--task"_s, u"Полив"_s, u"--every"_s, u"0d"_s},
                                 plant + QStringList{u"--task"_s, u"Полив"_s, u"--every"_s, u"-3w"_s},
                                 plant + QStringList{u"--task"_s, u"Полив"_s, u"--every"_s, u"7x"_s},
                                 plant + QStringList{u"--task"_s, u"Полив"_s, u"--every"_s, u"1m"_s, u"--season"_s, u"4-13"_s},
                                 plant + QStringList{u"--task"_s, u"Полив"_s, u"--every"_s, u"1m"_s, u"--season"_s, u"0-3"_s},
                                 plant + QStringList{u"--task"_s, u"Полив"_s, u"--every"_s, u"1m"_s, u"--start"_s, u"2027-02-29"_s},
                                 plant + QStringList{u"--task"_s, u"Полив"_s, u"--every"_s, u"1m"_s, u"--start"_s, u"7.12.2026"_s},
                                 plant + QStringList{u"--task"_s, u"По=лив"_s, u"--every"_s, u"1m"_s},
                                 plant + QStringList{u"--task"_s, u"По\nлив"_s, u"--every"_s, u"1m"_s},
                                 plant + QStringList{u"--task"_s, u""_s, u"--every"_s, u"1m"_s},
                                 plant + QStringList{u"--task"_s, u"Полив 💧"_s, u"--every"_s, u"1m"_s},
                                 plant + QStringList{u"--task"_s, u"Пересадка"_s, u"--every"_s, u"1y"_s, u"--start"_s,
                                                     u"2027-06-01"_s, u"--season"_s, u"1-3"_s},
                                 QStringList{u"done"_s, p, u"Кактусы"_s, u"Эхинопсис"_s, u"--task"_s, u"Полив"_s,
                                             u"--date"_s, u"2026-11-31"_s},
                                 QStringList{u"done"_s, p, u"Кактусы"_s, u"Эхинопсис"_s, u"--task"_s, u"Полив"_s,
                                             u"--date"_s, QDate::currentDate().addDays(1).toString(Qt::ISODate)},
                                 QStringList{u"done"_s, p, u"Кактусы"_s, u"Эхинопсис"_s, u"--task"_s, u"Опрыскивание"_s},
                                 QStringList{u"due"_s, p, u"--date"_s, u"2026-13-01"_s}}) {
        const CliOutcome r = cli(a);
        EXPECT_EQ(r.code, 1) << a.join(u' ').toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
    }
    EXPECT_EQ(filesUnder(p), before);
}

TEST(CareCompanion, DoneAddsADatedLineToTheDiaryAndKeepsThePageAsItWas)
{
    TempProgramFolder pf;
    layOutCacti(pf);
    QFile lang(QStringLiteral(VERDARIUM_LANG_FILE));
    ASSERT_TRUE(lang.open(QIODevice::ReadOnly));
    pf.write(u"lang.INI"_s, lang.readAll());
    Companion cli;
    const QString p = pf.path();
    const QString diary = pf.file(u"MyPlants/Кактусы/Эхинопсис/diary.rtf"_s);
    pf.write(u"MyPlants/Кактусы/Эхинопсис/diary.rtf"_s,
             "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Bought at the fair.\\par "
             "{\\b Repotted.}\\par}");
    const QByteArray old = pf.read(u"MyPlants/Кактусы/Эхинопсис/diary.rtf"_s);
    ASSERT_EQ(cli({u"schedule"_s, p, u"Кактусы"_s, u"--task"_s, u"Полив"_s, u"--every"_s, u"7d"_s, u"--start"_s,
                   u"2026-11-30"_s})
                  .code,
              0);
    pf.writeRecord(u"main.ini"_s, u"[Options]\nLastGroup=Кактусы\nLanguage=English\n"_s);
    const CliOutcome r = cli({u"done"_s, p, u"Кактусы"_s, u"Эхинопсис"_s, u"--task"_s, u"полив"_s, u"--date"_s,
                              u"2026-12-07"_s});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QTextDocument doc;
    ASSERT_TRUE(pagefile::load(diary, &doc).ok());
    EXPECT_EQ(doc.toPlainText(), u"Bought at the fair.\nRepotted.\n7 Dec 2026 \u2014 Полив"_s);
    // The page as it was is a version in its history.
    const QList<versions::Version> kept = versions::list(diary);
    ASSERT_EQ(kept.size(), 1);
    QByteArray keptBytes;
    ASSERT_TRUE(versions::read(diary, kept.front().id, &keptBytes).ok());
    EXPECT_EQ(keptBytes, old);
    // In Russian, and the record says what is done: the next date is the one after.
    pf.writeRecord(u"main.ini"_s, u"[Options]\nLastGroup=Кактусы\nLanguage=Russian\n"_s);
    ASSERT_EQ(cli({u"done"_s, p, u"Кактусы"_s, u"Окно/Ребуция"_s, u"--task"_s, u"Полив"_s, u"--date"_s,
                   u"2026-12-08"_s})
                  .code,
              0);
    const CliOutcome page = cli({u"page"_s, p, u"Кактусы"_s, u"Окно/Ребуция"_s, u"diary"_s});
    EXPECT_TRUE(page.out.trimmed().endsWith(u"8 декабря 2026 \u2014 Полив"_s)) << page.out.toStdString();
    const CliOutcome due = cli({u"due"_s, p, u"--date"_s, u"2026-12-14"_s});
    EXPECT_TRUE(due.out.contains(u"2026-12-14\tКактусы\tЭхинопсис\tПолив"_s)) << due.out.toStdString();
    EXPECT_TRUE(due.out.contains(u"2026-12-14\tКактусы\tОкно/Ребуция\tПолив"_s)) << due.out.toStdString();
    EXPECT_TRUE(due.out.contains(u"2026-11-30\tКактусы\tОкно/Маммиллярия\tПолив"_s)) << due.out.toStdString();
}

TEST(CareCalendar, ARealICalendarReaderGetsTheSameDatesAndTheSameIds)
{
    // Debian's own Python, where its python3-icalendar is.
    const QString python = QFile::exists(u"/usr/bin/python3"_s) ? u"/usr/bin/python3"_s : u"python3"_s;
    if (QProcess::execute(python, {u"-c"_s, u"import icalendar, dateutil"_s}) != 0)
        GTEST_SKIP() << "python3 with icalendar (Debian: python3-icalendar) is not installed";
    TempProgramFolder pf;
    layOutCacti(pf);
    Companion cli;
    const QString p = pf.path();
    const QList<QStringList> tasks = {
        {u"Кактусы"_s, u"--task"_s, u"Полив; ночью, \"тёплой\""_s, u"--every"_s, u"10d"_s, u"--start"_s, u"2026-10-02"_s,
         u"--season"_s, u"10-3"_s},
        {u"Кактусы"_s, u"Окно"_s, u"--task"_s, u"Подкормка"_s, u"--every"_s, u"1m"_s, u"--start"_s, u"2027-01-31"_s},
        {u"Кактусы"_s, u"Эхинопсис"_s, u"--task"_s, u"Пересадка"_s, u"--every"_s, u"1y"_s, u"--start"_s, u"2028-02-29"_s},
        {u"Кактусы"_s, u"Окно/Ребуция"_s, u"--task"_s, u"Опрыскивание"_s, u"--every"_s, u"3w"_s, u"--start"_s,
         u"2026-12-30"_s, u"--season"_s, u"12-2"_s}};
    for (const QStringList& t : tasks)
        ASSERT_EQ(cli(QStringList{u"schedule"_s, p} + t).code, 0);
    const QString ics = pf.file(u"care.ics"_s);
    ASSERT_EQ(cli({u"calendar"_s, p, ics}).code, 0);
    // icalendar reads the file; dateutil expands each rule from its start.
    const char* script = R"(
import sys
from icalendar import Calendar
from dateutil.rrule import rrulestr
cal = Calendar.from_ical(open(sys.argv[1], 'rb').read())
for e in cal.walk('VEVENT'):
    start = e.decoded('DTSTART')
    rule = rrulestr(e['RRULE'].to_ical().decode(), dtstart=start)
    first = [d.strftime('%Y-%m-%d') for d in rule[:6]]
    print(str(e['UID']) + '|' + str(e['SUMMARY']) + '|' + ' '.join(first))
)";
    QProcess py;
    py.start(python, {u"-c"_s, QString::fromLatin1(script), ics});
    ASSERT_TRUE(py.waitForFinished(60000));
    ASSERT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
    const QStringList events = QString::fromUtf8(py.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(events.size(), tasks.size());
    const care::Survey s = care::survey(p);
    ASSERT_EQ(s.defined.size(), events.size());
    for (qsizetype i = 0; i < events.size(); ++i) {
        const QStringList parts = events[i].split(u'|');
        ASSERT_EQ(parts.size(), 3);
        EXPECT_EQ(parts[2], dates(*s.defined[static_cast<size_t>(i)].entry.rule, 6).join(u' ')) << events[i].toStdString();
        EXPECT_TRUE(parts[1].startsWith(s.defined[static_cast<size_t>(i)].entry.name)) << parts[1].toStdString();
    }
    // A second export names the same events.
    const QString again = pf.file(u"again.ics"_s);
    ASSERT_EQ(cli({u"calendar"_s, p, again}).code, 0);
    auto uids = [](const QString& path) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        QStringList out;
        for (const QByteArray& l : f.readAll().split('\n'))
            if (l.startsWith("UID:"))
                out << QString::fromLatin1(l.trimmed());
        return out;
    };
    EXPECT_EQ(uids(ics), uids(again));
    EXPECT_EQ(uids(ics).size(), tasks.size());
}

TEST(CareRecord, ALineAddedAndTakenAwayLeavesAnyRecordAsItWas)
{
    // Records as they come: the fuzzer's seeds (damaged, binary, hexadecimal), and hand-made oddities.
    QList<QByteArray> records;
    QDir seeds(QStringLiteral(VERDARIUM_SOURCE_DIR "/fuzz/corpus/inifile"));
    for (const QString& f : seeds.entryList(QDir::Files)) {
        QFile file(seeds.filePath(f));
        file.open(QIODevice::ReadOnly);
        records << file.readAll();
    }
    records << QByteArray() << "[Main]" << "[Main]\r\nCond=0" << "[care]\n[Care]\r\n; a comment\r\n\r\n[Other]\nA=1\n"
            << "[ Care ]\n\xCF\xEE\xEB\xE8\xE2 = every 7d\r\n" << "\n\n\n" << "Cond=1\n[Main]\r\n";
    for (const QByteArray& before : records) {
        const QByteArray with = care::withLine(before, u"Подкормка"_s, u"every 1m; from 2026-04-15; season 4-9"_s);
        ASSERT_TRUE(with.contains("\xCF\xEE\xE4\xEA\xEE\xF0\xEC\xEA\xE0=every 1m; from 2026-04-15; season 4-9\r\n"))
            << before.toStdString();
        const IniFile read = IniFile::fromBytes(u"plant.ini"_s, with);
        EXPECT_EQ(read.readString(u"Care", u"Подкормка", QString()), u"every 1m; from 2026-04-15; season 4-9"_s);
        // Changed, then taken away: the record's own bytes come back, give or take the line ends the
        // section needed.
        const QByteArray changed = care::withLine(with, u"подкормка"_s, u"every 2m; from 2026-04-15"_s);
        EXPECT_EQ(changed.count("every"), with.count("every")) << changed.toStdString();
        QByteArray without = care::withLine(changed, u"Подкормка"_s, QString());
        EXPECT_FALSE(without.contains("\xEF\xEE\xE4\xEA\xEE\xF0\xEC\xEA\xE0=") || without.contains("\xCF\xEE\xE4\xEA\xEE\xF0\xEC\xEA\xE0="));
        EXPECT_TRUE(without.startsWith(before.left(before.lastIndexOf('\n') + 1))) << before.toStdString();
    }
}
