#include "../support/exifjpeg.h"
#include "../support/windowevents.h"

using namespace Qt::StringLiterals;

// Browse, comment, add and delete photos; then the web copy of another plant's photo.
TEST(PhotoPage, BrowseCommentDeleteAndSaveForTheWeb)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s, u"Roses/Web=0"_s});
    QImage big(800, 601, QImage::Format_RGB888);
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            big.setPixel(x, y, qRgb(x % 256, (x * y) % 256, y % 256));
    pf.write(u"MyPlants/Roses/Web/a.jpg"_s, jpegcodec::encode(big, 95));
    for (int i = 1; i <= 3; ++i)
        pf.write(u"MyPlants/Roses/Tea/photo%1.jpg"_s.arg(i),
                 exifjpeg::plainJpeg(64, 48, QColor(40 * i, 100, 200)));
    pf.write(u"MyPlants/Roses/Tea/broken.jpg"_s, "\xff\xd8 not a photo");
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    PhotoPanel* photos = form.Panel6;
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    ASSERT_TRUE(photos->isVisible());
    EXPECT_EQ(photos->Label4->text(), u"Photo: 1/4"_s);
    EXPECT_EQ(photos->Label3->text(), u"broken.jpg"_s);
    EXPECT_TRUE(photos->Image4->text().contains(u"cannot be shown"_s)) << "told in the panel";
    EXPECT_TRUE(sink.warnings.isEmpty());

    // Wrap-around both ways.
    QTest::mouseClick(photos->Button2, Qt::LeftButton);
    EXPECT_EQ(photos->Label4->text(), u"Photo: 4/4"_s);
    EXPECT_EQ(photos->Label3->text(), u"photo3.jpg"_s);
    QTest::mouseClick(photos->Button1, Qt::LeftButton);
    EXPECT_EQ(photos->photoIndex(), 1);
    QTest::mouseClick(photos->Button1, Qt::LeftButton);
    EXPECT_EQ(photos->Label3->text(), u"photo1.jpg"_s);
    EXPECT_FALSE(photos->Image4->pixmap().isNull());
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Tea/photo1.jpg.txt"_s));
    // The next photo is decoded while this one is looked at; one replaced meanwhile is read anew.
    pf.write(u"MyPlants/Roses/Tea/photo2.jpg"_s, exifjpeg::plainJpeg(72, 48, QColor(250, 250, 0)));
    QTest::mouseClick(photos->Button1, Qt::LeftButton);
    EXPECT_EQ(photos->shownImage().size(), QSize(72, 48));
    QTest::mouseClick(photos->Button1, Qt::LeftButton);
    EXPECT_EQ(photos->Label3->text(), u"photo3.jpg"_s);
    EXPECT_NEAR(qRed(photos->shownImage().pixel(10, 10)), 120, 8);
    QTest::mouseClick(photos->Button2, Qt::LeftButton);
    QTest::mouseClick(photos->Button2, Qt::LeftButton);

    // Each key release writes the comment; it comes back when the photo is shown again.
    QTest::keyClicks(photos->Memo1, u"ab"_s);
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/photo1.jpg.txt"_s), "ab");
    QTest::mouseClick(photos->Button1, Qt::LeftButton);
    EXPECT_TRUE(photos->Memo1->toPlainText().isEmpty());
    QTest::mouseClick(photos->Button2, Qt::LeftButton);
    EXPECT_EQ(photos->Memo1->toPlainText(), u"ab"_s);

    // Yes to Delete removes the photo and then its comment, and the photo page stays. (Adding a photo:
    // the 8-bit window test.)
    ASSERT_EQ(photos->Label3->text(), u"photo1.jpg"_s);
    QTest::mouseClick(photos->Button8, Qt::LeftButton);
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Tea/photo1.jpg"_s));
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Tea/photo1.jpg.txt"_s));
    EXPECT_EQ(photos->photoCount(), 3);
    EXPECT_TRUE(photos->isVisible());

    QStringList proposals;
    QString answer;
    form.askWebCopyPath = [&](const QString& folder, const QString& proposed) {
        EXPECT_EQ(folder, pf.file(u"For_web"_s));
        proposals << proposed;
        return answer;
    };
    clickNode(form, u"Web"_s);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    ASSERT_EQ(photos->Label3->text(), u"a.jpg"_s);

    answer = pf.file(u"For_web/Anna_roses.jpg"_s);
    QTest::mouseClick(photos->Button12, Qt::LeftButton);
    ASSERT_EQ(proposals.size(), 1);
    EXPECT_TRUE(proposals[0].startsWith(u"Your_nick_"_s));
    const QByteArray web = pf.read(u"For_web/Anna_roses.jpg"_s);
    EXPECT_EQ(web, pf.read(u"TempFiles/1.jpg"_s)) << "the same bytes as the scratch file";
    EXPECT_LT(web.size(), 49500);
    EXPECT_EQ(jpegcodec::decode(web).size(), QSize(400, 300));
    EXPECT_EQ(photos->Label3->text(), answer);
    EXPECT_TRUE(form.isEnabled());
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.said();
    // The next proposal starts with the prefix of the saved name; a cancel saves nothing.
    answer.clear();
    QTest::mouseClick(photos->Button12, Qt::LeftButton);
    EXPECT_TRUE(proposals[1].startsWith(u"Anna_"_s));
    EXPECT_TRUE(photos->Label3->text().isEmpty());

    // Delete after a saved export removes the web copy, not the photo.
    answer = pf.file(u"For_web/Anna_2.jpg"_s);
    QTest::mouseClick(photos->Button12, Qt::LeftButton);
    QTest::mouseClick(photos->Button8, Qt::LeftButton);
    EXPECT_FALSE(pf.exists(u"For_web/Anna_2.jpg"_s));
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Web/a.jpg"_s));
    form.close();
    EXPECT_TRUE(pf.read(u"main.ini"_s).contains("UserNick=Anna"));
}
