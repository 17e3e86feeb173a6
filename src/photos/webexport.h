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

// The photo as the web copy needs it: a JPEG decoded at the smallest scale whose longer side still
// covers 400 pixels; *fullSize gets the photo's own size.
QImage readPhoto(const QString& path, QString* error, QSize* fullSize);

// Makes the web copy of photo (whose own size is photoSize when it was read reduced): the highest
// quality of 100, 98, ... 52 whose file is smaller than the limit, found by halving the range and
// checking the neighbour above, and written to scratchFile.
Result make(const QImage& photo, const QString& scratchFile, const Progress& progress = {},
            QSize photoSize = QSize());

// "prefix_N" with N a random whole number from 999 to 9998.
QString proposedName(const QString& prefix);
// The name prefix a saved file name gives: the part before its first "_", or the old one.
QString prefixFrom(const QString& fileName, const QString& old);

} // namespace webexport
