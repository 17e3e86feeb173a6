#include "../support/windowevents.h"

#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusTipEvent>
#include <QStyleOptionComboBox>
#include <QTextBlock>

#include "editor/formatbar.h"
#include "platform/jpegcodec.h"
#include "platform/sysio.h"

using namespace Qt::StringLiterals;

TEST(ThirdLook, EnterConfirmsTheGroupEditor)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    whenModal<TForm2>([](TForm2* editor) {
        QTest::keyClicks(editor->Edit1, u"Ferns"_s);
        QTest::keyClick(editor->Edit1, Qt::Key_Return);
    });
    menuBarItem(form, "File1", "dg");
    EXPECT_TRUE(QTest::qWaitFor([&] { return pf.exists(u"MyPlants/Ferns/group.ini"_s); }));
    whenModal<TForm2>([](TForm2* editor) {
        QTest::keyClicks(editor->Edit1, u"Mosses"_s);
        QTest::keyClick(editor->Edit1, Qt::Key_Escape);
    });
    menuBarItem(form, "File1", "dg");
    QApplication::processEvents();
    EXPECT_FALSE(pf.exists(u"MyPlants/Mosses"_s)) << "Escape cancels";
}

// Add group with a group's own name changes its colour and picture only: it keeps its place.
TEST(ThirdLook, AnExistingNameKeepsItsPlaceInTheBar)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s, u"Cacti"_s, u"Ferns"_s}, {u"Roses/Tea=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    whenModal<TForm2>([](TForm2* editor) {
        QTest::keyClicks(editor->Edit1, u"Roses"_s);
        QTest::mouseClick(editor->findChild<QLabel*>(u"Im7"_s), Qt::LeftButton);
        QTest::mouseClick(editor->Button2, Qt::LeftButton);
    });
    menuBarItem(form, "File1", "dg");
    QApplication::processEvents();
    EXPECT_EQ(pf.groupValue(u"Roses"_s, u"ImageOrder"), 1);
    EXPECT_EQ(pf.groupValue(u"Roses"_s, u"ImageIndex"), 7);
    EXPECT_EQ(barNames(form), QStringList({u"Roses"_s, u"Cacti"_s, u"Ferns"_s}));
}

// The photo page of a group without plants says so; a file that is not a photo is refused and leaves
// nothing behind.
TEST(ThirdLook, PhotosOfAnEmptyGroupAndFilesThatAreNoPhotos)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s, u"Empty"_s}, {u"Roses/Tea=0"_s});
    pf.mkdir(u"MyPlants/Empty"_s);
    pf.write(u"outside/x.png"_s, "\x89PNG\r\n\x1a\n");
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    form.Panel6->choosePicture = [&] { return pf.file(u"outside/x.png"_s); };
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    QTest::mouseClick(form.Panel6->Button3, Qt::LeftButton);
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Tea/x.png"_s));
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Tea/x.png.txt"_s));
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings[0].contains(u"not a photo"_s)) << sink.said();

    QTest::mouseClick(form.Frame11->picture(2), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(form.TreeView1->topLevelItemCount(), 0);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    EXPECT_TRUE(form.Panel6->isVisible());
    EXPECT_EQ(form.Panel6->Label4->text(), u"No photos"_s);
}

// A removal that fails names the removed name it could not take, on the screen and in the log.
TEST(ThirdLook, AFailedRemovalNamesItsTarget)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s, u"Cacti"_s}, {u"Roses/Tea=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    sysio::failEvery(sysio::Op::Rename, 1, EACCES, true); // the removal's rename; the log is written
    groupMenu(form, 1, "N24");
    QApplication::processEvents();
    sysio::clearFaults();
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Tea/plant.ini"_s));
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings[0].contains(u"/MyPlants/!deleted_Roses_"_s)) << sink.said();
    EXPECT_TRUE(pf.read(u"errorlog.txt"_s).contains("!deleted_Roses_"));
}

// Ctrl+; types today's date in the interface's date form; a typed web address becomes a link at the
// space or Enter that follows it.
TEST(ThirdLook, TodaysDateAndTypedLinks)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    clickNode(form, u"Tea"_s);
    QTest::mouseClick(form.Button7, Qt::LeftButton);
    QApplication::setActiveWindow(&form);
    form.Editor->setFocus();
    QTest::keyClick(form.Editor, Qt::Key_Semicolon, Qt::ControlModifier);
    const QString today = QLocale().toString(QDate::currentDate(), u"d MMMM yyyy"_s);
    EXPECT_TRUE(form.Editor->toPlainText().contains(today)) << form.Editor->toPlainText().toStdString();

    QTest::keyClick(form.Editor, Qt::Key_Return);
    QTest::keyClicks(form.Editor, u"see www.example.org, then https://example.com/a?b=1"_s);
    QTest::keyClick(form.Editor, Qt::Key_Return);
    QTest::keyClicks(form.Editor, u"next"_s);
    QStringList links;
    for (QTextBlock b = form.Editor->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                links << it.fragment().text() + u'>' + it.fragment().charFormat().anchorHref();
    EXPECT_EQ(links, QStringList({u"www.example.org>http://www.example.org"_s,
                                  u"https://example.com/a?b=1>https://example.com/a?b=1"_s}));
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    const QByteArray saved = pf.read(u"MyPlants/Roses/Tea/diary.rtf"_s);
    EXPECT_TRUE(saved.contains("HYPERLINK \"http://www.example.org\"")) << saved.constData();
    EXPECT_FALSE(saved.contains("HYPERLINK \"next")) << "text after the link is not part of it";
}

