#include "../support/drag.h"
#include "../support/windowevents.h"
#include "rtf/rtfreader.h"
#include "tree/planttree.h"

#include <QTextDocument>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// The text of a page file as the program reads it.
QString pageText(const TempProgramFolder& pf, const QString& relative)
{
    QTextDocument d;
    RtfReader::read(pf.read(relative), &d);
    return d.toPlainText();
}

QString modifiedPanel(TMainForm& form)
{
    return form.StatusBar->findChildren<QLabel*>().value(1)->text();
}

const QString kShrubs = u"Кусты"_s;
const QString kTea = u"Чайная"_s;

// A group with a folder (open, with a page of its own and a plant in it) and two plants whose pages
// come from real word processors.
void layOutRoses(const TempProgramFolder& pf)
{
    const QString g = u"MyPlants/Roses/"_s;
    pf.layOut({u"Roses"_s},
              {u"Roses/Кусты=1"_s, u"Roses/Кусты/Rugosa=5"_s, u"Roses/Abc=0"_s, u"Roses/Чайная=2"_s});
    pf.writeRecord(g + kShrubs + u"/plant.ini"_s, u"[Main]\nCond=1\nExpanded=1\n"_s);
    pf.write(g + kShrubs + u"/description.rtf"_s,
             "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 Shrubs page\\par}");
    pf.write(g + u"Abc/description.rtf"_s, "{\\rtf1 Abc page\\par}");
    pf.write(g + kTea + u"/description.rtf"_s, testData(u"rtf/richedit_cp1251.rtf"_s));
    pf.write(g + kTea + u"/care.rtf"_s, testData(u"rtf/libreoffice_formats.rtf"_s));
}

} // namespace

TEST(Pages, ThePageBeingLeftIsWrittenBeforeTheNextIsShown)
{
    TempProgramFolder pf;
    layOutRoses(pf);
    const QString shrubs = u"MyPlants/Roses/"_s + kShrubs;
    const QString tea = u"MyPlants/Roses/"_s + kTea;
    const QByteArray shrubsRecord = pf.read(shrubs + u"/plant.ini"_s);
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);

    // Folders first, then plants in byte order; the open folder is open, and loading wrote nothing.
    QTreeWidget* tree = form.TreeView1;
    ASSERT_EQ(topNames(tree), QStringList({kShrubs, u"Abc"_s, kTea}));
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    EXPECT_EQ(pf.read(shrubs + u"/plant.ini"_s), shrubsRecord);

    // The first node's page is on show at start-up, so what is typed goes into that page, not over it.
    EXPECT_EQ(form.Editor->toPlainText(), u"Shrubs page"_s);
    EXPECT_TRUE(form.editorFileName.endsWith(kShrubs + u"/description.rtf"_s));
    form.Editor->moveCursor(QTextCursor::Start);
    QTest::keyClicks(form.Editor, u"X"_s);
    EXPECT_EQ(modifiedPanel(form), u"Modified"_s);

    // A click on another node writes the page first.
    clickNode(form, u"Abc"_s);
    EXPECT_EQ(pageText(pf, shrubs + u"/description.rtf"_s), u"XShrubs page"_s);
    EXPECT_EQ(form.Editor->toPlainText(), u"Abc page"_s);
    EXPECT_TRUE(modifiedPanel(form).isEmpty());

    // Care of a plant that had none: a copy of the (empty) group template.
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    EXPECT_EQ(form.currentPageFile, u"care.rtf"_s);
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Abc/care.rtf"_s));
    EXPECT_TRUE(form.Editor->toPlainText().isEmpty());
    typeText(form.Editor, u"полив раз в неделю"_s);

    // Moving with the keyboard writes it too, and the Care page stays the page shown.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(tree->currentItem()->text(0), kTea);
    EXPECT_EQ(pageText(pf, u"MyPlants/Roses/Abc/care.rtf"_s), u"полив раз в неделю"_s);
    EXPECT_TRUE(pf.read(u"MyPlants/Roses/Abc/care.rtf"_s).contains("\\'ef\\'ee\\'eb\\'e8\\'e2"))
        << "Cyrillic is written in code page 1251";
    EXPECT_TRUE(form.editorFileName.endsWith(kTea + u"/care.rtf"_s));
    EXPECT_TRUE(form.Editor->toPlainText().contains(u"курсив подчёркнутый"_s));

    // The Photo page saves nothing; coming back to Care saves and shows the kept text.
    form.Editor->moveCursor(QTextCursor::Start);
    QTest::keyClicks(form.Editor, u"Y"_s);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    EXPECT_TRUE(form.Panel6->isVisible());
    EXPECT_FALSE(form.Editor->isVisible());
    EXPECT_EQ(pf.read(tea + u"/care.rtf"_s), testData(u"rtf/libreoffice_formats.rtf"_s));
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    EXPECT_FALSE(form.Panel6->isVisible());
    EXPECT_TRUE(form.Editor->toPlainText().startsWith(u'Y'));
    EXPECT_TRUE(pageText(pf, tea + u"/care.rtf"_s).startsWith(u'Y'));

    // Pages only looked at are never rewritten.
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    clickNode(form, u"Abc"_s);
    EXPECT_EQ(pf.read(tea + u"/description.rtf"_s), testData(u"rtf/richedit_cp1251.rtf"_s));

    // A plant inside the folder, on the Diary page.
    QTest::mouseClick(form.Button7, Qt::LeftButton);
    clickNode(form, u"Rugosa"_s);
    EXPECT_TRUE(form.editorFileName.endsWith(kShrubs + u"/Rugosa/diary.rtf"_s));
    EXPECT_EQ(form.subPath, kShrubs);

    // Closing the folder writes its state; the record keeps being a folder's.
    tree->collapseItem(item(tree, kShrubs));
    QApplication::processEvents();
    const IniFile record(pf.file(shrubs + u"/plant.ini"_s));
    EXPECT_EQ(record.readInteger(u"Main", u"Expanded", -1), 0);
    EXPECT_EQ(record.readInteger(u"Main", u"Cond", -1), 1);
    EXPECT_EQ(tree->currentItem()->text(0), kShrubs);

    // What is typed last is written at close.
    QTest::keyClicks(form.Editor, u"diary line"_s);
    form.close();
    EXPECT_EQ(pageText(pf, shrubs + u"/diary.rtf"_s), u"diary line"_s);
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u'\n').toStdString();
    EXPECT_FALSE(pf.exists(u"Untitled"_s));
}

