#include "../support/companion.h"
#include "../support/tempprogramfolder.h"
#include "../support/treeitems.h"
#include "../support/windowevents.h"
#include "app/mainform.h"
#include "editor/editor.h"
#include "editor/pagefile.h"
#include "groups/groupops.h"
#include "history/pagehistorydialog.h"
#include "history/removed.h"
#include "history/removeditemsdialog.h"
#include "history/versions.h"
#include "photos/photopanel.h"
#include "platform/fsname.h"
#include "platform/jpegcodec.h"
#include "platform/paths.h"
#include "platform/sysio.h"
#include "store/copyfolder.h"
#include "tree/plantops.h"

#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>

namespace {

// Every file under a folder, by its path in bytes, with its bytes.
void snapshot(const QByteArray& root, const QByteArray& relative, std::map<QByteArray, QByteArray>* out)
{
    DIR* d = ::opendir(QByteArray(root + relative).constData());
    ASSERT_NE(d, nullptr) << root.constData() << relative.constData();
    while (dirent* e = ::readdir(d)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
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

// A click on a menu of the menu bar, then on its item.
void clickMenuItem(TMainForm& form, const char* menuName, const char* itemName)
{
    auto* menu = form.menuBar()->findChild<QMenu*>(QString::fromLatin1(menuName));
    ASSERT_NE(menu, nullptr);
    QTest::mouseClick(form.menuBar(), Qt::LeftButton, {},
                      form.menuBar()->actionGeometry(menu->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    QAction* a = menu->findChild<QAction*>(QString::fromLatin1(itemName));
    if (!a)
        for (QAction* c : menu->actions())
            if (c->objectName() == QLatin1String(itemName))
                a = c;
    ASSERT_NE(a, nullptr) << itemName;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
}

// Pictures of the dialogs for the README, when asked for.
void shoot(QWidget* w, const char* name)
{
    const QByteArray dir = qgetenv("VERDARIUM_SHOTS");
    if (!dir.isEmpty()) {
        QTest::qWait(200);
        w->grab().save(QFile::decodeName(dir) + u'/' + QLatin1String(name));
    }
}

} // namespace

TEST(History, RemovedItemsComeBackByteForByte)
{
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"),
                   QStringLiteral("[Group]\nImageOrder=1\nImageIndex=100\n"));
    pf.write(QStringLiteral("MyPlants/Roses/groupimage.bmp"), QByteArray("BM") + QByteArray(500, 'r'));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Tea/plant.ini"), QStringLiteral("[Main]\nCond=2\n"));
    pf.write(QStringLiteral("MyPlants/Roses/Tea/description.rtf"), "{\\rtf1 Tea page\\par}");
    pf.write(QStringLiteral("MyPlants/Roses/Tea/p1.jpg"), QByteArray(4000, 'j'));
    pf.write(QStringLiteral("MyPlants/Roses/Tea/p1.jpg.txt"), "red");
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Climbers/plant.ini"), QStringLiteral("[Main]\nCond=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Climbers/Banks/plant.ini"),
                   QStringLiteral("[Main]\nCond=0\n"));
    pf.write(QStringLiteral("MyPlants/Roses/Climbers/Banks/care.rtf"), "{\\rtf1 Banks care\\par}");
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Climbers/Rambler/plant.ini"),
                   QStringLiteral("[Main]\nCond=0\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Cacti/group.ini"), QStringLiteral("[Group]\nImageOrder=2\n"));
    pf.write(QStringLiteral("MyPlants/Cacti/groupimage.bmp"), QByteArray("BM") + QByteArray(300, 'c'));
    pf.write(QStringLiteral("MyPlants/Cacti/Opuntia/diary.rtf"), "{\\rtf1 spines\\par}");
    const QByteArray cyrillic = "\xD0\xEE\xE7\xFB"; // a group name in Windows-1251 bytes, from Windows
    pf.writeBytes("MyPlants/" + cyrillic + "/group.ini", "[Group]\r\nImageOrder=3\r\n");
    const auto before = filesOf(pf);
    const QString roses = pf.file(QStringLiteral("MyPlants/Roses"));

    RecordingSink sink;
    MessageTable messages;
    ASSERT_FALSE(plantops::removeNode(roses, QStringLiteral("Tea")).isEmpty());
    ASSERT_FALSE(
        plantops::removeNode(roses + QStringLiteral("/Climbers"), QStringLiteral("Banks")).isEmpty());
    ASSERT_FALSE(plantops::removeNode(roses, QStringLiteral("Climbers")).isEmpty());
    ASSERT_FALSE(groupops::removeGroup(pf.path(), QStringLiteral("Cacti"), messages, sink).isEmpty());
    ASSERT_FALSE(groupops::removeGroup(pf.path(), fsname::decodeName(cyrillic), messages, sink).isEmpty());
    // The removed group keeps its bytes on disk.
    const QList<QByteArray> top = pf.listBytes("MyPlants");
    EXPECT_TRUE(std::any_of(top.begin(), top.end(), [&](const QByteArray& n) {
        return n.startsWith(QByteArray("!deleted_" + cyrillic + '_'));
    }));
    // A second Tea, removed too, and a removed name without its number.
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Tea/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    ASSERT_FALSE(plantops::removeNode(roses, QStringLiteral("Tea")).isEmpty());
    pf.writeRecord(QStringLiteral("MyPlants/Roses/!deleted_x/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.mkdir(QStringLiteral("MyPlants/Roses/x"));

    const QList<removed::Item> items = removed::scan(pf.path());
    QStringList names;
    for (const removed::Item& it : items)
        names << it.name;
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Banks"), QStringLiteral("Cacti"),
                                  QStringLiteral("Climbers"), QStringLiteral("Tea"), QStringLiteral("Tea"),
                                  QStringLiteral("x"), fsname::decodeName(cyrillic)}));
    Companion cli;
    const CliOutcome listed = cli({QStringLiteral("removed"), pf.path()});
    ASSERT_EQ(listed.code, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.out.count(u'\n'), 7);
    EXPECT_EQ(listed.out.split(u'\n').first().count(u'\t'), 2);

