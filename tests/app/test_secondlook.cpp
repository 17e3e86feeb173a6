// A second look as a new user: files given from outside, many groups, the keyboard alone.
#include "../support/companion.h"
#include "../support/drag.h"
#include "../support/windowevents.h"
#include "platform/bgrcolor.h"
#include "platform/codepage.h"

#include <QColorDialog>
#include <QScrollBar>

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;

namespace {

// Walks a menu with the arrow keys to the item and takes it with Enter.
void chooseByKeys(QMenu* menu, QAction* target)
{
    ASSERT_TRUE(menu->isVisible());
    for (int i = 0; i < 20 && menu->activeAction() != target; ++i)
        QTest::keyClick(menu, Qt::Key_Down);
    ASSERT_EQ(menu->activeAction(), target);
    QTest::keyClick(menu, Qt::Key_Return);
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QWidget* w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    QTest::keyClick(w, key, modifiers);
    QApplication::processEvents();
}

void typeHere(const QString& text)
{
    QWidget* w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    QTest::keyClicks(w, text);
}

} // namespace

// A text file given on the command line or dropped stays a text file in its own encoding.
TEST(SecondLook, PlainTextFilesStayPlainText)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Abc=0"_s});
    const QString list = u"Список\nрастений\n"_s;
    pf.write(u"notes.txt"_s, list.toUtf8());
    pf.write(u"old.txt"_s, cp1251::encode(u"Старый\r\nсписок\r\n"_s));
    RecordingSink sink;
    ShownForm form(pf.path(), &sink, {pf.file(u"notes.txt"_s)});
    QApplication::processEvents();

    ASSERT_EQ(form.editorFileName, pf.file(u"notes.txt"_s));
    EXPECT_EQ(form.Editor->toPlainText(), u"Список\nрастений\n"_s);
    form.Editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(form.Editor, u"Rosa"_s);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(pf.read(u"notes.txt"_s), (list + u"Rosa"_s).toUtf8());

    // A dropped Windows-1251 file with CR LF lines goes back in the same bytes it came in.
    QTest::keyClicks(form.Editor, u"!"_s);
    dropFiles(form.Editor->viewport(), {pf.file(u"old.txt"_s)});
    EXPECT_EQ(pf.read(u"notes.txt"_s), (list + u"Rosa!"_s).toUtf8());
    EXPECT_EQ(form.Editor->toPlainText(), u"Старый\nсписок\n"_s);
    form.Editor->moveCursor(QTextCursor::Start);
    typeText(form.Editor, u"Я"_s);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(pf.read(u"old.txt"_s), cp1251::encode(u"ЯСтарый\r\nсписок\r\n"_s));
    // A character the code page cannot hold makes the file UTF-8 rather than a '?'.
    typeText(form.Editor, u"✿"_s);
    form.close();
    EXPECT_EQ(pf.read(u"old.txt"_s), u"Я✿Старый\r\nсписок\r\n"_s.toUtf8());
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.said();
}

