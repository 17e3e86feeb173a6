#include "photos/webexport.h"

#include "groups/smoothresize.h"
#include "platform/atomicfile.h"
#include "platform/jpegcodec.h"
#include "platform/rounding.h"

#include "platform/picturefile.h"
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <map>

namespace webexport {

QSize targetSize(QSize photo, int longerSide)
{
    const int w = std::max(photo.width(), 1);
    const int h = std::max(photo.height(), 1);
    if (h < w)
        return QSize(longerSide, std::max(1, static_cast<int>(roundHalfEven(double(h) * longerSide / w))));
    return QSize(std::max(1, static_cast<int>(roundHalfEven(double(w) * longerSide / h))), longerSide);
}

QImage readPhoto(const QString& path, QString* error, QSize* fullSize)
{
    return picturefile::read(path, QSize(kLongerSide, 0), error, fullSize);
}

Result make(const QImage& photo, const QString& scratchFile, const Progress& progress, QSize photoSize)
{
    Result r;
    if (photo.isNull()) {
        r.status = IoStatus::failure(EINVAL, QStringLiteral("There is no picture to export."));
        return r;
    }
    const QSize size = targetSize(photoSize.isValid() ? photoSize : photo.size());
    r.picture = SmoothResize(photo, size.width(), size.height(), progress.rowDone);
    if (r.picture.isNull()) {
        r.status = IoStatus::failure(ENOMEM, QStringLiteral("The picture cannot be held in memory."));
        return r;
    }
    if (progress.compressing)
        progress.compressing();
    const std::function<void(int)> none;
    // The size falls with the quality, so the first quality from the top that fits is found by
    // halving: lo fits (or is the last quality), everything above hi does not.
    std::map<int, QByteArray> encoded;
    auto encodeAt = [&](int q) -> const QByteArray* {
        if (auto it = encoded.find(q); it != encoded.end())
            return &it->second;
        ++r.steps;
        if (progress.stepStarted)
            progress.stepStarted(r.steps);
        QString error;
        QByteArray jpeg =
            jpegcodec::encode(r.picture, q, progress.encoding ? progress.encoding : none, &error);
        if (jpeg.isEmpty()) {
            r.status = IoStatus::failure(EIO, error);
            return nullptr;
        }
        return &encoded.emplace(q, std::move(jpeg)).first->second;
    };
    auto fits = [](const QByteArray& jpeg) { return jpeg.size() < kSizeLimit; };
    int lo = kLastQuality, hi = kFirstQuality;
    // Small and plain pictures fit at once.
    const QByteArray* top = encodeAt(kFirstQuality);
    if (!top)
        return r;
    if (fits(*top))
        lo = kFirstQuality;
    else
        hi = kFirstQuality - 2;
    while (lo < hi) {
        const int mid = lo + ((hi - lo) / 4 + 1) * 2; // the upper middle, on the even steps
        const QByteArray* j = encodeAt(mid);
        if (!j)
            return r;
        if (fits(*j))
            lo = mid;
        else
            hi = mid - 2;
    }
    // Where the size does not fall evenly, the neighbour above may fit too: then go on up.
    for (; lo < kFirstQuality; lo += 2) {
        const QByteArray* above = encodeAt(lo + 2);
        if (!above)
            return r;
        if (!fits(*above))
            break;
    }
    const QByteArray* chosen = encodeAt(lo);
    if (!chosen)
        return r;
    r.jpeg = *chosen;
    r.quality = lo;
    r.status = atomicfile::write(scratchFile, r.jpeg);
    return r;
}

QString proposedName(const QString& prefix)
{
    return prefix + u'_' + QString::number(QRandomGenerator::global()->bounded(999, 9999));
}

QString prefixFrom(const QString& fileName, const QString& old)
{
    const qsizetype underscore = fileName.indexOf(u'_');
    return underscore < 0 ? old : fileName.left(underscore);
}

} // namespace webexport
