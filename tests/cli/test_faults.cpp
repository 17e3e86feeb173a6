#include "../support/companion.h"
#include "../support/exifjpeg.h"
#include "../support/smalldisk.h"
#include "../support/windowevents.h"
#include "photos/album.h"
#include "platform/atomicfile.h"
#include "platform/sysio.h"
#include "store/copyfolder.h"
#include "store/errorlog.h"
#include "store/leftovers.h"
#include "tree/plantops.h"

#include <QFileInfo>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

using Files = std::map<std::string, std::string>;

// Every file below root with its bytes. The page templates a first use makes (empty files, which a
// full disk still holds) are not the user's and are left out, as is what fills a small disk.
Files files(const QString& root)
{
    Files all;
    for (const auto& [path, bytes] : filesUnder(root, {u"!Shablon"_s, u"filler"_s}).asKeyValueRange())
        all[path.toStdString()] = bytes.toStdString();
    return all;
}

// The files below a folder, by their paths below it.
Files under(const Files& f, const std::string& folder)
{
    Files out;
    for (const auto& [k, v] : f)
        if (k.rfind(folder, 0) == 0)
            out[k.substr(folder.size())] = v;
    return out;
}

std::string value(const Files& f, const QString& key)
{
    const auto it = f.find(key.toStdString());
    return it == f.end() ? std::string("<none>") : it->second;
}

void layOut(const TempProgramFolder& pf)
{
    pf.write(u"MyPlants/Roses/group.ini"_s, "[Group]\r\nColor=255\r\nImageIndex=3\r\nImageOrder=1\r\n\r\n");
    pf.write(u"MyPlants/Cacti/group.ini"_s, "[Group]\r\nImageOrder=2\r\n\r\n");
    pf.write(u"MyPlants/Roses/Tea/plant.ini"_s, "[Main]\r\nCond=2\r\nExpanded=0\r\n\r\n");
    pf.write(u"MyPlants/Roses/Tea/description.rtf"_s, "{\\rtf1 The old page of Tea\\par}");
    pf.write(u"MyPlants/Roses/Tea/care.rtf"_s, "{\\rtf1 Care\\par}");
    pf.write(u"MyPlants/Roses/Tea/diary.rtf"_s, "{\\rtf1 Diary\\par}");
    pf.write(u"MyPlants/Roses/Tea/p1.jpg"_s, exifjpeg::plainJpeg(32, 24, Qt::red));
    pf.write(u"MyPlants/Roses/Tea/p1.jpg.txt"_s, "old comment");
    pf.write(u"MyPlants/Roses/Pots/plant.ini"_s, "[Main]\r\nCond=1\r\n\r\n");
    pf.write(u"main.ini"_s, "[Options]\r\nLastGroup=Roses\r\n\r\n");
    pf.write(u"errorlog.txt"_s, "old line\r\n");
}

} // namespace

