#include "../support/companion.h"
#include "../support/smalldisk.h"
#include "../support/tempprogramfolder.h"
#include "app/mainform.h"
#include "cli/cli.h"
#include "editor/editor.h"
#include "photos/album.h"
#include "platform/atomicfile.h"
#include "platform/jpegcodec.h"
#include "platform/sysio.h"
#include "store/copyfolder.h"
#include "store/errorlog.h"
#include "store/inifile.h"
#include "store/leftovers.h"
#include "tree/plantops.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

void put(const QString& root, const QString& relative, const QByteArray& bytes)
{
    const QString full = root + relative;
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << full.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray get(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

using Files = std::map<std::string, std::string>;

// Every file below root with its bytes. The page templates a first use makes (empty files, which a
// full disk still holds) are not the user's and are left out.
Files files(const QString& root)
{
    Files all;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        if (!relative.contains(u8("!Shablon")))
            all[relative.toStdString()] = get(path).toStdString();
    }
    return all;
}

std::string value(const Files& f, const QString& key)
{
    const auto it = f.find(key.toStdString());
    return it == f.end() ? std::string("<none>") : it->second;
}

QByteArray photo()
{
    QImage img(32, 24, QImage::Format_RGB888);
    img.fill(qRgb(200, 30, 90));
    return jpegcodec::encode(img, 90);
}

void layOut(const QString& root)
{
    put(root, u8("MyPlants/Roses/group.ini"), "[Group]\r\nColor=255\r\nImageIndex=3\r\nImageOrder=1\r\n\r\n");
    put(root, u8("MyPlants/Cacti/group.ini"), "[Group]\r\nImageOrder=2\r\n\r\n");
    put(root, u8("MyPlants/Roses/Tea/plant.ini"), "[Main]\r\nCond=2\r\nExpanded=0\r\n\r\n");
    put(root, u8("MyPlants/Roses/Tea/description.rtf"), "{\\rtf1 The old page of Tea\\par}");
    put(root, u8("MyPlants/Roses/Tea/care.rtf"), "{\\rtf1 Care\\par}");
    put(root, u8("MyPlants/Roses/Tea/diary.rtf"), "{\\rtf1 Diary\\par}");
    put(root, u8("MyPlants/Roses/Tea/p1.jpg"), photo());
    put(root, u8("MyPlants/Roses/Tea/p1.jpg.txt"), "old comment");
    put(root, u8("MyPlants/Roses/Pots/plant.ini"), "[Main]\r\nCond=1\r\n\r\n");
    put(root, u8("main.ini"), "[Options]\r\nLastGroup=Roses\r\n\r\n");
    put(root, u8("errorlog.txt"), "old line\r\n");
}

} // namespace

