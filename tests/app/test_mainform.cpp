#include "../support/tempprogramfolder.h"
#include "app/mainform.h"
#include "editor/editor.h"
#include "groups/tframe1.h"
#include "photos/photopanel.h"
#include "store/inifile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QToolBar>
#include <QTreeWidget>

#include <csignal>
#include <gtest/gtest.h>

namespace {

void app()
{
    // The application object is made by main() below and lives until the tests are done.
    ASSERT_NE(QApplication::instance(), nullptr);
}

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
    app();
    TempProgramFolder pf;
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::processEvents();
    EXPECT_TRUE(form.windowTitle().startsWith(QStringLiteral("My Verdarium - Special build for ")));
    EXPECT_TRUE(QDir(pf.file(QStringLiteral("MyPlants"))).exists());
    for (const char* name : {"Frame11", "Panel5", "Panel4", "Label2", "TreeView1", "Panel1", "Panel3",
                             "Button4", "Button5", "Button7", "Button6", "BitBtn1", "EmptyPage"}) {
        auto* w = form.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_TRUE(w->isVisible()) << name;
        EXPECT_GT(w->width(), 0) << name;
    }
    ASSERT_NE(form.findChild<QWidget*>(QStringLiteral("Panel6")), nullptr);
    EXPECT_FALSE(form.Panel6->isVisible());
    // The default groups are empty: in place of a page, the hint how to add a plant.
    for (const char* name : {"Panel2", "StandardToolBar", "Ruler", "Editor", "StatusBar"})
        EXPECT_NE(form.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_FALSE(form.Panel2->isVisible());
    // Left to right: group bar, tree panel, page area; the page area is the widest.
    EXPECT_LT(form.Frame11->x(), form.Panel4->x());
    EXPECT_LT(form.Panel4->x(), form.Panel1->x());
    EXPECT_EQ(form.minimumWidth(), 822);
    EXPECT_EQ(form.minimumHeight(), 300);
    EXPECT_EQ(form.width(), 822);
    EXPECT_EQ(form.height(), 586);
    EXPECT_EQ(form.Frame11->width(), 102);
    EXPECT_EQ(form.Panel4->width(), 184);
    QStringList menus;
    for (QAction* a : form.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList({QStringLiteral("&File"), QStringLiteral("&Edit"),
                                  QStringLiteral("&Language"), QStringLiteral("&Help")}));
    // Every translated control carries its text key.
    EXPECT_EQ(textKeyOf(form.Button6), 42);
    EXPECT_EQ(textKeyOf(form.findChild<QAction*>(QStringLiteral("FileExitItem"))), 8);
    EXPECT_EQ(form.currentPageFile, QStringLiteral("description.rtf"));
    EXPECT_EQ(form.editorFileName, QStringLiteral("Untitled"));
    EXPECT_TRUE(sink.warnings.isEmpty());
    // With no group there is no page: nothing can be typed that could be written anywhere, and
    // text in an untitled editor is never saved under that name.
    EXPECT_FALSE(form.Editor->isEnabled());
    form.Editor->setEnabled(true);
    QTest::keyClicks(form.Editor, QStringLiteral("ab"));
    EXPECT_TRUE(form.FileSave());
    EXPECT_TRUE(form.Editor->document()->isModified());
    EXPECT_EQ(QDir(pf.path()).entryList(QDir::Files), QStringList());
    // The window cannot be made narrower than the minimum.
    form.resize(500, 200);
    EXPECT_EQ(form.width(), 822);
    EXPECT_EQ(form.height(), 300);
}

TEST(MainForm, CloseWritesTheSettingsAndARestartRestoresThem)
{
    app();
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Cacti/group.ini"), QStringLiteral("[Group]\nImageOrder=2\n"));
    pf.writeRecord(QStringLiteral("main.ini"), QStringLiteral("[Options]\nLastGroup=Cacti\n[Old]\nkeep=1\n"));
    RecordingSink sink;
    {
        TMainForm form(pf.path(), {}, &sink);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        EXPECT_EQ(form.currentGroupName, QStringLiteral("Cacti"));
        form.resize(950, 640);
        form.move(40, 30);
        QApplication::processEvents();
        QSplitter* splitter = form.findChild<QSplitter*>();
        // The user drags the two handles.
        splitter->setSizes({130, 250, splitter->width() - 380 - 2 * splitter->handleWidth()});
        Q_EMIT splitter->splitterMoved(130, 1);
        // Growing the window widens the page area only.
        form.resize(1000, 640);
        QApplication::processEvents();
        form.close();
    }
    const QByteArray bytes = pf.read(QStringLiteral("main.ini"));
    EXPECT_TRUE(bytes.startsWith("[Options]\r\n"));
    EXPECT_FALSE(bytes.contains("\n\n")) << "every line ends with CR LF";
    EXPECT_TRUE(bytes.contains("\r\n\r\n[Old]\r\nkeep=1\r\n\r\n"));
    const IniFile ini(pf.file(QStringLiteral("main.ini")));
    EXPECT_EQ(ini.readInteger(u"Options", u"Width", 0), 1000);
    EXPECT_EQ(ini.readInteger(u"Options", u"Height", 0), 640);
    EXPECT_EQ(ini.readInteger(u"Options", u"GroupsWidth", 0), 130);
    EXPECT_EQ(ini.readInteger(u"Options", u"ListWidth", 0), 250);
    EXPECT_EQ(ini.readString(u"Options", u"LastGroup", QString()), QStringLiteral("Cacti"));

    TMainForm again(pf.path(), {}, &sink);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    QApplication::processEvents();
    EXPECT_EQ(again.size(), QSize(1000, 640));
    EXPECT_EQ(again.pos(), QPoint(40, 30));
    EXPECT_EQ(again.Frame11->width(), 130);
    EXPECT_EQ(again.Panel4->width(), 250);
    EXPECT_TRUE(sink.warnings.isEmpty());
}

TEST(MainForm, AnUnwritableSettingsFileIsReportedAndNotReplaced)
{
    app();
    TempProgramFolder pf;
    pf.mkdir(QStringLiteral("main.ini")); // a folder where the settings file should be
    RecordingSink sink;
    {
        TMainForm form(pf.path(), {}, &sink);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.close();
    }
    ASSERT_EQ(sink.warnings.size(), 2);
    EXPECT_TRUE(sink.warnings[0].contains(QStringLiteral("cannot be read")));
    EXPECT_TRUE(sink.warnings[1].contains(QStringLiteral("cannot be saved")));
    EXPECT_TRUE(QFileInfo(pf.file(QStringLiteral("main.ini"))).isDir());
    EXPECT_TRUE(pf.read(QStringLiteral("errorlog.txt")).contains("main.ini)"));
}

TEST(MainForm, OneInstanceAndTheCloseSequenceRunsOnSigterm)
{
    TempProgramFolder pf;
    TempProgramFolder runtime;
    const QString exe = pf.file(QStringLiteral("verdarium"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VERDARIUM_GUI_BINARY), exe));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(exe);
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(pf.file(QStringLiteral("MyPlants"))); }));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(exe);
    ASSERT_TRUE(second.waitForFinished(5000)) << "a second start must end at once";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(pf.read(QStringLiteral("main.ini")).startsWith("[Options]\r\nHeight="));

    // After the first one ended, the program starts again.
    QProcess third;
    third.setProcessEnvironment(env);
    third.start(exe);
    ASSERT_TRUE(third.waitForStarted());
    QThread::msleep(500);
    EXPECT_EQ(third.state(), QProcess::Running);
    third.terminate();
    EXPECT_TRUE(third.waitForFinished(10000));
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QApplication a(argc, argv);
    return RUN_ALL_TESTS();
}
