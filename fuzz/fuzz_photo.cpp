// The photo loader takes any bytes: a picture, a message, never a crash, a hang or an exit.
#include "photos/album.h"
#include "platform/picturefile.h"

#include "guiapp.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureGuiApplication("fuzz_photo");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    QSize full;
    const QImage shown =
        picturefile::decode(bytes, QStringLiteral("photo.jpg"), QSize(64, 48), &error, &full);
    if (shown.isNull() && error.isEmpty())
        __builtin_trap(); // a photo that cannot be shown always says why
    return 0;
}
