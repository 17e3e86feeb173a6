#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

// JPEG through libjpeg-turbo. A damaged file gives a null image and the library's own message; it
// never ends the program.
namespace jpegcodec {

// Pictures larger than this many pixels are refused rather than decoded into memory.
inline constexpr qint64 kMaxPixels = qint64(200) * 1000 * 1000;

QImage decode(const QByteArray& bytes, QString* error = nullptr);
// Decodes at 1/2, 1/4 or 1/8 of the size (the library's DCT scaling) when the picture would still
// cover fit (with a height of 0: whose longer side covers fit's width); for showing a large photo
// in a small panel. *fullSize (when given) gets the picture's own size.
QImage decodeToFit(const QByteArray& bytes, QSize fit, QString* error = nullptr, QSize* fullSize = nullptr);
// quality 1..100; 4:2:0 sampling, baseline, as most programs write.
QByteArray encode(const QImage& image, int quality, QString* error = nullptr);
// The same, telling progress in percent while it works.
QByteArray encode(const QImage& image, int quality, const std::function<void(int)>& percent, QString* error = nullptr);

} // namespace jpegcodec
