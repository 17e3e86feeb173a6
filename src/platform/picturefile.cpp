#include "platform/picturefile.h"

#include "platform/atomicfile.h"
#include "platform/exiforientation.h"
#include "platform/jpegcodec.h"
#include "platform/paths.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <cstdlib>
#include <cstring>

namespace picturefile {

namespace {

constexpr qint64 kMaxPixels = jpegcodec::kMaxPixels;

Texts& texts()
{
    static Texts t;
    return t;
}

} // namespace

void setTexts(const Texts& t)
{
    texts() = t;
}

QImage decode(const QByteArray& bytes, const QString& name, QSize fit, QString* error, QSize* fullSize)
{
    if (bytes.isEmpty()) {
        *error = QString(texts().empty).arg(name);
        return QImage();
    }
    QString why, ours;
    QImage image;
    if (bytes.startsWith("\xff\xd8")) {
        // A photo taken with the phone on its side is shown upright; the reduced decoding works on
        // the stored picture, so the room it must cover is turned the same way.
        const int orientation = exiforientation::read(bytes);
        const bool sideways = exiforientation::swapsSides(orientation);
        image = jpegcodec::decodeToFit(bytes, sideways && fit.height() > 0 ? fit.transposed() : fit, &why,
                                       fullSize);
        image = exiforientation::upright(image, orientation);
        if (fullSize && sideways)
            fullSize->transpose();
    } else {
        QByteArray shared = bytes; // QBuffer wants a writable array; this one is only read
        QBuffer buffer(&shared);
        QImageReader reader(&buffer);
        const QSize size = reader.size();
        qint64 claimedW = size.width(), claimedH = size.height();
        if (bytes.startsWith("BM") && bytes.size() >= 26) {
            // The bitmap's own header says how large it claims to be, even where the reader gives up
            // (a negative height only means the rows are stored top-down).
            qint32 w = 0, h = 0;
            memcpy(&w, bytes.constData() + 18, 4);
            memcpy(&h, bytes.constData() + 22, 4);
            claimedW = qFromLittleEndian(w);
            claimedH = std::abs(qint64(qFromLittleEndian(h)));
        }
        if (fullSize)
            *fullSize = size;
        if (claimedW > 0 && claimedH > 0 && claimedW * claimedH > kMaxPixels)
            ours = QString(texts().tooLarge).arg(claimedW).arg(claimedH);
        else if (!reader.canRead() || !size.isValid())
            ours = texts().notPicture;
        else if (!reader.read(&image))
            why = reader.errorString();
    }
    // The decoders' own reasons are English; in another language the user reads that it is damaged.
    if (!ours.isEmpty())
        why = ours;
    else if (why.isEmpty() || texts().damaged != Texts().damaged)
        why = texts().damaged;
    if (image.isNull())
        *error = QString(texts().cannotShow).arg(name, why);
    return image;
}

QImage read(const QString& path, QSize fit, QString* error, QSize* fullSize)
{
    QByteArray bytes;
    bool missing = false;
    const IoStatus s = atomicfile::readAll(path, &bytes, &missing, kMaxFileBytes);
    const QString name = paths::fileNameOf(path);
    if (missing || !s.ok()) {
        *error = QString(texts().cannotRead).arg(name, missing ? texts().gone : s.text);
        return QImage();
    }
    return decode(bytes, name, fit, error, fullSize);
}

} // namespace picturefile
