#include "../support/companion.h"
#include "../support/tempprogramfolder.h"
#include "app/mainform.h"
#include "cli/cli.h"
#include "platform/jpegcodec.h"
#include "platform/singleinstance.h"
#include "store/inifile.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Every file below folder with its bytes, by relative path.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        const QString key = QDir(folder).relativeFilePath(path);
        files.insert(key, it.fileInfo().isDir()
                              ? QByteArray("<dir>")
                              : (f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>")));
    }
    return files;
}

void layOut(const TempProgramFolder& pf)
{
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Cacti/group.ini"), QStringLiteral("[Group]\nImageOrder=2\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Shrubs/plant.ini"), QStringLiteral("[Main]\nCond=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Shrubs/Rugosa/plant.ini"),
                   QStringLiteral("[Main]\nCond=2\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Tea/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.write(QStringLiteral("MyPlants/Roses/Tea/description.rtf"), "{\\rtf1 Tea page\\par}");
    pf.write(QStringLiteral("MyPlants/!Shablon_all/description.rtf"), "{\\rtf1 Collection template\\par}");
    pf.writeRecord(QStringLiteral("main.ini"), QStringLiteral("[Options]\nLastGroup=Roses\n"));
}

QByteArray smallJpeg()
{
    QImage img(40, 30, QImage::Format_RGB888);
    img.fill(qRgb(20, 160, 40));
    return jpegcodec::encode(img, 85);
}

} // namespace

