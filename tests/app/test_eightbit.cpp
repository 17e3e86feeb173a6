#include "../support/tempprogramfolder.h"
#include "../support/treeitems.h"
#include "app/mainform.h"
#include "editor/editor.h"
#include "photos/photopanel.h"
#include "platform/jpegcodec.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QByteArray cat(const QByteArray& a, const QByteArray& b)
{
    return a + b;
}

void clickNode(TMainForm& form, const QString& text)
{
    QTreeWidgetItem* node = item(form.TreeView1, text);
    ASSERT_NE(node, nullptr) << text.toStdString();
    form.TreeView1->scrollToItem(node);
    const QRect r = form.TreeView1->visualItemRect(node);
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {}, r.center());
    QApplication::processEvents();
}

// Names as Windows wrote them: the group Розы, the folder Кусты, the plants Чайная and Дикая, the
// photo Фото.jpg; one plant whose name is valid in neither code page.
const QByteArray kGroup("\xD0\xEE\xE7\xFB");
const QByteArray kShrubs("\xCA\xF3\xF1\xF2\xFB");
const QByteArray kTea("\xD7\xE0\xE9\xED\xE0\xFF");
const QByteArray kWild("\xC4\xE8\xEA\xE0\xFF");
const QByteArray kPhoto("\xD4\xEE\xF2\xEE.jpg");
const QByteArray kBad("bad\x98name");
const QString kBadShown = u("bad\xEF\xBF\xBDname");

QByteArray jpeg()
{
    QImage img(32, 24, QImage::Format_RGB888);
    img.fill(Qt::darkGreen);
    return jpegcodec::encode(img, 90);
}

void layOut(const TempProgramFolder& pf)
{
    const QByteArray g = "MyPlants/" + kGroup + "/";
    pf.writeBytes(g + "group.ini", "[Group]\r\nImageOrder=1\r\n");
    pf.writeBytes("MyPlants/Cacti/group.ini", "[Group]\r\nImageOrder=2\r\n");
    pf.writeBytes(g + kShrubs + "/plant.ini", "[Main]\r\nCond=1\r\nExpanded=1\r\n");
    pf.writeBytes(g + kShrubs + "/" + kWild + "/plant.ini", "[Main]\r\nCond=0\r\n");
    pf.writeBytes(g + kTea + "/plant.ini", "[Main]\r\nCond=2\r\n");
    pf.writeBytes(g + kTea + "/description.rtf", "{\\rtf1 Tea page\\par}");
    pf.writeBytes(g + kTea + "/" + kPhoto, jpeg());
    pf.writeBytes(g + kBad + "/plant.ini", "[Main]\r\nCond=0\r\n");
    pf.writeBytes(g + kBad + "/description.rtf", "{\\rtf1 Bad page\\par}");
    pf.writeBytes("main.ini", "[Options]\r\nLastGroup=" + kGroup + "\r\n");
    pf.write(QStringLiteral("new.jpg"), jpeg());
}

} // namespace

TEST(EightBitWindow, EveryActionOnANodeReachesItsOriginalFolder)
{
    TempProgramFolder pf;
    layOut(pf);
    const QByteArray g = "MyPlants/" + kGroup + "/";
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.askName = [](const QString&, const QString&) { return QString(); };
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTreeWidget* tree = form.TreeView1;
    EXPECT_EQ(topNames(tree), QStringList({u("Кусты"), kBadShown, u("Чайная")}));
    ASSERT_NE(item(tree, u("Дикая")), nullptr);

    // Selecting shows the node's own page; typing and Ctrl+S write it there.
    clickNode(form, u("Чайная"));
    EXPECT_TRUE(form.Editor->toPlainText().contains(u("Tea page")));
    QTest::keyClicks(form.Editor, QStringLiteral("watered "));
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(pf.readBytes(g + kTea + "/description.rtf").contains("watered"));
    clickNode(form, u("Дикая"));
    EXPECT_TRUE(pf.existsBytes(g + kShrubs + "/" + kWild + "/care.rtf"));
    clickNode(form, kBadShown);
    EXPECT_TRUE(form.Editor->toPlainText().contains(u("Bad page")));

    // The photo page lists the 8-bit photo; its comment goes beside it under the photo's bytes, and
    // an added photo lands in the same folder.
    clickNode(form, u("Чайная"));
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    PhotoPanel* photos = form.Panel6;
    ASSERT_EQ(photos->photoCount(), 1);
    EXPECT_EQ(photos->Label3->text(), u("Фото.jpg"));
    EXPECT_FALSE(photos->Image4->pixmap().isNull());
    QTest::keyClicks(photos->Memo1, QStringLiteral("ab"));
    EXPECT_EQ(pf.readBytes(g + kTea + "/" + kPhoto + ".txt"), "ab");
    photos->choosePicture = [&] { return pf.file(QStringLiteral("new.jpg")); };
    QTest::mouseClick(photos->Button3, Qt::LeftButton);
    EXPECT_EQ(photos->photoCount(), 2);
    EXPECT_EQ(pf.readBytes(g + kTea + "/new.jpg"), jpeg());
    QTest::mouseClick(form.Button4, Qt::LeftButton);

    // Nothing was made twice: the group holds its own names (and the templates made on the way).
    QList<QByteArray> names = pf.listBytes(g);
    names.removeAll("!Shablon");
    EXPECT_EQ(names, QList<QByteArray>({"bad\x98name", "group.ini", kShrubs, kTea}));
    EXPECT_EQ(topNames(tree).size(), 3);

    // Send to Cacti moves the folder with its bytes.
    clickNode(form, u("Чайная"));
    form.N8->findChild<QAction*>(QStringLiteral("mgr2"))->trigger();
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u' ').toStdString();
    EXPECT_TRUE(pf.readBytes("MyPlants/Cacti/" + kTea + "/description.rtf").contains("watered"));
    EXPECT_TRUE(pf.existsBytes("MyPlants/Cacti/" + kTea + "/" + kPhoto + ".txt"));
    EXPECT_FALSE(pf.existsBytes(g + kTea));
    EXPECT_EQ(item(tree, u("Чайная")), nullptr);

    // The name valid in neither code page is renamed to a proper one in UTF-8.
    QTreeWidgetItem* bad = item(tree, kBadShown);
    ASSERT_NE(bad, nullptr);
    tree->setCurrentItem(bad);
    form.N18Click();
    bad->setText(0, u("Хорошая"));
    EXPECT_EQ(bad->text(0), u("Хорошая"));
    EXPECT_FALSE(pf.existsBytes(g + kBad));
    EXPECT_TRUE(pf.readBytes(cat(g, u("Хорошая/description.rtf").toUtf8())).contains("Bad page"));

    // Remove renames the original folder, keeping its bytes.
    clickNode(form, u("Дикая"));
    sink.answer = true;
    form.N7Click();
    EXPECT_FALSE(pf.existsBytes(g + kShrubs + "/" + kWild));
    EXPECT_TRUE(pf.listBytes(g + kShrubs).front().startsWith(QByteArray("!deleted_" + kWild + "_")));
    EXPECT_EQ(item(tree, u("Дикая")), nullptr);
    form.close();
}
