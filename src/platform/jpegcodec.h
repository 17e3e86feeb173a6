#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// JPEG through libjpeg-turbo. A damaged file gives a null image and the library's own message; it
// never ends the program.
namespace jpegcodec {

// Pictures larger than this many pixels are refused rather than decoded into memory.
inline constexpr qint64 kMaxPixels = qint64(200) * 1000 * 1000;

QImage decode(const QByteArray& bytes, QString* error = nullptr);
// quality 1..100; 4:2:0 sampling, baseline, as most programs write.
QByteArray encode(const QImage& image, int quality, QString* error = nullptr);

} // namespace jpegcodec
