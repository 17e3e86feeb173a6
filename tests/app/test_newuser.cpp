// What a new user does with the mouse and the keyboard, through the events those make.
#include "../support/drag.h"
#include "../support/exifjpeg.h"
#include "../support/tempprogramfolder.h"
#include "../support/treeitems.h"
#include "../support/windowevents.h"
#include "app/mainform.h"
#include "editor/editor.h"
#include "groups/tform2.h"
#include "groups/tframe1.h"
#include "photos/photopanel.h"
#include "platform/jpegcodec.h"
#include "tree/planttree.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

QPoint centreOf(QTreeWidget* tree, const QString& text)
{
    return tree->visualItemRect(item(tree, text)).center();
}

QStringList treeNames(QTreeWidget* tree)
{
    QStringList names;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        names << ((*it)->parent() ? (*it)->parent()->text(0) + u'/' : QString()) + (*it)->text(0);
    return names;
}

// A right click on a node, then a click on the menu item.
void treeMenu(TMainForm& form, const QString& node, const char* itemName)
{
    QTest::mouseClick(form.TreeView1->viewport(), Qt::RightButton, {}, centreOf(form.TreeView1, node));
    QAction* a = form.PopupMenu1->findChild<QAction*>(QString::fromLatin1(itemName));
    ASSERT_TRUE(form.PopupMenu1->isVisible());
    QTest::mouseClick(form.PopupMenu1, Qt::LeftButton, {}, form.PopupMenu1->actionGeometry(a).center());
}

// F2 or Rename has opened the caption's editor: type the new name and press Enter.
void typeNewName(TMainForm& form, const QString& name)
{
    // The user types where the keyboard is: that must be the caption's editor in the tree.
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr) << "no caption editor has the keyboard";
    ASSERT_TRUE(form.TreeView1->isAncestorOf(edit));
    edit->selectAll();
    QTest::keyClicks(edit, name);
    QTest::keyClick(edit, Qt::Key_Return);
    QApplication::processEvents(); // the caption is committed from the event loop
}

QImage photo(int w, int h, QColor colour)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(colour);
    return img;
}

