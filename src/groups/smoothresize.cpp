#include "groups/smoothresize.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using smoothresize::muldiv;

QImage SmoothResize(const QImage& source, int width, int height, const std::function<void(int)>& rowDone)
{
    if (source.isNull() || width <= 0 || height <= 0)
        return QImage();
    const QImage s =
        source.format() == QImage::Format_RGB888 ? source : source.convertToFormat(QImage::Format_RGB888);
    const int sw = s.width();
    const int sh = s.height();
    if (sw == width && sh == height) {
        QImage copy = s.copy();
        if (rowDone)
            for (int y = 0; y < height; ++y)
                rowDone(y);
        return copy;
    }
    QImage d(width, height, QImage::Format_RGB888);
    if (d.isNull())
        return QImage();

    const qint64 xs = muldiv(std::max(sw - 1, 0), 65536, width);
    const qint64 ys = muldiv(std::max(sh - 1, 0), 65536, height);

    // Column pairs and fractions are the same for every row: worked out once.
    std::vector<int> left(static_cast<size_t>(width)), right(static_cast<size_t>(width));
    std::vector<uint32_t> fraction(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        const qint64 xp = xs * (x + 1);
        int k = std::max(static_cast<int>(xp >> 16) - 1, 0);
        if (k >= sw - 1)
            k = sw - 2;
        k = std::max(k, 0);
        left[static_cast<size_t>(x)] = k * 3;
        right[static_cast<size_t>(x)] =
            std::min(k + 1, sw - 1) * 3; // a one-pixel-wide source pairs its column with itself
        fraction[static_cast<size_t>(x)] = static_cast<uint32_t>(xp & 0xFFFF);
    }
    std::vector<uint32_t> w1(static_cast<size_t>(width)), w2(static_cast<size_t>(width)),
        w3(static_cast<size_t>(width)), w4(static_cast<size_t>(width));

    for (int y = 0; y < height; ++y) {
        const qint64 yp = ys * (y + 1);
        const int iy = static_cast<int>(yp >> 16);
        int r = iy < sh - 1 ? std::max(iy - 1, 0) : sh - 2;
        r = std::max(r, 0);
        const int r2 = std::min(r + 1, sh - 1);
        const uint32_t fy = static_cast<uint32_t>(yp & 0xFFFF);
        const uint32_t a = 65536 - fy;
        const uint32_t b = fy + 1;
        for (int x = 0; x < width; ++x) {
            const uint32_t fx = fraction[static_cast<size_t>(x)];
            const auto ww2 = static_cast<uint32_t>(muldiv(fx, a, 65536));
            const auto ww4 = static_cast<uint32_t>(muldiv(fx, b, 65536));
            w1[static_cast<size_t>(x)] = a - ww2;
            w2[static_cast<size_t>(x)] = ww2;
            w3[static_cast<size_t>(x)] = b - ww4;
            w4[static_cast<size_t>(x)] = ww4;
        }
        const uchar* upper = s.constScanLine(r);
        const uchar* lower = s.constScanLine(r2);
        uchar* out = d.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(x);
            const uchar* p1 = upper + left[i];
            const uchar* p2 = upper + right[i];
            const uchar* p3 = lower + left[i];
            const uchar* p4 = lower + right[i];
            for (int c = 0; c < 3; ++c)
                out[c] =
                    static_cast<uchar>((p1[c] * w1[i] + p2[c] * w2[i] + p3[c] * w3[i] + p4[c] * w4[i]) >> 16);
            out += 3;
        }
        if (rowDone)
            rowDone(y);
    }
    return d;
}
