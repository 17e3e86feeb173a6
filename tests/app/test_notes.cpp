#include "../support/windowevents.h"

using namespace Qt::StringLiterals;

namespace {

const QByteArray kNotesRecord = "[Group]\r\nColor=10484657\r\nImageIndex=1\r\n\r\n";

void layOut(const TempProgramFolder& pf)
{
    pf.layOut({u"Roses"_s, u"Cacti"_s}, {u"Roses/Tea=0"_s});
    pf.writeRecord(u"MyPlants/Roses/group.ini"_s, u"[Group]\nImageOrder=1\nColor=255\n"_s);
    for (const QString& page : {u"description"_s, u"care"_s, u"diary"_s})
        pf.write(u"MyPlants/Roses/Tea/"_s + page + u".rtf"_s, "{\\rtf1 Tea\\par}");
    // Templates that hold text: notes must not start from them.
    pf.write(u"MyPlants/!Shablon_all/description.rtf"_s, "{\\rtf1 Template text\\par}");
}

} // namespace

TEST(Notes, TheNoteButtonOpensTheNotesGroup)
{
    TempProgramFolder pf;
    layOut(pf);
    RecordingSink sink;
    {
        ShownForm form(pf.path(), &sink);
        QStringList answers{u"Shopping list"_s};
        form.askName = [&](const QString&, const QString&) { return answers.takeFirst(); };
        QTreeWidget* tree = form.TreeView1;
        // The Care page of a plant, changed; Note saves it first.
        QTest::mouseClick(form.Button5, Qt::LeftButton);
        QTest::keyClicks(form.Editor, u"water weekly "_s);
        QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
        EXPECT_TRUE(pf.read(u"MyPlants/Roses/Tea/care.rtf"_s).contains("water weekly"));
        EXPECT_EQ(pf.read(u"MyPlants/!Notes/group.ini"_s), kNotesRecord);
        EXPECT_EQ(form.Label2->text(), u"Notes"_s) << "in the language in force: English without a language file";
        EXPECT_EQ(form.currentGroupName, u"!Notes"_s);
        EXPECT_TRUE(form.notesMode);
        EXPECT_EQ(tree->topLevelItemCount(), 0);
        EXPECT_EQ(tree->palette().color(QPalette::Base), QColor(0xB1, 0xFB, 0x9F));
        const QLabel* hint = tree->viewport()->findChild<QLabel*>(u"EmptyHint"_s);
        ASSERT_NE(hint, nullptr);
        EXPECT_TRUE(hint->isVisible());
        EXPECT_EQ(hint->text(), u"Right-click here to add a note"_s);
        EXPECT_TRUE(form.Button4->font().bold()) << "Description is the page shown";
        EXPECT_FALSE(form.BitBtn1->font().bold());

        // A note added from the tree's menu starts empty; its menu has no Send to and no marks.
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, QPoint(10, 10));
        chooseItem(form.PopupMenu1, "N1");
        ASSERT_EQ(tree->topLevelItemCount(), 1);
        EXPECT_FALSE(hint->isVisible());
        EXPECT_EQ(form.Editor->toPlainText(), QString());
        EXPECT_EQ(pf.read(u"MyPlants/!Notes/!Shablon/description.rtf"_s), "{\\rtf1 Template text\\par}");
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {},
                          tree->visualItemRect(tree->topLevelItem(0)).center());
        EXPECT_FALSE(form.N8->menuAction()->isEnabled());
        EXPECT_FALSE(form.PopupMenu1->findChild<QMenu*>(u"N12"_s)->menuAction()->isEnabled());
        form.PopupMenu1->hide();
        QTest::keyClicks(form.Editor, u"peat, pumice"_s);

        // A click on the group that was selected before reloads it and leaves notes mode.
        QTest::mouseClick(form.Frame11->picture(1), Qt::LeftButton);
        EXPECT_FALSE(form.notesMode);
        EXPECT_EQ(form.currentGroupName, u"Roses"_s);
        EXPECT_TRUE(pf.read(u"MyPlants/!Notes/Shopping list/description.rtf"_s).contains("peat, pumice"));
        // The notes group comes back as it was, and closing there starts in the first group.
        QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
        EXPECT_EQ(tree->topLevelItemCount(), 1);
        form.close();
    }
    ShownForm again(pf.path(), &sink);
    EXPECT_EQ(again.currentGroupName, u"Roses"_s);
    EXPECT_FALSE(again.notesMode);
    // A notes record the user changed is never overwritten by later presses.
    pf.write(u"MyPlants/!Notes/group.ini"_s, "[Group]\r\nColor=255\r\n\r\n");
    for (int i = 0; i < 2; ++i)
        QTest::mouseClick(again.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(pf.read(u"MyPlants/!Notes/group.ini"_s), "[Group]\r\nColor=255\r\n\r\n");
    EXPECT_EQ(again.TreeView1->palette().color(QPalette::Base), QColor(255, 0, 0));
}
