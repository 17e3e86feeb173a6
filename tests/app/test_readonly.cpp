#include "../support/smalldisk.h"
#include "../support/tempprogramfolder.h"
#include "app/mainform.h"
#include "editor/editor.h"
#include "editor/formatbar.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

void put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray get(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

void click(QTreeWidget* tree, const char* name)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(u8(name), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << name;
    tree->scrollToItem(found[0]);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(found[0]).center());
}

} // namespace

TEST(ReadOnly, ACollectionOnAWriteProtectedMediumShowsItsPagesReadOnly)
{
    SmallDisk disk(1024);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why().toStdString();
    const QString pf = disk.path();
    put(pf + u8("MyPlants/Roses/group.ini"), "[Group]\r\nImageOrder=1\r\n\r\n");
    put(pf + u8("MyPlants/Roses/Tea/plant.ini"), "[Main]\r\nCond=0\r\n\r\n");
    for (const char* page : {"description.rtf", "care.rtf", "diary.rtf"})
        put(pf + u8("MyPlants/Roses/Tea/") + u8(page), "{\\rtf1 Tea\\par}");
    put(pf + u8("MyPlants/Roses/Never/plant.ini"), "[Main]\r\nCond=0\r\n\r\n");
    put(pf + u8("main.ini"), "[Options]\r\nLastGroup=Roses\r\n\r\n");
    ASSERT_TRUE(disk.makeReadOnly());
    RecordingSink sink;
    {
        TMainForm form(pf, {}, &sink);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        click(form.TreeView1, "Tea");
        EXPECT_TRUE(form.Editor->isReadOnly());
        bool said = false;
        for (const QLabel* panel : form.StatusBar->findChildren<QLabel*>())
            said = said || panel->text() == u8("Read-only");
        EXPECT_TRUE(said) << "the status bar says so";
        QTest::keyClicks(form.Editor, u8("lost?"));
        EXPECT_FALSE(form.Editor->document()->isModified()) << "typing that can never be saved is not taken";
        // A plant whose pages were never made cannot be prepared: the editor says so and takes nothing.
        sink.warnings.clear();
        click(form.TreeView1, "Never");
        EXPECT_FALSE(sink.warnings.isEmpty());
        EXPECT_TRUE(form.Editor->isReadOnly());
        // A rename says what the system said, not that the name exists.
        sink.warnings.clear();
        QTest::keyClick(form.TreeView1, Qt::Key_F2);
        form.N18Click();
        form.TreeView1->currentItem()->setText(0, u8("Renamed"));
        ASSERT_FALSE(sink.warnings.isEmpty());
        EXPECT_FALSE(sink.warnings.join(u' ').contains(u8("Probably")))
            << sink.warnings.join(u' ').toStdString();
        sink.questions.clear();
        form.close();
        EXPECT_TRUE(sink.questions.isEmpty()) << "nothing unsaved to ask about";
    }
    EXPECT_EQ(get(pf + u8("MyPlants/Roses/Tea/description.rtf")), "{\\rtf1 Tea\\par}");
}

TEST(ReadOnly, APageThatCouldNotBeReadIsNeverWrittenOver)
{
    TempProgramFolder pf;
    pf.writeRecord(u8("MyPlants/Roses/group.ini"), u8("[Group]\nImageOrder=1\n"));
    pf.writeRecord(u8("MyPlants/Roses/Aaa/plant.ini"), u8("[Main]\nCond=0\n"));
    pf.writeRecord(u8("MyPlants/Roses/Bbb/plant.ini"), u8("[Main]\nCond=0\n"));
    const QByteArray binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    pf.write(u8("MyPlants/Roses/Aaa/description.rtf"), binary);
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    click(form.TreeView1, "Aaa");
    EXPECT_TRUE(form.Editor->isReadOnly());
    // The alignment buttons, a font size and a key press change nothing there.
    for (const char* name : {"CenterAlign", "RightAlign", "BoldButton"})
        form.StandardToolBar->findChild<QAction*>(u8(name))->trigger();
    QTest::keyClicks(form.Editor, u8("x"));
    click(form.TreeView1, "Bbb");
    click(form.TreeView1, "Aaa");
    form.close();
    EXPECT_EQ(pf.read(u8("MyPlants/Roses/Aaa/description.rtf")), binary);
}