TEST(Faults, EveryWriterOnAFullDiskSaysSoAndKeepsTheOldFile)
{
    SmallDisk disk(512);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why().toStdString();
    const QString pf = disk.path();
    layOut(pf);
    put(pf, u8("in/new.md"), "A new page");
    TempProgramFolder outside;
    outside.write(u8("flower.jpg"), photo());
    disk.fill();
    const auto before = files(pf + u8("MyPlants"));
    const QByteArray mainIni = get(pf + u8("main.ini"));
    const QByteArray log = get(pf + u8("errorlog.txt"));

    // The companion's writers.
    Companion cli;
    const QString full = QString::fromLocal8Bit(std::strerror(ENOSPC));
    for (const QStringList& args :
         {QStringList{u8("import-page"), pf, u8("Roses"), u8("Tea"), u8("description"), pf + u8("in/new.md")},
          QStringList{u8("mark"), pf, u8("Roses"), u8("Tea"), u8("treat")},
          QStringList{u8("add-photo"), pf, u8("Roses"), u8("Tea"), outside.file(u8("flower.jpg")), u8("c")},
          QStringList{u8("add-group"), pf, u8("Orchids")}}) {
        const CliOutcome run = cli(args);
        const QString& err = run.err;
        EXPECT_EQ(run.code, 1) << args.join(u' ').toStdString();
        EXPECT_TRUE(err.contains(full) || err.contains(u8("Cannot create"))) << err.toStdString();
        EXPECT_EQ(err.count(u'\n'), 1);
        EXPECT_EQ(files(pf + u8("MyPlants")), before) << args.join(u' ').toStdString();
    }
    // The logic's own writers, down to ten bytes.
    for (const auto& [path, write] : std::initializer_list<std::pair<QString, std::function<IoStatus()>>>{
             {pf + u8("MyPlants/Roses/Tea/description.rtf"),
              [&] { return atomicfile::write(pf + u8("MyPlants/Roses/Tea/description.rtf"), "0123456789"); }},
             {pf + u8("MyPlants/Roses/Tea/p1.jpg.txt"),
              [&] { return album::writeComment(pf + u8("MyPlants/Roses/Tea/p1.jpg"), u8("new comment")); }},
             {pf + u8("errorlog.txt"), [&] { return errorlog::WriteErrorLog(pf, u8("a line")); }},
             {pf + u8("main.ini"), [&] {
                  IniFile ini(pf + u8("main.ini"));
                  ini.writeString(u"Options", u"LastGroup", u8("Cacti"));
                  return ini.updateFile();
              }}}) {
        const QByteArray old = get(path);
        const IoStatus s = write();
        EXPECT_EQ(s.code, ENOSPC) << path.toStdString();
        EXPECT_EQ(s.text, full);
        EXPECT_EQ(get(path), old) << path.toStdString();
    }
    EXPECT_EQ(get(pf + u8("main.ini")), mainIni);
    EXPECT_EQ(get(pf + u8("errorlog.txt")), log);

    // The window: typing on a page and moving to another node keeps the text and says why.
    {
        RecordingSink sink;
        TMainForm form(pf, {}, &sink);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QTreeWidget* tree = form.TreeView1;
        const QList<QTreeWidgetItem*> tea = tree->findItems(u8("Tea"), Qt::MatchExactly);
        ASSERT_EQ(tea.size(), 1);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tea[0]).center());
        ASSERT_EQ(tree->currentItem(), tea[0]);
        QTest::keyClicks(form.Editor, u8("typed on a full disk"));
        sink.warnings.clear();
        const QList<QTreeWidgetItem*> pots = tree->findItems(u8("Pots"), Qt::MatchExactly);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(pots[0]).center());
        EXPECT_EQ(tree->currentItem(), tea[0]) << "the click is not taken while the page cannot be saved";
        ASSERT_FALSE(sink.warnings.isEmpty());
        EXPECT_TRUE(sink.warnings.join(u' ').contains(full)) << sink.warnings.join(u' ').toStdString();
        EXPECT_TRUE(form.Editor->document()->isModified());
        EXPECT_TRUE(form.Editor->toPlainText().contains(u8("typed on a full disk")));
        sink.answer = true; // close anyway
        form.close();
    }
    EXPECT_EQ(get(pf + u8("MyPlants/Roses/Tea/description.rtf")), "{\\rtf1 The old page of Tea\\par}");
    EXPECT_EQ(QDir(pf + u8("MyPlants/Roses/Tea")).entryList(QDir::Files | QDir::Hidden).size(), 6)
        << "no temporary file is left";
}

