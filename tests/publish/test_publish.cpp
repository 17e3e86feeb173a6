#include "../support/companion.h"
#include "../support/exifjpeg.h"
#include "../support/smalldisk.h"
#include "../support/windowevents.h"
#include "publish/publishcommands.h"
#include "publish/publishdialog.h"
#include "platform/sysio.h"
#include "publish/publish.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <QBuffer>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString python()
{
    return QFile::exists(u"/usr/bin/python3"_s) ? u"/usr/bin/python3"_s : u"python3"_s;
}

// A collection of two groups: plants at the top and in a folder, photos (one upright only by its Exif
// mark, one that is no picture), pages with a picture and a link to a file of this machine, a removed
// plant, a template and a note that are never published.
void layOutCollection(const TempProgramFolder& pf)
{
    pf.layOut({u"Кактусы"_s, u"Orchids & Co"_s},
              {u"Кактусы/Эхинопсис=2"_s, u"Кактусы/Подоконник=1"_s, u"Кактусы/Подоконник/Маммиллярия=5"_s,
               u"Кактусы/Подоконник/Ребуция=0"_s, u"Кактусы/!deleted_Старый_1=0"_s, u"Orchids & Co/Phalaenopsis \"Pink\"=3"_s,
               u"Orchids & Co/Роза=0"_s, u"Orchids & Co/roza=0"_s});
    QImage dot(4, 4, QImage::Format_RGB32);
    dot.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    dot.save(&buffer, "PNG");
    pf.write(u"MyPlants/Кактусы/Эхинопсис/description.rtf"_s,
             "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Blooms in {\\b May}. "
             "{\\field{\\*\\fldinst HYPERLINK \"file:///home/keeper/secret.txt\"}{\\fldrslt notes}}\\par "
             "{\\pict\\pngblip\\picw4\\pich4 " + png.toHex() + "}\\par}");
    pf.write(u"MyPlants/Кактусы/Эхинопсис/care.rtf"_s, "{\\rtf1\\ansi Water weekly, <never> & sparingly.\\par}");
    pf.write(u"MyPlants/Кактусы/Эхинопсис/diary.rtf"_s, "{\\rtf1\\ansi Private diary line.\\par}");
    pf.write(u"MyPlants/Кактусы/Эхинопсис/Цветок.jpg"_s,
             exifjpeg::withOrientation(exifjpeg::plainJpeg(1200, 800, Qt::darkGreen), 6));
    pf.write(u"MyPlants/Кактусы/Эхинопсис/Цветок.jpg.txt"_s, "First flower, \"pink\" <3");
    pf.write(u"MyPlants/Кактусы/Подоконник/Маммиллярия/broken.jpg"_s, "not a picture at all");
    pf.write(u"MyPlants/Кактусы/!deleted_Старый_1/description.rtf"_s, "{\\rtf1\\ansi Removed plant text.\\par}");
    pf.write(u"MyPlants/Кактусы/!templates/description.rtf"_s, "{\\rtf1\\ansi Template text.\\par}");
    pf.writeRecord(u"MyPlants/!Notes/group.ini"_s, u"[Group]\nImageIndex=1\n"_s);
    pf.writeRecord(u"MyPlants/!Notes/Shopping/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    pf.write(u"MyPlants/!Notes/Shopping/description.rtf"_s, "{\\rtf1\\ansi Note text.\\par}");
}

// Every file of the site, relative to it.
QStringList siteFiles(const QString& site)
{
    QStringList out;
    QDirIterator it(site, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(site).relativeFilePath(it.next());
    out.sort();
    return out;
}

QString allText(const QString& site)
{
    QString text;
    for (const QString& f : siteFiles(site))
        if (f.endsWith(u".html"_s) || f.endsWith(u".css"_s)) {
            QFile file(site + u'/' + f);
            file.open(QIODevice::ReadOnly);
            text += QString::fromUtf8(file.readAll());
        }
    return text;
}

// Every name in a folder, hidden ones too: what a publish leaves beside the site.
QStringList namesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

} // namespace

TEST(PublishSite, EveryPlantIsThereEveryLinkResolvesAndNothingOfThisMachineLeaks)
{
    TempProgramFolder pf;
    layOutCollection(pf);
    QTemporaryDir out;
    const QString site = out.path() + u"/site"_s;
    Companion cli;
    const CliOutcome r = cli({u"publish"_s, pf.path(), site, u"--full-photos"_s});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    // The photo that is no picture and the two names alike once made safe are said.
    EXPECT_TRUE(r.err.contains(u"broken.jpg"_s)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"was taken"_s)) << r.err.toStdString();
    const QString text = allText(site);
    for (const QString& plant : {u"Эхинопсис"_s, u"Маммиллярия"_s, u"Ребуция"_s, u"Phalaenopsis &quot;Pink&quot;"_s,
                                 u"Роза"_s, u"roza"_s, u"Подоконник"_s, u"Orchids &amp; Co"_s})
        EXPECT_TRUE(text.contains(plant)) << plant.toStdString();
    EXPECT_TRUE(text.contains(u"Water weekly, &lt;never&gt; &amp; sparingly."_s));
    EXPECT_TRUE(text.contains(u"First flower, &quot;pink&quot; &lt;3"_s));
    EXPECT_TRUE(text.contains(u"Ideal condition"_s));
    // Never published: the diary unless asked, removed plants, templates, notes, this machine's paths.
    for (const QString& never : {u"Private diary line"_s, u"Removed plant text"_s, u"Template text"_s, u"Note text"_s,
                                 u"secret.txt"_s, u"file:"_s, pf.path(), QString(QDir::homePath() + u'/'), out.path()})
        EXPECT_FALSE(text.contains(never)) << never.toStdString();
    // The web copy: 400 pixels on its longer side, upright, under 49,500 bytes; the full photo beside it.
    QString webCopy;
    for (const QString& f : siteFiles(site))
        if (f.endsWith(u".jpg"_s) && !f.endsWith(u"-full.jpg"_s))
            webCopy = site + u'/' + f;
    ASSERT_FALSE(webCopy.isEmpty());
    const QImage web(webCopy);
    EXPECT_EQ(web.height(), 400); // 1200 x 800 turned by its Exif mark
    EXPECT_LT(web.width(), 300);
    EXPECT_LT(QFileInfo(webCopy).size(), 49500);
    for (const QString& f : siteFiles(site)) // names any server serves
        EXPECT_TRUE(QRegularExpression(u"^[a-z0-9./-]+$"_s).match(f).hasMatch() || f == u".verdarium-site"_s) << f.toStdString();

    // A real HTML5 parser reads every page without an error; every local link and picture is there.
    const char* script = R"(
import html5lib, os, sys, urllib.parse
from html.parser import HTMLParser
root = sys.argv[1]
bad = []
class Links(HTMLParser):
    def __init__(self):
        super().__init__(); self.links = []
    def handle_starttag(self, tag, attrs):
        for k, v in attrs:
            if k in ('href', 'src') and v: self.links.append(v)
for dirpath, dirs, files in os.walk(root):
    for f in files:
        if not f.endswith('.html'): continue
        path = os.path.join(dirpath, f)
        text = open(path, encoding='utf-8').read()
        p = html5lib.HTMLParser(strict=True)
        try: p.parse(text)
        except Exception as e: bad.append('%s: %s' % (path, e))
        l = Links(); l.feed(text)
        for link in l.links:
            u = urllib.parse.urlparse(link)
            if u.scheme in ('http', 'https', 'mailto'): continue
            if u.scheme or link.startswith('/'): bad.append('%s: absolute %s' % (path, link)); continue
            target = os.path.normpath(os.path.join(dirpath, urllib.parse.unquote(u.path)))
            if not os.path.exists(target): bad.append('%s: missing %s' % (path, link))
print('\n'.join(bad))
)";
    QProcess py;
    py.start(python(), {u"-c"_s, QString::fromLatin1(script), site});
    ASSERT_TRUE(py.waitForFinished(60000));
    if (py.exitCode() != 0 && py.readAllStandardError().contains("html5lib"))
        GTEST_SKIP() << "python3 with html5lib (Debian: python3-html5lib) is not installed";
    EXPECT_EQ(py.readAllStandardOutput().trimmed().toStdString(), std::string());

    // Asked for, the diary and the notes come too.
    const QString second = out.path() + u"/with"_s;
    ASSERT_EQ(cli({u"publish"_s, pf.path(), second, u"--with-diary"_s, u"--with-notes"_s}).code, 0);
    EXPECT_TRUE(allText(second).contains(u"Private diary line"_s));
    EXPECT_TRUE(allText(second).contains(u"Note text"_s));
    EXPECT_FALSE(allText(second).contains(u"Removed plant text"_s));
}

