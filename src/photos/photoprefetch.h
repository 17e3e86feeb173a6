#pragma once

#include <QFuture>
#include <QImage>
#include <QSize>
#include <QString>

// Decodes the photo the user will most likely ask for next (the one Next shows) on another thread
// while the current one is looked at, so it shows at once. A photo changed on disk since is decoded
// again.
namespace album {

class Prefetch {
public:
    ~Prefetch();
    // Begins decoding path for a panel of size fit (whatever was being decoded is left to finish).
    void start(const QString& path, QSize fit);
    // The photo decoded as picturefile::read would decode it now: from the prefetch when it is for
    // this file, unchanged, and this size (waiting for it if it is not done yet), else read here.
    QImage take(const QString& path, QSize fit, QString* error);

private:
    struct Decoded {
        QImage image;
        QString error;
    };
    QString m_path;
    QSize m_fit;
    QByteArray m_stamp;
    QFuture<Decoded> m_future;
};

} // namespace album
