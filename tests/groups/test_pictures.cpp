#include "../support/exifjpeg.h"
#include "groups/bmpfile.h"
#include "groups/smoothresize.h"
#include "platform/exiforientation.h"
#include "platform/picturefile.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A source whose every pixel differs from its neighbours in every channel.
QImage pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y,
                         qRgb((x * 37 + y * 11) & 255, (x * 5 + y * 53) & 255, (x * y + 7 * x + 3) & 255));
    return img;
}

// The resampler written out plainly, one pixel at a time, straight from its definition.
QImage reference(const QImage& s, int w, int h)
{
    using smoothresize::muldiv;
    const int sw = s.width(), sh = s.height();
    QImage d(w, h, QImage::Format_RGB888);
    const qint64 xs = muldiv(sw - 1, 65536, w), ys = muldiv(sh - 1, 65536, h);
    for (int y = 0; y < h; ++y) {
        const qint64 yp = ys * (y + 1);
        const int iy = int(yp / 65536);
        const int r = iy < sh - 1 ? std::max(iy - 1, 0) : sh - 2;
        const qint64 fy = yp % 65536, a = 65536 - fy, b = fy + 1;
        for (int x = 0; x < w; ++x) {
            const qint64 xp = xs * (x + 1);
            int k = std::max(int(xp / 65536) - 1, 0);
            if (k >= sw - 1)
                k = sw - 2;
            const qint64 fx = xp % 65536;
            const qint64 w2 = muldiv(fx, a, 65536), w1 = a - w2, w4 = muldiv(fx, b, 65536), w3 = b - w4;
            const QRgb p1 = s.pixel(k, r), p2 = s.pixel(k + 1, r), p3 = s.pixel(k, r + 1),
                       p4 = s.pixel(k + 1, r + 1);
            auto mix = [&](int (*ch)(QRgb)) {
                return int((ch(p1) * w1 + ch(p2) * w2 + ch(p3) * w3 + ch(p4) * w4) / 65536);
            };
            d.setPixel(x, y, qRgb(mix(qRed), mix(qGreen), mix(qBlue)));
        }
    }
    return d;
}

bool sameBytes(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width()) * 3) != 0)
            return false;
    return true;
}

} // namespace

TEST(SmoothResize, TheWorkedExampleAndEverySizeMatchTheDefinitionByteForByte)
{
    // 140 x 130 to 70 x 65: the first pixel blends columns 0, 1 and rows 0, 1 with fx = 64600 and
    // fy = 64528, so weights 14, 994, 922, 63607.
    const QImage s = pattern(140, 130);
    const QImage d = SmoothResize(s, 70, 65);
    ASSERT_EQ(d.size(), QSize(70, 65));
    ASSERT_EQ(d.format(), QImage::Format_RGB888);
    auto expect = [&](int x, int y, int k, int r, int w1, int w2, int w3, int w4) {
        const QRgb p1 = s.pixel(k, r), p2 = s.pixel(k + 1, r), p3 = s.pixel(k, r + 1),
                   p4 = s.pixel(k + 1, r + 1);
        EXPECT_EQ(w1 + w2 + w3 + w4, 65537);
        const int red = (qRed(p1) * w1 + qRed(p2) * w2 + qRed(p3) * w3 + qRed(p4) * w4) >> 16;
        EXPECT_EQ(qRed(d.pixel(x, y)), red) << x << "," << y;
    };
    expect(0, 0, 0, 0, 14, 994, 922, 63607);
    // The last column: source columns 138 and 139 with fx = 16; the last row: rows 128, 129, fy = 16.
    // A = 65520, B = 17: w2 = muldiv(16, 65520, 65536) = 16, w4 = muldiv(16, 17, 65536) = 0.
    expect(69, 64, 138, 128, 65504, 16, 17, 0);
    EXPECT_TRUE(sameBytes(d, reference(s, 70, 65)));

    // Shrinking, enlarging, one side each way, odd sizes.
    for (const auto& [sw, sh, w, h] : std::vector<std::tuple<int, int, int, int>>{{2, 2, 70, 65},
                                                                                  {400, 300, 70, 65},
                                                                                  {71, 66, 70, 65},
                                                                                  {3, 200, 70, 65},
                                                                                  {640, 480, 33, 1},
                                                                                  {5, 7, 5, 9}}) {
        const QImage src = pattern(sw, sh);
        EXPECT_TRUE(sameBytes(SmoothResize(src, w, h), reference(src, w, h)))
            << sw << "x" << sh << " -> " << w << "x" << h;
    }
    // Any stored format is taken; a 70 x 65 source is copied unchanged.
    const QImage same = pattern(70, 65);
    EXPECT_TRUE(sameBytes(SmoothResize(same.convertToFormat(QImage::Format_RGB32), 70, 65), same));
}

