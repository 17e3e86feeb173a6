#include "../support/companion.h"
#include "../support/exifjpeg.h"
#include "../support/windowevents.h"
#include "editor/pagefile.h"
#include "groups/groupops.h"
#include "history/pagehistorydialog.h"
#include "history/removed.h"
#include "history/removeditemsdialog.h"
#include "history/versions.h"
#include "platform/fsname.h"
#include "platform/paths.h"
#include "platform/sysio.h"
#include "store/copyfolder.h"
#include "tree/plantops.h"

#include <QTextDocument>

#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Every file under a folder, by its path in bytes, with its bytes.
void snapshot(const QByteArray& root, const QByteArray& relative, std::map<QByteArray, QByteArray>* out)
{
    DIR* d = ::opendir(QByteArray(root + relative).constData());
    ASSERT_NE(d, nullptr) << root.constData() << relative.constData();
    while (dirent* e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == ".." || name == ".verdarium-lock")
            continue;
        const QByteArray path = relative + '/' + name;
        struct stat st {};
        ::lstat(QByteArray(root + path).constData(), &st);
        if (S_ISDIR(st.st_mode))
            snapshot(root, path, out);
        else
            (*out)[path] = QByteArray();
    }
    ::closedir(d);
}

std::map<QByteArray, QByteArray> filesOf(const TempProgramFolder& pf)
{
    std::map<QByteArray, QByteArray> files;
    snapshot(pf.native("MyPlants"), QByteArray(), &files);
    for (auto& [path, bytes] : files)
        bytes = pf.readBytes("MyPlants" + path);
    return files;
}

