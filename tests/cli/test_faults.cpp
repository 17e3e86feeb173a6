#include "../support/companion.h"
#include "../support/exifjpeg.h"
#include "../support/smalldisk.h"
#include "../support/windowevents.h"
#include "editor/pagefile.h"
#include "photos/album.h"
#include "platform/atomicfile.h"
#include "platform/owntag.h"
#include "rtf/rtfkept.h"
#include "rtf/rtfreader.h"
#include "platform/sysio.h"
#include "store/copyfolder.h"
#include "store/errorlog.h"
#include "store/leftovers.h"
#include "tree/plantops.h"

#include <QFileInfo>
#include <QProcess>
#include <QTextCursor>
#include <QTextDocument>

#include <sys/wait.h>
#include <unistd.h>

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
          QStringList{u"add-group"_s, pf, u"Orchids"_s}, QStringList{u"add"_s, pf, u"Roses"_s, u"Alba"_s}}) {
        const CliOutcome run = cli(args);
        const QString& err = run.err;
        EXPECT_EQ(run.code, 1) << args.join(u' ').toStdString();
        EXPECT_TRUE(err.contains(full) || err.contains(u"Cannot create"_s)) << err.toStdString();
        EXPECT_EQ(err.count(u'\n'), 1);
        EXPECT_EQ(files(pf), before) << args.join(u' ').toStdString();
    }
    EXPECT_FALSE(d.exists(u"MyPlants/Roses/Alba"_s)) << "a plant without its record would show as a folder";
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

// Only what a process of this computer that is gone left under our own marked names goes at the next
// start; whatever a person, another program or another computer put there stays.
TEST(Faults, LeftoversOfAKilledSaveOrMoveGoAtTheNextStart)
{
    TempProgramFolder pf;
    layOut(pf);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const QString dead = QString::fromLatin1(owntag::hostId()) + u'-' + QString::number(child),
                  alive = QString::fromLatin1(owntag::tag()),
                  elsewhere = u"0badc0de-"_s + QString::number(child);
    const QStringList ours = {u"MyPlants/Roses/Tea/.description.rtf.vdtmp-"_s + dead + u"-a1B2c3"_s,
                              u".main.ini.vdtmp-"_s + dead + u"-zzzzzz"_s,
                              u"MyPlants/Cacti/!vdpart_"_s + dead + u"_Tea_12/description.rtf"_s,
                              u"MyPlants/Roses/!vdgone_"_s + dead + u"_Pots_7/plant.ini"_s};
    const QStringList theirs = {
        u"MyPlants/Roses/Tea/description.rtf.backup"_s,
        u"MyPlants/Roses/Tea/plant.ini.before"_s,
        u"MyPlants/Roses/Tea/care.rtf.copy01"_s,
        u"MyPlants/Roses/group.ini.saved1"_s,
        u"main.ini.backup"_s,
        u"MyPlants/Roses/Tea/p1.jpg.txt.sunday"_s,
        u"MyPlants/Roses/Tea/diary.rtf.old123"_s,
        u"MyPlants/Roses/Tea/description.rtf.draft1"_s,
        u"MyPlants/Roses/Tea/description.rtf.iInohN"_s,
        u"MyPlants/Roses/Tea/.care.rtf.vdtmp-a1B2c3"_s, // no computer, no process: not provably ours
        u"MyPlants/Roses/Tea/.diary.rtf.vdtmp-"_s + alive + u"-a1B2c3"_s,     // a save under way
        u"MyPlants/Roses/Tea/.diary.rtf.vdtmp-"_s + elsewhere + u"-a1B2c3"_s, // another computer's
        u"MyPlants/Cacti/!vdpart_"_s + elsewhere + u"_Tea_3/description.rtf"_s,
        u"MyPlants/Cacti/!vdpart_Tea_12/description.rtf"_s,
        u"MyPlants/Roses/!deleted_Old_3/diary.rtf"_s};
    for (const QString& f : ours + theirs)
        pf.write(f, "bytes");
    // Any writing command cleans first, as the window's start does.
    Companion cli;
    EXPECT_EQ(cli({u"mark"_s, pf.path(), u"Roses"_s, u"Tea"_s, u"treat"_s}).code, 0);
    for (const QString& f : ours)
        EXPECT_FALSE(pf.exists(f)) << f.toStdString();
    for (const QString& f : theirs)
        EXPECT_EQ(pf.read(f), "bytes") << f.toStdString();
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/!vdgone_"_s + dead + u"_Pots_7"_s));
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/description.rtf"_s), "{\\rtf1 The old page of Tea\\par}");
}

