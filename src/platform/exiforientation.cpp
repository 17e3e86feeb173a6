#include "platform/exiforientation.h"

#include <QTransform>

#include <optional>

namespace exiforientation {

namespace {

// Reads the file's bytes with bounds checks; the Exif block's byte order is its own.
class Bytes {
public:
    Bytes(const char* data, qsizetype size, bool bigEndian = true)
        : m_data(reinterpret_cast<const unsigned char*>(data)), m_size(size), m_big(bigEndian)
    {
    }
    std::optional<quint32> u16(qsizetype at) const
    {
        if (at < 0 || at + 2 > m_size)
            return std::nullopt;
        return m_big ? quint32(m_data[at] << 8 | m_data[at + 1]) : quint32(m_data[at + 1] << 8 | m_data[at]);
    }
    std::optional<quint32> u32(qsizetype at) const
    {
        const auto a = u16(at), b = u16(at + 2);
        if (!a || !b)
            return std::nullopt;
        return m_big ? (*a << 16 | *b) : (*b << 16 | *a);
    }

private:
    const unsigned char* m_data;
    qsizetype m_size;
    bool m_big;
};

constexpr int kOrientationTag = 0x0112;
constexpr int kShort = 3;

// The orientation in the TIFF structure of an Exif block (after "Exif\0\0"), or 1.
int fromTiff(const char* tiff, qsizetype size)
{
    if (size < 8)
        return 1;
    bool big = false;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        big = true;
    else if (!(tiff[0] == 'I' && tiff[1] == 'I'))
        return 1;
    const Bytes b(tiff, size, big);
    const auto ifd0 = b.u32(4);
    if (b.u16(2) != 42u || !ifd0)
        return 1;
    const auto count = b.u16(*ifd0);
    if (!count)
        return 1;
    for (quint32 i = 0; i < *count; ++i) {
        const qsizetype entry = qsizetype(*ifd0) + 2 + qsizetype(i) * 12;
        const auto tag = b.u16(entry);
        if (!tag)
            return 1;
        if (*tag != kOrientationTag)
            continue;
        const auto value = b.u16(entry + 8); // a SHORT sits at the start of the value field
        if (b.u16(entry + 2) != quint32(kShort) || !value || *value < 1 || *value > 8)
            return 1;
        return int(*value);
    }
    return 1;
}

} // namespace

int read(const QByteArray& jpeg)
{
    const Bytes b(jpeg.constData(), jpeg.size());
    if (b.u16(0) != 0xFFD8u)
        return 1;
    qsizetype at = 2;
    // The Exif block comes among the first segments, before the picture data starts.
    for (;;) {
        const auto marker = b.u16(at);
        if (!marker || (*marker >> 8) != 0xFF)
            return 1;
        const quint32 m = *marker & 0xFF;
        if (m == 0xFF) { // a fill byte
            ++at;
            continue;
        }
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) { // markers that carry no length
            at += 2;
            continue;
        }
        if (m == 0xDA || m == 0xD9) // the scan (picture data) or the end
            return 1;
        const auto length = b.u16(at + 2);
        if (!length || *length < 2 || at + 2 + qsizetype(*length) > jpeg.size())
            return 1;
        const qsizetype data = at + 4;
        const qsizetype dataSize = qsizetype(*length) - 2;
        if (m == 0xE1 && dataSize >= 6 && jpeg.mid(data, 6) == QByteArray("Exif\0\0", 6))
            return fromTiff(jpeg.constData() + data + 6, dataSize - 6);
        at += 2 + qsizetype(*length);
    }
}

QImage upright(const QImage& image, int orientation)
{
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.transformed(QTransform().rotate(180));
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.mirrored(true, false).transformed(QTransform().rotate(270));
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7:
        return image.mirrored(true, false).transformed(QTransform().rotate(90));
    case 8:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}

} // namespace exiforientation