struct Collection {
    TempProgramFolder pf;
    RecordingSink sink;
    Collection()
    {
        pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
        pf.writeRecord(QStringLiteral("MyPlants/Cacti/group.ini"), QStringLiteral("[Group]\nImageOrder=2\n"));
        pf.writeRecord(QStringLiteral("MyPlants/Roses/Palms/plant.ini"), QStringLiteral("[Main]\nCond=1\n"));
        pf.writeRecord(QStringLiteral("MyPlants/Roses/Palms/Kentia/plant.ini"),
                       QStringLiteral("[Main]\nCond=0\n"));
        pf.writeRecord(QStringLiteral("MyPlants/Roses/Ficus/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
        pf.write(QStringLiteral("MyPlants/Roses/Ficus/photo3.jpg"),
                 jpegcodec::encode(photo(64, 48, Qt::darkGreen), 90));
        pf.writeRecord(QStringLiteral("main.ini"), QStringLiteral("[Options]\nLastGroup=Roses\n"));
    }
};

} // namespace

TEST(NewUser, CommentsFollowARenamedPlantAndAFailedSaveDoesNotComeBack)
{
    Collection c;
    TMainForm form(c.pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {},
                      centreOf(form.TreeView1, QStringLiteral("Ficus")));
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    PhotoPanel* photos = form.Panel6;
    QTest::mouseClick(photos->Memo1->viewport(), Qt::LeftButton);
    QTest::keyClicks(photos->Memo1, QStringLiteral("new leaf"));
    EXPECT_EQ(c.pf.read(QStringLiteral("MyPlants/Roses/Ficus/photo3.jpg.txt")), "new leaf");

    treeMenu(form, QStringLiteral("Ficus"), "N18");
    typeNewName(form, QStringLiteral("Ficus lyrata"));
    ASSERT_TRUE(QDir(c.pf.file(QStringLiteral("MyPlants/Roses/Ficus lyrata"))).exists());

    QTest::mouseClick(photos->Memo1->viewport(), Qt::LeftButton);
    QTest::keyClicks(photos->Memo1, QStringLiteral(", and one more"));
    EXPECT_TRUE(c.sink.warnings.isEmpty()) << c.sink.warnings.join(u'\n').toStdString();
    EXPECT_EQ(c.pf.read(QStringLiteral("MyPlants/Roses/Ficus lyrata/photo3.jpg.txt")),
              "new leaf, and one more");
    EXPECT_FALSE(QDir(c.pf.file(QStringLiteral("MyPlants/Roses/Ficus"))).exists());
    EXPECT_TRUE(photos->shownPhotoPath().endsWith(QStringLiteral("/Ficus lyrata/photo3.jpg")));

    // A comment that cannot be written is told once; the release of the Enter that closed the
    // box reaches the comment box and must not bring it back.
    QFile::remove(c.pf.file(QStringLiteral("MyPlants/Roses/Ficus lyrata/photo3.jpg.txt")));
    c.pf.mkdir(QStringLiteral("MyPlants/Roses/Ficus lyrata/photo3.jpg.txt"));
    QTest::keyClick(photos->Memo1, Qt::Key_Exclam);
    EXPECT_EQ(c.sink.warnings.size(), 1);
    QTest::keyRelease(photos->Memo1, Qt::Key_Return);
    EXPECT_EQ(c.sink.warnings.size(), 1);
    EXPECT_EQ(photos->Memo1->toPlainText(), QStringLiteral("new leaf, and one more!")) << "the text stays";
}

TEST(NewUserDrags, OnlyTheMovedNodeLeavesTheTree)
{
    if (!platformCarriesDrags())
        GTEST_SKIP() << "run by the app_drags test under the minimal platform";
    Collection c;
    c.pf.mkdir(QStringLiteral("MyPlants/Roses/Zfolder"));
    c.pf.writeRecord(QStringLiteral("MyPlants/Roses/Yucca/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    TMainForm form(c.pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.move(0, 0); // the drag finds its target by the pointer's place on the screen
    QTreeWidget* tree = form.TreeView1;
    ASSERT_EQ(treeNames(tree),
              QStringList({QStringLiteral("Palms"), QStringLiteral("Palms/Kentia"), QStringLiteral("Zfolder"),
                           QStringLiteral("Ficus"), QStringLiteral("Yucca")}));

    // Ficus onto the other group's picture.
    QWidget* cacti = form.Frame11->picture(2);
    dragWithMouse(tree->viewport(), centreOf(tree, QStringLiteral("Ficus")), cacti, cacti->rect().center());
    EXPECT_TRUE(c.pf.exists(QStringLiteral("MyPlants/Cacti/Ficus/photo3.jpg")));
    EXPECT_FALSE(QDir(c.pf.file(QStringLiteral("MyPlants/Roses/Ficus"))).exists());
    EXPECT_EQ(treeNames(tree), QStringList({QStringLiteral("Palms"), QStringLiteral("Palms/Kentia"),
                                            QStringLiteral("Zfolder"), QStringLiteral("Yucca")}));

    // Yucca onto the empty folder.
    dragWithMouse(tree->viewport(), centreOf(tree, QStringLiteral("Yucca")), tree->viewport(),
                  centreOf(tree, QStringLiteral("Zfolder")));
    EXPECT_TRUE(c.pf.exists(QStringLiteral("MyPlants/Roses/Zfolder/Yucca/plant.ini")));
    EXPECT_EQ(treeNames(tree), QStringList({QStringLiteral("Palms"), QStringLiteral("Palms/Kentia"),
                                            QStringLiteral("Zfolder"), QStringLiteral("Zfolder/Yucca")}));
    // The editor shows the page of the node the tree shows as selected.
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_TRUE(form.editorFileName.contains(u'/' + tree->currentItem()->text(0) + u'/'))
        << form.editorFileName.toStdString();
    EXPECT_TRUE(c.sink.warnings.isEmpty()) << c.sink.warnings.join(u'\n').toStdString();
}

TEST(NewUser, PhonePhotosAreShownAndExportedUpright)
{
    // A portrait photo stored on its side (orientation 6), as phones write them.
    Collection c;
    const QImage upright = exifjpeg::quarters(600, 800);
    const QByteArray file = exifjpeg::withOrientation(jpegcodec::encode(exifjpeg::stored(upright, 6), 92), 6);
    c.pf.write(QStringLiteral("MyPlants/Roses/Ficus/photo3.jpg"), file);
    c.pf.write(QStringLiteral("phone.jpg"), file);
    TMainForm form(c.pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {},
                      centreOf(form.TreeView1, QStringLiteral("Ficus")));
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    const QImage shown = form.Panel6->shownImage();
    EXPECT_LT(shown.width(), shown.height());
    EXPECT_TRUE(exifjpeg::showsQuartersUpright(shown));
    EXPECT_TRUE(exifjpeg::showsQuartersUpright(form.Panel6->Image4->pixmap().toImage()));

    // The web copy carries no Exif block: its pixels are upright.
    const QString saved = c.pf.file(QStringLiteral("web.jpg"));
    form.askWebCopyPath = [&](const QString&, const QString&) { return saved; };
    QTest::mouseClick(form.Panel6->Button12, Qt::LeftButton);
    QFile f(saved);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QImage web = jpegcodec::decode(f.readAll());
    EXPECT_EQ(web.size(), QSize(300, 400));
    EXPECT_TRUE(exifjpeg::showsQuartersUpright(web));

    // The group editor's own picture, chosen through its file dialog.
    TForm2 editor(form.messages(), c.sink, &form);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.askPicturePath = [&] { return c.pf.file(QStringLiteral("phone.jpg")); };
    QTest::mouseClick(editor.Button4, Qt::LeftButton);
    EXPECT_EQ(editor.pictureNumber(), 100);
    EXPECT_TRUE(exifjpeg::showsQuartersUpright(editor.picture()));
    EXPECT_TRUE(c.sink.warnings.isEmpty()) << c.sink.warnings.join(u'\n').toStdString();
}

TEST(NewUser, APlantAddedOnTheDescriptionPageHasNoPhotosOnThePhotoPage)
{
    Collection c;
    TMainForm form(c.pf.path(), {}, &c.sink);
    form.askName = [](const QString&, const QString&) { return QStringLiteral("Monstera"); };
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // Ficus, with a photo, is shown first on the Description page.
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {},
                      centreOf(form.TreeView1, QStringLiteral("Ficus")));
    const QPoint empty(10, form.TreeView1->viewport()->height() - 5);
    QTest::mouseClick(form.TreeView1->viewport(), Qt::RightButton, {}, empty);
    QAction* add = form.PopupMenu1->findChild<QAction*>(QStringLiteral("N1"));
    QTest::mouseClick(form.PopupMenu1, Qt::LeftButton, {}, form.PopupMenu1->actionGeometry(add).center());
    ASSERT_EQ(form.TreeView1->currentItem()->text(0), QStringLiteral("Monstera"));
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    EXPECT_EQ(form.Panel6->Label4->text(), QStringLiteral("No photos"));
    QTest::mouseClick(form.Panel6->Button1, Qt::LeftButton);
    EXPECT_EQ(form.Panel6->Label4->text(), QStringLiteral("No photos"));
    EXPECT_FALSE(form.Panel6->Image4->isVisible());
}

TEST(NewUser, ThePhotoPageLeavesTheSidePanelsAlone)
{
    Collection c;
    TMainForm form(c.pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.resize(TMainForm::minimumStartWidth(), 586);
    QApplication::processEvents();
    // Kentia has no photos.
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {},
                      centreOf(form.TreeView1, QStringLiteral("Palms")));
    form.TreeView1->expandAll();
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {},
                      centreOf(form.TreeView1, QStringLiteral("Kentia")));
    const QRect bar = form.Frame11->geometry(), tree = form.Panel4->geometry();
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(form.Frame11->geometry(), bar);
    EXPECT_EQ(form.Panel4->geometry(), tree);
    // "Comments:" stays below the big centred "No photos".
    PhotoPanel* photos = form.Panel6;
    EXPECT_GT(photos->Label7->y(), photos->height() / 2 + 24);
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    EXPECT_EQ(form.Frame11->geometry(), bar);
    EXPECT_EQ(form.Panel4->geometry(), tree);
}

TEST(NewUser, AnEmptyGroupShowsAnEmptyPageArea)
{
    Collection c;
    TMainForm form(c.pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QTest::keyClicks(form.Editor, QStringLiteral("care text"));
    QTest::mouseClick(form.Frame11->picture(2), Qt::LeftButton); // Cacti has no plants
    EXPECT_EQ(form.TreeView1->topLevelItemCount(), 0);
    EXPECT_FALSE(form.Editor->isVisible());
    EXPECT_FALSE(form.Panel6->isVisible());
    auto* hint = form.Panel1->findChild<QLabel*>(QStringLiteral("EmptyPage"));
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_FALSE(hint->text().isEmpty());
    EXPECT_EQ(hint->text(), form.messages().text(QStringLiteral("h3"))) << "in the language in force";
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    EXPECT_FALSE(form.Editor->isVisible()) << "no page to show";
    // Back in a group with plants, the page is there again.
    QTest::mouseClick(form.Frame11->picture(1), Qt::LeftButton);
    EXPECT_TRUE(form.Editor->isVisible());
    EXPECT_FALSE(hint->isVisible());
    EXPECT_TRUE(c.pf.read(QStringLiteral("MyPlants/Roses/Palms/care.rtf")).contains("care text"));
}

TEST(NewUser, NewGroupsGoLastAndSendToFollowsTheBar)
{
    Collection c;
    TMainForm form(c.pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    whenModal<QWidget>([](QWidget* w) {
        auto* editor = qobject_cast<TForm2*>(w);
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor->Edit1, QStringLiteral("Aroids"));
        QTest::mouseClick(editor->Button2, Qt::LeftButton);
    });
    groupMenu(form, 1, "N22");
    ASSERT_EQ(form.groupCount, 3);
    auto bar = [&] {
        QStringList names;
        for (int n = 1; n <= form.groupCount; ++n)
            names << form.Frame11->entry(n).name;
        return names;
    };
    auto sendTo = [&] {
        QStringList names;
        for (QAction* a : form.N8->actions())
            names << a->text();
        return names;
    };
    EXPECT_EQ(bar(),
              QStringList({QStringLiteral("Roses"), QStringLiteral("Cacti"), QStringLiteral("Aroids")}));
    QStringList orders;
    for (const QString& g : bar())
        orders << QString::fromLatin1(
                      c.pf.read(QStringLiteral("MyPlants/") + g + QStringLiteral("/group.ini")))
                      .section(QStringLiteral("ImageOrder="), 1)
                      .section(u'\r', 0, 0);
    EXPECT_EQ(orders, QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(sendTo(), bar());
    QTest::mouseClick(form.Frame11->picture(3), Qt::LeftButton);
    groupMenu(form, 3, "N26"); // Move UP
    EXPECT_EQ(bar(),
              QStringList({QStringLiteral("Roses"), QStringLiteral("Aroids"), QStringLiteral("Cacti")}));
    EXPECT_EQ(sendTo(), bar());
}

TEST(NewUser, EnterAtADestructiveQuestionKeepsEverything)
{
    Collection c;
    TMainForm form(c.pf.path(), {}); // the window's own message boxes
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QString asked;
    auto pressEnterOnTheBox = [&] {
        whenModal<QWidget>([&](QWidget* box) {
            asked = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
    };
    pressEnterOnTheBox();
    treeMenu(form, QStringLiteral("Ficus"), "N7");
    EXPECT_TRUE(asked.contains(QStringLiteral("\"Ficus\"")));
    EXPECT_TRUE(c.pf.exists(QStringLiteral("MyPlants/Roses/Ficus/plant.ini")));
    EXPECT_NE(item(form.TreeView1, QStringLiteral("Ficus")), nullptr);

    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {},
                      centreOf(form.TreeView1, QStringLiteral("Ficus")));
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    pressEnterOnTheBox();
    QTest::mouseClick(form.Panel6->Button8, Qt::LeftButton);
    EXPECT_EQ(asked, QStringLiteral("Remove photo?"));
    EXPECT_TRUE(c.pf.exists(QStringLiteral("MyPlants/Roses/Ficus/photo3.jpg")));
}

TEST(NewUser, F2RenamesTheSelectedNodeWhereverTheFocusIs)
{
    Collection c;
    TMainForm form(c.pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {},
                      centreOf(form.TreeView1, QStringLiteral("Ficus")));
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), form.Editor) << "a click on a plant puts the caret in its page";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    typeNewName(form, QStringLiteral("Rubber plant"));
    EXPECT_TRUE(c.pf.exists(QStringLiteral("MyPlants/Roses/Rubber plant/plant.ini")));
    EXPECT_EQ(form.TreeView1->currentItem()->text(0), QStringLiteral("Rubber plant"));

    // From the comment box of the photo page too.
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    QTest::mouseClick(form.Panel6->Memo1->viewport(), Qt::LeftButton);
    QTest::keyClick(form.Panel6->Memo1, Qt::Key_F2);
    typeNewName(form, QStringLiteral("Ficus"));
    EXPECT_TRUE(c.pf.exists(QStringLiteral("MyPlants/Roses/Ficus/photo3.jpg")));
    EXPECT_TRUE(form.Panel6->Memo1->toPlainText().isEmpty()) << "nothing typed into the comment";
}

TEST(NewUser, SmallerThings)
{
    Collection c;
    TMainForm form(c.pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto caret = [&] {
        for (QLabel* l : form.StatusBar->findChildren<QLabel*>())
            if (l->text().startsWith(QStringLiteral("Line:")))
                return l->text().simplified();
        return QString();
    };
    // The caret panel follows the page shown after a plant is removed.
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {},
                      centreOf(form.TreeView1, QStringLiteral("Ficus")));
    QTest::keyClick(form.Editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(form.Editor, QStringLiteral("one"));
    QTest::keyClick(form.Editor, Qt::Key_Return);
    QTest::keyClicks(form.Editor, QStringLiteral("second line"));
    EXPECT_NE(caret(), QStringLiteral("Line: 1 Col: 1"));
    treeMenu(form, QStringLiteral("Ficus"), "N7");
    ASSERT_EQ(item(form.TreeView1, QStringLiteral("Ficus")), nullptr);
    EXPECT_EQ(caret(), QStringLiteral("Line: 1 Col: 1"));

    // The group editor's name box starts after its caption.
    TForm2 editor(form.messages(), c.sink, &form);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    for (QLabel* l : editor.findChildren<QLabel*>()) {
        if (textKeyOf(l) == 50) {
            EXPECT_LT(l->geometry().right(), editor.Edit1->x()) << "the caption is not covered";
        }
    }
}

TEST(NewUser, EachGroupShowsItsLastNodeAgainAlsoAfterARestart)
{
    Collection c;
    const QByteArray before = c.pf.read(QStringLiteral("main.ini"));
    {
        TMainForm form(c.pf.path(), {}, &c.sink);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QTreeWidget* tree = form.TreeView1;
        auto openPalms = [&] {
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centreOf(tree, QStringLiteral("Palms")));
            QTest::keyClick(tree, Qt::Key_Right);
            ASSERT_TRUE(item(tree, QStringLiteral("Palms"))->isExpanded());
        };
        openPalms();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centreOf(tree, QStringLiteral("Kentia")));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centreOf(tree, QStringLiteral("Ficus")));
        QTest::mouseClick(form.Frame11->picture(2), Qt::LeftButton);
        QTest::mouseClick(form.Frame11->picture(1), Qt::LeftButton);
        EXPECT_EQ(tree->currentItem()->text(0), QStringLiteral("Ficus"));
        if (!item(tree, QStringLiteral("Palms"))->isExpanded())
            openPalms();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centreOf(tree, QStringLiteral("Kentia")));
        ASSERT_EQ(tree->currentItem()->text(0), QStringLiteral("Kentia"));
        form.close();
    }
    EXPECT_TRUE(c.pf.read(QStringLiteral("main.ini")).contains("[LastNodes]\r\nRoses=Palms\\Kentia\r\n"));
    TMainForm again(c.pf.path(), {}, &c.sink);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    ASSERT_NE(again.TreeView1->currentItem(), nullptr);
    EXPECT_EQ(planttree::pathOf(again.TreeView1->currentItem()), QStringLiteral("Palms\\Kentia"));
    EXPECT_TRUE(again.editorFileName.endsWith(QStringLiteral("/Palms/Kentia/description.rtf")));
    EXPECT_TRUE(c.sink.warnings.isEmpty()) << c.sink.warnings.join(u'\n').toStdString();
}