    // The older Tea comes back as Tea, the newer one onto the taken name as "Tea 1".
    std::vector<removed::Item> teas;
    for (const removed::Item& it : items)
        if (it.name == u"Tea")
            teas.push_back(it);
    // The older one has its page.
    if (!pf.exists(QStringLiteral("MyPlants/") + teas[0].relative + QStringLiteral("/description.rtf")))
        std::swap(teas[0], teas[1]);
    CliOutcome r = cli({QStringLiteral("restore"), pf.path(), teas[0].relative});
    EXPECT_EQ(r.out, QStringLiteral("Tea\n")) << r.err.toStdString();
    r = cli({QStringLiteral("restore"), pf.path(), teas[1].relative});
    EXPECT_EQ(r.out, QStringLiteral("Tea 1\n"));
    EXPECT_EQ(cli({QStringLiteral("restore"), pf.path(), QStringLiteral("Roses/!deleted_none_1")}).code, 1);
    for (const removed::Item& it : items) {
        if (it.name == u"Tea" || it.name == u"Climbers")
            continue; // Climbers comes back with Banks
        const removed::RestoreResult back = removed::restore(pf.path(), it);
        ASSERT_TRUE(back.ok) << it.relative.toStdString() << back.error.toStdString();
        if (it.name == u"x") {
            EXPECT_EQ(back.name, QStringLiteral("x 1"));
        }
        if (it.name == u"Banks") {
            EXPECT_EQ(back.parent, QStringLiteral("Climbers"));
            EXPECT_TRUE(it.parentRemoved);
        }
    }
    EXPECT_TRUE(removed::scan(pf.path()).isEmpty());

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
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Cacti/group.ini"), QStringLiteral("[Group]\nImageOrder=2\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Tea/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.write(QStringLiteral("MyPlants/Roses/Tea/description.rtf"), "{\\rtf1 first\\par}");
    const QString page = pf.file(QStringLiteral("MyPlants/Roses/Tea/description.rtf"));
    QTextDocument doc;
    QByteArray previous;
    const qint64 base = 1'700'000'000;
    // 30 saves, each page written in a minute of its own.
    for (int i = 1; i <= 30; ++i) {
        setModified(page, base + i * 120);
        previous = readAll(page);
        doc.setPlainText(QStringLiteral("save %1").arg(i));
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
        doc.setPlainText(QStringLiteral("typing %1").arg(i));
        ASSERT_TRUE(pagefile::save(page, doc).ok());
    }
    kept = versions::list(page);
    ASSERT_EQ(kept.size(), versions::kMaxVersions);
    EXPECT_EQ(readAll(kept[0].path), previous);
    EXPECT_NE(kept[1].id.left(13), kept[0].id.left(13)) << "one version a minute";

