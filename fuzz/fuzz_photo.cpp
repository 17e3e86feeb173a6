// The photo loader takes any bytes: a picture, a message, never a crash, a hang or an exit.
#include "photos/album.h"

#include <QGuiApplication>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_photo";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    QSize full;
    const QImage shown = album::decodePhoto(bytes, QStringLiteral("photo.jpg"), QSize(64, 48), &error, &full);
    if (shown.isNull() && error.isEmpty())
        __builtin_trap(); // a photo that cannot be shown always says why
    return 0;
}