TEST(PublishSite, ASecondPublishRewritesOnlyWhatChangedAndKeepsWhatTheUserPutThere)
{
    TempProgramFolder pf;
    layOutCollection(pf);
    QTemporaryDir out;
    const QString site = out.path() + u"/site"_s;
    Companion cli;
    ASSERT_EQ(cli({u"publish"_s, pf.path(), site}).code, 0);
    const QStringList first = siteFiles(site);
    const QString echinopsis = site + u"/kaktusy/ekhinopsis.html"_s;
    const QString rebutia = site + u"/kaktusy/podokonnik-rebutsiya.html"_s;
    ASSERT_TRUE(QFile::exists(echinopsis) && QFile::exists(rebutia));
    const ino_t rebutiaBefore = inodeOf(rebutia);
    const ino_t echinopsisBefore = inodeOf(echinopsis);
    // The user's own file in the site stays; a page of theirs beside ours too.
    QFile own(site + u"/robots.txt"_s);
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("User-agent: *\n");
    own.close();
    pf.write(u"MyPlants/Кактусы/Эхинопсис/care.rtf"_s, "{\\rtf1\\ansi Water every ten days.\\par}");
    const CliOutcome r = cli({u"publish"_s, pf.path(), site});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(u" 1 files written"_s) || r.out.contains(u", 1 files written"_s)) << r.out.toStdString();
    EXPECT_EQ(inodeOf(rebutia), rebutiaBefore);   // not written again
    EXPECT_NE(inodeOf(echinopsis), echinopsisBefore); // changed
    EXPECT_TRUE(allText(site).contains(u"Water every ten days."_s));
    EXPECT_TRUE(QFile::exists(site + u"/robots.txt"_s));
    QStringList expected = first;
    expected << u"robots.txt"_s;
    expected.sort();
    EXPECT_EQ(siteFiles(site), expected);
    // Nothing is left beside the site.
    EXPECT_EQ(namesIn(out.path()), QStringList{u"site"_s});
}