// Two login sessions (each with its own runtime folder) run writing commands at once: the collection's
// lock lets one write at a time, so a plant is never left in two groups.
TEST(Faults, CommandsFromTwoSessionsNeverSplitAPlant)
{
    TempProgramFolder pf, sessionA, sessionB;
    layOut(pf);
    pf.write(u"page.txt"_s, "A page from a script");
    auto start = [&](QProcess& p, const TempProgramFolder& session, const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, session.path());
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VERDARIUM_CLI_BINARY), args);
    };
    for (int pair = 0; pair < 20; ++pair) {
        const QString from = pair % 2 ? u"Cacti"_s : u"Roses"_s, to = pair % 2 ? u"Roses"_s : u"Cacti"_s;
        QProcess importing, moving;
        start(importing, sessionA,
              {u"import-page"_s, pf.path(), from, u"Tea"_s, u"care"_s, pf.file(u"page.txt"_s)});
        start(moving, sessionB, {u"move"_s, pf.path(), from, u"Tea"_s, to});
        ASSERT_TRUE(importing.waitForFinished(30000) && moving.waitForFinished(30000));
        const bool inFrom = pf.exists(u"MyPlants/"_s + from + u"/Tea/plant.ini"_s),
                   inTo = pf.exists(u"MyPlants/"_s + to + u"/Tea/plant.ini"_s);
        ASSERT_NE(inFrom, inTo) << "pair " << pair << ": " << moving.readAllStandardError().toStdString();
        if (inFrom) { // the move was refused while the import held the lock: it goes now
            ASSERT_EQ(Companion()({u"move"_s, pf.path(), from, u"Tea"_s, to}).code, 0);
        }
    }
    // The lock of a process of this computer that is gone, or of an earlier boot, is taken over.
    for (const QByteArray& was : {QByteArray("pid=999999\n"), QByteArray("pid=1\nboot=an-earlier-boot\n")}) {
        pf.write(u"MyPlants/.verdarium-lock"_s, "host=here\nhostid=" + owntag::hostId() + '\n' + was);
        EXPECT_EQ(Companion()({u"mark"_s, pf.path(), u"Roses"_s, u"Tea"_s, u"treat"_s}).code, 0)
            << was.constData();
    }
}

// A page saved when its older version could not be kept says so in one line, and is saved.
TEST(Faults, APageSavedWithoutItsOlderVersionSaysSo)
{
    TempProgramFolder pf;
    layOut(pf);
    pf.write(u"new.txt"_s, "A new page");
    Companion cli;
    sysio::failEvery(sysio::Op::Write, 1, ENOSPC, true); // the first write is the version's
    const CliOutcome run =
        cli({u"import-page"_s, pf.path(), u"Roses"_s, u"Tea"_s, u"description"_s, pf.file(u"new.txt"_s)});
    sysio::clearFaults();
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err.count(u'\n'), 1);
    EXPECT_TRUE(run.err.contains(u"no older version"_s) &&
                run.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
        << run.err.toStdString();
    EXPECT_TRUE(pf.read(u"MyPlants/Roses/Tea/description.rtf"_s).contains("A new page"));
}

