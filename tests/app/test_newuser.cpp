// What a new user does with the mouse and the keyboard, through the events those make.
#include "../support/drag.h"
#include "../support/exifjpeg.h"
#include "../support/windowevents.h"
#include "tree/planttree.h"

#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QStringList treeNames(QTreeWidget* tree)
{
    QStringList names;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        names << ((*it)->parent() ? (*it)->parent()->text(0) + u'/' : QString()) + (*it)->text(0);
    return names;
}

// Roses: the folder Palms with Kentia, and Ficus with a photo; Cacti, empty.
struct Collection {
    TempProgramFolder pf;
    RecordingSink sink;
    Collection()
    {
        pf.layOut({u"Roses"_s, u"Cacti"_s},
                  {u"Roses/Palms=1"_s, u"Roses/Palms/Kentia=0"_s, u"Roses/Ficus=0"_s});
        pf.write(u"MyPlants/Roses/Ficus/photo3.jpg"_s, exifjpeg::plainJpeg(64, 48, Qt::darkGreen));
    }
};

} // namespace

TEST(NewUser, CommentsFollowARenamedPlantAndAFailedSaveDoesNotComeBack)
{
    Collection c;
    ShownForm form(c.pf.path(), &c.sink);
    clickNode(form, u"Ficus"_s);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    PhotoPanel* photos = form.Panel6;
    QTest::mouseClick(photos->Memo1->viewport(), Qt::LeftButton);
    QTest::keyClicks(photos->Memo1, u"new leaf"_s);
    EXPECT_EQ(c.pf.read(u"MyPlants/Roses/Ficus/photo3.jpg.txt"_s), "new leaf");

    treeMenu(form, u"Ficus"_s, "N18");
    typeNewName(form, u"Ficus lyrata"_s);
    ASSERT_TRUE(QDir(c.pf.file(u"MyPlants/Roses/Ficus lyrata"_s)).exists());

    QTest::mouseClick(photos->Memo1->viewport(), Qt::LeftButton);
    QTest::keyClicks(photos->Memo1, u", and one more"_s);
    EXPECT_TRUE(c.sink.warnings.isEmpty()) << c.sink.said();
    EXPECT_EQ(c.pf.read(u"MyPlants/Roses/Ficus lyrata/photo3.jpg.txt"_s), "new leaf, and one more");
    EXPECT_FALSE(QDir(c.pf.file(u"MyPlants/Roses/Ficus"_s)).exists());
    EXPECT_TRUE(photos->shownPhotoPath().endsWith(u"/Ficus lyrata/photo3.jpg"_s));

    // A comment that cannot be written is told once; the release of the Enter that closed the
    // box reaches the comment box and must not bring it back.
    QFile::remove(c.pf.file(u"MyPlants/Roses/Ficus lyrata/photo3.jpg.txt"_s));
    c.pf.mkdir(u"MyPlants/Roses/Ficus lyrata/photo3.jpg.txt"_s);
    QTest::keyClick(photos->Memo1, Qt::Key_Exclam);
    EXPECT_EQ(c.sink.warnings.size(), 1);
    QTest::keyRelease(photos->Memo1, Qt::Key_Return);
    EXPECT_EQ(c.sink.warnings.size(), 1);
    EXPECT_EQ(photos->Memo1->toPlainText(), u"new leaf, and one more!"_s) << "the text stays";
}