TEST(Faults, EveryWriterOnAFullDiskSaysSoAndKeepsTheOldFile)
{
    SmallDisk disk(512);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why().toStdString();
    const TempProgramFolder d(disk.path());
    const QString pf = d.path();
    layOut(d);
    d.write(u"in/new.md"_s, "A new page");
    TempProgramFolder outside;
    outside.write(u"flower.jpg"_s, exifjpeg::plainJpeg(32, 24, Qt::red));
    disk.fill();
    const auto before = files(pf);

    // The companion's writers.
    Companion cli;
    const QString full = QString::fromLocal8Bit(std::strerror(ENOSPC));
    for (const QStringList& args :
         {QStringList{u"import-page"_s, pf, u"Roses"_s, u"Tea"_s, u"description"_s, pf + u"in/new.md"_s},
          QStringList{u"mark"_s, pf, u"Roses"_s, u"Tea"_s, u"treat"_s},
          QStringList{u"add-photo"_s, pf, u"Roses"_s, u"Tea"_s, outside.file(u"flower.jpg"_s), u"c"_s},
          QStringList{u"add-group"_s, pf, u"Orchids"_s}}) {
        const CliOutcome run = cli(args);
        const QString& err = run.err;
        EXPECT_EQ(run.code, 1) << args.join(u' ').toStdString();
        EXPECT_TRUE(err.contains(full) || err.contains(u"Cannot create"_s)) << err.toStdString();
        EXPECT_EQ(err.count(u'\n'), 1);
        EXPECT_EQ(files(pf), before) << args.join(u' ').toStdString();
    }
    // The logic's own writers, down to ten bytes.
    for (const auto& [path, write] : std::initializer_list<std::pair<QString, std::function<IoStatus()>>>{
             {u"MyPlants/Roses/Tea/description.rtf"_s,
              [&] { return atomicfile::write(pf + u"MyPlants/Roses/Tea/description.rtf"_s, "0123456789"); }},
             {u"MyPlants/Roses/Tea/p1.jpg.txt"_s,
              [&] { return album::writeComment(pf + u"MyPlants/Roses/Tea/p1.jpg"_s, u"new comment"_s); }},
             {u"errorlog.txt"_s, [&] { return errorlog::WriteErrorLog(pf, u"a line"_s); }},
             {u"main.ini"_s, [&] {
                  IniFile ini(pf + u"main.ini"_s);
                  ini.writeString(u"Options", u"LastGroup", u"Cacti"_s);
                  return ini.updateFile();
              }}}) {
        const QByteArray old = d.read(path);
        const IoStatus s = write();
        EXPECT_EQ(s.code, ENOSPC) << path.toStdString();
        EXPECT_EQ(s.text, full);
        EXPECT_EQ(d.read(path), old) << path.toStdString();
    }

    // The window: typing on a page and moving to another node keeps the text and says why.
    {
        RecordingSink sink;
        ShownForm form(pf, &sink);
        clickNode(form, u"Tea"_s);
        QTreeWidgetItem* tea = form.TreeView1->currentItem();
        QTest::keyClicks(form.Editor, u"typed on a full disk"_s);
        sink.warnings.clear();
        clickNode(form, u"Pots"_s);
        EXPECT_EQ(form.TreeView1->currentItem(), tea)
            << "the click is not taken while the page cannot be saved";
        ASSERT_FALSE(sink.warnings.isEmpty());
        EXPECT_TRUE(sink.warnings.join(u' ').contains(full)) << sink.said();
        EXPECT_TRUE(form.Editor->document()->isModified());
        EXPECT_TRUE(form.Editor->toPlainText().contains(u"typed on a full disk"_s));
        sink.answer = true; // close anyway
        form.close();
    }
    EXPECT_EQ(d.read(u"MyPlants/Roses/Tea/description.rtf"_s), "{\\rtf1 The old page of Tea\\par}");
    EXPECT_EQ(QDir(pf + u"MyPlants/Roses/Tea"_s).entryList(QDir::Files | QDir::Hidden).size(), 6)
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
    const QString tea = u"MyPlants/Roses/Tea/"_s;
    const Writer writers[] = {
        {"page",
         [&](const QString& pf) { return atomicfile::write(pf + tea + u"description.rtf"_s, newPage); },
         {tea + u"description.rtf"_s}},
        {"record",
         [&](const QString& pf) {
             IniFile ini(pf + tea + u"plant.ini"_s);
             ini.writeInteger(u"Main", u"Cond", 5);
             return ini.updateFile();
         },
         {tea + u"plant.ini"_s}},
        {"comment",
         [&](const QString& pf) { return album::writeComment(pf + tea + u"p1.jpg"_s, u"new"_s); },
         {tea + u"p1.jpg.txt"_s}},
        {"error log",
         [](const QString& pf) { return errorlog::WriteErrorLog(pf, u"new line"_s); },
         {u"errorlog.txt"_s}},
        {"photo",
         [&](const QString& pf) {
             return album::addPhoto(pf + u"MyPlants/Roses/Pots"_s, pf + tea + u"p1.jpg"_s, u"c"_s);
         },
         {u"MyPlants/Roses/Pots/p1.jpg"_s}},
        {"move across file systems",
         [](const QString& pf) {
             SilentSink sink;
             FileCopier copier(pf, sink);
             const plantops::MoveResult r =
                 plantops::moveNode(copier, pf + u"MyPlants/Roses/Tea"_s, pf + u"MyPlants/Cacti/Tea"_s);
             return r.moved ? IoStatus::success() : IoStatus::failure(EIO, r.error);
         },
         {}},
    };
    // What each writer leaves when nothing fails.
    std::map<std::string, Files> clean;
    for (const Writer& w : writers) {
        TempProgramFolder folder;
        layOut(folder);
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
                layOut(folder);
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
                    if (p == u"errorlog.txt"_s) {
                        EXPECT_EQ(now.rfind(old, 0), 0u) << at << ": the old lines stay";
                        continue;
                    }
                    if (s.ok())
                        EXPECT_EQ(now, good) << at;
                    else
                        EXPECT_TRUE(now == old || now == good) << at << ": " << now;
                }
                for (const auto& [k, v] : after) {
                    EXPECT_EQ(k.find("!vd"), std::string::npos) << at << " " << k;
                    EXPECT_FALSE(atomicfile::isLeftover(QFileInfo(QString::fromStdString(k)).fileName()))
                        << at << " " << k;
                }
                // A move leaves the plant whole at the source, or whole at the target, and never hidden.
                const Files source = under(before, "MyPlants/Roses/Tea/"),
                            target = under(after, "MyPlants/Cacti/Tea/");
                if (move) {
                    EXPECT_TRUE(target == source || under(after, "MyPlants/Roses/Tea/") == source) << at;
                    EXPECT_EQ(s.ok(), target == source) << at;
                }
            }
        }
    }
}