    // A restore of version 5 puts it back, and the page as it was becomes a version.
    const QByteArray current = readAll(page);
    Companion cli;
    const QStringList node = {pf.path(), QStringLiteral("Roses"), QStringLiteral("Tea"),
                              QStringLiteral("description")};
    const CliOutcome shown = cli(QStringList{QStringLiteral("page")} + node +
                                 QStringList{QStringLiteral("--version"), kept[4].id});
    ASSERT_EQ(shown.code, 0) << shown.err.toStdString();
    QTextDocument fifthDoc;
    ASSERT_TRUE(pagefile::load(kept[4].path, &fifthDoc).ok());
    EXPECT_EQ(shown.out.trimmed(), fifthDoc.toPlainText().trimmed());
    const QByteArray fifth = readAll(kept[4].path);
    const CliOutcome restored =
        cli(QStringList{QStringLiteral("restore-page")} + node + QStringList{kept[4].id});
    ASSERT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_EQ(readAll(page), fifth);
    kept = versions::list(page);
    EXPECT_EQ(readAll(kept[0].path), current);
    const CliOutcome listed = cli(QStringList{QStringLiteral("history")} + node);
    EXPECT_EQ(listed.out.count(u'\n'), kept.size());
    EXPECT_TRUE(listed.out.startsWith(kept[0].id + u'\t'));

    // A damaged version is refused and changes nothing; an unknown id too.
    pf.write(QStringLiteral("MyPlants/Roses/Tea/!history/") + paths::fileNameOf(kept[2].path),
             QByteArray("\0\0\x89PNG", 6));
    EXPECT_FALSE(versions::restore(page, kept[2].id).ok());
    EXPECT_EQ(cli(QStringList{QStringLiteral("restore-page")} + node + QStringList{QStringLiteral("x")}).code,
              1);
    EXPECT_EQ(readAll(page), fifth);

    // A moved plant takes its history with it.
    RecordingSink sink;
    FileCopier copier(pf.path(), sink);
    ASSERT_TRUE(plantops::moveNode(copier, pf.file(QStringLiteral("MyPlants/Roses/Tea")),
                                   pf.file(QStringLiteral("MyPlants/Cacti/Tea")))
                    .moved);
    EXPECT_EQ(versions::list(pf.file(QStringLiteral("MyPlants/Cacti/Tea/description.rtf"))).size(),
              kept.size());

    // Where no version can be kept, the save still happens and says so.
    pf.write(QStringLiteral("MyPlants/Cacti/Aloe/!history"), "a file in the way");
    pf.write(QStringLiteral("MyPlants/Cacti/Aloe/care.rtf"), "{\\rtf1 old\\par}");
    QString note;
    ASSERT_TRUE(
        pagefile::save(pf.file(QStringLiteral("MyPlants/Cacti/Aloe/care.rtf")), doc, false, {}, &note).ok());
    EXPECT_FALSE(note.isEmpty());
    EXPECT_TRUE(pf.read(QStringLiteral("MyPlants/Cacti/Aloe/care.rtf")).contains("typing"));
    // A full disk met by the version alone: the page is saved all the same, without a version.
    const QString tea = pf.file(QStringLiteral("MyPlants/Cacti/Tea/description.rtf"));
    const qsizetype before = versions::list(tea).size();
    sysio::failEvery(sysio::Op::Write, 1, ENOSPC, true);
    doc.setPlainText(QStringLiteral("after a full disk"));
    note.clear();
    const IoStatus saved = pagefile::save(tea, doc, false, {}, &note);
    sysio::clearFaults();
    ASSERT_TRUE(saved.ok()) << saved.text.toStdString();
    EXPECT_FALSE(note.isEmpty());
    EXPECT_EQ(versions::list(tea).size(), before);
    EXPECT_TRUE(pf.read(QStringLiteral("MyPlants/Cacti/Tea/description.rtf")).contains("after a full disk"));
}