// Words from the field under the tree find plants whatever mark the last search asked for.
TEST(ThirdLook, TheTreeFieldSearchesEveryMark)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=2"_s, u"Roses/Alba=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto* marks = form.findChild<QComboBox*>(u"SearchMarks"_s);
    ASSERT_NE(marks, nullptr);
    marks->setCurrentIndex(2); // ideal condition
    auto* field = form.findChild<QLineEdit*>(u"TreeSearch"_s);
    QTest::keyClicks(field, u"alba"_s);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(marks->currentIndex(), 0);
}

// At the window's smallest width the whole formatting toolbar shows, the font box holds its family's
// whole name, and a hint in the status bar leaves the caret's and the modified panels in sight.
TEST(ThirdLook, NothingIsCutAtTheSmallestWidth)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    form.resize(form.minimumWidth(), 400);
    QApplication::processEvents();
    FormatBar* bar = form.StandardToolBar;
    auto* more = bar->findChild<QWidget*>(u"qt_toolbar_ext_button"_s);
    ASSERT_NE(more, nullptr);
    EXPECT_FALSE(more->isVisible()) << "buttons folded away behind the toolbar's arrow";
    EXPECT_TRUE(bar->widgetForAction(bar->Widealign)->isVisible());
    QComboBox* font = bar->FontName;
    font->setCurrentText(u"Times New Roman"_s);
    QStyleOptionComboBox o;
    o.initFrom(font);
    o.editable = true;
    const QRect field = font->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, font);
    EXPECT_GE(field.width(), font->fontMetrics().horizontalAdvance(u"Times New Roman"_s));

    QApplication::setActiveWindow(&form);
    QWidget* boldButton = bar->widgetForAction(bar->BoldButton);
    QTest::mouseMove(boldButton, boldButton->rect().center());
    QStatusTipEvent tip(bar->BoldButton->statusTip());
    QApplication::sendEvent(boldButton, &tip); // what hovering sends, where the platform moves no pointer
    EXPECT_EQ(form.StatusBar->currentMessage(), u"Bold"_s);
    for (QLabel* panel : form.StatusBar->findChildren<QLabel*>())
        EXPECT_TRUE(panel->isVisible());
}

// A table's column widths are kept in points and laid out in the screen's pixels, as indents are: a
// word that fits its column on paper is not broken on the screen, and the page saves as it came.
TEST(ThirdLook, TableColumnsAreAsWideOnTheScreenAsOnPaper)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s});
    const QByteArray page = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs24 "
                            "\\trowd\\cellx900\\cellx3000\\intbl \\'cf\\'ee\\'eb\\'e8\\'e2\\cell 1\\cell\\row\\pard\\par}";
    pf.write(u"MyPlants/Roses/Tea/description.rtf"_s, page);
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    clickNode(form, u"Tea"_s);
    QTextDocument* doc = form.Editor->document();
    const QTextBlock cell = doc->findBlock(int(doc->toPlainText().indexOf(u"Полив"_s)));
    ASSERT_TRUE(cell.isValid());
    EXPECT_EQ(cell.layout()->lineCount(), 1) << "the word is broken in its column";
    typeText(form.Editor, u"x"_s);
    QTest::keyClick(form.Editor, Qt::Key_Backspace);
    form.Editor->document()->setModified(true);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    const QByteArray saved = pf.read(u"MyPlants/Roses/Tea/description.rtf"_s);
    EXPECT_TRUE(saved.contains("\\cellx900")) << saved.constData();
}

// The print queue names the job by the page's whole path.
TEST(ThirdLook, ThePrintJobIsNamedByThePagesPath)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    clickNode(form, u"Tea"_s);
    QString job;
    whenModal<QPrintDialog>([&job](QPrintDialog* d) {
        job = d->printer()->docName();
        d->reject();
    });
    menuBarItem(form, "File1", "FilePrintItem");
    EXPECT_EQ(job, form.editorFileName);
    EXPECT_TRUE(job.endsWith(u"/MyPlants/Roses/Tea/description.rtf"_s)) << job.toStdString();
}

// While a photo is read the panel is painted with its text ("Loading...") in place of a picture.
TEST(ThirdLook, ThePhotoPanelIsPaintedWhileAPhotoLoads)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s});
    QImage big(2000, 1500, QImage::Format_RGB888);
    big.fill(QColor(30, 120, 40));
    pf.write(u"MyPlants/Roses/Tea/bloom.jpg"_s, jpegcodec::encode(big, 90));
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    clickNode(form, u"Tea"_s);
    struct Watch : QObject {
        PhotoPanel* panel;
        bool paintedWithoutPicture = false;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (o == panel && e->type() == QEvent::Paint && panel->Image4->isHidden())
                paintedWithoutPicture = true;
            return false;
        }
    } watch;
    watch.panel = form.Panel6;
    form.Panel6->installEventFilter(&watch);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    EXPECT_TRUE(watch.paintedWithoutPicture);
    EXPECT_TRUE(form.Panel6->Image4->isVisible());
    EXPECT_FALSE(form.Panel6->Image4->pixmap().isNull());
}
