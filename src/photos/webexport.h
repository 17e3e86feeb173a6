#pragma once

#include "platform/iostatus.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

// The web copy of a photo: resampled so its longer side is 400 pixels, then JPEG at falling quality
// (100, 98, ... 52) until the file is smaller than 49,500 bytes.
namespace webexport {

inline constexpr int kLongerSide = 400;
inline constexpr qint64 kSizeLimit = 49500;
inline constexpr int kFirstQuality = 100;
inline constexpr int kLastQuality = 52;

// The web copy's size: the longer side 400, the other in proportion (halves to the even
// neighbour), never below 1 however narrow the photo.
QSize targetSize(QSize photo, int longerSide = kLongerSide);

struct Progress {
    std::function<void(int row)> rowDone;      // resampling, after each row
    std::function<void()> compressing;         // the quality loop begins
    std::function<void(int step)> stepStarted; // 1, 2, ...
    std::function<void(int percent)> encoding; // within one encoding
};

struct Result {
    IoStatus status;
    QImage picture;  // the resampled picture
    QByteArray jpeg; // the web copy, the same bytes as the scratch file
    int steps = 0;
    int quality = 0;
};

// Makes the web copy of photo; every encoding is written to scratchFile and its size read back.
Result make(const QImage& photo, const QString& scratchFile, const Progress& progress = {});

// "prefix_N" with N a random whole number from 999 to 9998.
QString proposedName(const QString& prefix);
// The name prefix a saved file name gives: the part before its first "_", or the old one.
QString prefixFrom(const QString& fileName, const QString& old);

} // namespace webexport
