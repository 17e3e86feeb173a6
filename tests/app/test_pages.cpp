#include "../support/tempprogramfolder.h"
#include "../support/treeitems.h"
#include "../support/typing.h"
#include "app/mainform.h"
#include "editor/editor.h"
#include "editor/formatbar.h"
#include "photos/photopanel.h"
#include "platform/codepage.h"
#include "platform/rtf/rtfreader.h"
#include "store/inifile.h"
#include "tree/planttree.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidget>

#include <QAction>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolBar>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray fixture(const char* name)
{
    QFile f(QStringLiteral(VERDARIUM_TEST_DATA "/rtf/") + QString::fromLatin1(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The text of a page file as the program reads it.
QString pageText(const TempProgramFolder& pf, const QString& relative)
{
    QTextDocument d;
    RtfReader::read(pf.read(relative), &d);
    return d.toPlainText();
}

void clickNode(TMainForm& form, const QString& text)
{
    QTreeWidgetItem* node = item(form.TreeView1, text);
    ASSERT_NE(node, nullptr) << text.toStdString();
    const QRect r = form.TreeView1->visualItemRect(node);
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {}, r.center());
    QApplication::processEvents();
}

QString modifiedPanel(TMainForm& form)
{
    return form.StatusBar->findChildren<QLabel*>().value(1)->text();
}

const QString kShrubs = QString::fromUtf8("Кусты");
const QString kTea = QString::fromUtf8("Чайная");

// A group with a folder (open, with a page of its own and a plant in it) and two plants whose pages
// come from real word processors.
void layOutRoses(const TempProgramFolder& pf)
{
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"),
                   QStringLiteral("[Group]\nColor=14745568\nImageOrder=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/") + kShrubs + QStringLiteral("/plant.ini"),
                   QStringLiteral("[Main]\nCond=1\nExpanded=1\n"));
    pf.write(QStringLiteral("MyPlants/Roses/") + kShrubs + QStringLiteral("/description.rtf"),
             "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 Shrubs page\\par}");
    pf.writeRecord(QStringLiteral("MyPlants/Roses/") + kShrubs + QStringLiteral("/Rugosa/plant.ini"),
                   QStringLiteral("[Main]\nCond=5\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Abc/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.write(QStringLiteral("MyPlants/Roses/Abc/description.rtf"), "{\\rtf1 Abc page\\par}");
    pf.writeRecord(QStringLiteral("MyPlants/Roses/") + kTea + QStringLiteral("/plant.ini"),
                   QStringLiteral("[Main]\nCond=2\n"));
    pf.write(QStringLiteral("MyPlants/Roses/") + kTea + QStringLiteral("/description.rtf"),
             fixture("richedit_cp1251.rtf"));
    pf.write(QStringLiteral("MyPlants/Roses/") + kTea + QStringLiteral("/care.rtf"),
             fixture("libreoffice_formats.rtf"));
    pf.writeRecord(QStringLiteral("main.ini"), QStringLiteral("[Options]\nLastGroup=Roses\n"));
}

} // namespace

TEST(Pages, ThePageBeingLeftIsWrittenBeforeTheNextIsShown)
{
    TempProgramFolder pf;
    layOutRoses(pf);
    const QString shrubs = QStringLiteral("MyPlants/Roses/") + kShrubs;
    const QString tea = QStringLiteral("MyPlants/Roses/") + kTea;
    const QByteArray shrubsRecord = pf.read(shrubs + QStringLiteral("/plant.ini"));
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    // Folders first, then plants in byte order; the open folder is open, and loading wrote nothing.
    QTreeWidget* tree = form.TreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), kShrubs);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("Abc"));
    EXPECT_EQ(tree->topLevelItem(2)->text(0), kTea);
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    EXPECT_EQ(pf.read(shrubs + QStringLiteral("/plant.ini")), shrubsRecord);
    EXPECT_EQ(tree->palette().color(QPalette::Base), QColor(0xE0, 0xFF, 0xE0));

    // The first node's page is on show at start-up, so what is typed goes into that page, not over it.
    EXPECT_EQ(form.Editor->toPlainText(), QStringLiteral("Shrubs page"));
    EXPECT_TRUE(form.editorFileName.endsWith(kShrubs + QStringLiteral("/description.rtf")));
    form.Editor->moveCursor(QTextCursor::Start);
    QTest::keyClicks(form.Editor, QStringLiteral("X"));
    EXPECT_EQ(modifiedPanel(form), QStringLiteral("Modified"));

    // A click on another node writes the page first.
    clickNode(form, QStringLiteral("Abc"));
    EXPECT_EQ(pageText(pf, shrubs + QStringLiteral("/description.rtf")), QStringLiteral("XShrubs page"));
    EXPECT_EQ(form.Editor->toPlainText(), QStringLiteral("Abc page"));
    EXPECT_TRUE(modifiedPanel(form).isEmpty());

    // Care of a plant that had none: a copy of the (empty) group template.
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    EXPECT_EQ(form.currentPageFile, QStringLiteral("care.rtf"));
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Roses/Abc/care.rtf")));
    EXPECT_TRUE(form.Editor->toPlainText().isEmpty());
    EXPECT_TRUE(form.Button5->font().bold());
    EXPECT_FALSE(form.Button4->font().bold());
    typeText(form.Editor, QString::fromUtf8("полив раз в неделю"));

    // Moving with the keyboard writes it too, and the Care page stays the page shown.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(tree->currentItem()->text(0), kTea);
    EXPECT_EQ(pageText(pf, QStringLiteral("MyPlants/Roses/Abc/care.rtf")),
              QString::fromUtf8("полив раз в неделю"));
    EXPECT_TRUE(pf.read(QStringLiteral("MyPlants/Roses/Abc/care.rtf")).contains("\\'ef\\'ee\\'eb\\'e8\\'e2"))
        << "Cyrillic is written in code page 1251";
    EXPECT_TRUE(form.editorFileName.endsWith(kTea + QStringLiteral("/care.rtf")));
    EXPECT_TRUE(form.Editor->toPlainText().contains(QString::fromUtf8("курсив подчёркнутый")));

    // The Photo page saves nothing; coming back to Care saves and shows the kept text.
    form.Editor->moveCursor(QTextCursor::Start);
    QTest::keyClicks(form.Editor, QStringLiteral("Y"));
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    EXPECT_TRUE(form.Panel6->isVisible());
    EXPECT_FALSE(form.Editor->isVisible());
    EXPECT_EQ(pf.read(tea + QStringLiteral("/care.rtf")), fixture("libreoffice_formats.rtf"));
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    EXPECT_FALSE(form.Panel6->isVisible());
    EXPECT_TRUE(form.Editor->toPlainText().startsWith(u'Y'));
    EXPECT_TRUE(pageText(pf, tea + QStringLiteral("/care.rtf")).startsWith(u'Y'));

    // Pages only looked at are never rewritten.
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    clickNode(form, QStringLiteral("Abc"));
    EXPECT_EQ(pf.read(tea + QStringLiteral("/description.rtf")), fixture("richedit_cp1251.rtf"));

    // A plant inside the folder, on the Diary page.
    QTest::mouseClick(form.Button7, Qt::LeftButton);
    clickNode(form, QStringLiteral("Rugosa"));
    EXPECT_TRUE(form.editorFileName.endsWith(kShrubs + QStringLiteral("/Rugosa/diary.rtf")));
    EXPECT_EQ(form.subPath, kShrubs);

    // Closing the folder writes its state; the record keeps being a folder's.
    tree->collapseItem(item(tree, kShrubs));
    QApplication::processEvents();
    const IniFile record(pf.file(shrubs + QStringLiteral("/plant.ini")));
    EXPECT_EQ(record.readInteger(u"Main", u"Expanded", -1), 0);
    EXPECT_EQ(record.readInteger(u"Main", u"Cond", -1), 1);
    EXPECT_EQ(tree->currentItem()->text(0), kShrubs);

    // What is typed last is written at close.
    QTest::keyClicks(form.Editor, QStringLiteral("diary line"));
    form.close();
    EXPECT_EQ(pageText(pf, shrubs + QStringLiteral("/diary.rtf")), QStringLiteral("diary line"));
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u'\n').toStdString();
    EXPECT_FALSE(pf.exists(QStringLiteral("Untitled")));
}