TEST(CliWrite, EveryCommandChangesTheCollectionAndRefusesBadInput)
{
    TempProgramFolder pf;
    layOut(pf);
    Companion cli;
    const QString p = pf.path();

    // add: a plant gets pages from the templates and a record; a folder is only a folder.
    EXPECT_EQ(cli({s("add"), p, s("Roses"), s("Alba  ")}).code, 0);
    EXPECT_EQ(pf.read(s("MyPlants/Roses/Alba/description.rtf")), "{\\rtf1 Collection template\\par}");
    EXPECT_EQ(IniFile(pf.file(s("MyPlants/Roses/Alba/plant.ini"))).readInteger(u"Main", u"Cond", -1), 0);
    EXPECT_EQ(cli({s("add"), p, s("Roses"), s("Pots"), s("--folder")}).code, 0);
    EXPECT_TRUE(QDir(pf.file(s("MyPlants/Roses/Pots"))).isEmpty());
    EXPECT_EQ(cli({s("add"), p, s("Roses"), s("Shrubs/Канина")}).code, 0);
    EXPECT_TRUE(pf.exists(s("MyPlants/Roses/Shrubs/Канина/care.rtf")));
    // Names the tree has anywhere, reserved or unholdable names, deep or missing places.
    for (const QStringList& bad :
         {QStringList{s("Roses"), s("Rugosa")}, QStringList{s("Roses"), s("!Hidden")},
          QStringList{s("Roses"), s("a:b")}, QStringList{s("Roses"), s("Shrubs/x/y")},
          QStringList{s("Roses"), s("Nowhere/x")}, QStringList{s("Tulips"), s("x")},
          QStringList{s("Roses"), s("名前")}}) {
        const auto before = snapshot(pf.file(s("MyPlants")));
        const CliOutcome r = cli(QStringList{s("add"), p} << bad);
        EXPECT_EQ(r.code, 1) << bad.join(u' ').toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
        EXPECT_EQ(snapshot(pf.file(s("MyPlants"))), before) << bad.join(u' ').toStdString();
    }

    // rename prints the name it got; mark writes the record; marks on folders are refused.
    CliOutcome r = cli({s("rename"), p, s("Roses"), s("Alba"), s("Rugosa")});
    EXPECT_EQ(r.out, s("Rugosa\n")) << "a name taken in another folder is fine at the top";
    r = cli({s("rename"), p, s("Roses"), s("Shrubs/Канина"), s("Rugosa")});
    EXPECT_EQ(r.out, s("Rugosa 1\n"));
    EXPECT_EQ(cli({s("rename"), p, s("Roses"), s("Tea"), s("!x")}).code, 1);
    EXPECT_EQ(cli({s("mark"), p, s("Roses"), s("Tea"), s("treat")}).code, 0);
    EXPECT_EQ(pf.read(s("MyPlants/Roses/Tea/plant.ini")),
              QByteArray("[Main]\r\nCond=5\r\nExpanded=0\r\n\r\n"));
    EXPECT_EQ(cli({s("mark"), p, s("Roses"), s("Shrubs"), s("ideal")}).code, 1);
    EXPECT_EQ(cli({s("mark"), p, s("Roses"), s("Tea"), s("dead")}).code, 2);

    // add-photo copies the photo and its comment; a second copy, junk and folders are refused.
    pf.write(s("in/flower.jpg"), smallJpeg());
    pf.write(s("in/junk.jpg"), QByteArray(5000, 'j'));
    pf.mkdir(s("in/dir.jpg"));
    EXPECT_EQ(
        cli({s("add-photo"), p, s("Roses"), s("Tea"), pf.file(s("in/flower.jpg")), s("Первый цветок")}).code,
        0);
    EXPECT_EQ(pf.read(s("MyPlants/Roses/Tea/flower.jpg")), smallJpeg());
    EXPECT_EQ(pf.read(s("MyPlants/Roses/Tea/flower.jpg.txt")),
              "\xcf\xe5\xf0\xe2\xfb\xe9 \xf6\xe2\xe5\xf2\xee\xea");
    for (const char* bad : {"in/flower.jpg", "in/junk.jpg", "in/dir.jpg", "in/none.jpg"})
        EXPECT_EQ(cli({s("add-photo"), p, s("Roses"), s("Tea"), pf.file(s(bad))}).code, 1) << bad;
    EXPECT_FALSE(pf.exists(s("MyPlants/Roses/Tea/junk.jpg")));

    // move: into a folder, to another group; a folder into a folder is refused.
    EXPECT_EQ(cli({s("move"), p, s("Roses"), s("Rugosa"), s("Roses/Pots")}).code, 0);
    EXPECT_TRUE(pf.exists(s("MyPlants/Roses/Pots/Rugosa/plant.ini")));
    EXPECT_EQ(cli({s("move"), p, s("Roses"), s("Tea"), s("Cacti")}).code, 0);
    EXPECT_EQ(pf.read(s("MyPlants/Cacti/Tea/flower.jpg")), smallJpeg());
    EXPECT_FALSE(pf.exists(s("MyPlants/Roses/Tea")));
    EXPECT_EQ(cli({s("move"), p, s("Roses"), s("Pots"), s("Roses/Shrubs")}).code, 1);
    EXPECT_EQ(cli({s("move"), p, s("Cacti"), s("Tea"), s("Cacti")}).code, 1);

    // remove prints the removed name; a folder with plants stays.
    EXPECT_EQ(cli({s("remove"), p, s("Roses"), s("Shrubs")}).code, 1);
    r = cli({s("remove"), p, s("Cacti"), s("Tea")});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith(s("!deleted_Tea_")));
    EXPECT_TRUE(pf.exists(s("MyPlants/Cacti/") + r.out.trimmed() + s("/flower.jpg")));

    // add-group writes the record the group editor writes.
    EXPECT_EQ(
        cli({s("add-group"), p, s("Orchids"), s("--color"), s("13434828"), s("--picture"), s("17")}).code, 0);
    EXPECT_EQ(pf.read(s("MyPlants/Orchids/group.ini")),
              QByteArray("[Group]\r\nColor=13434828\r\nImageIndex=17\r\n\r\n"));
    EXPECT_EQ(cli({s("add-group"), p, s("Orchids")}).code, 1);
    EXPECT_EQ(cli({s("add-group"), p, s("!Orchids")}).code, 1);
    EXPECT_EQ(cli({s("add-group"), p, s("X"), s("--picture"), s("25")}).code, 2);

    // The notes group is reached by its folder name; its notes start empty.
    pf.writeRecord(s("MyPlants/!Notes/group.ini"), s("[Group]\nColor=10484657\n"));
    EXPECT_EQ(cli({s("add"), p, s("!Notes"), s("Shopping")}).code, 0);
    EXPECT_EQ(pf.read(s("MyPlants/!Notes/Shopping/description.rtf")), QByteArray());
    EXPECT_EQ(cli({s("tree"), p, s("!Notes")}).out, s("Shopping\n"));
    EXPECT_EQ(cli({s("add-group")}).code, 2);
}