TEST(SmoothResize, RowsAreReportedAndOddSizesHaveAnAnswer)
{
    std::vector<int> rows;
    SmoothResize(pattern(50, 40), 20, 7, [&](int y) { rows.push_back(y); });
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    // A source one pixel wide or high repeats that line; one pixel fills the whole picture.
    const QImage column = pattern(1, 30);
    const QImage wide = SmoothResize(column, 9, 10);
    ASSERT_EQ(wide.size(), QSize(9, 10));
    for (int y = 0; y < 10; ++y)
        for (int x = 1; x < 9; ++x)
            EXPECT_EQ(wide.pixel(x, y), wide.pixel(0, y));
    const QImage dot = SmoothResize(pattern(1, 1), 4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dot.pixel(x, y), pattern(1, 1).pixel(0, 0));
    EXPECT_EQ(SmoothResize(pattern(1, 8), 1, 3).size(), QSize(1, 3));
    EXPECT_TRUE(SmoothResize(pattern(10, 10), 0, 5).isNull());
    EXPECT_TRUE(SmoothResize(pattern(10, 10), 5, -1).isNull());
    EXPECT_TRUE(SmoothResize(QImage(), 5, 5).isNull());
}

TEST(Pictures, TwentyFourBitBitmapsAndJpegs)
{
    // 3 x 2: rows of 9 bytes padded to 12, stored bottom-up as blue, green, red.
    QImage img(3, 2, QImage::Format_RGB888);
    img.setPixel(0, 0, qRgb(1, 2, 3));
    img.setPixel(2, 1, qRgb(200, 100, 50));
    const QByteArray bmp = bmpfile::encode24(img);
    ASSERT_EQ(bmp.size(), 54 + 12 * 2);
    EXPECT_TRUE(bmp.startsWith("BM"));
    auto u32 = [&](int at) {
        return quint32(uchar(bmp[at])) | quint32(uchar(bmp[at + 1])) << 8 |
               quint32(uchar(bmp[at + 2])) << 16 | quint32(uchar(bmp[at + 3])) << 24;
    };
    // Sizes and dimensions; where the pixels start and how deep they are is read back below.
    EXPECT_EQ(u32(2), 78u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 3u);
    EXPECT_EQ(u32(22), 2u);
    EXPECT_EQ(bmp.mid(54 + 12, 3), QByteArray("\x03\x02\x01", 3)) << "the top row is stored last";
    EXPECT_EQ(bmp.mid(54 + 6, 3), QByteArray("\x32\x64\xc8", 3));
    EXPECT_EQ(bmp.mid(54 + 9, 3), QByteArray(3, '\0')) << "row padding";
    QImage back;
    ASSERT_TRUE(back.loadFromData(bmp, "BMP"));
    EXPECT_EQ(back.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(back.pixel(2, 1), qRgb(200, 100, 50));

    // JPEG: what is written reads back close to the original; damage gives a message, not a crash.
    const QImage photo = pattern(64, 48);
    QString error;
    const QByteArray jpeg = jpegcodec::encode(photo, 95, &error);
    ASSERT_FALSE(jpeg.isEmpty()) << error.toStdString();
    const QImage decoded = jpegcodec::decode(jpeg, &error);
    ASSERT_EQ(decoded.size(), photo.size());
    QImage smooth(64, 48, QImage::Format_RGB888);
    smooth.fill(QColor(90, 160, 40));
    const QImage flat = jpegcodec::decode(jpegcodec::encode(smooth, 90));
    EXPECT_LE(std::abs(qGreen(flat.pixel(10, 10)) - 160), 3);
    for (const QByteArray& bad :
         {QByteArray(), QByteArray("\xff\xd8\xff\xe0 broken", 12), jpeg.left(jpeg.size() / 3)}) {
        error.clear();
        const QImage damaged = jpegcodec::decode(bad, &error);
        if (damaged.isNull())
            EXPECT_FALSE(error.isEmpty());
        else
            EXPECT_EQ(damaged.size(), photo.size()) << "a truncated picture shows what it holds";
    }
}

TEST(Pictures, PhoneOrientationsAreShownUpright)
{
    // Every Exif orientation, in both byte orders, at full size and at the reduced decoding.
    const QImage upright = exifjpeg::quarters(160, 240);
    for (int o = 1; o <= 8; ++o)
        for (bool big : {true, false}) {
            const QByteArray file =
                exifjpeg::withOrientation(jpegcodec::encode(exifjpeg::stored(upright, o), 95), o, big);
            EXPECT_EQ(exiforientation::read(file), o);
            QString error;
            QSize full;
            const QImage whole = picturefile::decode(file, QStringLiteral("p.jpg"), QSize(), &error, &full);
            EXPECT_EQ(whole.size(), upright.size()) << "orientation " << o;
            EXPECT_EQ(full, upright.size());
            EXPECT_TRUE(exifjpeg::showsQuartersUpright(whole)) << "orientation " << o;
            const QImage small = picturefile::decode(file, QStringLiteral("p.jpg"), QSize(40, 60), &error);
            EXPECT_EQ(small.size(), QSize(40, 60)) << "a quarter of each side, turned";
            EXPECT_TRUE(exifjpeg::showsQuartersUpright(small)) << "orientation " << o;
        }
    // No Exif block, a damaged one, and one cut short leave the picture as stored.
    const QByteArray plain = jpegcodec::encode(upright, 90);
    EXPECT_EQ(exiforientation::read(plain), 1);
    QByteArray cut = exifjpeg::withOrientation(plain, 6);
    EXPECT_EQ(exiforientation::read(cut.left(30)), 1);
    cut[12] = 'X'; // "MM" spoilt
    EXPECT_EQ(exiforientation::read(cut), 1);
    EXPECT_EQ(exiforientation::read(exifjpeg::withOrientation(plain, 9)), 1);
    EXPECT_EQ(exiforientation::read(QByteArray("\xff\xd8\xff\xe1\xff\xff", 6)), 1);
}