TEST(NewUserDrags, OnlyTheMovedNodeLeavesTheTree)
{
    if (!platformCarriesDrags())
        GTEST_SKIP() << "run by the app_drags test under the minimal platform";
    Collection c;
    c.pf.mkdir(u"MyPlants/Roses/Zfolder"_s);
    c.pf.writeRecord(u"MyPlants/Roses/Yucca/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    ShownForm form(c.pf.path(), &c.sink);
    form.move(0, 0); // the drag finds its target by the pointer's place on the screen
    QTreeWidget* tree = form.TreeView1;
    auto at = [&](const QString& node) { return tree->visualItemRect(item(tree, node)).center(); };
    ASSERT_EQ(treeNames(tree),
              QStringList({u"Palms"_s, u"Palms/Kentia"_s, u"Zfolder"_s, u"Ficus"_s, u"Yucca"_s}));

    // Ficus onto the other group's picture.
    QWidget* cacti = form.Frame11->picture(2);
    dragWithMouse(tree->viewport(), at(u"Ficus"_s), cacti, cacti->rect().center());
    EXPECT_TRUE(c.pf.exists(u"MyPlants/Cacti/Ficus/photo3.jpg"_s));
    EXPECT_FALSE(QDir(c.pf.file(u"MyPlants/Roses/Ficus"_s)).exists());
    EXPECT_EQ(treeNames(tree), QStringList({u"Palms"_s, u"Palms/Kentia"_s, u"Zfolder"_s, u"Yucca"_s}));

    // Yucca never onto a plant; onto the empty folder, with the page typed in it saved first.
    tree->scrollToItem(item(tree, u"Kentia"_s)); // opens Palms
    dragWithMouse(tree->viewport(), at(u"Yucca"_s), tree->viewport(), at(u"Kentia"_s));
    EXPECT_TRUE(c.pf.exists(u"MyPlants/Roses/Yucca/plant.ini"_s));
    QTest::keyClicks(form.Editor, u"moved "_s);
    dragWithMouse(tree->viewport(), at(u"Yucca"_s), tree->viewport(), at(u"Zfolder"_s));
    EXPECT_TRUE(c.pf.read(u"MyPlants/Roses/Zfolder/Yucca/description.rtf"_s).contains("moved"));
    EXPECT_EQ(treeNames(tree),
              QStringList({u"Palms"_s, u"Palms/Kentia"_s, u"Zfolder"_s, u"Zfolder/Yucca"_s}));
    // The editor shows the page of the node the tree shows as selected.
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_TRUE(form.editorFileName.contains(u'/' + tree->currentItem()->text(0) + u'/'))
        << form.editorFileName.toStdString();
    // Dropped on the folder that holds it, it stays.
    tree->scrollToItem(item(tree, u"Yucca"_s));
    dragWithMouse(tree->viewport(), at(u"Yucca"_s), tree->viewport(), at(u"Zfolder"_s));
    EXPECT_TRUE(c.pf.exists(u"MyPlants/Roses/Zfolder/Yucca/plant.ini"_s));
    // Onto empty space below the nodes: out of its folder, to the top level.
    dragWithMouse(tree->viewport(), at(u"Yucca"_s), tree->viewport(),
                  QPoint(20, tree->viewport()->height() - 5));
    EXPECT_TRUE(c.pf.exists(u"MyPlants/Roses/Yucca/plant.ini"_s));
    EXPECT_FALSE(c.pf.exists(u"MyPlants/Roses/Zfolder/Yucca"_s));
    EXPECT_EQ(treeNames(tree), QStringList({u"Palms"_s, u"Palms/Kentia"_s, u"Zfolder"_s, u"Yucca"_s}));
    EXPECT_TRUE(c.sink.warnings.isEmpty()) << c.sink.said();

    // A note is never dropped on a group picture.
    c.pf.writeRecord(u"MyPlants/!Notes/group.ini"_s, u"[Group]\nColor=10484657\nImageIndex=1\n"_s);
    c.pf.writeRecord(u"MyPlants/!Notes/Orders/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
    ASSERT_EQ(treeNames(tree), QStringList{u"Orders"_s});
    dragWithMouse(tree->viewport(), at(u"Orders"_s), cacti, cacti->rect().center());
    EXPECT_TRUE(c.pf.exists(u"MyPlants/!Notes/Orders/plant.ini"_s));
    EXPECT_FALSE(c.pf.exists(u"MyPlants/Cacti/Orders"_s));
    EXPECT_EQ(treeNames(tree), QStringList{u"Orders"_s});
}

TEST(NewUser, PhonePhotosAreShownAndExportedUpright)
{
    // A portrait photo stored on its side (orientation 6), as phones write them.
    Collection c;
    const QImage upright = exifjpeg::quarters(600, 800);
    const QByteArray file = exifjpeg::withOrientation(jpegcodec::encode(exifjpeg::stored(upright, 6), 92), 6);
    c.pf.write(u"MyPlants/Roses/Ficus/photo3.jpg"_s, file);
    c.pf.write(u"phone.jpg"_s, file);
    ShownForm form(c.pf.path(), &c.sink);
    clickNode(form, u"Ficus"_s);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    const QImage shown = form.Panel6->shownImage();
    EXPECT_LT(shown.width(), shown.height());
    EXPECT_TRUE(exifjpeg::showsQuartersUpright(shown));
    EXPECT_TRUE(exifjpeg::showsQuartersUpright(form.Panel6->Image4->pixmap().toImage()));

    // The web copy carries no Exif block: its pixels are upright.
    form.askWebCopyPath = [&](const QString&, const QString&) { return c.pf.file(u"web.jpg"_s); };
    QTest::mouseClick(form.Panel6->Button12, Qt::LeftButton);
    const QImage web = jpegcodec::decode(c.pf.read(u"web.jpg"_s));
    EXPECT_EQ(web.size(), QSize(300, 400));
    EXPECT_TRUE(exifjpeg::showsQuartersUpright(web));

    // The group editor's own picture, chosen through its file dialog.
    TForm2 editor(form.messages(), c.sink, &form);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.askPicturePath = [&] { return c.pf.file(u"phone.jpg"_s); };
    QTest::mouseClick(editor.Button4, Qt::LeftButton);
    EXPECT_EQ(editor.pictureNumber(), 100);
    EXPECT_TRUE(exifjpeg::showsQuartersUpright(editor.picture()));
    EXPECT_TRUE(c.sink.warnings.isEmpty()) << c.sink.said();
}

// The page area and the side panels as pages, groups and plants come and go.
TEST(NewUser, PagesAndPanelsFollowWhatIsShown)
{
    Collection c;
    ShownForm form(c.pf.path(), &c.sink);
    // An empty group leaves an empty page area with the hint, in the language in force.
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    QTest::keyClicks(form.Editor, u"care text"_s);
    QTest::mouseClick(form.Frame11->picture(2), Qt::LeftButton); // Cacti has no plants
    EXPECT_EQ(form.TreeView1->topLevelItemCount(), 0);
    EXPECT_FALSE(form.Editor->isVisible());
    EXPECT_FALSE(form.Panel6->isVisible());
    auto* hint = form.Panel1->findChild<QLabel*>(u"EmptyPage"_s);
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), form.messages().text(u"h3"_s));
    EXPECT_FALSE(hint->text().isEmpty());
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    EXPECT_FALSE(form.Editor->isVisible()) << "no page to show";
    QTest::mouseClick(form.Frame11->picture(1), Qt::LeftButton);
    EXPECT_TRUE(form.Editor->isVisible());
    EXPECT_FALSE(hint->isVisible());
    EXPECT_TRUE(c.pf.read(u"MyPlants/Roses/Palms/care.rtf"_s).contains("care text"));

    // At the smallest width the photo page leaves the side panels alone; Kentia has no photos.
    form.resize(TMainForm::minimumStartWidth(), 586);
    QApplication::processEvents();
    clickNode(form, u"Palms"_s);
    form.TreeView1->expandAll();
    clickNode(form, u"Kentia"_s);
    const QRect bar = form.Frame11->geometry(), tree = form.Panel4->geometry();
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(form.Frame11->geometry(), bar);
    EXPECT_EQ(form.Panel4->geometry(), tree);
    // "Comments:" stays below the big centred "No photos".
    EXPECT_GT(form.Panel6->Label7->y(), form.Panel6->height() / 2 + 24);
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    EXPECT_EQ(form.Frame11->geometry(), bar);
    EXPECT_EQ(form.Panel4->geometry(), tree);

    // A plant added on the Description page after Ficus (with a photo) has no photos.
    form.askName = [](const QString&, const QString&) { return u"Monstera"_s; };
    clickNode(form, u"Ficus"_s);
    QTest::mouseClick(form.TreeView1->viewport(), Qt::RightButton, {},
                      QPoint(10, form.TreeView1->viewport()->height() - 5));
    chooseItem(form.PopupMenu1, "N1");
    ASSERT_EQ(form.TreeView1->currentItem()->text(0), u"Monstera"_s);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    EXPECT_EQ(form.Panel6->Label4->text(), u"No photos"_s);
    QTest::mouseClick(form.Panel6->Button1, Qt::LeftButton);
    EXPECT_EQ(form.Panel6->Label4->text(), u"No photos"_s);
    EXPECT_FALSE(form.Panel6->Image4->isVisible());
    QTest::mouseClick(form.Button4, Qt::LeftButton);

    // The caret panel follows the page shown after a plant is removed.
    auto caret = [&] { return form.StatusBar->findChildren<QLabel*>().value(0)->text().simplified(); };
    clickNode(form, u"Ficus"_s);
    QTest::keyClick(form.Editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(form.Editor, u"one"_s);
    QTest::keyClick(form.Editor, Qt::Key_Return);
    QTest::keyClicks(form.Editor, u"second line"_s);
    EXPECT_NE(caret(), u"Line: 1 Col: 1"_s);
    treeMenu(form, u"Ficus"_s, "N7");
    ASSERT_EQ(item(form.TreeView1, u"Ficus"_s), nullptr);
    EXPECT_EQ(caret(), u"Line: 1 Col: 1"_s);

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

TEST(NewUser, NewGroupsGoLastAndSendToFollowsTheBar)
{
    Collection c;
    ShownForm form(c.pf.path(), &c.sink);
    whenModal<TForm2>([](TForm2* editor) {
        QTest::keyClicks(editor->Edit1, u"Aroids"_s);
        QTest::mouseClick(editor->Button2, Qt::LeftButton);
    });
    groupMenu(form, 1, "N22");
    ASSERT_EQ(form.groupCount, 3);
    QStringList bar, sendTo, orders;
    auto look = [&] {
        bar = barNames(form), sendTo.clear(), orders.clear();
        for (const QString& group : bar)
            orders << QString::number(c.pf.groupValue(group, u"ImageOrder"));
        for (QAction* a : form.N8->actions())
            sendTo << a->text();
    };
    look();
    EXPECT_EQ(bar, QStringList({u"Roses"_s, u"Cacti"_s, u"Aroids"_s}));
    EXPECT_EQ(orders, QStringList({u"1"_s, u"2"_s, u"3"_s}));
    EXPECT_EQ(sendTo, bar);
    QTest::mouseClick(form.Frame11->picture(3), Qt::LeftButton);
    groupMenu(form, 3, "N26"); // Move UP
    look();
    EXPECT_EQ(bar, QStringList({u"Roses"_s, u"Aroids"_s, u"Cacti"_s}));
    EXPECT_EQ(sendTo, bar);
}

TEST(NewUser, EnterAtADestructiveQuestionKeepsEverything)
{
    Collection c;
    ShownForm form(c.pf.path(), nullptr); // the window's own message boxes
    QString asked;
    auto pressEnterOnTheBox = [&] {
        whenModal<QWidget>([&](QWidget* box) {
            asked = box->findChild<QLabel*>(u"qt_msgbox_label"_s)->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
    };
    pressEnterOnTheBox();
    treeMenu(form, u"Ficus"_s, "N7");
    EXPECT_TRUE(asked.contains(u"\"Ficus\""_s));
    EXPECT_TRUE(c.pf.exists(u"MyPlants/Roses/Ficus/plant.ini"_s));
    EXPECT_NE(item(form.TreeView1, u"Ficus"_s), nullptr);

    clickNode(form, u"Ficus"_s);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    pressEnterOnTheBox();
    QTest::mouseClick(form.Panel6->Button8, Qt::LeftButton);
    EXPECT_EQ(asked, u"Remove photo?\n\nThe file photo3.jpg goes to the trash."_s);
    EXPECT_TRUE(c.pf.exists(u"MyPlants/Roses/Ficus/photo3.jpg"_s));
}

TEST(NewUser, F2RenamesTheSelectedNodeWhereverTheFocusIs)
{
    Collection c;
    ShownForm form(c.pf.path(), &c.sink);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    clickNode(form, u"Ficus"_s);
    ASSERT_EQ(QApplication::focusWidget(), form.TreeView1) << "the keyboard stays with the tree clicked";
    QTest::mouseClick(form.Editor->viewport(), Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), form.Editor);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    typeNewName(form, u"Rubber plant"_s);
    EXPECT_TRUE(c.pf.exists(u"MyPlants/Roses/Rubber plant/plant.ini"_s));
    EXPECT_EQ(form.TreeView1->currentItem()->text(0), u"Rubber plant"_s);

    // From the comment box of the photo page too.
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    QTest::mouseClick(form.Panel6->Memo1->viewport(), Qt::LeftButton);
    QTest::keyClick(form.Panel6->Memo1, Qt::Key_F2);
    typeNewName(form, u"Ficus"_s);
    EXPECT_TRUE(c.pf.exists(u"MyPlants/Roses/Ficus/photo3.jpg"_s));
    EXPECT_TRUE(form.Panel6->Memo1->toPlainText().isEmpty()) << "nothing typed into the comment";
}

TEST(NewUser, EachGroupShowsItsLastNodeAgainAlsoAfterARestart)
{
    Collection c;
    {
        ShownForm form(c.pf.path(), &c.sink);
        QTreeWidget* tree = form.TreeView1;
        auto openPalms = [&] {
            clickNode(form, u"Palms"_s);
            QTest::keyClick(tree, Qt::Key_Right);
            ASSERT_TRUE(item(tree, u"Palms"_s)->isExpanded());
        };
        openPalms();
        clickNode(form, u"Kentia"_s);
        clickNode(form, u"Ficus"_s);
        QTest::mouseClick(form.Frame11->picture(2), Qt::LeftButton);
        QTest::mouseClick(form.Frame11->picture(1), Qt::LeftButton);
        EXPECT_EQ(tree->currentItem()->text(0), u"Ficus"_s);
        if (!item(tree, u"Palms"_s)->isExpanded())
            openPalms();
        clickNode(form, u"Kentia"_s);
        ASSERT_EQ(tree->currentItem()->text(0), u"Kentia"_s);
        form.close();
    }
    EXPECT_TRUE(c.pf.read(u"main.ini"_s).contains("[LastNodes]\r\nRoses=Palms\\Kentia\r\n"));
    ShownForm again(c.pf.path(), &c.sink);
    ASSERT_NE(again.TreeView1->currentItem(), nullptr);
    EXPECT_EQ(planttree::pathOf(again.TreeView1->currentItem()), u"Palms\\Kentia"_s);
    EXPECT_TRUE(again.editorFileName.endsWith(u"/Palms/Kentia/description.rtf"_s));
    EXPECT_TRUE(c.sink.warnings.isEmpty()) << c.sink.said();
}

TEST(NewUser, WithoutAWordProcessorATemplateIsEditedInThePageEditor)
{
    Collection c;
    // A desktop without the freedesktop.org tools, so without a program for .rtf files.
    const QByteArray path = qgetenv("PATH");
    QTemporaryDir noPrograms;
    qputenv("PATH", QFile::encodeName(noPrograms.path()));
    ShownForm form(c.pf.path(), &c.sink);
    clickNode(form, u"Ficus"_s);
    menuBarItem(form, "File1", "N35", "N36");
    qputenv("PATH", path);
    ASSERT_EQ(c.sink.questions.size(), 1);
    EXPECT_TRUE(c.sink.questions.front().contains(u"no program for rich text"_s));
    EXPECT_TRUE(form.editorFileName.endsWith(u"/!Shablon_all/description.rtf"_s))
        << form.editorFileName.toStdString();
    ASSERT_TRUE(form.Editor->isVisible());
    QTest::keyClick(form.Editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(form.Editor, u"Where it came from:"_s);
    // Going to a plant writes the template, as it would write a page.
    clickNode(form, u"Palms"_s);
    EXPECT_TRUE(c.pf.read(u"MyPlants/!Shablon_all/description.rtf"_s).contains("Where it came from:"));
}