// Sixty groups copied in by hand, without ImageOrder: all of them show, in name order, wherever the
// file system lists them.
TEST(SecondLook, SixtyGroupsShowAllInNameOrder)
{
    TempProgramFolder pf;
    QStringList names;
    for (int n = 1; n <= 60; ++n)
        names << u"g%1"_s.arg(n, 2, 10, QLatin1Char('0'));
    names[6] = u"G07"_s; // letter case takes no part in the order
    QStringList made = names;
    std::shuffle(made.begin(), made.end(), std::mt19937(23));
    for (const QString& name : made)
        pf.mkdir(u"MyPlants/"_s + name);
    pf.writeRecord(u"main.ini"_s, u"[Options]\nLastGroup=g60\n"_s);
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);

    ASSERT_EQ(form.groupCount, 60);
    EXPECT_EQ(barNames(form), names);
    EXPECT_EQ(pf.groupValue(u"G07"_s, u"ImageOrder"), 7);
    EXPECT_EQ(pf.groupValue(u"g60"_s, u"ImageOrder"), 60);
    EXPECT_EQ(form.N8->actions().size(), 60);
    // The last group is the remembered one: framed, shown, and reachable by a click.
    EXPECT_EQ(form.Label2->text(), u"g60"_s);
    EXPECT_EQ(form.selectedSlot, 60);
    form.Frame11->verticalScrollBar()->setValue(form.Frame11->verticalScrollBar()->maximum());
    QApplication::processEvents();
    QWidget* last = form.Frame11->picture(59);
    ASSERT_TRUE(last->visibleRegion().boundingRect().contains(last->rect().center()));
    QTest::mouseClick(last, Qt::LeftButton, {}, last->rect().center());
    QApplication::processEvents();
    EXPECT_EQ(form.Label2->text(), u"g59"_s);

    // Any number of groups can be added, in the window and by the companion.
    whenModal<TForm2>([](TForm2* editor) {
        QTest::keyClicks(editor->Edit1, u"z61"_s);
        QTest::mouseClick(editor->Button2, Qt::LeftButton);
    });
    menuBarItem(form, "File1", "dg");
    QApplication::processEvents();
    EXPECT_EQ(form.groupCount, 61);
    EXPECT_EQ(Companion()({u"add-group"_s, pf.path(), u"z62"_s}).code, 0);
    EXPECT_TRUE(pf.exists(u"MyPlants/z62/group.ini"_s));
}

// The group editor: a refused name changes nothing, not on disk and not on screen. Closing on the
// squeezed photo page keeps the panel widths the user set.
TEST(SecondLook, ARefusedChangeChangesNothing)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s, u"Cacti"_s}, {u"Roses/Abc=0"_s});
    pf.writeRecord(u"MyPlants/Roses/group.ini"_s, u"[Group]\nColor=14745568\nImageOrder=1\n"_s);
    pf.writeRecord(u"main.ini"_s, u"[Options]\nLastGroup=Roses\nGroupsWidth=150\nListWidth=260\n"_s);
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    const QColor before = form.TreeView1->palette().color(QPalette::Base);
    ASSERT_EQ(bgrcolor::fromColor(before), 14745568);

    // Yellow, then a name another group has, then a name the collection keeps for itself.
    whenModal<TForm2>([&](TForm2* editor) {
        whenModal<QColorDialog>([](QColorDialog* colours) {
            colours->setCurrentColor(QColor(255, 255, 0));
            colours->accept();
        });
        QTest::mouseClick(editor->Shape1, Qt::LeftButton);
        EXPECT_EQ(editor->color(), bgrcolor::fromColor(QColor(255, 255, 0)));
        editor->Edit1->selectAll();
        QTest::keyClicks(editor->Edit1, u"Cacti"_s);
        QTest::mouseClick(editor->Button2, Qt::LeftButton); // the name exists: refused
    });
    groupMenu(form, 1, "N23");
    QApplication::processEvents();
    EXPECT_EQ(sink.warnings.size(), 1);
    EXPECT_EQ(pf.groupValue(u"Roses"_s, u"Color"), 14745568);
    EXPECT_EQ(form.TreeView1->palette().color(QPalette::Base), before);
    EXPECT_EQ(form.Label2->text(), u"Roses"_s);

    sink.warnings.clear();
    whenModal<TForm2>([&](TForm2* editor) {
        EXPECT_EQ(editor->color(), 14745568) << "the next Change starts from the colour on disk";
        editor->Edit1->selectAll();
        QTest::keyClicks(editor->Edit1, u"!Hidden"_s);
        QTest::mouseClick(editor->Button2, Qt::LeftButton);
        EXPECT_TRUE(editor->isVisible()) << "a reserved name keeps the editor open";
        QTest::mouseClick(editor->Button1, Qt::LeftButton);
    });
    groupMenu(form, 1, "N23");
    QApplication::processEvents();
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings[0].contains(u"!Hidden"_s));
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Abc/plant.ini"_s));
    EXPECT_FALSE(pf.exists(u"MyPlants/!Hidden"_s));
    EXPECT_EQ(form.Label2->text(), u"Roses"_s);
    EXPECT_EQ(form.Frame11->entry(form.selectedSlot).name, u"Roses"_s);

    form.resize(form.minimumSize());
    QApplication::processEvents();
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    QApplication::processEvents();
    form.close();
    EXPECT_EQ(pf.number(u"main.ini"_s, u"Options", u"GroupsWidth"), 150);
    EXPECT_EQ(pf.number(u"main.ini"_s, u"Options", u"ListWidth"), 260);
}