TEST(Pages, AFailedSaveKeepsThePageModifiedAndItsNodeSelected)
{
    TempProgramFolder pf;
    layOutRoses(pf);
    const QString page = QStringLiteral("MyPlants/Roses/") + kShrubs + QStringLiteral("/description.rtf");
    const QByteArray before = pf.read(page);
    RecordingSink sink;
    sink.answer = false; // do not close when the page cannot be saved
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_EQ(chmod(QFile::encodeName(pf.file(page)).constData(), 0444), 0);
    QTest::keyClicks(form.Editor, QStringLiteral("typed"));
    clickNode(form, QStringLiteral("Abc"));
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings[0].startsWith(QStringLiteral("Cannot save ") + pf.file(page)));
    EXPECT_EQ(pf.read(page), before);
    EXPECT_EQ(form.TreeView1->currentItem()->text(0), kShrubs);
    EXPECT_TRUE(form.Editor->document()->isModified());
    EXPECT_EQ(modifiedPanel(form), QStringLiteral("Modified"));

    // Closing asks first; declined, the window stays and the text is still there.
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(sink.questions.size(), 1);
    EXPECT_TRUE(form.Editor->toPlainText().contains(QStringLiteral("typed")));

    // Once the file can be written, Ctrl+S saves it.
    chmod(QFile::encodeName(pf.file(page)).constData(), 0644);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(pageText(pf, page).contains(QStringLiteral("typed")));
    EXPECT_TRUE(modifiedPanel(form).isEmpty());
    form.close();
}

