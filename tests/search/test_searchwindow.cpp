#include "searchcollection.h"

#include "../support/windowevents.h"
#include "editor/notes.h"
#include "search/findbar.h"
#include "search/searchpanel.h"

#include <QTemporaryDir>

namespace {

// The results shown, "group/node" each, once they are expected (or after five seconds).
QStringList waitForResults(search::SearchPanel* panel, const QStringList& expected)
{
    QTreeWidget* list = panel->results();
    QStringList nodes;
    for (int i = 0; i < 500; ++i) {
        nodes.clear();
        for (int r = 0; r < list->topLevelItemCount(); ++r)
            nodes << list->topLevelItem(r)->text(0) + u'/' + list->topLevelItem(r)->text(1);
        if (nodes == expected)
            break;
        QTest::qWait(10);
    }
    return nodes;
}

} // namespace

TEST(SearchWindow, TypedWordsFindTheNodeAndTheChosenResultShowsTheMatch)
{
    TempProgramFolder pf;
    layOutCollection(pf);
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    ASSERT_EQ(form.currentGroupName, u8("Roses"));

    // Ctrl+Shift+F opens the panel with the words field focused; typing searches.
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto* panel = form.findChild<search::SearchPanel*>();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    auto expectResults = [panel](const QStringList& nodes) {
        EXPECT_EQ(waitForResults(panel, nodes), nodes);
    };
    typeText(panel->words(), u8("пятна"));
    expectResults({u8("Roses/Climbers/Rambler")});
    QTreeWidget* list = panel->results();
    // A click on the result: the plant inside its folder, its photo page, the comment's words selected.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    ASSERT_NE(form.TreeView1->currentItem(), nullptr);
    EXPECT_EQ(form.TreeView1->currentItem()->text(0), u8("Rambler"));
    EXPECT_TRUE(form.Panel6->isVisible());
    EXPECT_EQ(form.Panel6->Memo1->textCursor().selectedText(), u8("Пятна"));

    // Another group, another page, by the keyboard: Down into the list, Enter on the result.
    panel->words()->clear();
    typeText(panel->words(), u8("ПОЛИВА лет"));
    expectResults({u8("Cacti/Aloe")});
    QTest::keyClick(panel->words(), Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(form.currentGroupName, u8("Cacti"));
    EXPECT_EQ(form.TreeView1->currentItem()->text(0), u8("Aloe"));
    EXPECT_EQ(form.currentPageFile, u8("care.rtf"));
    EXPECT_TRUE(form.Editor->isVisible());
    EXPECT_EQ(form.Editor->textCursor().selectedText(), u8("полива"));

    // A word split by bold in the notes group; the editor gets the whole word selected.
    panel->words()->clear();
    typeText(panel->words(), u8("поливать"));
    expectResults({u8("Roses/Tea"), notes::heading(MessageTable()) + u8("/Main")});
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());
    EXPECT_EQ(form.currentGroupName, u8("Roses"));
    EXPECT_EQ(form.currentPageFile, u8("description.rtf"));
    EXPECT_EQ(form.Editor->textCursor().selectedText(), u8("Поливать"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(1)).center());
    EXPECT_TRUE(form.notesMode);
    EXPECT_EQ(form.Editor->textCursor().selectedText(), u8("поливать"));

    // A save by the program reaches the index at once: the panel closed, typed on the page, Ctrl+S.
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.Editor->setFocus();
    QTest::keyClick(form.Editor, Qt::Key_End, Qt::ControlModifier);
    typeText(form.Editor, u8(" гортензия"));
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(form.Editor->document()->isModified());
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(panel->isVisible());
    panel->words()->clear();
    typeText(panel->words(), u8("гортенз"));
    expectResults({notes::heading(MessageTable()) + u8("/Main")});

    // Find in the page and replace every place, one undo step.
    QTest::keyClick(panel->words(), Qt::Key_Escape);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(form.Editor, Qt::Key_H, Qt::ControlModifier);
    search::FindBar* bar = form.findBar();
    ASSERT_TRUE(bar->isVisible());
    typeText(bar->findField(), u8("ПОЛИВ"));
    EXPECT_EQ(form.Editor->textCursor().selectedText(), u8("полив"));
    typeText(bar->replaceField(), u8("опрыскив"));
    QTest::mouseClick(bar->findChild<QPushButton*>(u8("ReplaceAll")), Qt::LeftButton);
    EXPECT_TRUE(form.Editor->toPlainText().contains(u8("опрыскивать реже")));
    QTest::keyClick(bar->findField(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());

    // The field above the tree: words and Enter open the panel with them.
    EXPECT_FALSE(panel->isVisible()) << "Escape closed it";
    auto* field = form.findChild<QLineEdit*>(u8("TreeSearch"));
    QTest::mouseClick(field, Qt::LeftButton);
    typeText(field, u8("пятна"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(panel->isVisible());
    expectResults({u8("Roses/Climbers/Rambler")});

    // Another program rewrites a page in place: the window's watch of the collection tells the index,
    // and the next search finds it without waiting for a look of its own.
    {
        QFile page(pf.file(u8("MyPlants/Cacti/Aloe/care.rtf")));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
        page.write(rtfPage("Пересадить весной"));
    }
    QTest::qWait(400);
    panel->words()->clear();
    typeText(panel->words(), u8("весной"));
    expectResults({u8("Cacti/Aloe")});
}