// The keyboard alone: a folder and a plant added, renamed, marked, every page typed on, group and
// page switched, a plant removed, and never a mouse event.
TEST(SecondLook, TheKeyboardReachesEveryCommand)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s, u"Cacti"_s}, {u"Roses/Abc=0"_s, u"Cacti/Opuntia=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), form.Editor);

    // Ctrl+Tab leaves the page (Tab is typed into it); Shift+Tab goes back through the page buttons.
    pressKey(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), form.BitBtn1)
        << QApplication::focusWidget()->metaObject()->className() << " "
        << QApplication::focusWidget()->objectName().toStdString();
    for (QPushButton* b : {form.Button6, form.Button7, form.Button5, form.Button4}) {
        pressKey(Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), b);
    }
    pressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), form.TreeView1);

    // A plant at the top: Escape leaves no node selected, and the menu is then the empty space's.
    pressKey(Qt::Key_Escape);
    whenModal<QDialog>([](QDialog*) {
        typeHere(u"Hybrid"_s);
        pressKey(Qt::Key_Return);
    });
    pressKey(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_FALSE(form.PopupMenu1->findChild<QAction*>(u"N18"_s)->isEnabled()) << "nothing to rename";
    chooseByKeys(form.PopupMenu1, form.PopupMenu1->findChild<QAction*>(u"N1"_s));
    QApplication::processEvents();
    ASSERT_TRUE(pf.exists(u"MyPlants/Roses/Hybrid/plant.ini"_s));
    QApplication::setActiveWindow(&form); // the name dialog has closed
    form.TreeView1->setFocus();

    // A folder by Shift+F10, selected once made; a plant in it by the Menu key.
    whenModal<QDialog>([](QDialog*) {
        typeHere(u"Shrubs"_s);
        pressKey(Qt::Key_Return);
    });
    pressKey(Qt::Key_F10, Qt::ShiftModifier);
    chooseByKeys(form.PopupMenu1, form.PopupMenu1->findChild<QAction*>(u"N15"_s));
    QApplication::processEvents();
    ASSERT_TRUE(pf.exists(u"MyPlants/Roses/Shrubs"_s));
    ASSERT_EQ(form.TreeView1->currentItem()->text(0), u"Shrubs"_s);
    QApplication::setActiveWindow(&form); // the name dialog has closed
    form.TreeView1->setFocus();
    whenModal<QDialog>([](QDialog*) {
        typeHere(u"Rugosa"_s);
        pressKey(Qt::Key_Return);
    });
    pressKey(Qt::Key_Menu);
    chooseByKeys(form.PopupMenu1, form.PopupMenu1->findChild<QAction*>(u"N1"_s));
    QApplication::processEvents();
    ASSERT_TRUE(pf.exists(u"MyPlants/Roses/Shrubs/Rugosa/plant.ini"_s));
    ASSERT_EQ(form.TreeView1->currentItem()->text(0), u"Rugosa"_s);

    // F2 renames, the Note submenu marks.
    QApplication::setActiveWindow(&form);
    form.TreeView1->setFocus();
    pressKey(Qt::Key_F2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    typeHere(u"Rosa"_s);
    pressKey(Qt::Key_Return);
    ASSERT_TRUE(pf.exists(u"MyPlants/Roses/Shrubs/Rosa/plant.ini"_s));
    pressKey(Qt::Key_F10, Qt::ShiftModifier);
    auto* marks = form.PopupMenu1->findChild<QMenu*>(u"N12"_s);
    chooseByKeys(form.PopupMenu1, marks->menuAction());
    chooseByKeys(marks, marks->findChild<QAction*>(u"N21"_s));
    QApplication::processEvents();
    IniFile plant(pf.file(u"MyPlants/Roses/Shrubs/Rosa/plant.ini"_s));
    EXPECT_EQ(plant.readInteger(u"Main", u"Cond", 0), 2);

    // Alt+1 .. Alt+4: the pages and the photo comment box take the typing.
    for (int page = 1; page <= 3; ++page) {
        pressKey(Qt::Key(Qt::Key_0 + page), Qt::AltModifier);
        ASSERT_EQ(QApplication::focusWidget(), form.Editor) << page;
        typeHere(u"page%1 "_s.arg(page));
    }
    pressKey(Qt::Key_4, Qt::AltModifier);
    EXPECT_TRUE(form.Panel6->isVisible());
    pressKey(Qt::Key_1, Qt::AltModifier);
    const QString rosa = u"MyPlants/Roses/Shrubs/Rosa/"_s;
    EXPECT_TRUE(pf.read(rosa + u"description.rtf"_s).contains("page1"));
    EXPECT_TRUE(pf.read(rosa + u"care.rtf"_s).contains("page2"));
    EXPECT_TRUE(pf.read(rosa + u"diary.rtf"_s).contains("page3"));

    // Delete asks, and removes the plant by its removed name.
    form.TreeView1->setFocus();
    pressKey(Qt::Key_Delete);
    ASSERT_EQ(sink.questions.size(), 1);
    EXPECT_TRUE(sink.questions[0].contains(u"Rosa"_s));
    EXPECT_FALSE(pf.exists(rosa));

    // Shift+Tab from the tree reaches the bar; arrow keys go along it, Enter shows the group.
    form.TreeView1->setFocus();
    pressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), form.Frame11->picture(2));
    pressKey(Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), form.Frame11->picture(1));
    pressKey(Qt::Key_Down);
    pressKey(Qt::Key_Return);
    EXPECT_EQ(form.Label2->text(), u"Cacti"_s);
    ASSERT_EQ(form.TreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(form.TreeView1->topLevelItem(0)->text(0), u"Opuntia"_s);

    // Alt+5: the notes page.
    pressKey(Qt::Key_5, Qt::AltModifier);
    EXPECT_TRUE(form.notesMode);
    form.close();
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.said();
}