TEST(Pages, DroppedDocumentsAndPagesThatCannotBeRead)
{
    TempProgramFolder pf;
    layOutRoses(pf);
    pf.write(QStringLiteral("outside.rtf"), "{\\rtf1 outside\\par}");
    pf.write(QStringLiteral("photo.jpg"), QByteArray("\xff\xd8\xff\xe0\0\x10JFIF\0", 11));
    // A damaged page: what can be read is shown, and the file as it was is kept before a save.
    pf.write(QStringLiteral("MyPlants/Roses/Abc/description.rtf"), "{\\rtf1 Abc {\\b bold\\bin999999 ");
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    // A dropped document: the modified page is written first.
    form.Editor->moveCursor(QTextCursor::Start);
    QTest::keyClicks(form.Editor, QStringLiteral("Z"));
    form.filesDropped({pf.file(QStringLiteral("outside.rtf"))});
    EXPECT_TRUE(pageText(pf, QStringLiteral("MyPlants/Roses/") + kShrubs + QStringLiteral("/description.rtf"))
                    .startsWith(u'Z'));
    EXPECT_EQ(form.Editor->toPlainText(), QStringLiteral("outside"));
    EXPECT_EQ(form.editorFileName, pf.file(QStringLiteral("outside.rtf")));
    // A picture is not a document: it is refused and can never be saved over.
    form.filesDropped({pf.file(QStringLiteral("photo.jpg"))});
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings.takeFirst().contains(QStringLiteral("is not a text document")));
    EXPECT_TRUE(form.Editor->isReadOnly());
    EXPECT_EQ(pf.read(QStringLiteral("photo.jpg")).size(), 11);

    clickNode(form, QStringLiteral("Abc"));
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings.takeFirst().contains(QStringLiteral(".damaged")));
    EXPECT_TRUE(form.Editor->toPlainText().startsWith(QStringLiteral("Abc bold")));
    EXPECT_FALSE(form.Editor->isReadOnly());
    form.Editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(form.Editor, QStringLiteral(" more"));
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Abc/description.rtf.damaged")),
              "{\\rtf1 Abc {\\b bold\\bin999999 ");
    EXPECT_TRUE(
        pageText(pf, QStringLiteral("MyPlants/Roses/Abc/description.rtf")).endsWith(QStringLiteral(" more")));

    // A page that cannot be read is reported by name, and nothing can be typed over it.
    QFile::remove(pf.file(QStringLiteral("MyPlants/Roses/Abc/description.rtf")));
    pf.mkdir(QStringLiteral("MyPlants/Roses/Abc/description.rtf"));
    form.TreeView1Click();
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings[0].contains(QStringLiteral("description.rtf")))
        << sink.warnings[0].toStdString();
    EXPECT_TRUE(form.Editor->isReadOnly());
    EXPECT_TRUE(form.Editor->toPlainText().isEmpty());
    form.close();
}

