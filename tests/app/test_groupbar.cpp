#include "../support/exifjpeg.h"
#include "../support/windowevents.h"
#include "groups/bmpfile.h"
#include "platform/bgrcolor.h"

#include <QColorDialog>
#include <QMimeData>

using namespace Qt::StringLiterals;

TEST(GroupBar, DefaultGroupsClicksAndMoves)
{
    TempProgramFolder pf;
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);

    // A collection without groups gets the three default ones, in the order listed.
    ASSERT_EQ(barNames(form),
              QStringList({u"Decoratively deciduous"_s, u"Decoratively blossoming"_s, u"Succulents"_s}));
    EXPECT_EQ(pf.groupValue(u"Succulents"_s, u"Color"), 0xFCC99E);
    EXPECT_EQ(pf.groupValue(u"Succulents"_s, u"ImageIndex"), 2);
    EXPECT_EQ(pf.groupValue(u"Decoratively blossoming"_s, u"ImageIndex"), 17);
    // One word a line; the next picture starts below the caption; the rectangle frames slot 1.
    TFrame1* bar = form.Frame11;
    EXPECT_EQ(bar->caption(1)->text(), u"Decoratively\ndeciduous"_s);
    EXPECT_EQ(bar->picture(1)->y(), 3);
    EXPECT_EQ(bar->caption(1)->y(), 70);
    EXPECT_EQ(bar->picture(2)->y(), 70 + bar->caption(1)->height());
    EXPECT_EQ(bar->Shape1->geometry(), QRect(1, 1, bar->Panel5->width() - 2, bar->caption(1)->height() + 69));
    EXPECT_FALSE(bar->picture(1)->pixmap().isNull());
    EXPECT_EQ(form.currentGroupName, u"Decoratively deciduous"_s);

    // Text typed on a plant's Care page: clicking another group writes it, then shows that group.
    pf.writeRecord(u"MyPlants/Succulents/Aloe/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    pf.writeRecord(u"MyPlants/Decoratively deciduous/Maple/plant.ini"_s, u"[Main]\nCond=2\n"_s);
    QTest::mouseClick(bar->picture(2), Qt::LeftButton); // reload the first group to see the plant
    QTest::mouseClick(bar->picture(1), Qt::LeftButton);
    ASSERT_EQ(form.TreeView1->topLevelItemCount(), 1);
    QTest::mouseClick(form.Button5, Qt::LeftButton); // Care; a group click goes back to Description
    QTest::keyClicks(form.Editor, u"water"_s);
    QTest::mouseClick(bar->picture(3), Qt::LeftButton);
    EXPECT_TRUE(pf.read(u"MyPlants/Decoratively deciduous/Maple/care.rtf"_s).contains("water"));
    EXPECT_EQ(form.currentGroupName, u"Succulents"_s);
    EXPECT_EQ(form.currentPageFile, u"description.rtf"_s);
    EXPECT_EQ(form.selectedSlot, 3);
    EXPECT_EQ(bar->Shape1->y(), bar->picture(3)->y() - 2);

    // Dragging slot 3's picture onto slot 1 exchanges the two; only their records are written.
    const QByteArray middle = pf.read(u"MyPlants/Decoratively blossoming/group.ini"_s);
    QMimeData data;
    data.setData(QString::fromLatin1(GroupPicture::kMimeType), "3");
    const QPoint at = bar->picture(1)->rect().center();
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(bar->picture(1), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(bar->picture(1), &drop);
    EXPECT_EQ(barNames(form),
              QStringList({u"Succulents"_s, u"Decoratively blossoming"_s, u"Decoratively deciduous"_s}));
    EXPECT_EQ(pf.groupValue(u"Succulents"_s, u"ImageOrder"), 1);
    EXPECT_EQ(pf.groupValue(u"Decoratively deciduous"_s, u"ImageOrder"), 3);
    EXPECT_EQ(pf.read(u"MyPlants/Decoratively blossoming/group.ini"_s), middle);
    EXPECT_EQ(form.selectedSlot, 1);
    // Move UP on the first slot does nothing.
    groupMenu(form, 1, "N26");
    EXPECT_EQ(barNames(form).front(), u"Succulents"_s);
    // The order holds after a restart.
    form.close();
    ShownForm again(pf.path(), &sink);
    EXPECT_EQ(barNames(again).front(), u"Succulents"_s);
    EXPECT_EQ(again.currentGroupName, u"Succulents"_s) << "the remembered group";
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.said();
}

TEST(GroupBar, AddChangeAndDeleteThroughTheGroupEditor)
{
    TempProgramFolder pf;
    pf.writeRecord(u"MyPlants/Roses/group.ini"_s, u"[Group]\nImageOrder=1\nImageIndex=18\n"_s);
    pf.writeRecord(u"MyPlants/Cacti/group.ini"_s, u"[Group]\nImageOrder=2\nImageIndex=2\n"_s);
    pf.writeRecord(u"MyPlants/Cacti/Opuntia/plant.ini"_s, u"[Main]\nCond=0\n"_s);
    pf.writeRecord(u"main.ini"_s, u"[Options]\nLastGroup=Cacti\n"_s);
    pf.write(u"own.JPG"_s, exifjpeg::plainJpeg(140, 130, QColor(20, 120, 220)));
    pf.write(u"own.png"_s, "not taken");
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    ASSERT_EQ(form.currentGroupName, u"Cacti"_s);
    ASSERT_EQ(form.selectedSlot, 2);

    // Add: a name that cannot be a folder is refused in the editor; then a good one is made.
    whenModal<TForm2>([&](TForm2* editor) {
        QTest::keyClicks(editor->Edit1, u"a/b"_s);
        QTest::mouseClick(editor->Button2, Qt::LeftButton);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(sink.warnings.size(), 1);
        editor->Edit1->selectAll();
        typeText(editor->Edit1, u"Папоротники"_s);
        QTest::mouseClick(editor->findChild<QLabel*>(u"Im5"_s), Qt::LeftButton);
        editor->Edit1->setFocus();
        QTest::keyClick(editor->Edit1, Qt::Key_Return); // Enter in the name confirms
    });
    groupMenu(form, 2, "N22");
    sink.warnings.clear();
    EXPECT_FALSE(QDir(pf.file(u"MyPlants/a"_s)).exists());
    const QString ferns = u"Папоротники"_s;
    EXPECT_EQ(pf.groupValue(ferns, u"ImageIndex"), 5);
    EXPECT_EQ(pf.groupValue(ferns, u"Color"), 0xFFFFFF);
    EXPECT_EQ(form.groupCount, 3);
    // The rectangle stays on the group the tree shows.
    EXPECT_EQ(form.Frame11->entry(form.selectedSlot).name, u"Cacti"_s);

    // Change: own picture (an upper-case .JPG is taken, a .png is not), new colour and new name.
    whenModal<TForm2>([&](TForm2* editor) {
        EXPECT_EQ(editor->groupName(), u"Cacti"_s);
        EXPECT_EQ(editor->pictureNumber(), 2);
        QStringList picked = {pf.file(u"own.png"_s), pf.file(u"own.JPG"_s)};
        editor->askPicturePath = [&picked] { return picked.takeFirst(); };
        QTest::mouseClick(editor->Button4, Qt::LeftButton);
        EXPECT_EQ(sink.warnings.value(0), u"Supported type of images is BMP and JPG only."_s);
        EXPECT_EQ(editor->pictureNumber(), 2);
        QTest::mouseClick(editor->Button4, Qt::LeftButton);
        EXPECT_EQ(editor->pictureNumber(), 100);
        whenModal<QColorDialog>([](QColorDialog* colours) {
            colours->setCurrentColor(bgrcolor::toColor(0x00C0FF));
            colours->accept();
        });
        QTest::mouseClick(editor->Shape1, Qt::LeftButton);
        editor->Edit1->selectAll();
        QTest::keyClicks(editor->Edit1, u"Cactaceae"_s);
        QTest::mouseClick(editor->Button2, Qt::LeftButton);
    });
    groupMenu(form, 2, "N23");
    EXPECT_FALSE(pf.exists(u"MyPlants/Cacti"_s));
    EXPECT_TRUE(pf.exists(u"MyPlants/Cactaceae/Opuntia/plant.ini"_s));
    EXPECT_EQ(pf.groupValue(u"Cactaceae"_s, u"ImageIndex"), 100);
    EXPECT_EQ(pf.groupValue(u"Cactaceae"_s, u"Color"), 0x00C0FF);
    const QByteArray bmp = pf.read(u"MyPlants/Cactaceae/groupimage.bmp"_s);
    ASSERT_EQ(bmp.size(), 54 + 212 * 65);
    // Stored blue, green, red: the photo's colour, within what JPEG keeps.
    EXPECT_NEAR(uchar(bmp[54]), 220, 3);
    EXPECT_NEAR(uchar(bmp[55]), 120, 3);
    EXPECT_NEAR(uchar(bmp[56]), 20, 3);
    EXPECT_EQ(form.Label2->text(), u"Cactaceae"_s);
    EXPECT_EQ(form.currentGroupName, u"Cactaceae"_s);
    EXPECT_TRUE(form.editorFileName.contains(u"/Cactaceae/"_s)) << "the page follows its folder";

    // Delete renames the folder to a removed name; nothing is lost, slot 1 is shown.
    groupMenu(form, 2, "N24");
    EXPECT_TRUE(sink.questions.back().startsWith(u"Are you sure to remove \"Cactaceae\"?\n\nWith it go its plants ("_s))
        << sink.said();
    EXPECT_FALSE(pf.exists(u"MyPlants/Cactaceae"_s));
    const QStringList removed =
        QDir(pf.file(u"MyPlants"_s)).entryList({u"!deleted_Cactaceae_*"_s}, QDir::Dirs);
    ASSERT_EQ(removed.size(), 1);
    EXPECT_TRUE(pf.exists(u"MyPlants/"_s + removed[0] + u"/Opuntia/plant.ini"_s));
    EXPECT_EQ(form.groupCount, 2);
    EXPECT_EQ(form.selectedSlot, 1);
    EXPECT_EQ(form.currentGroupName, form.Frame11->entry(1).name);

    // With one group left, Delete is disabled.
    sink.answer = true;
    groupMenu(form, 1, "N24");
    EXPECT_EQ(form.groupCount, 1);
    groupMenu(form, 1);
    EXPECT_FALSE(form.PopupMenu3->findChild<QAction*>(u"N24"_s)->isEnabled());
    QTest::keyClick(form.PopupMenu3, Qt::Key_Escape);
}

TEST(GroupBar, HiddenGroupsAndOwnPictures)
{
    TempProgramFolder pf;
    pf.writeRecord(u"MyPlants/A/group.ini"_s, u"[Group]\nImageOrder=1\nImageIndex=0\n"_s);
    pf.writeRecord(u"MyPlants/B/group.ini"_s, u"[Group]\nImageOrder=2\nImageIndex=100\n"_s);
    pf.writeRecord(u"MyPlants/C/group.ini"_s, u"[Group]\nImageOrder=3\nImageIndex=100\n"_s);
    QImage own(70, 65, QImage::Format_RGB888);
    own.fill(QColor(250, 10, 10));
    pf.write(u"MyPlants/C/groupimage.bmp"_s, bmpfile::encode24(own));
    pf.mkdir(u"MyPlants/!deleted_X_1"_s);
    pf.write(u"MyPlants/file.txt"_s, "not a group");
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    ASSERT_EQ(barNames(form), QStringList({u"A"_s, u"B"_s, u"C"_s}));
    // A hidden group keeps its room; a missing own picture shows picture 1 and leaves the record alone.
    EXPECT_FALSE(form.Frame11->picture(1)->isVisible());
    EXPECT_FALSE(form.Frame11->caption(1)->isVisible());
    EXPECT_GT(form.Frame11->picture(2)->y(), 67);
    EXPECT_EQ(form.pictureNumbers, (std::vector<int>{0, 1, 100}));
    EXPECT_EQ(pf.groupValue(u"B"_s, u"ImageIndex"), 100);
    EXPECT_EQ(form.Frame11->picture(3)->pixmap().toImage().pixelColor(5, 5), QColor(250, 10, 10));
}
