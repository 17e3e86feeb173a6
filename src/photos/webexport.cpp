#include "photos/webexport.h"

#include "groups/smoothresize.h"
#include "platform/atomicfile.h"
#include "platform/jpegcodec.h"
#include "platform/rounding.h"

#include "platform/paths.h"
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>

namespace webexport {

QSize targetSize(QSize photo, int longerSide)
{
    const int w = std::max(photo.width(), 1);
    const int h = std::max(photo.height(), 1);
    if (h < w)
        return QSize(longerSide, std::max(1, static_cast<int>(roundHalfEven(double(h) * longerSide / w))));
    return QSize(std::max(1, static_cast<int>(roundHalfEven(double(w) * longerSide / h))), longerSide);
}

Result make(const QImage& photo, const QString& scratchFile, const Progress& progress)
{
    Result r;
    if (photo.isNull()) {
        r.status = IoStatus::failure(EINVAL, QStringLiteral("There is no picture to export."));
        return r;
    }
    const QSize size = targetSize(photo.size());
    r.picture = SmoothResize(photo, size.width(), size.height(), progress.rowDone);
    if (r.picture.isNull()) {
        r.status = IoStatus::failure(ENOMEM, QStringLiteral("The picture cannot be held in memory."));
        return r;
    }
    if (progress.compressing)
        progress.compressing();
    const std::function<void(int)> none;
    for (int q = kFirstQuality, step = 1; q >= kLastQuality; q -= 2, ++step) {
        if (progress.stepStarted)
            progress.stepStarted(step);
        QString error;
        r.jpeg = jpegcodec::encode(r.picture, q, progress.encoding ? progress.encoding : none, &error);
        if (r.jpeg.isEmpty()) {
            r.status = IoStatus::failure(EIO, error);
            return r;
        }
        r.status = atomicfile::write(scratchFile, r.jpeg);
        if (!r.status.ok())
            return r;
        r.steps = step;
        r.quality = q;
        if (paths::fileSize(scratchFile) < kSizeLimit)
            break;
    }
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