TEST(NewUser, WithoutAWordProcessorATemplateIsEditedInThePageEditor)
{
    Collection c;
    // A desktop without the freedesktop.org tools, so without a program for .rtf files.
    const QByteArray path = qgetenv("PATH");
    QTemporaryDir noPrograms;
    qputenv("PATH", QFile::encodeName(noPrograms.path()));
    TMainForm form(c.pf.path(), {}, &c.sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {},
                      centreOf(form.TreeView1, QStringLiteral("Ficus")));
    QMenuBar* bar = form.menuBar();
    auto* file = form.findChild<QMenu*>(QStringLiteral("File1"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file->menuAction()).center());
    ASSERT_TRUE(file->isVisible());
    auto* patterns = form.findChild<QMenu*>(QStringLiteral("N35"));
    QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(patterns->menuAction()).center());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return patterns->isVisible(); }, 2000)); // a submenu opens a moment later
    QAction* description = patterns->findChild<QAction*>(QStringLiteral("N36"));
    if (!description)
        description = patterns->actions().front();
    QTest::mouseClick(patterns, Qt::LeftButton, {}, patterns->actionGeometry(description).center());
    qputenv("PATH", path);
    ASSERT_EQ(c.sink.questions.size(), 1);
    EXPECT_TRUE(c.sink.questions.front().contains(QStringLiteral("no program for rich text")));
    EXPECT_TRUE(form.editorFileName.endsWith(QStringLiteral("/!Shablon_all/description.rtf")))
        << form.editorFileName.toStdString();
    ASSERT_TRUE(form.Editor->isVisible());
    QTest::keyClick(form.Editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(form.Editor, QStringLiteral("Where it came from:"));
    // Going to a plant writes the template, as it would write a page.
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {},
                      centreOf(form.TreeView1, QStringLiteral("Palms")));
    EXPECT_TRUE(
        c.pf.read(QStringLiteral("MyPlants/!Shablon_all/description.rtf")).contains("Where it came from:"));
}