// A click on another node while the page cannot be saved keeps the page and its node (the full-disk
// test checks that); here the message names the file and closing asks first.
TEST(Pages, AFailedSaveIsToldByNameAndClosingAsksFirst)
{
    TempProgramFolder pf;
    layOutRoses(pf);
    const QString page = u"MyPlants/Roses/"_s + kShrubs + u"/description.rtf"_s;
    RecordingSink sink;
    sink.answer = false; // do not close when the page cannot be saved
    ShownForm form(pf.path(), &sink);
    ASSERT_EQ(chmod(QFile::encodeName(pf.file(page)).constData(), 0444), 0);
    QTest::keyClicks(form.Editor, u"typed"_s);
    clickNode(form, u"Abc"_s);
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings[0].startsWith(u"Cannot save "_s + pf.file(page)));
    EXPECT_EQ(modifiedPanel(form), u"Modified"_s);

    // Closing asks first; declined, the window stays and the text is still there.
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(sink.questions.size(), 1);
    EXPECT_TRUE(form.Editor->toPlainText().contains(u"typed"_s));

    // Once the file can be written, Ctrl+S saves it.
    chmod(QFile::encodeName(pf.file(page)).constData(), 0644);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(pageText(pf, page).contains(u"typed"_s));
    EXPECT_TRUE(modifiedPanel(form).isEmpty());
}