TEST(PublishSite, BadPlacesAreRefusedAndAFullDiskLeavesTheOldSite)
{
    TempProgramFolder pf;
    layOutCollection(pf);
    Companion cli;
    QTemporaryDir out;
    const auto before = filesUnder(pf.path());
    for (const QString& place : {pf.file(u"MyPlants/Кактусы/site"_s), pf.path(), pf.file(u"MyPlants"_s)}) {
        const CliOutcome r = cli({u"publish"_s, pf.path(), place});
        EXPECT_EQ(r.code, 1) << place.toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
    }
    EXPECT_EQ(filesUnder(pf.path()), before);
    QFile file(out.path() + u"/a-file"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(cli({u"publish"_s, pf.path(), file.fileName()}).code, 1);
    QDir(out.path()).mkpath(u"theirs/docs"_s);
    EXPECT_EQ(cli({u"publish"_s, pf.path(), out.path() + u"/theirs"_s}).code, 1);
    EXPECT_TRUE(QFileInfo::exists(out.path() + u"/theirs/docs"_s));

    SmallDisk disk(400);
    if (!disk.mounted()) {
        std::printf("full disk not tried: %s\n", qPrintable(disk.why()));
        return;
    }
    const QString site = disk.path() + u"site"_s;
    ASSERT_EQ(cli({u"publish"_s, pf.path(), site}).code, 0);
    const auto old = filesUnder(site);
    // Photos too large for what is left.
    for (int i = 0; i < 6; ++i)
        pf.write(u"MyPlants/Кактусы/Подоконник/Ребуция/p%1.jpg"_s.arg(i),
                 exifjpeg::plainJpeg(3000, 2000, QColor::fromHsv(i * 50, 200, 200), 100));
    const CliOutcome r = cli({u"publish"_s, pf.path(), site, u"--full-photos"_s});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(u"is as it was"_s)) << r.err.toStdString();
    EXPECT_EQ(filesUnder(site), old);
    EXPECT_EQ(namesIn(disk.path()), QStringList{u"site"_s});
}

