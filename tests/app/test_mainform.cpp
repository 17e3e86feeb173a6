#include "../support/windowevents.h"

#include <QProcess>
#include <QSplitter>
#include <QThread>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

bool waitFor(const std::function<bool()>& condition, int ms = 10000)
{
    for (int waited = 0; waited < ms; waited += 50) {
        if (condition())
            return true;
        QThread::msleep(50);
    }
    return condition();
}

} // namespace

TEST(MainForm, OpensWithEveryRegionAndCreatesTheCollection)
{
    TempProgramFolder pf;
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    QApplication::processEvents();
    EXPECT_TRUE(form.windowTitle().startsWith(u"My Verdarium - Special build for "_s));
    EXPECT_TRUE(QDir(pf.file(u"MyPlants"_s)).exists());
    for (const char* name : {"Frame11", "Panel5", "Panel4", "Label2", "TreeView1", "Panel1", "Panel3",
                             "Button4", "Button5", "Button7", "Button6", "BitBtn1", "EmptyPage"}) {
        auto* w = form.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_TRUE(w->isVisible()) << name;
        EXPECT_GT(w->width(), 0) << name;
    }
    // The default groups are empty: in place of a page, the hint how to add a plant.
    EXPECT_FALSE(form.Panel6->isVisible());
    EXPECT_FALSE(form.Panel2->isVisible());
    // Left to right: group bar, tree panel, page area; the page area is the widest.
    EXPECT_LT(form.Frame11->x(), form.Panel4->x());
    EXPECT_LT(form.Panel4->x(), form.Panel1->x());
    EXPECT_EQ(form.width(), 822);
    EXPECT_EQ(form.height(), 586);
    EXPECT_EQ(form.Frame11->width(), 102);
    EXPECT_EQ(form.Panel4->width(), 184);
    // With no group there is no page: nothing can be typed that could be written anywhere, and
    // text in an untitled editor is never saved under that name, nor is that an error.
    EXPECT_FALSE(form.Editor->isEnabled());
    form.Editor->setEnabled(true);
    QTest::keyClicks(form.Editor, u"ab"_s);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(sink.warnings.isEmpty());
    EXPECT_TRUE(form.Editor->document()->isModified());
    EXPECT_EQ(QDir(pf.path()).entryList(QDir::Files), QStringList());
    // The window cannot be made smaller than 822 x 300.
    form.resize(500, 200);
    EXPECT_EQ(form.width(), 822);
    EXPECT_EQ(form.height(), 300);
}

TEST(MainForm, CloseWritesTheSettingsAndARestartRestoresThem)
{
    TempProgramFolder pf;
    pf.writeRecord(u"MyPlants/Roses/group.ini"_s, u"[Group]\nImageOrder=1\n"_s);
    pf.writeRecord(u"MyPlants/Cacti/group.ini"_s, u"[Group]\nImageOrder=2\n"_s);
    pf.writeRecord(u"main.ini"_s, u"[Options]\nLastGroup=Cacti\n[Old]\nkeep=1\n"_s);
    RecordingSink sink;
    {
        ShownForm form(pf.path(), &sink);
        EXPECT_EQ(form.currentGroupName, u"Cacti"_s);
        form.resize(950, 640);
        form.move(40, 30);
        QApplication::processEvents();
        QSplitter* splitter = form.findChild<QSplitter*>();
        // The user drags the two handles.
        for (const auto& [n, to] : {std::pair{1, 130}, std::pair{2, 250}}) {
            const QPoint at = splitter->handle(n)->rect().center(), by(to - splitter->sizes()[n - 1], 0);
            QTest::mousePress(splitter->handle(n), Qt::LeftButton, {}, at);
            QTest::mouseMove(splitter->handle(n), at + by);
            QTest::mouseRelease(splitter->handle(n), Qt::LeftButton, {}, at + by);
        }
        // Growing the window widens the page area only.
        form.resize(1000, 640);
        QApplication::processEvents();
        form.close();
    }
    // The settings' own tests check the bytes of a save; here other sections stay and a restart reads it.
    EXPECT_TRUE(pf.read(u"main.ini"_s).contains("\r\nLastGroup=Cacti\r\n"));
    EXPECT_TRUE(pf.read(u"main.ini"_s).contains("\r\n\r\n[Old]\r\nkeep=1\r\n\r\n"));
    ShownForm again(pf.path(), &sink);
    QApplication::processEvents();
    EXPECT_EQ(again.size(), QSize(1000, 640));
    EXPECT_EQ(again.pos(), QPoint(40, 30));
    EXPECT_EQ(again.Frame11->width(), 130);
    EXPECT_EQ(again.Panel4->width(), 250);
    EXPECT_TRUE(sink.warnings.isEmpty());
}

TEST(MainForm, AnUnwritableSettingsFileIsReportedAndNotReplaced)
{
    TempProgramFolder pf;
    pf.mkdir(u"main.ini"_s); // a folder where the settings file should be
    RecordingSink sink;
    {
        ShownForm form(pf.path(), &sink);
        form.close();
    }
    ASSERT_EQ(sink.warnings.size(), 2);
    EXPECT_TRUE(sink.warnings[0].contains(u"cannot be read"_s));
    EXPECT_TRUE(sink.warnings[1].contains(u"cannot be saved"_s));
    EXPECT_TRUE(QFileInfo(pf.file(u"main.ini"_s)).isDir());
    EXPECT_TRUE(pf.read(u"errorlog.txt"_s).contains("main.ini)"));
}

