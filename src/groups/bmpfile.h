#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// Windows bitmaps of 24 bits per pixel: BITMAPFILEHEADER + BITMAPINFOHEADER, rows bottom-up, each
// padded to 4 bytes, 96 dpi. The form every program reads.
namespace bmpfile {

QByteArray encode24(const QImage& image);
// Written through a temporary file, so a failed write leaves the old file whole.
IoStatus write24(const QString& path, const QImage& image);

} // namespace bmpfile