// A keeper's real group: 2,000 plants in 50 folders, Cyrillic and Latin names, records missing or
// damaged, folders whose records say they hold nothing.
TEST(Pages, AGroupOfTwoThousandPlants)
{
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/Big/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
    pf.writeRecord(QStringLiteral("main.ini"), QStringLiteral("[Options]\nLastGroup=Big\n"));
    const QByteArray page = fixture("richedit_cp1251.rtf");
    int shownInFolders = 0;
    for (int f = 0; f < 50; ++f) {
        const QString folder = (f % 2 ? QString::fromUtf8("Папка %1").arg(f, 2, 10, QLatin1Char('0'))
                                      : QStringLiteral("Folder %1").arg(f, 2, 10, QLatin1Char('0')));
        const QString base = QStringLiteral("MyPlants/Big/") + folder;
        if (f == 7)
            pf.writeRecord(base + QStringLiteral("/plant.ini"), QStringLiteral("[Main]\nCond=-3\n"));
        for (int p = 0; p < 40; ++p) {
            const QString plant =
                base + (p % 3 ? QString::fromUtf8("/Роза %1").arg(p) : QStringLiteral("/rose %1").arg(p));
            if (p == 5) {
                pf.mkdir(plant); // no record: not shown
                continue;
            }
            if (p == 6) {
                pf.write(plant + QStringLiteral("/plant.ini"), QByteArray("\xff\xfe\0garbage[", 12));
                continue;
            }
            pf.writeRecord(plant + QStringLiteral("/plant.ini"),
                           QStringLiteral("[Main]\nCond=%1\n").arg(p % 6 == 1 ? 0 : p % 6));
            if (p < 3)
                pf.write(plant + QStringLiteral("/description.rtf"), page);
            if (f != 7)
                ++shownInFolders;
        }
    }
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTreeWidget* tree = form.TreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 50);
    int children = 0;
    for (int i = 0; i < 50; ++i)
        children += tree->topLevelItem(i)->childCount();
    EXPECT_EQ(children, shownInFolders);
    EXPECT_EQ(item(tree, QStringLiteral("Folder 07")), nullptr);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Folder 00"));
    EXPECT_EQ(tree->topLevelItem(25)->text(0), QString::fromUtf8("Папка 01")) << "Latin before Cyrillic";
    // Inside a folder, by byte order of the names: "rose" before "Роза".
    QTreeWidgetItem* first = tree->topLevelItem(0);
    for (int i = 1; i < first->childCount(); ++i)
        EXPECT_LT(planttree::compare(first->child(i - 1), first->child(i)), 0)
            << first->child(i)->text(0).toStdString();
    EXPECT_TRUE(first->child(0)->text(0).startsWith(QStringLiteral("rose")));
    tree->expandItem(first);
    QApplication::processEvents();
    EXPECT_EQ(IniFile(pf.file(QStringLiteral("MyPlants/Big/Folder 00/plant.ini")))
                  .readInteger(u"Main", u"Expanded", 0),
              1);
    clickNode(form, QString::fromUtf8("Роза 1"));
    EXPECT_TRUE(form.Editor->toPlainText().startsWith(QString::fromUtf8("Роза Rose")));
    form.Editor->moveCursor(QTextCursor::End);
    typeText(form.Editor, QString::fromUtf8(" конец"));
    form.close();
    const QString saved = pageText(pf, QString::fromUtf8("MyPlants/Big/Folder 00/Роза 1/description.rtf"));
    EXPECT_TRUE(saved.endsWith(QString::fromUtf8(" конец")));
    EXPECT_TRUE(saved.startsWith(QString::fromUtf8("Роза Rose")));
}

TEST(Pages, TheToolbarTellsTheTruthAboutTheTextAtTheCaret)
{
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Abc/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.write(QStringLiteral("MyPlants/Roses/Abc/description.rtf"),
             "{\\rtf1{\\fonttbl{\\f0 Times New Roman;}}\\pard\\qc\\f0\\fs24\\b Bold centred\\par"
             "\\pard\\ql\\b0 Plain left\\par}");
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto action = [&](const char* name) {
        return form.StandardToolBar->findChild<QAction*>(QString::fromLatin1(name));
    };
    auto clickText = [&](int block) {
        const QTextBlock b = form.Editor->document()->findBlockByNumber(block);
        QTextCursor c(b);
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 3);
        const QPoint at = form.Editor->cursorRect(c).center();
        QTest::mouseClick(form.Editor->viewport(), Qt::LeftButton, {}, at);
    };
    clickText(0);
    EXPECT_TRUE(action("BoldButton")->isChecked());
    EXPECT_TRUE(action("CenterAlign")->isChecked());
    clickText(1);
    EXPECT_FALSE(action("BoldButton")->isChecked()) << "a plain line shows B up";
    EXPECT_TRUE(action("LeftAlign")->isChecked());
    EXPECT_FALSE(action("CenterAlign")->isChecked());
    // So the first press of B on plain text makes the next typed text bold.
    QTest::keyClick(form.Editor, Qt::Key_End);
    QWidget* b = form.StandardToolBar->widgetForAction(action("BoldButton"));
    QTest::mouseClick(b, Qt::LeftButton);
    QTest::keyClicks(form.Editor, QStringLiteral(" more"));
    QTextCursor last(form.Editor->document()->lastBlock());
    last.movePosition(QTextCursor::EndOfBlock);
    EXPECT_GE(last.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(form.Editor->document()->lastBlock().text(), QStringLiteral("Plain left more"));
    form.close();
}
