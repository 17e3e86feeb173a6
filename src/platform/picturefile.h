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

// The messages' texts ("%1" the file's name, "%2" why): English until the window sets them in the
// interface's language (the companion keeps English).
struct Texts {
    QString empty = QStringLiteral("The picture %1 is an empty file.");
    QString cannotShow = QStringLiteral("The picture %1 cannot be shown: %2.");
    QString cannotRead = QStringLiteral("The picture %1 cannot be read: %2");
    QString gone = QStringLiteral("the file is gone.");
    QString notPicture = QStringLiteral("it is not a picture this program can read");
    QString tooLarge = QStringLiteral("its picture is %1 x %2 pixels, more than can be held");
    QString damaged = QStringLiteral("the file is damaged");
};
void setTexts(const Texts& texts);

} // namespace picturefile