TEST(PlantList, ReadsBackAsColumnsInPythonAndInLibreOffice)
{
    TempProgramFolder pf;
    layOutCollection(pf);
    Companion cli;
    ASSERT_EQ(cli({u"schedule"_s, pf.path(), u"Кактусы"_s, u"--task"_s, u"Полив"_s, u"--every"_s, u"7d"_s}).code, 0);
    QTemporaryDir out;
    const QString csv = out.path() + u"/plants.csv"_s;
    ASSERT_EQ(cli({u"export-csv"_s, pf.path(), csv}).code, 0);
    const char* script = R"(
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding='utf-8', newline='')))
for r in rows: print('|'.join(r).replace('\n', '\\n'))
)";
    auto read = [&](const QString& file) {
        QProcess py;
        py.start(python(), {u"-c"_s, QString::fromLatin1(script), file});
        py.waitForFinished(60000);
        return QString::fromUtf8(py.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    };
    const QStringList rows = read(csv);
    ASSERT_EQ(rows.size(), 7) << rows.join(u'\n').toStdString();
    EXPECT_EQ(rows[0], u"Group|Folder|Plant|Condition|Photos|Description|Care tasks"_s);
    EXPECT_TRUE(rows.contains(u"Кактусы||Эхинопсис|Ideal condition|1|Blooms in May. notes|Полив 7d"_s)) << rows.join(u'\n').toStdString();
    EXPECT_TRUE(rows.contains(u"Orchids & Co||Phalaenopsis \"Pink\"|Urgently to replace!|0||"_s)) << rows.join(u'\n').toStdString();
    EXPECT_TRUE(rows.contains(u"Кактусы|Подоконник|Маммиллярия|To treat|1||Полив 7d"_s)) << rows.join(u'\n').toStdString();

    const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
    if (soffice.isEmpty()) {
        std::printf("LibreOffice not tried: soffice is not installed (libreoffice-calc-nogui)\n");
        return;
    }
    // Calc reads it as columns: opened as CSV and saved again as CSV, the same rows come back.
    QProcess lo;
    lo.setWorkingDirectory(out.path());
    lo.start(soffice, {u"--headless"_s, u"-env:UserInstallation=file://"_s + out.path() + u"/lo"_s,
                       u"--infilter=CSV:44,34,76,1"_s, u"--convert-to"_s, u"ods"_s, u"--outdir"_s, out.path() + u"/ods"_s, csv});
    ASSERT_TRUE(lo.waitForFinished(180000));
    const QString ods = out.path() + u"/ods/plants.ods"_s;
    if (!QFile::exists(ods)) {
        std::printf("LibreOffice not tried: it made no spreadsheet (%s)\n", lo.readAllStandardError().constData());
        return;
    }
    lo.start(soffice, {u"--headless"_s, u"-env:UserInstallation=file://"_s + out.path() + u"/lo"_s, u"--convert-to"_s,
                       u"csv:Text - txt - csv (StarCalc):44,34,76,1"_s, u"--outdir"_s, out.path() + u"/back"_s, ods});
    ASSERT_TRUE(lo.waitForFinished(180000));
    EXPECT_EQ(read(out.path() + u"/back/plants.csv"_s), rows);
}

