#pragma once

#include <QImage>
#include <QString>

// Pictures from files: JPEG through libjpeg-turbo, other formats (BMP, GIF) through Qt's readers.
// A damaged file, an unknown format or a picture too large to hold gives a null image and a message
// naming the file; it never ends the program.
namespace picturefile {

inline constexpr qint64 kMaxFileBytes = qint64(1) << 30;

// fit: a large JPEG is decoded at a reduced scale that still covers it (an invalid size: the whole
// picture; a height of 0: the longer side covers the width). *fullSize gets the picture's own size. name is used in the message.
QImage decode(const QByteArray& bytes, const QString& name, QSize fit, QString* error,
              QSize* fullSize = nullptr);
QImage read(const QString& path, QSize fit, QString* error, QSize* fullSize = nullptr);

} // namespace picturefile
