#include "../support/tempprogramfolder.h"
#include "app/mainform.h"
#include "photos/photopanel.h"
#include "platform/jpegcodec.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

TEST(PhotoPage, BrowseCommentAddAndDelete)
{
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Tea/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    for (int i = 1; i <= 3; ++i) {
        QImage img(64, 48, QImage::Format_RGB888);
        img.fill(QColor(40 * i, 100, 200));
        pf.write(QStringLiteral("MyPlants/Roses/Tea/photo%1.jpg").arg(i), jpegcodec::encode(img, 90));
    }
    pf.write(QStringLiteral("MyPlants/Roses/Tea/broken.jpg"), "\xff\xd8 not a photo");
    QImage extra(20, 20, QImage::Format_RGB888);
    extra.fill(Qt::yellow);
    pf.write(QStringLiteral("new.jpg"), jpegcodec::encode(extra, 90));
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    PhotoPanel* photos = form.Panel6;
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    ASSERT_TRUE(photos->isVisible());
    EXPECT_EQ(photos->Label4->text(), QStringLiteral("Photo: 1/4"));
    EXPECT_EQ(photos->Label3->text(), QStringLiteral("broken.jpg"));
    EXPECT_TRUE(photos->Image4->text().contains(QStringLiteral("cannot be shown"))) << "told in the panel";
    EXPECT_TRUE(sink.warnings.isEmpty());

    // Wrap-around both ways.
    QTest::mouseClick(photos->Button2, Qt::LeftButton);
    EXPECT_EQ(photos->Label4->text(), QStringLiteral("Photo: 4/4"));
    EXPECT_EQ(photos->Label3->text(), QStringLiteral("photo3.jpg"));
    QTest::mouseClick(photos->Button1, Qt::LeftButton);
    EXPECT_EQ(photos->photoIndex(), 1);
    QTest::mouseClick(photos->Button1, Qt::LeftButton);
    EXPECT_EQ(photos->Label3->text(), QStringLiteral("photo1.jpg"));
    EXPECT_FALSE(photos->Image4->pixmap().isNull());
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Roses/Tea/photo1.jpg.txt")));

    // Each key release writes the comment; it comes back when the photo is shown again.
    QTest::keyClicks(photos->Memo1, QStringLiteral("ab"));
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Tea/photo1.jpg.txt")), "ab");
    QTest::mouseClick(photos->Button1, Qt::LeftButton);
    EXPECT_TRUE(photos->Memo1->toPlainText().isEmpty());
    QTest::mouseClick(photos->Button2, Qt::LeftButton);
    EXPECT_EQ(photos->Memo1->toPlainText(), QStringLiteral("ab"));

    // Add copies the photo in and shows photo 1 of the new list; a name that exists is left alone.
    photos->addPhoto(pf.file(QStringLiteral("new.jpg")));
    EXPECT_EQ(photos->photoCount(), 5);
    EXPECT_EQ(photos->photoIndex(), 1);
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Tea/new.jpg")), pf.read(QStringLiteral("new.jpg")));

    // Delete asks first; No keeps everything, Yes removes the photo and then its comment.
    for (int guard = 0; guard < 10 && photos->Label3->text() != QStringLiteral("photo1.jpg"); ++guard)
        QTest::mouseClick(photos->Button1, Qt::LeftButton);
    sink.answer = false;
    QTest::mouseClick(photos->Button8, Qt::LeftButton);
    EXPECT_EQ(sink.questions.back(), QStringLiteral("Remove photo?"));
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Roses/Tea/photo1.jpg")));
    sink.answer = true;
    QTest::mouseClick(photos->Button8, Qt::LeftButton);
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/Tea/photo1.jpg")));
    EXPECT_FALSE(pf.exists(QStringLiteral("MyPlants/Roses/Tea/photo1.jpg.txt")));
    EXPECT_EQ(photos->photoCount(), 4);
    EXPECT_TRUE(photos->isVisible()) << "the photo page stays";

    // Back on Description the page is there; the toolbar shows again.
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    EXPECT_FALSE(photos->isVisible());
    form.close();
}

TEST(PhotoPage, Save4webMakesTheWebCopyAndRemembersThePrefix)
{
    TempProgramFolder pf;
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Tea/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    QImage img(800, 601, QImage::Format_RGB888);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x % 256, (x * y) % 256, y % 256));
    pf.write(QStringLiteral("MyPlants/Roses/Tea/a.jpg"), jpegcodec::encode(img, 95));
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    QStringList proposals;
    QString answer;
    form.askWebCopyPath = [&](const QString& folder, const QString& proposed) {
        EXPECT_EQ(folder, pf.file(QStringLiteral("For_web")));
        proposals << proposed;
        return answer;
    };
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    PhotoPanel* photos = form.Panel6;
    ASSERT_EQ(photos->Label3->text(), QStringLiteral("a.jpg"));

    answer = pf.file(QStringLiteral("For_web/Anna_roses.jpg"));
    QTest::mouseClick(photos->Button12, Qt::LeftButton);
    ASSERT_EQ(proposals.size(), 1);
    EXPECT_TRUE(proposals[0].startsWith(QStringLiteral("Your_nick_")));
    const QByteArray web = pf.read(QStringLiteral("For_web/Anna_roses.jpg"));
    EXPECT_EQ(web, pf.read(QStringLiteral("TempFiles/1.jpg"))) << "the same bytes as the scratch file";
    EXPECT_LT(web.size(), 49500);
    EXPECT_EQ(jpegcodec::decode(web).size(), QSize(400, 300));
    EXPECT_EQ(photos->Label3->text(), answer);
    EXPECT_TRUE(form.isEnabled());
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u' ').toStdString();
    // The next proposal starts with the prefix of the saved name; a cancel saves nothing.
    answer.clear();
    QTest::mouseClick(photos->Button12, Qt::LeftButton);
    EXPECT_TRUE(proposals[1].startsWith(QStringLiteral("Anna_")));
    EXPECT_TRUE(photos->Label3->text().isEmpty());

    // Delete after a saved export removes the web copy, not the photo.
    answer = pf.file(QStringLiteral("For_web/Anna_2.jpg"));
    QTest::mouseClick(photos->Button12, Qt::LeftButton);
    sink.answer = true;
    QTest::mouseClick(photos->Button8, Qt::LeftButton);
    EXPECT_FALSE(pf.exists(QStringLiteral("For_web/Anna_2.jpg")));
    EXPECT_TRUE(pf.exists(QStringLiteral("MyPlants/Roses/Tea/a.jpg")));
    form.close();
    EXPECT_TRUE(pf.read(QStringLiteral("main.ini")).contains("UserNick=Anna"));
}