// The group editor from the keyboard: a picture by arrow keys and Enter, the colour by Space.
TEST(SecondLook, TheGroupEditorFromTheKeyboard)
{
    RecordingSink sink;
    MessageTable messages;
    TForm2 editor(messages, sink);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    auto* first = editor.findChild<QWidget*>(u"Im1"_s);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), u"Im6"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(editor.pictureNumber(), 6);
    EXPECT_TRUE(editor.isVisible()) << "Enter on a picture chooses it and closes nothing";
    whenModal<QColorDialog>([](QColorDialog* colours) {
        colours->setCurrentColor(QColor(0, 128, 255));
        colours->accept();
    });
    editor.Button3->setFocus();
    QTest::keyClick(editor.Button3, Qt::Key_Space);
    EXPECT_EQ(editor.color(), bgrcolor::fromColor(QColor(0, 128, 255)));
}

// A document on the command line that is refused is reported over the window, once it is shown.
TEST(SecondLook, ARefusedCommandLineDocumentIsReportedOverTheWindow)
{
    struct WhenSink : RecordingSink {
        QWidget* window = nullptr;
        bool shownFirst = true;
        void warning(const QString& text) override
        {
            shownFirst =
                shownFirst && window && window->windowHandle() && window->windowHandle()->isVisible();
            RecordingSink::warning(text);
        }
    };
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Abc=0"_s});
    pf.write(u"photo.jpg"_s, QByteArray("\xff\xd8\xff\xe0\0\x10JFIF\0", 11));
    WhenSink sink;
    TMainForm form(pf.path(), {pf.file(u"photo.jpg"_s)}, &sink);
    sink.window = &form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::processEvents();
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.shownFirst);
    EXPECT_EQ(pf.read(u"photo.jpg"_s).size(), 11);
}