TEST(PublishSite, AKilledPublishLeavesTheOldSiteWholeAndTheNextOneCleansUp)
{
    TempProgramFolder pf;
    layOutCollection(pf);
    for (int i = 0; i < 24; ++i)
        pf.write(u"MyPlants/Кактусы/Подоконник/Ребуция/p%1.jpg"_s.arg(i, 2, 10, QChar(u'0')),
                 exifjpeg::plainJpeg(1600, 1200, QColor::fromHsv(i * 15, 200, 200)));
    QTemporaryDir out;
    const QString site = out.path() + u"/site"_s;
    auto run = [&](const QStringList& extra) {
        auto* p = new QProcess;
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QStringLiteral(VERDARIUM_CLI_BINARY), QStringList{u"publish"_s, pf.path(), site} + extra);
        p->waitForStarted();
        return p;
    };
    // Whole: every file the site's list names is there as it was written, and no half-made mark.
    auto whole = [&] {
        if (!QFileInfo::exists(site))
            return true;
        QFile list(site + u"/.verdarium-site"_s);
        if (!list.open(QIODevice::ReadOnly) || QFileInfo::exists(site + u"/.verdarium-site-partial"_s)) {
            std::printf("no list or half made: %s\n", qPrintable(QDir(site).entryList(QDir::AllEntries | QDir::Hidden).join(u' ')));
            return false;
        }
        for (const QByteArray& line : list.readAll().split('\n'))
            if (!line.isEmpty() && !QFileInfo::exists(site + u'/' + QString::fromUtf8(line.split('\t').front()))) {
                std::printf("missing %s\n", line.constData());
                return false;
            }
        return QFileInfo::exists(site + u"/index.html"_s);
    };
    // A first site, then publishes that change it, killed at one moment after another.
    QProcess* first = run({});
    ASSERT_TRUE(first->waitForFinished(120000));
    delete first;
    ASSERT_TRUE(QFileInfo::exists(site + u"/index.html"_s));
    for (int i = 0; i < 10; ++i) {
        pf.write(u"MyPlants/Кактусы/Эхинопсис/care.rtf"_s, QByteArray("{\\rtf1\\ansi Water ") + QByteArray::number(i) + "\\par}");
        QProcess* p = run(i % 2 ? QStringList{u"--full-photos"_s} : QStringList{u"--with-diary"_s});
        QTest::qWait(40 + i * 60);
        if (p->state() == QProcess::Running && p->processId() > 0) // never kill(0): that is this test's group
            ::kill(static_cast<pid_t>(p->processId()), SIGKILL);
        p->waitForFinished();
        delete p;
        EXPECT_TRUE(whole()) << "after a kill at " << 40 + i * 60 << " ms";
    }
    QProcess* p = run({});
    ASSERT_TRUE(p->waitForFinished(120000));
    EXPECT_EQ(p->exitCode(), 0);
    delete p;
    EXPECT_TRUE(whole());
    // What the killed ones left beside the site is gone.
    EXPECT_EQ(namesIn(out.path()), QStringList{u"site"_s});
}