// A page whose RTF would not read back as written is never written: the old page stays.
TEST(Faults, APageThatWouldNotReadBackIsNotSaved)
{
    TempProgramFolder pf;
    layOut(pf);
    for (const QByteArray& kept : {QByteArray("{\\footnote open"), QByteArray("{\\footnote x}}"),
                                   QByteArray("{\\footnote \\bin99 x}")}) {
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(u"Before "_s);
        QTextCharFormat f;
        f.setObjectType(rtfkept::kObjectType);
        f.setProperty(rtfprop::kKeptGroup, kept);
        c.insertText(QString(QChar::ObjectReplacementCharacter), f);
        const IoStatus s = pagefile::save(pf.file(u"MyPlants/Roses/Tea/description.rtf"_s), doc);
        EXPECT_FALSE(s.ok()) << kept.constData();
        EXPECT_TRUE(s.text.contains(u"would not read back"_s)) << s.text.toStdString();
        EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/description.rtf"_s), "{\\rtf1 The old page of Tea\\par}");
    }
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
        // Both are shown read-only; selecting them writes nothing anywhere, and the status bar says why.
        for (const QString& name : {u"Zloop"_s, u"Out"_s}) {
            clickNode(form, name);
            EXPECT_TRUE(form.StatusBar->currentMessage().contains(u"symbolic link"_s)) << name.toStdString();
            EXPECT_TRUE(form.Editor->isReadOnly()) << name.toStdString();
        }
        EXPECT_EQ(form.Editor->toPlainText().trimmed(), u"not ours"_s) << "what a link leads to is shown";
        EXPECT_TRUE(sink.warnings.isEmpty()) << sink.said();
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

    // A group or a folder that is a link is shown, but nothing is written through it, by the window
    // or the companion, and the message names the link.
    outside.writeRecord(u"Group/group.ini"_s, u"[Group]\nImageOrder=3\n"_s);
    outside.writeRecord(u"Group/Fern/plant.ini"_s, u"[Main]\nCond=2\n"_s);
    outside.write(u"Group/Fern/description.rtf"_s, "{\\rtf1 Fern\\par}");
    outside.writeRecord(u"Folder/plant.ini"_s, u"[Main]\nCond=1\n"_s);
    outside.writeRecord(u"Folder/Bar/plant.ini"_s, u"[Main]\nCond=2\n"_s);
    ASSERT_TRUE(QFile::link(outside.file(u"Group"_s), pf.file(u"MyPlants/EtcGroup"_s)));
    ASSERT_TRUE(QFile::link(outside.file(u"Folder"_s), pf.file(u"MyPlants/Roses/SymFolder"_s)));
    const auto outsideBefore = files(outside.path());
    pf.write(u"new.txt"_s, "new page");
    for (const QStringList& args :
         {QStringList{u"add"_s, pf.path(), u"EtcGroup"_s, u"Foo"_s},
          QStringList{u"add"_s, pf.path(), u"EtcGroup"_s, u"Foo"_s, u"--folder"_s},
          QStringList{u"add"_s, pf.path(), u"Roses"_s, u"SymFolder/Baz"_s},
          QStringList{u"move"_s, pf.path(), u"Roses"_s, u"Tea"_s, u"EtcGroup"_s},
          QStringList{u"move"_s, pf.path(), u"Roses"_s, u"Tea"_s, u"Roses/SymFolder"_s},
          QStringList{u"move"_s, pf.path(), u"EtcGroup"_s, u"Fern"_s, u"Roses"_s},
          QStringList{u"add-photo"_s, pf.path(), u"EtcGroup"_s, u"Fern"_s,
                      outside.file(u"Elsewhere/p.jpg"_s)},
          QStringList{u"import-page"_s, pf.path(), u"EtcGroup"_s, u"Fern"_s, u"care"_s,
                      pf.file(u"new.txt"_s)},
          QStringList{u"remove"_s, pf.path(), u"EtcGroup"_s, u"Fern"_s},
          QStringList{u"remove"_s, pf.path(), u"Roses"_s, u"SymFolder/Bar"_s},
          QStringList{u"rename"_s, pf.path(), u"EtcGroup"_s, u"Fern"_s, u"Fern2"_s},
          QStringList{u"mark"_s, pf.path(), u"EtcGroup"_s, u"Fern"_s, u"treat"_s}}) {
        const CliOutcome run = cli(args);
        EXPECT_EQ(run.code, 1) << args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(u"symbolic link"_s) &&
                    (run.err.contains(u"EtcGroup"_s) || run.err.contains(u"SymFolder"_s)))
            << run.err.toStdString();
    }
    {
        RecordingSink sink;
        ShownForm form(pf.path(), &sink);
        QTest::mouseClick(form.Frame11->picture(barNames(form).indexOf(u"EtcGroup"_s) + 1), Qt::LeftButton);
        clickNode(form, u"Fern"_s);
        EXPECT_TRUE(form.Editor->isReadOnly());
        EXPECT_TRUE(form.StatusBar->currentMessage().contains(u"EtcGroup is a symbolic link"_s));
        // Typing on its page changes nothing and is not lost without a word.
        QTest::keyClicks(form.Editor, u"typed"_s);
        EXPECT_FALSE(form.Editor->toPlainText().contains(u"typed"_s));
        treeMenu(form, u"Fern"_s, "N15");
        EXPECT_TRUE(sink.said().find("EtcGroup is a symbolic link") != std::string::npos) << sink.said();
        sink.warnings.clear();
        QTest::keyClick(form.TreeView1, Qt::Key_F2);
        typeNewName(form, u"Fern3"_s);
        EXPECT_TRUE(sink.said().find("EtcGroup is a symbolic link") != std::string::npos) << sink.said();
        form.close();
    }
    EXPECT_EQ(files(outside.path()), outsideBefore);

    // A copied folder keeps its links as links.
    pf.write(u"src/a.txt"_s, "a");
    ASSERT_TRUE(QFile::link(outside.file(u"Elsewhere/p.jpg"_s), pf.file(u"src/photo.jpg"_s)));
    SilentSink sink;
    FileCopier copier(pf.path(), sink);
    ASSERT_TRUE(copier.copyTree(pf.file(u"src"_s), pf.file(u"dst"_s), true));
    EXPECT_TRUE(QFileInfo(pf.file(u"dst/photo.jpg"_s)).isSymLink());
    EXPECT_EQ(files(outside.path()), outsideBefore);
}