void setModified(const QString& path, qint64 secondsSinceEpoch)
{
    const struct timespec times[2] = {{secondsSinceEpoch, 0}, {secondsSinceEpoch, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Pictures of the dialogs for the README, when asked for.
} // namespace

TEST(History, RemovedItemsComeBackByteForByte)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s, u"Cacti"_s}, {u"Roses/Tea=2"_s, u"Roses/Climbers=1"_s, u"Roses/Climbers/Banks=0"_s,
                                         u"Roses/Climbers/Rambler=0"_s});
    pf.write(u"MyPlants/Roses/groupimage.bmp"_s, QByteArray("BM") + QByteArray(500, 'r'));
    pf.write(u"MyPlants/Roses/Tea/description.rtf"_s, "{\\rtf1 Tea page\\par}");
    pf.write(u"MyPlants/Roses/Tea/p1.jpg"_s, QByteArray(4000, 'j'));
    pf.write(u"MyPlants/Roses/Tea/p1.jpg.txt"_s, "red");
    pf.write(u"MyPlants/Roses/Climbers/Banks/care.rtf"_s, "{\\rtf1 Banks care\\par}");
    pf.write(u"MyPlants/Cacti/groupimage.bmp"_s, QByteArray("BM") + QByteArray(300, 'c'));
    pf.write(u"MyPlants/Cacti/Opuntia/diary.rtf"_s, "{\\rtf1 spines\\par}");
    const QByteArray cyrillic = "\xD0\xEE\xE7\xFB"; // a group name in Windows-1251 bytes, from Windows
    pf.writeBytes("MyPlants/" + cyrillic + "/group.ini", "[Group]\r\nImageOrder=3\r\n");
    const auto before = filesOf(pf);
    const QString roses = pf.file(u"MyPlants/Roses"_s);

    RecordingSink sink;
    MessageTable messages;
    ASSERT_FALSE(plantops::removeNode(roses, u"Tea"_s).isEmpty());
    ASSERT_FALSE(plantops::removeNode(roses + u"/Climbers"_s, u"Banks"_s).isEmpty());
    ASSERT_FALSE(plantops::removeNode(roses, u"Climbers"_s).isEmpty());
    ASSERT_FALSE(groupops::removeGroup(pf.path(), u"Cacti"_s, messages, sink).isEmpty());
    ASSERT_FALSE(groupops::removeGroup(pf.path(), fsname::decodeName(cyrillic), messages, sink).isEmpty());
    // A second Tea, removed too, and a removed name without its number.
    pf.writeRecord(u"MyPlants/Roses/Tea/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    ASSERT_FALSE(plantops::removeNode(roses, u"Tea"_s).isEmpty());
    pf.writeRecord(u"MyPlants/Roses/!deleted_x/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    pf.mkdir(u"MyPlants/Roses/x"_s);

    const QList<removed::Item> items = removed::scan(pf.path());
    QStringList names;
    for (const removed::Item& it : items)
        names << it.name;
    names.sort();
    EXPECT_EQ(names, (QStringList{u"Banks"_s, u"Cacti"_s, u"Climbers"_s, u"Tea"_s, u"Tea"_s, u"x"_s,
                                  fsname::decodeName(cyrillic)}));
    Companion cli;
    const CliOutcome listed = cli({u"removed"_s, pf.path()});
    ASSERT_EQ(listed.code, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.out.count(u'\n'), 7);
    EXPECT_EQ(listed.out.split(u'\n').first().count(u'\t'), 2);

    // The older Tea comes back as Tea, the newer one onto the taken name as "Tea 1".
    std::vector<removed::Item> teas;
    for (const removed::Item& it : items)
        if (it.name == u"Tea")
            teas.push_back(it);
    // The older one has its page.
    if (!pf.exists(u"MyPlants/"_s + teas[0].relative + u"/description.rtf"_s))
        std::swap(teas[0], teas[1]);
    CliOutcome r = cli({u"restore"_s, pf.path(), teas[0].relative});
    EXPECT_EQ(r.out, u"Tea\n"_s) << r.err.toStdString();
    r = cli({u"restore"_s, pf.path(), teas[1].relative});
    EXPECT_EQ(r.out, u"Tea 1\n"_s);
    EXPECT_EQ(cli({u"restore"_s, pf.path(), u"Roses/!deleted_none_1"_s}).code, 1);
    for (const removed::Item& it : items) {
        if (it.name == u"Tea" || it.name == u"Climbers")
            continue; // Climbers comes back with Banks
        const removed::RestoreResult back = removed::restore(pf.path(), it);
        ASSERT_TRUE(back.ok) << it.relative.toStdString() << back.error.toStdString();
        if (it.name == u"x") {
            EXPECT_EQ(back.name, u"x 1"_s);
        }
        if (it.name == u"Banks") {
            EXPECT_EQ(back.parent, u"Climbers"_s);
            EXPECT_TRUE(it.parentRemoved);
        }
    }

    // Every file is back where it was, byte for byte; only the extra Tea and the x items are new.
    auto after = filesOf(pf);
    for (auto i = after.begin(); i != after.end();)
        i = i->first.startsWith("/Roses/Tea 1/") || i->first.startsWith("/Roses/x") ? after.erase(i)
                                                                                    : std::next(i);
    EXPECT_EQ(after, before);
}

TEST(History, PageVersionsAreBoundedRestoredAndTravel)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s, u"Cacti"_s}, {u"Roses/Tea=0"_s});
    pf.write(u"MyPlants/Roses/Tea/description.rtf"_s, "{\\rtf1 first\\par}");
    const QString page = pf.file(u"MyPlants/Roses/Tea/description.rtf"_s);
    QTextDocument doc;
    QByteArray previous;
    const qint64 base = 1'700'000'000;
    // 30 saves, each page written in a minute of its own.
    for (int i = 1; i <= 30; ++i) {
        setModified(page, base + i * 120);
        previous = readAll(page);
        doc.setPlainText(u"save %1"_s.arg(i));
        QString note;
        ASSERT_TRUE(pagefile::save(page, doc, false, {}, &note).ok());
        EXPECT_TRUE(note.isEmpty()) << note.toStdString();
    }
    QList<versions::Version> kept = versions::list(page);
    ASSERT_EQ(kept.size(), versions::kMaxVersions);
    EXPECT_EQ(readAll(kept[0].path), previous) << "the newest is the page before the current one";
    EXPECT_GT(kept[0].time, kept[1].time);
    // The same bytes again keep nothing; many saves within one minute keep its last content only.
    ASSERT_TRUE(pagefile::save(page, doc).ok());
    EXPECT_EQ(versions::list(page).first().id, kept[0].id);
    const qint64 minute = (base / 60 + 100) * 60;
    for (int i = 0; i < 200; ++i) {
        setModified(page, minute + i * 59 / 199);
        previous = readAll(page);
        doc.setPlainText(u"typing %1"_s.arg(i));
        ASSERT_TRUE(pagefile::save(page, doc).ok());
    }
    kept = versions::list(page);
    ASSERT_EQ(kept.size(), versions::kMaxVersions);
    EXPECT_EQ(readAll(kept[0].path), previous);
    EXPECT_NE(kept[1].id.left(13), kept[0].id.left(13)) << "one version a minute";

    // A restore of version 5 puts it back (that the page as it was becomes a version: the window's test).
    Companion cli;
    const QStringList node = {pf.path(), u"Roses"_s, u"Tea"_s, u"description"_s};
    const CliOutcome shown = cli(QStringList{u"page"_s} + node + QStringList{u"--version"_s, kept[4].id});
    ASSERT_EQ(shown.code, 0) << shown.err.toStdString();
    QTextDocument fifthDoc;
    ASSERT_TRUE(pagefile::load(kept[4].path, &fifthDoc).ok());
    EXPECT_EQ(shown.out.trimmed(), fifthDoc.toPlainText().trimmed());
    const QByteArray fifth = readAll(kept[4].path);
    const CliOutcome restored = cli(QStringList{u"restore-page"_s} + node + QStringList{kept[4].id});
    ASSERT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_EQ(readAll(page), fifth);
    kept = versions::list(page);
    const CliOutcome listed = cli(QStringList{u"history"_s} + node);
    EXPECT_EQ(listed.out.count(u'\n'), kept.size());
    EXPECT_TRUE(listed.out.startsWith(kept[0].id + u'\t'));

    // A damaged version is refused and changes nothing; an unknown id too.
    pf.write(u"MyPlants/Roses/Tea/!history/"_s + paths::fileNameOf(kept[2].path),
             QByteArray("\0\0\x89PNG", 6));
    EXPECT_FALSE(versions::restore(page, kept[2].id).ok());
    EXPECT_EQ(cli(QStringList{u"restore-page"_s} + node + QStringList{u"x"_s}).code, 1);
    EXPECT_EQ(readAll(page), fifth);

    // A moved plant takes its history with it.
    RecordingSink sink;
    FileCopier copier(pf.path(), sink);
    ASSERT_TRUE(
        plantops::moveNode(copier, pf.file(u"MyPlants/Roses/Tea"_s), pf.file(u"MyPlants/Cacti/Tea"_s)).moved);
    EXPECT_EQ(versions::list(pf.file(u"MyPlants/Cacti/Tea/description.rtf"_s)).size(), kept.size());

    // Where no version can be kept, the save still happens and says so.
    pf.write(u"MyPlants/Cacti/Aloe/!history"_s, "a file in the way");
    pf.write(u"MyPlants/Cacti/Aloe/care.rtf"_s, "{\\rtf1 old\\par}");
    QString note;
    ASSERT_TRUE(pagefile::save(pf.file(u"MyPlants/Cacti/Aloe/care.rtf"_s), doc, false, {}, &note).ok());
    EXPECT_FALSE(note.isEmpty());
    EXPECT_TRUE(pf.read(u"MyPlants/Cacti/Aloe/care.rtf"_s).contains("typing"));
    // A full disk met by the version alone: the page is saved all the same, without a version.
    const QString tea = pf.file(u"MyPlants/Cacti/Tea/description.rtf"_s);
    const qsizetype before = versions::list(tea).size();
    sysio::failEvery(sysio::Op::Write, 1, ENOSPC, true);
    doc.setPlainText(u"after a full disk"_s);
    note.clear();
    const IoStatus saved = pagefile::save(tea, doc, false, {}, &note);
    sysio::clearFaults();
    ASSERT_TRUE(saved.ok()) << saved.text.toStdString();
    EXPECT_FALSE(note.isEmpty());
    EXPECT_EQ(versions::list(tea).size(), before);
    EXPECT_TRUE(pf.read(u"MyPlants/Cacti/Tea/description.rtf"_s).contains("after a full disk"));

    // The page as it was before a restore stays in the history, however soon the page is typed on.
    setModified(tea, QDateTime::currentSecsSinceEpoch());
    const QByteArray beforeRestore = readAll(tea);
    ASSERT_TRUE(versions::restore(tea, versions::list(tea).at(3).id).ok());
    doc.setPlainText(u"typed after the restore"_s);
    ASSERT_TRUE(pagefile::save(tea, doc).ok());
    const QList<versions::Version> after = versions::list(tea);
    EXPECT_TRUE(std::any_of(after.begin(), after.end(),
                            [&](const versions::Version& v) { return readAll(v.path) == beforeRestore; }));
}