TEST(CliWrite, PagesGoInAndOutInEveryFormat)
{
    TempProgramFolder pf;
    layOut(pf);
    Companion cli;
    const QString p = pf.path();
    // Markdown with two levels of bullet and numbered lists comes out with the markers.
    pf.write(s("in/care.md"), "Water\n\n1. Spring\n   - twice a week\n   - in the morning\n2. Winter\n\n"
                              "- soil\n- pot\n");
    ASSERT_EQ(cli({s("import-page"), p, s("Roses"), s("Tea"), s("care"), pf.file(s("in/care.md"))}).code, 0);
    CliOutcome r = cli({s("page"), p, s("Roses"), s("Tea"), s("care")});
    EXPECT_EQ(r.out,
              s("Water\n1. Spring\n    • twice a week\n    • in the morning\n2. Winter\n• soil\n• pot\n"))
        << r.out.toStdString();
    // What --format rtf prints, imported again, leaves the page byte for byte as it was.
    const QByteArray page = pf.read(s("MyPlants/Roses/Tea/care.rtf"));
    r = cli({s("page"), p, s("Roses"), s("Tea"), s("care"), s("--format"), s("rtf")});
    EXPECT_EQ(r.out.toLatin1(), page);
    pf.write(s("in/back.rtf"), r.out.toLatin1());
    ASSERT_EQ(cli({s("import-page"), p, s("Roses"), s("Tea"), s("care"), pf.file(s("in/back.rtf"))}).code, 0);
    EXPECT_EQ(pf.read(s("MyPlants/Roses/Tea/care.rtf")), page);
    r = cli({s("page"), p, s("Roses"), s("Tea"), s("care"), s("--format"), s("html")});
    EXPECT_TRUE(r.out.contains(s("<li"))) << r.out.toStdString();

    // Plain text in UTF-8 and in Windows-1251, HTML by its name.
    pf.write(s("in/utf8.txt"), s("Полив раз в неделю").toUtf8());
    pf.write(s("in/cp1251.txt"), "\xcf\xee\xeb\xe8\xe2");
    pf.write(s("in/page.htm"), "<p>Some <b>bold</b> text</p>");
    const std::pair<const char*, const char*> texts[] = {{"in/utf8.txt", "Полив раз в неделю\n"},
                                                         {"in/cp1251.txt", "Полив\n"},
                                                         {"in/page.htm", "Some bold text\n"}};
    for (const auto& [file, text] : texts) {
        ASSERT_EQ(cli({s("import-page"), p, s("Roses"), s("Tea"), s("diary"), pf.file(s(file))}).code, 0)
            << file;
        EXPECT_EQ(cli({s("page"), p, s("Roses"), s("Tea"), s("diary")}).out, s(text)) << file;
    }
    // Junk, folders and missing files change nothing.
    const QByteArray diary = pf.read(s("MyPlants/Roses/Tea/diary.rtf"));
    pf.write(s("in/photo.txt"), smallJpeg());
    pf.mkdir(s("in/dir.rtf"));
    for (const char* bad : {"in/photo.txt", "in/dir.rtf", "in/none.md"}) {
        r = cli({s("import-page"), p, s("Roses"), s("Tea"), s("diary"), pf.file(s(bad))});
        EXPECT_EQ(r.code, 1) << bad;
        EXPECT_TRUE(r.err.endsWith(s("the page stays as it was\n"))) << r.err.toStdString();
    }
    EXPECT_EQ(pf.read(s("MyPlants/Roses/Tea/diary.rtf")), diary);
    EXPECT_EQ(cli({s("import-page"), p, s("Roses"), s("Tea"), s("notes"), pf.file(s("in/utf8.txt"))}).code,
              2);
}

