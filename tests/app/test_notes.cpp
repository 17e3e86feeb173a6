#include "../support/drag.h"
#include "../support/tempprogramfolder.h"
#include "app/mainform.h"
#include "editor/editor.h"
#include "groups/tframe1.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

const QByteArray kNotesRecord = "[Group]\r\nColor=10484657\r\nImageIndex=1\r\n\r\n";

void layOut(const TempProgramFolder& pf)
{
    pf.writeRecord(u8("MyPlants/Roses/group.ini"), u8("[Group]\nImageOrder=1\nColor=255\n"));
    pf.writeRecord(u8("MyPlants/Cacti/group.ini"), u8("[Group]\nImageOrder=2\n"));
    pf.writeRecord(u8("MyPlants/Roses/Tea/plant.ini"), u8("[Main]\nCond=0\n"));
    for (const char* page : {"description.rtf", "care.rtf", "diary.rtf"})
        pf.write(u8("MyPlants/Roses/Tea/") + u8(page), "{\\rtf1 Tea\\par}");
    // Templates that hold text: notes must not start from them.
    pf.write(u8("MyPlants/!Shablon_all/description.rtf"), "{\\rtf1 Template text\\par}");
    pf.writeRecord(u8("main.ini"), u8("[Options]\nLastGroup=Roses\n"));
}

} // namespace

TEST(Notes, TheNoteButtonOpensTheNotesGroup)
{
    TempProgramFolder pf;
    layOut(pf);
    RecordingSink sink;
    {
        TMainForm form(pf.path(), {}, &sink);
        QStringList answers{u8("Shopping list")};
        form.askName = [&](const QString&, const QString&) { return answers.takeFirst(); };
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QTreeWidget* tree = form.TreeView1;
        // The Care page of a plant, changed; Note saves it first.
        QTest::mouseClick(form.Button5, Qt::LeftButton);
        QTest::keyClicks(form.Editor, u8("water weekly "));
        QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
        EXPECT_TRUE(pf.read(u8("MyPlants/Roses/Tea/care.rtf")).contains("water weekly"));
        EXPECT_EQ(pf.read(u8("MyPlants/!Notes/group.ini")), kNotesRecord);
        EXPECT_EQ(form.Label2->text(), u8("Заметки"));
        EXPECT_EQ(form.currentGroupName, u8("!Notes"));
        EXPECT_TRUE(form.notesMode);
        EXPECT_EQ(tree->topLevelItemCount(), 0);
        EXPECT_EQ(tree->palette().color(QPalette::Base), QColor(0xB1, 0xFB, 0x9F));
        const QLabel* hint = tree->viewport()->findChild<QLabel*>(u8("EmptyHint"));
        ASSERT_NE(hint, nullptr);
        EXPECT_TRUE(hint->isVisible());
        EXPECT_EQ(hint->text(), u8("Right-click here to add a note"));
        EXPECT_TRUE(form.Button4->font().bold()) << "Description is the page shown";
        EXPECT_FALSE(form.BitBtn1->font().bold());

        // A note added from the tree's menu starts empty; its menu has no Send to and no marks.
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, QPoint(10, 10));
        form.PopupMenu1->findChild<QAction*>(u8("N1"))->trigger();
        form.PopupMenu1->hide();
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        EXPECT_FALSE(hint->isVisible());
        EXPECT_EQ(form.Editor->toPlainText(), QString());
        EXPECT_EQ(pf.read(u8("MyPlants/!Notes/Shopping list/description.rtf")), QByteArray());
        EXPECT_EQ(pf.read(u8("MyPlants/!Notes/!Shablon/description.rtf")), "{\\rtf1 Template text\\par}");
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {},
                          tree->visualItemRect(tree->topLevelItem(0)).center());
        EXPECT_FALSE(form.N8->menuAction()->isEnabled());
        EXPECT_FALSE(form.PopupMenu1->findChild<QMenu*>(u8("N12"))->menuAction()->isEnabled());
        form.PopupMenu1->hide();
        QTest::keyClicks(form.Editor, u8("peat, pumice"));

        // A click on the group that was selected before reloads it and leaves notes mode.
        QTest::mouseClick(form.Frame11->picture(1), Qt::LeftButton);
        EXPECT_FALSE(form.notesMode);
        EXPECT_EQ(form.currentGroupName, u8("Roses"));
        EXPECT_TRUE(pf.read(u8("MyPlants/!Notes/Shopping list/description.rtf")).contains("peat, pumice"));
        // The notes group comes back as it was, and closing there starts in the first group.
        QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
        EXPECT_EQ(tree->topLevelItemCount(), 1);
        form.close();
    }
    TMainForm again(pf.path(), {}, &sink);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.currentGroupName, u8("Roses"));
    EXPECT_FALSE(again.notesMode);
}

TEST(Notes, AChangedNotesRecordIsNeverOverwritten)
{
    TempProgramFolder pf;
    layOut(pf);
    pf.write(u8("MyPlants/!Notes/group.ini"), "[Group]\r\nColor=255\r\n\r\n");
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (int i = 0; i < 2; ++i)
        QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(pf.read(u8("MyPlants/!Notes/group.ini")), "[Group]\r\nColor=255\r\n\r\n");
    EXPECT_EQ(form.TreeView1->palette().color(QPalette::Base), QColor(255, 0, 0));
    form.close();
}

TEST(NewUserDrags, ANoteIsNeverDroppedOnAGroupPicture)
{
    if (!platformCarriesDrags())
        GTEST_SKIP() << "run by the app_drags test under the minimal platform";
    TempProgramFolder pf;
    layOut(pf);
    pf.writeRecord(u8("MyPlants/!Notes/group.ini"), u8("[Group]\nColor=10484657\nImageIndex=1\n"));
    pf.writeRecord(u8("MyPlants/!Notes/Orders/plant.ini"), u8("[Main]\nCond=0\n"));
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.move(0, 0); // the drag finds its target by the pointer's place on the screen
    QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
    QTreeWidget* tree = form.TreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QWidget* cacti = form.Frame11->picture(2);
    dragWithMouse(tree->viewport(), tree->visualItemRect(tree->topLevelItem(0)).center(), cacti,
                  cacti->rect().center());
    EXPECT_TRUE(pf.exists(u8("MyPlants/!Notes/Orders/plant.ini")));
    EXPECT_FALSE(pf.exists(u8("MyPlants/Cacti/Orders")));
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    form.close();
}