TEST(Faults, AnInjectedFaultAtAnyStepNeverDamagesWhatWasThere)
{
    struct Writer {
        const char* name;
        std::function<IoStatus(const QString& pf)> run;
        QStringList paths; // relative to the program folder: each is the old or the new version after it
    };
    const QByteArray newPage = "{\\rtf1 new page\\par}";
    const Writer writers[] = {
        {"page",
         [&](const QString& pf) {
             return atomicfile::write(pf + u8("MyPlants/Roses/Tea/description.rtf"), newPage);
         },
         {u8("MyPlants/Roses/Tea/description.rtf")}},
        {"record",
         [](const QString& pf) {
             IniFile ini(pf + u8("MyPlants/Roses/Tea/plant.ini"));
             ini.writeInteger(u"Main", u"Cond", 5);
             return ini.updateFile();
         },
         {u8("MyPlants/Roses/Tea/plant.ini")}},
        {"comment",
         [](const QString& pf) {
             return album::writeComment(pf + u8("MyPlants/Roses/Tea/p1.jpg"), u8("new"));
         },
         {u8("MyPlants/Roses/Tea/p1.jpg.txt")}},
        {"error log",
         [](const QString& pf) { return errorlog::WriteErrorLog(pf, u8("new line")); },
         {u8("errorlog.txt")}},
        {"photo",
         [](const QString& pf) {
             return album::addPhoto(pf + u8("MyPlants/Roses/Pots"), pf + u8("MyPlants/Roses/Tea/p1.jpg"),
                                    u8("c"));
         },
         {u8("MyPlants/Roses/Pots/p1.jpg")}},
        {"move across file systems",
         [](const QString& pf) {
             SilentSink sink;
             FileCopier copier(pf, sink);
             const plantops::MoveResult r =
                 plantops::moveNode(copier, pf + u8("MyPlants/Roses/Tea"), pf + u8("MyPlants/Cacti/Tea"));
             return r.moved ? IoStatus::success() : IoStatus::failure(EIO, r.error);
         },
         {}},
    };
    // What each writer leaves when nothing fails.
    std::map<std::string, Files> clean;
    for (const Writer& w : writers) {
        TempProgramFolder folder;
        layOut(folder.path());
        if (QByteArray(w.name).startsWith("move"))
            sysio::failEvery(sysio::Op::Rename, 1, EXDEV, true);
        EXPECT_TRUE(w.run(folder.path()).ok()) << w.name;
        sysio::clearFaults();
        clean[w.name] = files(folder.path());
    }
    for (const sysio::Op op : {sysio::Op::Write, sysio::Op::Fsync, sysio::Op::Rename}) {
        for (int n = 1; n <= 6; ++n) {
            for (const Writer& w : writers) {
                TempProgramFolder folder;
                const QString pf = folder.path();
                layOut(pf);
                const auto before = files(pf);
                const bool move = QByteArray(w.name).startsWith("move");
                // The move copies when the first rename says the target is on another file system.
                if (move)
                    sysio::failEvery(sysio::Op::Rename, 1, EXDEV, true);
                if (!move || op != sysio::Op::Rename)
                    sysio::failEvery(op, n, n % 2 ? EIO : ENOSPC);
                const IoStatus s = w.run(pf);
                sysio::clearFaults();
                const std::string at = std::string(w.name) + " with every " + std::to_string(n) + "th " +
                                       std::to_string(static_cast<int>(op));
                const auto after = files(pf);
                for (const QString& p : w.paths) {
                    // Old or new, never anything else; new when it said so.
                    const std::string now = value(after, p), old = value(before, p),
                                      good = value(clean[w.name], p);
                    if (p == u8("errorlog.txt")) {
                        EXPECT_EQ(now.rfind(old, 0), 0u) << at << ": the old lines stay";
                        continue;
                    }
                    if (s.ok())
                        EXPECT_EQ(now, good) << at;
                    else
                        EXPECT_TRUE(now == old || now == good) << at << ": " << now;
                }
                Files source, target, stayed;
                for (const auto& [k, v] : before)
                    if (k.rfind("MyPlants/Roses/Tea/", 0) == 0)
                        source[k.substr(19)] = v;
                for (const auto& [k, v] : after) {
                    if (k.rfind("MyPlants/Cacti/Tea/", 0) == 0)
                        target[k.substr(19)] = v;
                    if (k.rfind("MyPlants/Roses/Tea/", 0) == 0)
                        stayed[k.substr(19)] = v;
                    EXPECT_EQ(k.find("!vd"), std::string::npos) << at << " " << k;
                    EXPECT_FALSE(atomicfile::isLeftover(QFileInfo(QString::fromStdString(k)).fileName()))
                        << at << " " << k;
                }
                if (move) {
                    // Whole at the source, or whole at the target, and never hidden.
                    EXPECT_TRUE(target == source || stayed == source) << at;
                    EXPECT_EQ(s.ok(), target == source) << at;
                }
            }
        }
    }
}

TEST(Faults, LeftoversOfAKilledSaveOrMoveGoAtTheNextStart)
{
    TempProgramFolder pf;
    layOut(pf.path());
    pf.write(u8("MyPlants/Roses/Tea/.description.rtf.vdtmp-a1B2c3"), "half");
    pf.write(u8("MyPlants/Roses/Tea/description.rtf.iInohN"), "half of an older save");
    pf.write(u8("MyPlants/Roses/Tea/notes.txt.abcdef"), "the user's own");
    pf.write(u8("MyPlants/Cacti/!vdpart_Tea_12/description.rtf"), "part");
    pf.write(u8("MyPlants/Roses/!deleted_Old_3/diary.rtf"), "removed, kept");
    pf.write(u8(".main.ini.vdtmp-zzzzzz"), "half");
    EXPECT_EQ(leftovers::clean(pf.path()), 4);
    EXPECT_FALSE(pf.exists(u8("MyPlants/Cacti/!vdpart_Tea_12")));
    EXPECT_TRUE(pf.exists(u8("MyPlants/Roses/Tea/notes.txt.abcdef")));
    EXPECT_TRUE(pf.exists(u8("MyPlants/Roses/!deleted_Old_3/diary.rtf")));
    EXPECT_EQ(pf.read(u8("MyPlants/Roses/Tea/description.rtf")), "{\\rtf1 The old page of Tea\\par}");
}

