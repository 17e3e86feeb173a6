#include "photos/photoprefetch.h"

#include "platform/picturefile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

namespace album {

namespace {
// Size and modification time: a photo replaced or edited since the prefetch began is read again.
QByteArray stampOf(const QString& path)
{
    const QFileInfo info(path);
    return QByteArray::number(info.size()) + ' ' +
           QByteArray::number(info.lastModified().toMSecsSinceEpoch());
}
} // namespace

Prefetch::~Prefetch()
{
    m_future.waitForFinished();
}

void Prefetch::start(const QString& path, QSize fit)
{
    if (m_future.isValid() && m_path == path && m_fit == fit && m_stamp == stampOf(path))
        return;
    m_future.waitForFinished(); // one decode at a time: a photo takes the memory of many
    m_path = path;
    m_fit = fit;
    m_stamp = stampOf(path);
    m_future = QtConcurrent::run([path, fit] {
        Decoded d;
        d.image = picturefile::read(path, fit, &d.error);
        return d;
    });
}

QImage Prefetch::take(const QString& path, QSize fit, QString* error)
{
    if (m_future.isValid() && m_path == path && m_fit == fit && m_stamp == stampOf(path)) {
        const Decoded d = m_future.result();
        m_future = {};
        m_path.clear();
        *error = d.error;
        return d.image;
    }
    return picturefile::read(path, fit, error);
}

} // namespace album
