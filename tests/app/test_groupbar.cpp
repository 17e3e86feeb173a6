#include "../support/tempprogramfolder.h"
#include "app/mainform.h"
#include "editor/editor.h"
#include "groups/tform2.h"
#include "groups/tframe1.h"
#include "platform/jpegcodec.h"
#include "store/inifile.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

int recordValue(const TempProgramFolder& pf, const QString& group, const char16_t* key)
{
    return IniFile(pf.file(QStringLiteral("MyPlants/") + group + QStringLiteral("/group.ini")))
        .readInteger(u"Group", QStringView(key), -99);
}

QStringList barNames(TMainForm& form)
{
    QStringList names;
    for (int n = 1; n <= form.Frame11->count(); ++n)
        names << form.Frame11->entry(n).name;
    return names;
}

// Runs what the user does in the group editor once it is open.
void whenEditorOpens(const std::function<void(TForm2*)>& act)
{
    QTimer::singleShot(0, [act] {
        auto* editor = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        act(editor);
    });
}

} // namespace

TEST(GroupBar, DefaultGroupsClicksAndMoves)
{
    TempProgramFolder pf;
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    // A collection without groups gets the three default ones, in the order listed.
    ASSERT_EQ(barNames(form),
              QStringList({QStringLiteral("Decoratively deciduous"),
                           QStringLiteral("Decoratively blossoming"), QStringLiteral("Succulents")}));
    EXPECT_EQ(recordValue(pf, QStringLiteral("Succulents"), u"Color"), 0xFCC99E);
    EXPECT_EQ(recordValue(pf, QStringLiteral("Succulents"), u"ImageIndex"), 2);
    EXPECT_EQ(recordValue(pf, QStringLiteral("Decoratively blossoming"), u"ImageIndex"), 17);
    // One word a line; the next picture starts below the caption; the rectangle frames slot 1.
    TFrame1* bar = form.Frame11;
    EXPECT_EQ(bar->caption(1)->text(), QStringLiteral("Decoratively\ndeciduous"));
    EXPECT_EQ(bar->picture(1)->y(), 3);
    EXPECT_EQ(bar->caption(1)->y(), 70);
    EXPECT_EQ(bar->picture(2)->y(), 70 + bar->caption(1)->height());
    EXPECT_EQ(bar->Shape1->geometry(), QRect(1, 1, bar->Panel5->width() - 2, bar->caption(1)->height() + 69));
    EXPECT_FALSE(bar->picture(1)->pixmap().isNull());
    EXPECT_EQ(form.currentGroupName, QStringLiteral("Decoratively deciduous"));
    ASSERT_EQ(form.N8->actions().size(), 3);
    EXPECT_EQ(form.N8->actions()[2]->text(), QStringLiteral("Succulents"));
    EXPECT_EQ(form.N8->actions()[2]->objectName(), QStringLiteral("mgr3"));

    // A plant of the first group with typed text: clicking another group writes it, then shows that group.
    pf.writeRecord(QStringLiteral("MyPlants/Succulents/Aloe/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Decoratively deciduous/Maple/plant.ini"),
                   QStringLiteral("[Main]\nCond=2\n"));
    QTest::mouseClick(bar->picture(2), Qt::LeftButton); // reload the first group to see the plant
    QTest::mouseClick(bar->picture(1), Qt::LeftButton);
    ASSERT_EQ(form.TreeView1->topLevelItemCount(), 1);
    QTest::keyClicks(form.Editor, QStringLiteral("red leaves"));
    QTest::mouseClick(form.Button5, Qt::LeftButton); // Care; a group click goes back to Description
    QTest::keyClicks(form.Editor, QStringLiteral("water"));
    QTest::mouseClick(bar->picture(3), Qt::LeftButton);
    EXPECT_TRUE(pf.read(QStringLiteral("MyPlants/Decoratively deciduous/Maple/care.rtf")).contains("water"));
    EXPECT_EQ(form.currentGroupName, QStringLiteral("Succulents"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("Succulents"));
    EXPECT_EQ(form.currentPageFile, QStringLiteral("description.rtf"));
    EXPECT_EQ(form.selectedSlot, 3);
    EXPECT_EQ(bar->Shape1->y(), bar->picture(3)->y() - 2);
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Succulents/!Shablon/care.rtf")));

    // Dragging slot 3's picture onto slot 1 exchanges the two; only their records are written.
    const QByteArray middle = pf.read(QStringLiteral("MyPlants/Decoratively blossoming/group.ini"));
    QMimeData data;
    data.setData(QString::fromLatin1(GroupPicture::kMimeType), "3");
    const QPoint at = bar->picture(1)->rect().center();
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(bar->picture(1), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(bar->picture(1), &drop);
    EXPECT_EQ(barNames(form),
              QStringList({QStringLiteral("Succulents"), QStringLiteral("Decoratively blossoming"),
                           QStringLiteral("Decoratively deciduous")}));
    EXPECT_EQ(recordValue(pf, QStringLiteral("Succulents"), u"ImageOrder"), 1);
    EXPECT_EQ(recordValue(pf, QStringLiteral("Decoratively deciduous"), u"ImageOrder"), 3);
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Decoratively blossoming/group.ini")), middle);
    EXPECT_EQ(form.selectedSlot, 1);
    // Move UP on the first slot does nothing.
    form.moveGroup(1, 0);
    EXPECT_EQ(barNames(form).front(), QStringLiteral("Succulents"));
    // The order holds after a restart.
    form.close();
    TMainForm again(pf.path(), {}, &sink);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(barNames(again).front(), QStringLiteral("Succulents"));
    EXPECT_EQ(again.currentGroupName, QStringLiteral("Succulents")) << "the remembered group";
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u'\n').toStdString();
}

TEST(GroupBar, AddChangeAndDeleteThroughTheGroupEditor)
{
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"),
                   QStringLiteral("[Group]\nImageOrder=1\nImageIndex=18\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Cacti/group.ini"),
                   QStringLiteral("[Group]\nImageOrder=2\nImageIndex=2\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Cacti/Opuntia/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.writeRecord(QStringLiteral("main.ini"), QStringLiteral("[Options]\nLastGroup=Cacti\n"));
    const QImage photo = [] {
        QImage img(140, 130, QImage::Format_RGB888);
        img.fill(QColor(20, 120, 220));
        return img;
    }();
    pf.write(QStringLiteral("own.JPG"), jpegcodec::encode(photo, 90));
    pf.write(QStringLiteral("own.png"), "not taken");
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_EQ(form.currentGroupName, QStringLiteral("Cacti"));
    ASSERT_EQ(form.selectedSlot, 2);

    // Add: a name that cannot be a folder is refused in the editor; then a good one is made.
    whenEditorOpens([&](TForm2* editor) {
        editor->Edit1->setText(QStringLiteral("a/b"));
        editor->Button2->click();
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(sink.warnings.size(), 1);
        editor->Edit1->setText(QString::fromUtf8("Папоротники"));
        editor->chooseBuiltIn(5);
        QTest::keyClick(editor, Qt::Key_Escape);
        EXPECT_TRUE(editor->isVisible()) << "Escape closes nothing";
        editor->Button2->click();
    });
    form.addGroup();
    sink.warnings.clear();
    EXPECT_FALSE(QDir(pf.file(QStringLiteral("MyPlants/a"))).exists());
    const QString ferns = QString::fromUtf8("Папоротники");
    EXPECT_EQ(recordValue(pf, ferns, u"ImageIndex"), 5);
    EXPECT_EQ(recordValue(pf, ferns, u"Color"), 0xFFFFFF);
    EXPECT_EQ(form.groupCount, 3);
    // The rectangle stays on the group the tree shows.
    EXPECT_EQ(form.Frame11->entry(form.selectedSlot).name, QStringLiteral("Cacti"));

    // Change: own picture (an upper-case .JPG is taken, a .png is not), new colour and new name.
    whenEditorOpens([&](TForm2* editor) {
        EXPECT_EQ(editor->groupName(), QStringLiteral("Cacti"));
        EXPECT_EQ(editor->pictureNumber(), 2);
        editor->chooseOwnPicture(pf.file(QStringLiteral("own.png")));
        EXPECT_EQ(sink.warnings.value(0), QStringLiteral("Supported type of images is BMP and JPG only."));
        EXPECT_EQ(editor->pictureNumber(), 2);
        editor->chooseOwnPicture(pf.file(QStringLiteral("own.JPG")));
        EXPECT_EQ(editor->pictureNumber(), 100);
        editor->setColor(0x00C0FF);
        editor->Edit1->setText(QStringLiteral("Cactaceae"));
        editor->Button2->click();
    });
    form.changeGroup();
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Cacti")));
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Cactaceae/Opuntia/plant.ini")));
    EXPECT_EQ(recordValue(pf, QStringLiteral("Cactaceae"), u"ImageIndex"), 100);
    EXPECT_EQ(recordValue(pf, QStringLiteral("Cactaceae"), u"Color"), 0x00C0FF);
    const QByteArray bmp = pf.read(QStringLiteral("MyPlants/Cactaceae/groupimage.bmp"));
    ASSERT_EQ(bmp.size(), 54 + 212 * 65);
    // Stored blue, green, red: the photo's colour, within what JPEG keeps.
    EXPECT_NEAR(uchar(bmp[54]), 220, 3);
    EXPECT_NEAR(uchar(bmp[55]), 120, 3);
    EXPECT_NEAR(uchar(bmp[56]), 20, 3);
    EXPECT_EQ(form.Label2->text(), QStringLiteral("Cactaceae"));
    EXPECT_EQ(form.currentGroupName, QStringLiteral("Cactaceae"));
    EXPECT_TRUE(form.editorFileName.contains(QStringLiteral("/Cactaceae/"))) << "the page follows its folder";

    // Changing to another group's name is refused and changes nothing.
    sink.warnings.clear();
    whenEditorOpens([&](TForm2* editor) {
        editor->Edit1->setText(QStringLiteral("Roses"));
        editor->Button2->click();
    });
    form.changeGroup();
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings[0].startsWith(QStringLiteral("Directory with name ")));
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Cactaceae/Opuntia/plant.ini")));

    // Delete renames the folder to a removed name; nothing is lost, slot 1 is shown.
    form.deleteGroup();
    EXPECT_EQ(sink.questions.back(), QStringLiteral("Are you sure to remove \"Cactaceae\"?"));
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Cactaceae")));
    const QStringList removed = QDir(pf.file(QStringLiteral("MyPlants")))
                                    .entryList({QStringLiteral("!deleted_Cactaceae_*")}, QDir::Dirs);
    ASSERT_EQ(removed.size(), 1);
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/") + removed[0] + QStringLiteral("/Opuntia/plant.ini")));
    EXPECT_EQ(form.groupCount, 2);
    EXPECT_EQ(form.selectedSlot, 1);
    EXPECT_EQ(form.currentGroupName, form.Frame11->entry(1).name);

    // With one group left, Delete is disabled.
    sink.answer = true;
    form.deleteGroup();
    EXPECT_EQ(form.groupCount, 1);
    Q_EMIT form.PopupMenu3->aboutToShow();
    EXPECT_FALSE(form.PopupMenu3->findChild<QAction*>(QStringLiteral("N24")) &&
                 form.findChild<QAction*>(QStringLiteral("N24"))->isEnabled());
    form.close();
}

TEST(GroupBar, HiddenGroupsAndOwnPictures)
{
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/A/group.ini"),
                   QStringLiteral("[Group]\nImageOrder=1\nImageIndex=0\n"));
    pf.writeRecord(QStringLiteral("MyPlants/B/group.ini"),
                   QStringLiteral("[Group]\nImageOrder=2\nImageIndex=100\n"));
    pf.writeRecord(QStringLiteral("MyPlants/C/group.ini"),
                   QStringLiteral("[Group]\nImageOrder=3\nImageIndex=100\n"));
    QImage own(70, 65, QImage::Format_RGB888);
    own.fill(QColor(250, 10, 10));
    pf.write(QStringLiteral("MyPlants/C/groupimage.bmp"), [&] {
        QByteArray b;
        QBuffer buffer(&b);
        buffer.open(QIODevice::WriteOnly);
        own.save(&buffer, "BMP");
        return b;
    }());
    pf.mkdir(QStringLiteral("MyPlants/!deleted_X_1"));
    pf.write(QStringLiteral("MyPlants/file.txt"), "not a group");
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_EQ(barNames(form), QStringList({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    // A hidden group keeps its room; a missing own picture shows picture 1 and leaves the record alone.
    EXPECT_FALSE(form.Frame11->picture(1)->isVisible());
    EXPECT_FALSE(form.Frame11->caption(1)->isVisible());
    EXPECT_GT(form.Frame11->picture(2)->y(), 67);
    EXPECT_EQ(form.pictureNumbers, (std::vector<int>{0, 1, 100}));
    EXPECT_EQ(recordValue(pf, QStringLiteral("B"), u"ImageIndex"), 100);
    EXPECT_EQ(form.Frame11->picture(3)->pixmap().toImage().pixelColor(5, 5), QColor(250, 10, 10));
    form.close();
}
