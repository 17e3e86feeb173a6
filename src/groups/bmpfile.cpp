#include "groups/bmpfile.h"

#include "platform/atomicfile.h"

#include <cerrno>

namespace bmpfile {

namespace {

void put16(char*& p, quint16 v)
{
    *p++ = static_cast<char>(v & 0xFF);
    *p++ = static_cast<char>(v >> 8);
}

void put32(char*& p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        *p++ = static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace

QByteArray encode24(const QImage& image)
{
    if (image.isNull())
        return QByteArray();
    const QImage rgb =
        image.format() == QImage::Format_RGB888 ? image : image.convertToFormat(QImage::Format_RGB888);
    const int w = rgb.width();
    const int h = rgb.height();
    const qint64 stride = (qint64(w) * 3 + 3) / 4 * 4;
    const qint64 size = 54 + stride * h;
    if (size > 0x7FFFFFFF)
        return QByteArray();
    QByteArray out(static_cast<qsizetype>(size), '\0');
    char* p = out.data();
    *p++ = 'B';
    *p++ = 'M';
    put32(p, static_cast<quint32>(size));
    put32(p, 0);
    put32(p, 54); // pixels start after the two headers
    put32(p, 40); // BITMAPINFOHEADER
    put32(p, static_cast<quint32>(w));
    put32(p, static_cast<quint32>(h)); // positive: bottom-up
    put16(p, 1);
    put16(p, 24);
    put32(p, 0); // BI_RGB
    put32(p, static_cast<quint32>(stride * h));
    put32(p, 3780); // 96 dpi in pixels per metre
    put32(p, 3780);
    put32(p, 0);
    put32(p, 0);
    for (int y = 0; y < h; ++y) {
        const uchar* src = rgb.constScanLine(h - 1 - y);
        char* row = out.data() + 54 + stride * y;
        for (int x = 0; x < w; ++x) { // stored as blue, green, red
            row[x * 3] = static_cast<char>(src[x * 3 + 2]);
            row[x * 3 + 1] = static_cast<char>(src[x * 3 + 1]);
            row[x * 3 + 2] = static_cast<char>(src[x * 3]);
        }
    }
    return out;
}

IoStatus write24(const QString& path, const QImage& image)
{
    const QByteArray bytes = encode24(image);
    if (bytes.isEmpty())
        return IoStatus::failure(EINVAL, QStringLiteral("The picture is empty or too large for a bitmap."));
    return atomicfile::write(path, bytes);
}

} // namespace bmpfile
