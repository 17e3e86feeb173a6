// Times the web export and the showing of a photo, in the program's own code.
//   bench_photos export PHOTO [N]   decode as large as the copy needs, resample, compress (median of N)
//   bench_photos show PHOTO [N]     decode for a 1280 x 800 panel, as the photo page does
//   bench_photos next PHOTO [N]     show the next photo after looking at one for half a second (it
//                                   was decoded meanwhile, as the photo page does)
//   bench_photos each LIST          the web copy of every photo named in LIST (one path a line), one
//                                   after another in one process: the floor of publishing them
#include "photos/album.h"
#include "photos/photoprefetch.h"
#include "photos/webexport.h"
#include "platform/picturefile.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QByteArray mode = argv[1];
    const QString photo = QString::fromLocal8Bit(argv[2]);
    const int n = argc > 3 ? std::max(1, atoi(argv[3])) : 5;
    QTemporaryDir scratch;
    std::vector<double> t;
    QString error;
    if (mode == "each") {
        QFile list(photo);
        if (!list.open(QIODevice::ReadOnly))
            return 1;
        const auto t0 = std::chrono::steady_clock::now();
        for (const QByteArray& line : list.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            QSize full;
            const QImage decoded = webexport::readPhoto(QString::fromLocal8Bit(line), &error, &full);
            if (decoded.isNull() ||
                !webexport::make(decoded, scratch.filePath(QStringLiteral("1.jpg")), {}, full).status.ok())
                return 1;
        }
        std::printf("%.1f\n", std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        return 0;
    }
    for (int i = 0; i < n; ++i) {
        album::Prefetch prefetch;
        if (mode == "next") {
            prefetch.start(photo, QSize(1280, 800));
            QThread::msleep(500);
        }
        const auto t0 = std::chrono::steady_clock::now();
        if (mode == "next") {
            if (prefetch.take(photo, QSize(1280, 800), &error).isNull())
                return 1;
        } else if (mode == "export") {
            QSize full;
            const QImage decoded = webexport::readPhoto(photo, &error, &full);
            const webexport::Result r =
                webexport::make(decoded, scratch.filePath(QStringLiteral("1.jpg")), {}, full);
            if (!r.status.ok())
                return 1;
        } else {
            if (picturefile::read(photo, QSize(1280, 800), &error).isNull())
                return 1;
        }
        t.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(t.begin(), t.end());
    std::printf("%.1f\n", t[t.size() / 2]);
    return 0;
}
