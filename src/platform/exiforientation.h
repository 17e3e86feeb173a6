#pragma once

#include <QByteArray>
#include <QImage>

// Phones store a photo as the sensor saw it and say in the Exif block how to turn it upright.
namespace exiforientation {

// The orientation tag (1..8) of a JPEG's Exif block; 1 (already upright) when the file has none
// or the block cannot be read.
int read(const QByteArray& jpeg);

// The picture turned upright: 2..8 mirror and/or turn it, anything else leaves it as it is.
QImage upright(const QImage& image, int orientation);

// Orientations 5 to 8 lie on their side: width and height change places.
inline bool swapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

} // namespace exiforientation