TEST(Pages, DroppedDocumentsAndPagesThatCannotBeRead)
{
    TempProgramFolder pf;
    layOutRoses(pf);
    pf.write(u"outside.rtf"_s, "{\\rtf1 outside\\par}");
    pf.write(u"photo.jpg"_s, QByteArray("\xff\xd8\xff\xe0\0\x10JFIF\0", 11));
    // A damaged page: what can be read is shown, and the file as it was is kept before a save.
    pf.write(u"MyPlants/Roses/Abc/description.rtf"_s, "{\\rtf1 Abc {\\b bold\\bin999999 ");
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);

    // A dropped document: the modified page is written first.
    form.Editor->moveCursor(QTextCursor::Start);
    QTest::keyClicks(form.Editor, u"Z"_s);
    dropFiles(form.Editor->viewport(), {pf.file(u"outside.rtf"_s)});
    EXPECT_TRUE(pageText(pf, u"MyPlants/Roses/"_s + kShrubs + u"/description.rtf"_s).startsWith(u'Z'));
    EXPECT_EQ(form.Editor->toPlainText(), u"outside"_s);
    // A picture is not a document: it is refused and can never be saved over.
    dropFiles(form.Editor->viewport(), {pf.file(u"photo.jpg"_s)});
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings.takeFirst().contains(u"is not a text document"_s));
    EXPECT_TRUE(form.Editor->isReadOnly());
    EXPECT_EQ(pf.read(u"photo.jpg"_s).size(), 11);

    clickNode(form, u"Abc"_s);
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings.takeFirst().contains(u".damaged"_s));
    EXPECT_TRUE(form.Editor->toPlainText().startsWith(u"Abc bold"_s));
    EXPECT_FALSE(form.Editor->isReadOnly());
    form.Editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(form.Editor, u" more"_s);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Abc/description.rtf.damaged"_s), "{\\rtf1 Abc {\\b bold\\bin999999 ");
    EXPECT_TRUE(pageText(pf, u"MyPlants/Roses/Abc/description.rtf"_s).endsWith(u" more"_s));

    // A page that cannot be read is reported by name, and nothing can be typed over it.
    QFile::remove(pf.file(u"MyPlants/Roses/Abc/description.rtf"_s));
    pf.mkdir(u"MyPlants/Roses/Abc/description.rtf"_s);
    QTest::mouseClick(form.Button4, Qt::LeftButton); // Description, shown again
    ASSERT_EQ(sink.warnings.size(), 1);
    EXPECT_TRUE(sink.warnings[0].contains(u"description.rtf"_s)) << sink.warnings[0].toStdString();
    EXPECT_TRUE(form.Editor->isReadOnly());
    EXPECT_TRUE(form.Editor->toPlainText().isEmpty());
}

// A keeper's real group: 2,000 plants in 50 folders, Cyrillic and Latin names, records missing or
// damaged, folders whose records say they hold nothing.
TEST(Pages, AGroupOfTwoThousandPlants)
{
    TempProgramFolder pf;
    pf.writeRecord(u"MyPlants/Big/group.ini"_s, u"[Group]\nImageOrder=1\n"_s);
    pf.writeRecord(u"main.ini"_s, u"[Options]\nLastGroup=Big\n"_s);
    const QByteArray page = testData(u"rtf/richedit_cp1251.rtf"_s);
    int shownInFolders = 0;
    for (int f = 0; f < 50; ++f) {
        const QString folder = (f % 2 ? u"Папка %1"_s.arg(f, 2, 10, QLatin1Char('0'))
                                      : u"Folder %1"_s.arg(f, 2, 10, QLatin1Char('0')));
        const QString base = u"MyPlants/Big/"_s + folder;
        if (f == 7)
            pf.writeRecord(base + u"/plant.ini"_s, u"[Main]\nCond=-3\n"_s);
        for (int p = 0; p < 40; ++p) {
            const QString plant = base + (p % 3 ? u"/Роза %1"_s.arg(p) : u"/rose %1"_s.arg(p));
            if (p == 5) {
                pf.mkdir(plant); // no record: not shown
                continue;
            }
            if (p == 6) {
                pf.write(plant + u"/plant.ini"_s, QByteArray("\xff\xfe\0garbage[", 12));
                continue;
            }
            pf.writeRecord(plant + u"/plant.ini"_s, u"[Main]\nCond=%1\n"_s.arg(p % 6 == 1 ? 0 : p % 6));
            if (p < 3)
                pf.write(plant + u"/description.rtf"_s, page);
            if (f != 7)
                ++shownInFolders;
        }
    }
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    QTreeWidget* tree = form.TreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 50);
    int children = 0;
    for (int i = 0; i < 50; ++i)
        children += tree->topLevelItem(i)->childCount();
    EXPECT_EQ(children, shownInFolders);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), u"Folder 00"_s);
    EXPECT_EQ(tree->topLevelItem(25)->text(0), u"Папка 01"_s) << "Latin before Cyrillic";
    // Inside a folder, by byte order of the names: "rose" before "Роза".
    QTreeWidgetItem* first = tree->topLevelItem(0);
    for (int i = 1; i < first->childCount(); ++i)
        EXPECT_LT(planttree::compare(first->child(i - 1), first->child(i)), 0)
            << first->child(i)->text(0).toStdString();
    EXPECT_TRUE(first->child(0)->text(0).startsWith(u"rose"_s));
    tree->expandItem(first);
    QApplication::processEvents();
    EXPECT_EQ(IniFile(pf.file(u"MyPlants/Big/Folder 00/plant.ini"_s)).readInteger(u"Main", u"Expanded", 0),
              1);
    clickNode(form, u"Роза 1"_s);
    EXPECT_TRUE(form.Editor->toPlainText().startsWith(u"Роза Rose"_s));
}