TEST(Faults, LeftoversOfAKilledSaveOrMoveGoAtTheNextStart)
{
    TempProgramFolder pf;
    layOut(pf);
    pf.write(u"MyPlants/Roses/Tea/.description.rtf.vdtmp-a1B2c3"_s, "half");
    pf.write(u"MyPlants/Roses/Tea/description.rtf.iInohN"_s, "half of an older save");
    pf.write(u"MyPlants/Roses/Tea/notes.txt.abcdef"_s, "the user's own");
    pf.write(u"MyPlants/Cacti/!vdpart_Tea_12/description.rtf"_s, "part");
    pf.write(u"MyPlants/Roses/!deleted_Old_3/diary.rtf"_s, "removed, kept");
    pf.write(u".main.ini.vdtmp-zzzzzz"_s, "half");
    EXPECT_EQ(leftovers::clean(pf.path()), 4);
    EXPECT_FALSE(pf.exists(u"MyPlants/Cacti/!vdpart_Tea_12"_s));
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Tea/notes.txt.abcdef"_s));
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/!deleted_Old_3/diary.rtf"_s));
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/description.rtf"_s), "{\\rtf1 The old page of Tea\\par}");
}

TEST(Faults, DamagedRecordsAreKeptBesideThemselves)
{
    TempProgramFolder pf;
    const QByteArray junk("\x01\x02[Group]\x00\xff junk", 16);
    pf.write(u"MyPlants/Roses/group.ini"_s, junk);
    pf.mkdir(u"MyPlants/Roses/plant.ini"_s); // a folder only named like a record
    pf.write(u"main.ini"_s, QByteArray("\0\0\0binary", 9));
    {
        RecordingSink sink;
        ShownForm form(pf.path(), &sink);
        EXPECT_EQ(form.TreeView1->findItems(u"plant.ini"_s, Qt::MatchExactly).size(), 0);
        form.close();
    }
    EXPECT_EQ(pf.read(u"MyPlants/Roses/group.ini.damaged"_s), junk);
    EXPECT_EQ(pf.read(u"main.ini.damaged"_s), QByteArray("\0\0\0binary", 9));
    EXPECT_TRUE(pf.read(u"main.ini"_s).startsWith("[Options]"));
}

TEST(Faults, LinksAreNeverFollowedOutOfTheCollection)
{
    TempProgramFolder pf;
    layOut(pf);
    TempProgramFolder outside;
    outside.write(u"Elsewhere/description.rtf"_s, "{\\rtf1 not ours\\par}");
    outside.write(u"Elsewhere/p.jpg"_s, exifjpeg::plainJpeg(32, 24, Qt::red));
    const auto theirs = files(outside.path());
    ASSERT_TRUE(QFile::link(outside.file(u"Elsewhere"_s), pf.file(u"MyPlants/Roses/Out"_s)));
    ASSERT_TRUE(QFile::link(u"."_s, pf.file(u"MyPlants/Roses/Zloop"_s)));
    const QByteArray groupRecord = pf.read(u"MyPlants/Roses/group.ini"_s);
    {
        RecordingSink sink;
        ShownForm form(pf.path(), &sink);
        // Both are shown; selecting them writes nothing anywhere and says why.
        for (const QString& name : {u"Zloop"_s, u"Out"_s}) {
            sink.warnings.clear();
            clickNode(form, name);
            EXPECT_FALSE(sink.warnings.isEmpty()) << name.toStdString();
            EXPECT_TRUE(form.Editor->isReadOnly()) << name.toStdString();
        }
        EXPECT_FALSE(pf.exists(u"MyPlants/Roses/description.rtf"_s));
        EXPECT_FALSE(pf.exists(u"MyPlants/Roses/plant.ini"_s));
        form.close();
    }
    EXPECT_EQ(files(outside.path()), theirs);
    // Send to moves the link as a link, across file systems too; remove renames the link.
    Companion cli;
    sysio::failEvery(sysio::Op::Rename, 1, EXDEV, true);
    EXPECT_EQ(cli({u"move"_s, pf.path(), u"Roses"_s, u"Out"_s, u"Cacti"_s}).code, 0);
    sysio::clearFaults();
    EXPECT_TRUE(QFileInfo(pf.file(u"MyPlants/Cacti/Out"_s)).isSymLink());
    EXPECT_EQ(cli({u"remove"_s, pf.path(), u"Cacti"_s, u"Out"_s}).code, 0);
    EXPECT_EQ(cli({u"move"_s, pf.path(), u"Roses"_s, u"Zloop"_s, u"Cacti"_s}).code, 0);
    EXPECT_EQ(files(outside.path()), theirs);
    EXPECT_EQ(pf.read(u"MyPlants/Roses/group.ini"_s), groupRecord);
    // A copied folder keeps its links as links.
    pf.write(u"src/a.txt"_s, "a");
    ASSERT_TRUE(QFile::link(outside.file(u"Elsewhere/p.jpg"_s), pf.file(u"src/photo.jpg"_s)));
    SilentSink sink;
    FileCopier copier(pf.path(), sink);
    ASSERT_TRUE(copier.copyTree(pf.file(u"src"_s), pf.file(u"dst"_s), true));
    EXPECT_TRUE(QFileInfo(pf.file(u"dst/photo.jpg"_s)).isSymLink());
    EXPECT_EQ(files(outside.path()), theirs);
}