// One window at a time: a second start ends at once and a writing command refuses while the window
// runs (reading needs no lock); SIGTERM runs the close sequence; while a command holds the lock the
// window does not start, and once it is free the window starts again.
TEST(MainForm, OneInstanceAndTheCloseSequenceRunsOnSigterm)
{
    TempProgramFolder pf, runtime;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s});
    QFile::remove(pf.file(u"main.ini"_s));
    const QString exe = pf.file(u"verdarium"_s), cli = QStringLiteral(VERDARIUM_CLI_BINARY);
    ASSERT_TRUE(QFile::copy(QStringLiteral(VERDARIUM_GUI_BINARY), exe));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    auto run = [&](QProcess& p, const QString& program, const QStringList& args = {}) {
        p.setProcessEnvironment(env);
        p.start(program, args);
    };
    QProcess window, second, command;
    run(window, exe);
    ASSERT_TRUE(window.waitForStarted());
    ASSERT_TRUE(
        waitFor([&] { return pf.read(u"MyPlants/.verdarium-lock"_s).contains("program=verdarium\n"); }));
    QThread::msleep(300);
    run(second, exe);
    ASSERT_TRUE(second.waitForFinished(5000)) << "a second start must end at once";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(window.state(), QProcess::Running);

    const auto before = filesUnder(pf.file(u"MyPlants"_s), {}, true);
    run(command, cli, {u"add"_s, pf.path(), u"Roses"_s, u"Alba"_s});
    ASSERT_TRUE(command.waitForFinished(10000));
    EXPECT_EQ(command.exitCode(), 1);
    EXPECT_EQ(command.readAllStandardError(), "verdarium-cli: My Verdarium is running; close it first.\n");
    EXPECT_EQ(filesUnder(pf.file(u"MyPlants"_s), {}, true), before);
    run(command, cli, {u"tree"_s, pf.path(), u"Roses"_s});
    ASSERT_TRUE(command.waitForFinished(10000));
    EXPECT_EQ(command.exitCode(), 0);

    ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
    ASSERT_TRUE(window.waitForFinished(10000));
    EXPECT_EQ(window.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(pf.read(u"main.ini"_s).startsWith("[Options]\r\nHeight="));

    {
        // A command holds the lock (it waits for its page on standard input): the window says who holds
        // it rather than vanish without a word.
        QProcess holder;
        run(holder, cli, {u"import-page"_s, pf.path(), u"Roses"_s, u"Tea"_s, u"care"_s, u"-"_s});
        ASSERT_TRUE(waitFor([&] {
            return pf.read(u"MyPlants/.verdarium-lock"_s)
                .contains(QByteArray("pid=" + QByteArray::number(holder.processId())));
        })) << holder.readAllStandardError().toStdString();
        run(second, exe);
        QByteArray said;
        EXPECT_TRUE(waitFor([&] {
            second.waitForReadyRead(50);
            said += second.readAllStandardError();
            return said.contains(
                QByteArray("verdarium-cli (process " + QByteArray::number(holder.processId())));
        })) << said.toStdString();
        second.kill(); // its message box waits for a click
        ASSERT_TRUE(second.waitForFinished(5000));
        holder.write("{\\rtf1 Care\\par}");
        holder.closeWriteChannel();
        ASSERT_TRUE(holder.waitForFinished(10000));
        EXPECT_EQ(holder.exitCode(), 0) << holder.readAllStandardError().toStdString();
    }
    // A lock that names another computer (carried here by a sync engine): commands refuse unless
    // forced, and the window asks before it writes.
    const QByteArray laptop =
        "host=laptop\nhostid=0badc0de\npid=4242\nprogram=verdarium\nsince=2026-12-07T08:00:00Z\n";
    pf.write(u"MyPlants/.verdarium-lock"_s, laptop);
    run(command, cli, {u"add"_s, pf.path(), u"Roses"_s, u"Alba"_s});
    ASSERT_TRUE(command.waitForFinished(10000));
    EXPECT_EQ(command.exitCode(), 1);
    EXPECT_TRUE(command.readAllStandardError().contains("open on laptop since"));
    run(second, exe);
    QByteArray asked;
    EXPECT_TRUE(waitFor([&] {
        second.waitForReadyRead(50);
        asked += second.readAllStandardError();
        return asked.contains("open on laptop since");
    })) << asked.toStdString();
    second.kill(); // the question waits for an answer
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(pf.read(u"MyPlants/.verdarium-lock"_s), laptop);
    run(command, cli, {u"add"_s, pf.path(), u"Roses"_s, u"Alba"_s, u"--force"_s});
    ASSERT_TRUE(command.waitForFinished(10000));
    EXPECT_EQ(command.exitCode(), 0) << command.readAllStandardError().toStdString();
    EXPECT_TRUE(pf.read(u"MyPlants/.verdarium-lock"_s).isEmpty()) << "a free lock is an empty one";
    run(window, exe);
    ASSERT_TRUE(window.waitForStarted());
    QThread::msleep(500);
    EXPECT_EQ(window.state(), QProcess::Running);
    window.terminate();
    EXPECT_TRUE(window.waitForFinished(10000));
}
