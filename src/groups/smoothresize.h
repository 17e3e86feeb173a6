#pragma once

#include <QImage>

#include <functional>

// Fixed-point bilinear resampling (16.16 steps) to width x height at 24 bits per pixel. The output
// is the same, byte for byte, as the resampler the collection's pictures were always made with.
// rowDone, when given, is called after each destination row with its number counted from 0.
// A source of one pixel in width or height repeats that pixel's line; a width or height of 0 or
// less, or a null source, gives a null image.
QImage SmoothResize(const QImage& source, int width, int height,
                    const std::function<void(int)>& rowDone = {});

namespace smoothresize {
// (a * b + d / 2) / d with a 64-bit product.
inline qint64 muldiv(qint64 a, qint64 b, qint64 d)
{
    return (a * b + d / 2) / d;
}
} // namespace smoothresize