TEST(HistoryWindow, PageHistoryRemovedItemsAndTheTrash)
{
    TempProgramFolder pf;
    qputenv("XDG_DATA_HOME", QFile::encodeName(pf.file(QStringLiteral("xdg"))));
    pf.writeRecord(QStringLiteral("main.ini"),
                   QStringLiteral("[Options]\nLastGroup=Roses\nLanguage=English\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Tea/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.write(QStringLiteral("MyPlants/Roses/Tea/description.rtf"), "{\\rtf1 Tea as it was\\par}");
    QImage bloom(40, 30, QImage::Format_RGB888);
    bloom.fill(Qt::red);
    const QByteArray jpeg = jpegcodec::encode(bloom, 90);
    pf.write(QStringLiteral("MyPlants/Roses/Tea/bloom.jpg"), jpeg);
    pf.write(QStringLiteral("MyPlants/Roses/Tea/leaf.jpg"), jpeg);
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Old rose/plant.ini"), QStringLiteral("[Main]\nCond=2\n"));
    pf.write(QStringLiteral("MyPlants/Roses/Old rose/description.rtf"),
             "{\\rtf1 Damask, very fragrant\\par}");
    pf.write(QStringLiteral("MyPlants/Roses/Banksia/description.rtf"), "{\\rtf1 Yellow climber\\par}");
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Banksia/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    setModified(pf.file(QStringLiteral("MyPlants/Roses/Tea/description.rtf")), 1'700'000'000);
    // Removed earlier: a folder with its plant, and a whole group.
    pf.writeRecord(QStringLiteral("MyPlants/Roses/!deleted_Climbers_311/plant.ini"),
                   QStringLiteral("[Main]\nCond=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/!deleted_Climbers_311/Rambler/plant.ini"),
                   QStringLiteral("[Main]\nCond=0\n"));
    pf.writeRecord(QStringLiteral("MyPlants/!deleted_Herbs_12/group.ini"),
                   QStringLiteral("[Group]\nImageOrder=2\n"));
    pf.writeRecord(QStringLiteral("MyPlants/!deleted_Herbs_12/Basil/plant.ini"),
                   QStringLiteral("[Main]\nCond=0\n"));
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::setActiveWindow(&form);
    // Removed from the tree's menu, as the user does it.
    treeMenu(form, QStringLiteral("Old rose"), "N7");
    ASSERT_EQ(item(form.TreeView1, QStringLiteral("Old rose")), nullptr);
    clickNode(form, QStringLiteral("Tea"));
    form.Editor->selectAll();
    QTest::keyClicks(form.Editor, QStringLiteral("Oops"));
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(pf.read(QStringLiteral("MyPlants/Roses/Tea/description.rtf")).contains("Oops"));

    // The editor's own menu offers it too.
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(20, 20),
                                form.Editor->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(form.Editor->viewport(), &menuEvent);
    auto* editorMenu = form.Editor->findChild<QMenu*>(QStringLiteral("PopupMenu2"));
    ASSERT_NE(editorMenu, nullptr);
    EXPECT_TRUE(editorMenu->actions().contains(form.findChild<QAction*>(QStringLiteral("PageHistoryItem"))));
    editorMenu->close();
    whenModal<PageHistoryDialog>([](PageHistoryDialog* d) {
        EXPECT_EQ(d->VersionList->topLevelItemCount(), 1);
        EXPECT_TRUE(d->VersionPreview->toPlainText().contains(QStringLiteral("Tea as it was")));
        shoot(d, "page-history.png");
        QTest::mouseClick(d->RestoreButton, Qt::LeftButton);
    });
    clickMenuItem(form, "Edit1", "PageHistoryItem");
    EXPECT_EQ(form.Editor->toPlainText().trimmed(), QStringLiteral("Tea as it was"));
    EXPECT_EQ(versions::list(pf.file(QStringLiteral("MyPlants/Roses/Tea/description.rtf"))).size(), 2);

    whenModal<RemovedItemsDialog>([](RemovedItemsDialog* d) {
        ASSERT_EQ(d->RemovedList->topLevelItemCount(), 3);
        EXPECT_EQ(d->RemovedList->topLevelItem(0)->text(0), QStringLiteral("Old rose"));
        EXPECT_TRUE(d->DescriptionPreview->toPlainText().contains(QStringLiteral("Damask")));
        shoot(d, "removed-items.png");
        QTest::mouseClick(d->RestoreButton, Qt::LeftButton);
    });
    clickMenuItem(form, "File1", "RemovedItemsItem");
    ASSERT_NE(form.TreeView1->currentItem(), nullptr);
    EXPECT_EQ(form.TreeView1->currentItem()->text(0), QStringLiteral("Old rose"));
    EXPECT_TRUE(form.Editor->toPlainText().contains(QStringLiteral("Damask")));

    // A photo deleted on the photo page goes to the trash with its comment.
    clickNode(form, QStringLiteral("Tea"));
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    QTest::keyClicks(form.Panel6->Memo1, QStringLiteral("first bloom"));
    QTest::mouseClick(form.Panel6->Button8, Qt::LeftButton);
    EXPECT_EQ(sink.questions.back(), QStringLiteral("Remove photo?"));
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/Tea/bloom.jpg")));
    EXPECT_EQ(pf.read(QStringLiteral("xdg/Trash/files/bloom.jpg")), jpeg);
    EXPECT_EQ(pf.read(QStringLiteral("xdg/Trash/files/bloom.jpg.txt")), "first bloom");
    const QByteArray info = pf.read(QStringLiteral("xdg/Trash/info/bloom.jpg.txt.trashinfo"));
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=/")) << info.constData();
    EXPECT_TRUE(info.contains("/MyPlants/Roses/Tea/bloom.jpg.txt\nDeletionDate=")) << info.constData();

    // Where no trash can take a photo, the question says so, and Yes deletes it for good.
    qputenv("XDG_DATA_HOME", QFile::encodeName(pf.file(QStringLiteral("xdg2"))));
    pf.write(QStringLiteral("xdg2/Trash"), "not a trash folder");
    QTest::mouseClick(form.Panel6->Button8, Qt::LeftButton);
    EXPECT_TRUE(sink.questions.back().contains(QStringLiteral("deleted permanently")));
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/Tea/leaf.jpg")));
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/Tea/leaf.jpg.txt")));
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u'\n').toStdString();
}

// Names no code page can show: a group is still remembered, and a document outside the collection with
// an 8-bit name given as an argument is still reached.
TEST(ByteNames, RememberedGroupAndDocumentArgument)
{
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
    pf.writeBytes("MyPlants/Gr\x98up/group.ini", "[Group]\r\nImageOrder=2\r\n");
    pf.writeBytes("MyPlants/Gr\x98up/Aloe/plant.ini", "[Main]\r\nCond=0\r\n");
    pf.writeBytes("\xE7\xE0\xEC\xE5\xF2\xEA\xE0.txt", "a note from elsewhere");
    const QString shown = fsname::decodeName("Gr\x98up");
    RecordingSink sink;
    {
        TMainForm form(pf.path(), {}, &sink);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.Frame11->picture(2), Qt::LeftButton);
        ASSERT_EQ(form.currentGroupName, shown);
        form.close();
    }
    TMainForm form(pf.path(), {fsname::decodePath(pf.native("\xE7\xE0\xEC\xE5\xF2\xEA\xE0.txt"))}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.currentGroupName, shown);
    EXPECT_EQ(form.Editor->toPlainText(), QStringLiteral("a note from elsewhere"));
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u'\n').toStdString();
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QApplication a(argc, argv);
    return RUN_ALL_TESTS();
}