TEST(HistoryWindow, PageHistoryRemovedItemsAndTheTrash)
{
    TempProgramFolder pf;
    qputenv("XDG_DATA_HOME", QFile::encodeName(pf.file(u"xdg"_s)));
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s, u"Roses/Old rose=2"_s, u"Roses/Banksia=0"_s});
    pf.writeRecord(u"main.ini"_s, u"[Options]\nLastGroup=Roses\nLanguage=English\n"_s);
    pf.write(u"MyPlants/Roses/Tea/description.rtf"_s, "{\\rtf1 Tea as it was\\par}");
    const QByteArray jpeg = exifjpeg::plainJpeg(40, 30, Qt::red);
    pf.write(u"MyPlants/Roses/Tea/bloom.jpg"_s, jpeg);
    pf.write(u"MyPlants/Roses/Tea/leaf.jpg"_s, jpeg);
    pf.write(u"MyPlants/Roses/Old rose/description.rtf"_s, "{\\rtf1 Damask, very fragrant\\par}");
    pf.write(u"MyPlants/Roses/Banksia/description.rtf"_s, "{\\rtf1 Yellow climber\\par}");
    setModified(pf.file(u"MyPlants/Roses/Tea/description.rtf"_s), 1'700'000'000);
    // Removed earlier: a folder with its plant, and a whole group.
    pf.writeRecord(u"MyPlants/Roses/!deleted_Climbers_311/plant.ini"_s, u"[Main]\nCond=1\n"_s);
    pf.writeRecord(u"MyPlants/Roses/!deleted_Climbers_311/Rambler/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    pf.writeRecord(u"MyPlants/!deleted_Herbs_12/group.ini"_s, u"[Group]\nImageOrder=2\n"_s);
    pf.writeRecord(u"MyPlants/!deleted_Herbs_12/Basil/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    QApplication::setActiveWindow(&form);
    // Removed from the tree's menu, as the user does it.
    treeMenu(form, u"Old rose"_s, "N7");
    ASSERT_EQ(item(form.TreeView1, u"Old rose"_s), nullptr);
    clickNode(form, u"Tea"_s);
    form.Editor->selectAll();
    QTest::keyClicks(form.Editor, u"Oops"_s);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(pf.read(u"MyPlants/Roses/Tea/description.rtf"_s).contains("Oops"));

    // The editor's own menu offers it too.
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(20, 20),
                                form.Editor->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(form.Editor->viewport(), &menuEvent);
    auto* editorMenu = form.Editor->findChild<QMenu*>(u"PopupMenu2"_s);
    ASSERT_NE(editorMenu, nullptr);
    EXPECT_TRUE(editorMenu->actions().contains(form.findChild<QAction*>(u"PageHistoryItem"_s)));
    editorMenu->close();
    whenModal<PageHistoryDialog>([](PageHistoryDialog* d) {
        EXPECT_EQ(d->VersionList->topLevelItemCount(), 1);
        EXPECT_TRUE(d->VersionPreview->toPlainText().contains(u"Tea as it was"_s));
        shoot(d, "page-history.png");
        QTest::mouseClick(d->RestoreButton, Qt::LeftButton);
    });
    menuBarItem(form, "Edit1", "PageHistoryItem");
    EXPECT_EQ(form.Editor->toPlainText().trimmed(), u"Tea as it was"_s);
    EXPECT_EQ(versions::list(pf.file(u"MyPlants/Roses/Tea/description.rtf"_s)).size(), 2);

    whenModal<RemovedItemsDialog>([](RemovedItemsDialog* d) {
        ASSERT_EQ(d->RemovedList->topLevelItemCount(), 3);
        EXPECT_EQ(d->RemovedList->topLevelItem(0)->text(0), u"Old rose"_s);
        EXPECT_TRUE(d->DescriptionPreview->toPlainText().contains(u"Damask"_s));
        shoot(d, "removed-items.png");
        QTest::mouseClick(d->RestoreButton, Qt::LeftButton);
    });
    menuBarItem(form, "File1", "RemovedItemsItem");
    ASSERT_NE(form.TreeView1->currentItem(), nullptr);
    EXPECT_EQ(form.TreeView1->currentItem()->text(0), u"Old rose"_s);
    EXPECT_TRUE(form.Editor->toPlainText().contains(u"Damask"_s));

    // A photo deleted on the photo page goes to the trash with its comment.
    clickNode(form, u"Tea"_s);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    QTest::keyClicks(form.Panel6->Memo1, u"first bloom"_s);
    QTest::mouseClick(form.Panel6->Button8, Qt::LeftButton);
    EXPECT_EQ(sink.questions.back(), u"Remove photo?\n\nThe file bloom.jpg goes to the trash."_s);
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Tea/bloom.jpg"_s));
    EXPECT_EQ(pf.read(u"xdg/Trash/files/bloom.jpg"_s), jpeg);
    EXPECT_EQ(pf.read(u"xdg/Trash/files/bloom.jpg.txt"_s), "first bloom");
    const QByteArray info = pf.read(u"xdg/Trash/info/bloom.jpg.txt.trashinfo"_s);
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=/")) << info.constData();
    EXPECT_TRUE(info.contains("/MyPlants/Roses/Tea/bloom.jpg.txt\nDeletionDate=")) << info.constData();

    // Where no trash can take a photo, the question says so, and Yes deletes it for good.
    qputenv("XDG_DATA_HOME", QFile::encodeName(pf.file(u"xdg2"_s)));
    pf.write(u"xdg2/Trash"_s, "not a trash folder");
    QTest::mouseClick(form.Panel6->Button8, Qt::LeftButton);
    EXPECT_TRUE(sink.questions.back().contains(u"deleted permanently"_s));
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Tea/leaf.jpg"_s));
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Tea/leaf.jpg.txt"_s));
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u'\n').toStdString();
}

// Names no code page can show: a group is still remembered, and a document outside the collection with
// an 8-bit name given as an argument is still reached.
TEST(ByteNames, RememberedGroupAndDocumentArgument)
{
    TempProgramFolder pf;
    pf.writeRecord(u"MyPlants/Roses/group.ini"_s, u"[Group]\nImageOrder=1\n"_s);
    pf.writeBytes("MyPlants/Gr\x98up/group.ini", "[Group]\r\nImageOrder=2\r\n");
    pf.writeBytes("MyPlants/Gr\x98up/Aloe/plant.ini", "[Main]\r\nCond=0\r\n");
    pf.writeBytes("\xE7\xE0\xEC\xE5\xF2\xEA\xE0.txt", "a note from elsewhere");
    const QString shown = fsname::decodeName("Gr\x98up");
    RecordingSink sink;
    {
        ShownForm form(pf.path(), &sink);
        QTest::mouseClick(form.Frame11->picture(2), Qt::LeftButton);
        ASSERT_EQ(form.currentGroupName, shown);
        form.close();
    }
    ShownForm form(pf.path(), &sink, {fsname::decodePath(pf.native("\xE7\xE0\xEC\xE5\xF2\xEA\xE0.txt"))});
    EXPECT_EQ(form.currentGroupName, shown);
    EXPECT_EQ(form.Editor->toPlainText(), u"a note from elsewhere"_s);
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u'\n').toStdString();
}
