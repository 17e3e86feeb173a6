#include "../support/eightbit.h"
#include "../support/exifjpeg.h"
#include "../support/windowevents.h"

using namespace Qt::StringLiterals;
using namespace eightbit;

TEST(EightBitWindow, EveryActionOnANodeReachesItsOriginalFolder)
{
    TempProgramFolder pf;
    eightbit::layOut(pf, exifjpeg::plainJpeg(32, 24, Qt::darkGreen));
    pf.write(u"new.jpg"_s, exifjpeg::plainJpeg(32, 24, Qt::darkGreen));
    const QByteArray& g = kG;
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    form.askName = [](const QString&, const QString&) { return QString(); };
    QTreeWidget* tree = form.TreeView1;
    EXPECT_EQ(topNames(tree), QStringList({u"Кусты"_s, kBadShown, u"Чайная"_s}));
    ASSERT_NE(item(tree, u"Дикая"_s), nullptr);

    // Selecting shows the node's own page; typing and Ctrl+S write it there.
    clickNode(form, u"Чайная"_s);
    EXPECT_TRUE(form.Editor->toPlainText().contains(u"Tea page"_s));
    QTest::keyClicks(form.Editor, u"watered "_s);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(pf.readBytes(g + kTea + "/description.rtf").contains("watered"));
    clickNode(form, u"Дикая"_s);
    EXPECT_TRUE(pf.existsBytes(g + kShrubs + "/" + kWild + "/care.rtf"));
    clickNode(form, kBadShown);
    EXPECT_TRUE(form.Editor->toPlainText().contains(u"Bad page"_s));

    // The photo page lists the 8-bit photo; its comment goes beside it under the photo's bytes, and
    // an added photo lands in the same folder.
    clickNode(form, u"Чайная"_s);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    PhotoPanel* photos = form.Panel6;
    ASSERT_EQ(photos->photoCount(), 1);
    EXPECT_EQ(photos->Label3->text(), u"Фото.jpg"_s);
    EXPECT_FALSE(photos->Image4->pixmap().isNull());
    QTest::keyClicks(photos->Memo1, u"ab"_s);
    EXPECT_EQ(pf.readBytes(g + kTea + "/" + kPhoto + ".txt"), "ab");
    photos->choosePicture = [&] { return pf.file(u"new.jpg"_s); };
    QTest::mouseClick(photos->Button3, Qt::LeftButton);
    EXPECT_EQ(photos->photoCount(), 2);
    EXPECT_EQ(pf.readBytes(g + kTea + "/new.jpg"), exifjpeg::plainJpeg(32, 24, Qt::darkGreen));
    QTest::mouseClick(form.Button4, Qt::LeftButton);

    // Nothing was made twice: the group holds its own names (and the templates made on the way).
    QList<QByteArray> names = pf.listBytes(g);
    names.removeAll("!Shablon");
    EXPECT_EQ(names, QList<QByteArray>({kBad, "group.ini", kShrubs, kTea}));

    // Moves and renames of these names: the companion's and the tree's tests (the same logic functions).
    // Remove renames the original folder, keeping its bytes.
    sink.answer = true;
    treeMenu(form, u"Дикая"_s, "N7");
    EXPECT_FALSE(pf.existsBytes(g + kShrubs + "/" + kWild));
    EXPECT_TRUE(pf.listBytes(g + kShrubs).front().startsWith(QByteArray("!deleted_" + kWild + "_")));
    EXPECT_EQ(item(tree, u"Дикая"_s), nullptr);
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.said();
}