TEST(CliWrite, TheCommandWritesWhatTheWindowWrites)
{
    TempProgramFolder byWindow, byCommand;
    layOut(byWindow);
    layOut(byCommand);
    {
        RecordingSink sink;
        TMainForm form(byWindow.path(), {}, &sink);
        QStringList answers{s("Pots"), s("Aloe  "), s("Echeveria")};
        form.askName = [&](const QString&, const QString&) { return answers.takeFirst(); };
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QTreeWidget* tree = form.TreeView1;
        auto menuItem = [&](const char* name) {
            return form.PopupMenu1->findChild<QAction*>(QString::fromLatin1(name));
        };
        const QPoint empty(5, tree->viewport()->height() - 5);
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, empty);
        menuItem("N15")->trigger(); // Add folder "Pots"
        form.PopupMenu1->hide();
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, empty);
        menuItem("N1")->trigger(); // Add plant "Aloe" at the top
        form.PopupMenu1->hide();
        auto rightClick = [&](const char* name) {
            QTreeWidgetItem* node = tree->findItems(s(name), Qt::MatchExactly)[0];
            QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(node).center());
        };
        rightClick("Pots");
        menuItem("N1")->trigger(); // Add plant "Echeveria" into Pots
        form.PopupMenu1->hide();
        rightClick("Aloe");
        form.PopupMenu1->findChild<QAction*>(s("N14"))->trigger(); // To treat
        form.PopupMenu1->hide();
        form.close();
    }
    Companion cli;
    const QString p = byCommand.path();
    EXPECT_EQ(cli({s("add"), p, s("Roses"), s("Pots"), s("--folder")}).code, 0);
    EXPECT_EQ(cli({s("add"), p, s("Roses"), s("Aloe  ")}).code, 0);
    EXPECT_EQ(cli({s("add"), p, s("Roses"), s("Pots/Echeveria")}).code, 0);
    EXPECT_EQ(cli({s("mark"), p, s("Roses"), s("Aloe"), s("treat")}).code, 0);
    // The window also selects the folders it shows first or opens the menu on, which makes their
    // records and pages, and its bar build writes the group's record: compare the rest.
    auto windowSide = snapshot(byWindow.file(s("MyPlants/Roses")));
    auto commandSide = snapshot(byCommand.file(s("MyPlants/Roses")));
    windowSide.remove(s("group.ini"));
    commandSide.remove(s("group.ini"));
    for (const QString& key : windowSide.keys())
        if (!commandSide.contains(key) && (key.startsWith(s("Pots/")) || key.startsWith(s("Shrubs/"))) &&
            key.count(u'/') == 1)
            windowSide.remove(key);
    EXPECT_EQ(windowSide.keys().join(u' ').toStdString(), commandSide.keys().join(u' ').toStdString());
    for (const QString& key : windowSide.keys())
        EXPECT_EQ(windowSide[key].toStdString(), commandSide.value(key).toStdString()) << key.toStdString();
}

TEST(CliWrite, AWritingCommandRefusesWhileTheWindowRuns)
{
    TempProgramFolder pf;
    layOut(pf);
    TempProgramFolder runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(s("QT_QPA_PLATFORM"), s("offscreen"));
    env.insert(s("XDG_RUNTIME_DIR"), runtime.path());
    const QString exe = pf.file(s("verdarium"));
    ASSERT_TRUE(QFile::copy(s(VERDARIUM_GUI_BINARY), exe));
    QProcess window;
    window.setProcessEnvironment(env);
    window.start(exe);
    ASSERT_TRUE(window.waitForStarted());
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(runtime.file(s("MyPelmo.lock"))) && !deadline.hasExpired())
        QThread::msleep(20);
    QThread::msleep(300);
    const auto before = snapshot(pf.file(s("MyPlants/Roses")));

    QProcess command;
    command.setProcessEnvironment(env);
    command.start(s(VERDARIUM_CLI_BINARY), {s("add"), pf.path(), s("Roses"), s("Alba")});
    ASSERT_TRUE(command.waitForFinished(10000));
    EXPECT_EQ(command.exitCode(), 1);
    EXPECT_EQ(command.readAllStandardError(), "verdarium-cli: My Verdarium is running; close it first.\n");
    EXPECT_EQ(snapshot(pf.file(s("MyPlants/Roses"))), before);
    // Reading needs no lock.
    command.start(s(VERDARIUM_CLI_BINARY), {s("tree"), pf.path(), s("Roses")});
    ASSERT_TRUE(command.waitForFinished(10000));
    EXPECT_EQ(command.exitCode(), 0);
    window.terminate();
    ASSERT_TRUE(window.waitForFinished(10000));

    // While a command holds the lock, the window does not start.
    {
        const SingleInstance held(runtime.file(s("MyPelmo.lock")));
        ASSERT_FALSE(held.anotherInstance());
        window.start(exe);
        ASSERT_TRUE(window.waitForFinished(5000));
    }
    command.start(s(VERDARIUM_CLI_BINARY), {s("add"), pf.path(), s("Roses"), s("Alba")});
    ASSERT_TRUE(command.waitForFinished(10000));
    EXPECT_EQ(command.exitCode(), 0) << command.readAllStandardError().toStdString();
}

TEST(CliWrite, HelpAndUsage)
{
    Companion cli;
    const CliOutcome all = cli({s("--help")});
    EXPECT_EQ(all.code, 0);
    for (const char* c :
         {"add", "rename", "remove", "mark", "import-page", "add-photo", "move", "add-group"}) {
        EXPECT_TRUE(all.out.contains(s("verdarium-cli ") + s(c) + u' ')) << c;
        const CliOutcome one = cli({s(c), s("--help")});
        EXPECT_EQ(one.code, 0);
        EXPECT_TRUE(one.out.contains(s("Example:"))) << c;
    }
    EXPECT_EQ(cli({s("add"), s("x")}).code, 2);
    EXPECT_EQ(cli({s("add"), s("a"), s("b"), s("c"), s("--bogus")}).code, 2);
}
