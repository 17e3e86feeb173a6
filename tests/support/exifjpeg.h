#pragma once

#include "platform/jpegcodec.h"

#include <QByteArray>
#include <QColor>
#include <QImage>

#include <algorithm>
#include <cmath>

// Photos as phones write them: the picture stored as the sensor saw it, with an Exif block that
// says how to turn it upright.
namespace exifjpeg {

// A photo of one colour.
inline QByteArray plainJpeg(int w, int h, QColor c, int quality = 90)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    return jpegcodec::encode(img, quality);
}

// jpeg with an APP1 Exif block holding only the orientation tag, in either byte order.
inline QByteArray withOrientation(const QByteArray& jpeg, int orientation, bool bigEndian = true)
{
    auto u16 = [&](int v) -> QByteArray {
        QByteArray b;
        const char hi = char(v >> 8), lo = char(v & 0xFF);
        return bigEndian ? b.append(hi).append(lo) : b.append(lo).append(hi);
    };
    auto u32 = [&](int v) -> QByteArray {
        return bigEndian ? u16(v >> 16) + u16(v & 0xFFFF) : u16(v & 0xFFFF) + u16(v >> 16);
    };
    QByteArray tiff(bigEndian ? "MM" : "II");
    for (const QByteArray& part :
         {u16(42), u32(8), u16(1), u16(0x0112), u16(3), u32(1), u16(orientation), u16(0), u32(0)})
        tiff.append(part);
    QByteArray app1("\xFF\xE1", 2);
    const int length = int(tiff.size()) + 6 + 2;
    app1.append(char(length >> 8)).append(char(length & 0xFF)).append("Exif\0\0", 6).append(tiff);
    QByteArray out = jpeg.left(2);
    out.append(app1).append(jpeg.mid(2));
    return out;
}

// An upright picture whose four quarters differ: red, green above; blue, yellow below.
inline QImage quarters(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixelColor(x, y,
                              y < h / 2 ? (x < w / 2 ? QColor(Qt::red) : QColor(Qt::green))
                                        : (x < w / 2 ? QColor(Qt::blue) : QColor(Qt::yellow)));
    return img;
}

// The picture a camera with orientation o stores for the upright picture u (the Exif definitions:
// where each shown pixel comes from in the stored one).
inline QImage stored(const QImage& u, int o)
{
    const bool side = o >= 5;
    const int w = side ? u.height() : u.width(); // the stored picture's size
    const int h = side ? u.width() : u.height();
    QImage s(w, h, QImage::Format_RGB888);
    for (int y = 0; y < u.height(); ++y)
        for (int x = 0; x < u.width(); ++x) {
            const QPoint from[] = {{x, y},         {x, y}, {w - 1 - x, y}, {w - 1 - x, h - 1 - y},
                                   {x, h - 1 - y}, {y, x}, {y, h - 1 - x}, {w - 1 - y, h - 1 - x},
                                   {w - 1 - y, x}};
            s.setPixelColor(from[o >= 1 && o <= 8 ? o : 1], u.pixelColor(x, y));
        }
    return s;
}

// The colour nearest to c among the four of quarters().
inline QColor nearestQuarterColour(QColor c)
{
    auto distance = [&](QColor q) {
        return std::pow(c.red() - q.red(), 2) + std::pow(c.green() - q.green(), 2) +
               std::pow(c.blue() - q.blue(), 2);
    };
    const QColor quarters[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    return *std::min_element(std::begin(quarters), std::end(quarters),
                             [&](QColor a, QColor b) { return distance(a) < distance(b); });
}

// True when image shows quarters() upright (at any size).
inline bool showsQuartersUpright(const QImage& image)
{
    if (image.isNull())
        return false;
    const int w = image.width(), h = image.height();
    auto at = [&](double fx, double fy) {
        return nearestQuarterColour(image.pixelColor(int(w * fx), int(h * fy)));
    };
    return at(0.25, 0.25) == QColor(Qt::red) && at(0.75, 0.25) == QColor(Qt::green) &&
           at(0.25, 0.75) == QColor(Qt::blue) && at(0.75, 0.75) == QColor(Qt::yellow);
}

} // namespace exifjpeg
