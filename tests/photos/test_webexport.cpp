#include "../support/tempprogramfolder.h"
#include "photos/webexport.h"
#include "platform/jpegcodec.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRandomGenerator>

#include <algorithm>

TEST(WebExport, SizesQualityStepsAndNames)
{
    // The window's tests export 800 x 601 and 600 x 800 photos and read the scratch file.
    using webexport::targetSize;
    EXPECT_EQ(targetSize({300, 300}), QSize(400, 400)) << "small photos are enlarged";
    EXPECT_EQ(targetSize({800, 602}), QSize(400, 301));
    EXPECT_EQ(targetSize({10000, 5}), QSize(400, 1)) << "a very narrow photo keeps a side of 1";
    EXPECT_EQ(targetSize({1, 3000}), QSize(1, 400));

    TempProgramFolder pf;
    const QString scratch = pf.file(QStringLiteral("TempFiles/1.jpg"));
    pf.mkdir(QStringLiteral("TempFiles"));
    // A plain picture fits at quality 100 in one step; the 400 x 300 photo is not resampled.
    QImage flat(400, 300, QImage::Format_RGB888);
    flat.fill(QColor(120, 180, 90));
    std::vector<int> steps;
    int rows = 0;
    webexport::Progress progress;
    progress.rowDone = [&](int) { ++rows; };
    progress.stepStarted = [&](int s) { steps.push_back(s); };
    webexport::Result r = webexport::make(flat, scratch, progress);
    ASSERT_TRUE(r.status.ok()) << r.status.text.toStdString();
    EXPECT_EQ(r.steps, 1);
    EXPECT_EQ(r.quality, 100);
    EXPECT_EQ(steps, std::vector<int>{1});
    EXPECT_EQ(rows, 300);
    // Noise never gets under the limit: the last quality, 52, found in a few encodings.
    QImage noise(400, 300, QImage::Format_RGB888);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width() * 3; ++x)
            noise.scanLine(y)[x] = uchar(random.bounded(256));
    r = webexport::make(noise, scratch);
    ASSERT_TRUE(r.status.ok());
    EXPECT_EQ(r.picture.size(), QSize(400, 300));
    EXPECT_LE(r.steps, 8);
    EXPECT_EQ(r.quality, 52);
    EXPECT_GE(r.jpeg.size(), webexport::kSizeLimit);
    // A scratch file that cannot be written is reported.
    r = webexport::make(flat, pf.file(QStringLiteral("TempFiles")));
    EXPECT_FALSE(r.status.ok());

    // Names: prefix, "_", 999..9998; the prefix a saved name gives is the part before its first "_".
    for (int i = 0; i < 200; ++i) {
        const QString name = webexport::proposedName(QStringLiteral("Your_nick"));
        const int n = name.mid(10).toInt();
        ASSERT_TRUE(n >= 999 && n <= 9998) << n;
    }
    // The window's tests take the prefix from a saved name; a name without "_" keeps the old one.
    EXPECT_EQ(webexport::prefixFrom(QStringLiteral("rose.jpg"), QStringLiteral("Anna")),
              QStringLiteral("Anna"));
}

TEST(WebExport, TheSearchFindsTheQualityTheWalkFromTheTopFinds)
{
    // Pictures from plain to noisy: the first quality from 100 down whose file fits is the one chosen.
    TempProgramFolder pf;
    pf.mkdir(QStringLiteral("TempFiles"));
    QRandomGenerator random(11);
    for (int amount : {0, 8, 20, 40, 70, 110, 160, 255}) {
        QImage picture(400, 300, QImage::Format_RGB888);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const int n = amount ? int(random.bounded(amount)) - amount / 2 : 0;
                picture.setPixel(x, y, qRgb(std::clamp(x / 2 + n, 0, 255), std::clamp(y + n, 0, 255), 90));
            }
        int walk = webexport::kLastQuality;
        for (int q = webexport::kFirstQuality; q >= webexport::kLastQuality; q -= 2)
            if (jpegcodec::encode(picture, q).size() < webexport::kSizeLimit) {
                walk = q;
                break;
            }
        const webexport::Result r = webexport::make(picture, pf.file(QStringLiteral("TempFiles/1.jpg")));
        ASSERT_TRUE(r.status.ok());
        EXPECT_EQ(r.quality, walk) << "noise " << amount;
        EXPECT_EQ(r.jpeg, jpegcodec::encode(picture, walk)) << "noise " << amount;
        EXPECT_GE(r.steps, 1) << "noise " << amount;
        EXPECT_LE(r.steps, 8) << "noise " << amount;
    }
}
