#include "../support/smalldisk.h"
#include "../support/windowevents.h"
#include "editor/formatbar.h"

using namespace Qt::StringLiterals;

TEST(ReadOnly, ACollectionOnAWriteProtectedMediumShowsItsPagesReadOnly)
{
    SmallDisk disk(1024);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why().toStdString();
    const TempProgramFolder pf(disk.path());
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s, u"Roses/Never=0"_s});
    for (const QString& page : {u"description"_s, u"care"_s, u"diary"_s})
        pf.write(u"MyPlants/Roses/Tea/"_s + page + u".rtf"_s, "{\\rtf1 Tea\\par}");
    ASSERT_TRUE(disk.makeReadOnly());
    RecordingSink sink;
    {
        ShownForm form(pf.path(), &sink);
        clickNode(form, u"Tea"_s);
        EXPECT_TRUE(form.Editor->isReadOnly());
        bool said = false;
        for (const QLabel* panel : form.StatusBar->findChildren<QLabel*>())
            said = said || panel->text() == u"Read-only"_s;
        EXPECT_TRUE(said) << "the status bar says so";
        QTest::keyClicks(form.Editor, u"lost?"_s);
        EXPECT_FALSE(form.Editor->document()->isModified()) << "typing that can never be saved is not taken";
        // A plant whose pages were never made cannot be prepared: the editor says so and takes nothing.
        sink.warnings.clear();
        clickNode(form, u"Never"_s);
        EXPECT_FALSE(sink.warnings.isEmpty());
        EXPECT_TRUE(form.Editor->isReadOnly());
        // A rename says what the system said, not that the name exists.
        sink.warnings.clear();
        QTest::keyClick(form.TreeView1, Qt::Key_F2);
        typeNewName(form, u"Renamed"_s);
        ASSERT_FALSE(sink.warnings.isEmpty());
        EXPECT_FALSE(sink.warnings.join(u' ').contains(u"Probably"_s)) << sink.said();
        sink.questions.clear();
        form.close();
        EXPECT_TRUE(sink.questions.isEmpty()) << "nothing unsaved to ask about";
    }
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/description.rtf"_s), "{\\rtf1 Tea\\par}");
}

TEST(ReadOnly, APageThatCouldNotBeReadIsNeverWrittenOver)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Aaa=0"_s, u"Roses/Bbb=0"_s});
    const QByteArray binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    pf.write(u"MyPlants/Roses/Aaa/description.rtf"_s, binary);
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    clickNode(form, u"Aaa"_s);
    EXPECT_TRUE(form.Editor->isReadOnly());
    // The alignment buttons, a font size and a key press change nothing there.
    FormatBar* bar = form.StandardToolBar;
    for (QAction* a : {bar->CenterAlign, bar->RightAlign, bar->BoldButton})
        QTest::mouseClick(bar->widgetForAction(a), Qt::LeftButton);
    QTest::keyClicks(form.Editor, u"x"_s);
    clickNode(form, u"Bbb"_s);
    clickNode(form, u"Aaa"_s);
    form.close();
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Aaa/description.rtf"_s), binary);
}