TEST(Faults, DamagedRecordsAreKeptBesideThemselves)
{
    TempProgramFolder pf;
    const QByteArray junk("\x01\x02[Group]\x00\xff junk", 16);
    pf.write(u8("MyPlants/Roses/group.ini"), junk);
    pf.mkdir(u8("MyPlants/Roses/plant.ini")); // a folder only named like a record
    pf.write(u8("main.ini"), QByteArray("\0\0\0binary", 9));
    {
        RecordingSink sink;
        TMainForm form(pf.path(), {}, &sink);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        EXPECT_EQ(form.TreeView1->findItems(u8("plant.ini"), Qt::MatchExactly).size(), 0);
        form.close();
    }
    EXPECT_EQ(pf.read(u8("MyPlants/Roses/group.ini.damaged")), junk);
    EXPECT_EQ(pf.read(u8("main.ini.damaged")), QByteArray("\0\0\0binary", 9));
    EXPECT_TRUE(pf.read(u8("main.ini")).startsWith("[Options]"));
}

TEST(Faults, LinksAreNeverFollowedOutOfTheCollection)
{
    TempProgramFolder pf;
    layOut(pf.path());
    TempProgramFolder outside;
    outside.write(u8("Elsewhere/description.rtf"), "{\\rtf1 not ours\\par}");
    outside.write(u8("Elsewhere/p.jpg"), photo());
    const auto theirs = files(outside.path());
    ASSERT_TRUE(QFile::link(outside.file(u8("Elsewhere")), pf.file(u8("MyPlants/Roses/Out"))));
    ASSERT_TRUE(QFile::link(u8("."), pf.file(u8("MyPlants/Roses/Zloop"))));
    const QByteArray groupRecord = pf.read(u8("MyPlants/Roses/group.ini"));
    {
        RecordingSink sink;
        TMainForm form(pf.path(), {}, &sink);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QTreeWidget* tree = form.TreeView1;
        // Both are shown; selecting them writes nothing anywhere and says why.
        for (const char* name : {"Zloop", "Out"}) {
            const QList<QTreeWidgetItem*> node = tree->findItems(u8(name), Qt::MatchExactly);
            ASSERT_EQ(node.size(), 1) << name;
            sink.warnings.clear();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node[0]).center());
            EXPECT_FALSE(sink.warnings.isEmpty()) << name;
            EXPECT_TRUE(form.Editor->isReadOnly()) << name;
        }
        EXPECT_FALSE(pf.exists(u8("MyPlants/Roses/description.rtf")));
        EXPECT_FALSE(pf.exists(u8("MyPlants/Roses/plant.ini")));
        form.close();
    }
    EXPECT_EQ(files(outside.path()), theirs);
    // Send to moves the link as a link, across file systems too; remove renames the link.
    Companion cli;
    sysio::failEvery(sysio::Op::Rename, 1, EXDEV, true);
    EXPECT_EQ(cli({u8("move"), pf.path(), u8("Roses"), u8("Out"), u8("Cacti")}).code, 0);
    sysio::clearFaults();
    EXPECT_TRUE(QFileInfo(pf.file(u8("MyPlants/Cacti/Out"))).isSymLink());
    EXPECT_EQ(cli({u8("remove"), pf.path(), u8("Cacti"), u8("Out")}).code, 0);
    EXPECT_EQ(cli({u8("move"), pf.path(), u8("Roses"), u8("Zloop"), u8("Cacti")}).code, 0);
    EXPECT_EQ(files(outside.path()), theirs);
    EXPECT_EQ(pf.read(u8("MyPlants/Roses/group.ini")), groupRecord);
    // A copied folder keeps its links as links.
    pf.write(u8("src/a.txt"), "a");
    ASSERT_TRUE(QFile::link(outside.file(u8("Elsewhere/p.jpg")), pf.file(u8("src/photo.jpg"))));
    SilentSink sink;
    FileCopier copier(pf.path(), sink);
    ASSERT_TRUE(copier.copyTree(pf.file(u8("src")), pf.file(u8("dst")), true));
    EXPECT_TRUE(QFileInfo(pf.file(u8("dst/photo.jpg"))).isSymLink());
    EXPECT_EQ(files(outside.path()), theirs);
}