TEST(PublishWindow, TheSiteAndThePlantListFromTheFileMenu)
{
    TempProgramFolder pf;
    layOutCollection(pf);
    QTemporaryDir out;
    const QString site = out.path() + u"/мой сайт"_s;
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    bool acted = false;
    whenModal<PublishDialog>([&](PublishDialog* d) {
        acted = true;
        QTest::mouseClick(d->FolderEdit, Qt::LeftButton);
        d->FolderEdit->selectAll();
        typeText(d->FolderEdit, site);
        d->GroupBox->setFocus();
        QTest::keyClick(d->GroupBox, Qt::Key_Down); // the first group only
        QTest::mouseClick(d->DiaryBox, Qt::LeftButton, {}, QPoint(8, d->DiaryBox->height() / 2)); // on its box
        QTest::mouseClick(d->PublishButton, Qt::LeftButton);
        EXPECT_EQ(d->Gauge->value(), d->Gauge->maximum());
        EXPECT_TRUE(d->ResultLabel->text().contains(site.toHtmlEscaped())) << d->ResultLabel->text().toStdString();
        QTest::mouseClick(d->CloseButton, Qt::LeftButton);
    });
    menuBarItem(form, "File1", "PublishItem");
    ASSERT_TRUE(QTest::qWaitFor([&] { return acted && !QApplication::activeModalWidget(); }));
    // Only what needs a look is a message: the photo that is no picture.
    ASSERT_EQ(sink.warnings.size(), 1) << sink.said();
    EXPECT_TRUE(sink.warnings.front().contains(u"broken.jpg"_s)) << sink.said();
    const QString text = allText(site);
    EXPECT_TRUE(text.contains(u"Private diary line"_s));
    EXPECT_TRUE(text.contains(u"Маммиллярия"_s));
    EXPECT_FALSE(text.contains(u"Phalaenopsis"_s)); // another group

    const QString csv = out.path() + u"/plants.csv"_s;
    form.publishCommands()->askPlantListPath = [&](const QString&) { return csv; };
    menuBarItem(form, "File1", "PlantListItem");
    QFile list(csv);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll().count('\n'), 7);
}

TEST(PublishSite, FailedWritesAndRenamesLeaveTheOldSiteAndADiskWithoutExchangeStillGetsTheNewOne)
{
    TempProgramFolder pf;
    layOutCollection(pf);
    QTemporaryDir out;
    const QString site = out.path() + u"/site"_s;
    Companion cli;
    ASSERT_EQ(cli({u"publish"_s, pf.path(), site}).code, 0);
    const auto old = filesUnder(site);
    pf.write(u"MyPlants/Кактусы/Эхинопсис/care.rtf"_s, "{\\rtf1\\ansi Mist in the morning.\\par}");
    for (int n : {1, 2, 3}) { // a changed page, a full photo, the list: three writes at least
        sysio::failEvery(sysio::Op::Write, n, ENOSPC, true);
        const CliOutcome r = cli({u"publish"_s, pf.path(), site, u"--full-photos"_s});
        sysio::clearFaults();
        EXPECT_EQ(r.code, 1) << n;
        EXPECT_TRUE(r.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << r.err.toStdString();
        EXPECT_EQ(filesUnder(site), old) << n;
        EXPECT_EQ(namesIn(out.path()), QStringList{u"site"_s});
    }
    // Names cannot be exchanged, nor the old site stepped aside: it stays.
    sysio::failEvery(sysio::Op::Rename, 1, EINVAL);
    EXPECT_EQ(cli({u"publish"_s, pf.path(), site}).code, 1);
    sysio::clearFaults();
    EXPECT_EQ(filesUnder(site), old);
    // Names cannot be exchanged (a FAT stick), but renamed: the old site steps aside, the new one in.
    sysio::failEvery(sysio::Op::Rename, 1, EINVAL, true);
    const CliOutcome r = cli({u"publish"_s, pf.path(), site});
    sysio::clearFaults();
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(allText(site).contains(u"Mist in the morning."_s));
    EXPECT_EQ(namesIn(out.path()), QStringList{u"site"_s});
}
