#include "photos/album.h"

#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/jpegcodec.h"
#include "platform/paths.h"

#include <QBuffer>
#include <QCollator>
#include <QDir>
#include <QImageReader>

#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace album {

namespace {

constexpr qint64 kMaxPhotoBytes = qint64(1) << 30;
constexpr qint64 kMaxPixels = jpegcodec::kMaxPixels;

QString suffixOf(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

QImage load(const QString& path, QSize fit, QString* error, QSize* fullSize)
{
    QByteArray bytes;
    bool missing = false;
    const IoStatus s = atomicfile::readAll(path, &bytes, &missing, kMaxPhotoBytes);
    const QString name = paths::fileNameOf(path);
    if (missing || !s.ok()) {
        *error = QStringLiteral("The photo ") + name + QStringLiteral(" cannot be read: ") +
                 (missing ? QStringLiteral("the file is gone.") : s.text);
        return QImage();
    }
    return decodePhoto(bytes, name, fit, error, fullSize);
}

} // namespace

QImage decodePhoto(const QByteArray& bytes, const QString& name, QSize fit, QString* error, QSize* fullSize)
{
    if (bytes.isEmpty()) {
        *error = QStringLiteral("The photo ") + name + QStringLiteral(" is an empty file.");
        return QImage();
    }
    QString why;
    QImage image;
    if (bytes.startsWith("\xff\xd8")) {
        image = jpegcodec::decodeToFit(bytes, fit, &why, fullSize);
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
            why = QStringLiteral("its picture is %1 x %2 pixels, more than can be held")
                      .arg(claimedW)
                      .arg(claimedH);
        else if (!reader.canRead() || !size.isValid())
            why = QStringLiteral("it is not a picture this program can read");
        else if (!reader.read(&image))
            why = reader.errorString();
    }
    if (image.isNull())
        *error = QStringLiteral("The photo ") + name + QStringLiteral(" cannot be shown: ") +
                 (why.isEmpty() ? QStringLiteral("the file is damaged") : why) + u'.';
    return image;
}

bool isPhotoName(const QString& name)
{
    const QString ext = suffixOf(name);
    return ext == u".jpg" || ext == u".bmp" || ext == u".gif";
}

QStringList listPhotos(const QString& folder)
{
    QStringList photos;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (isPhotoName(name))
            photos << name;
    // Without a language of its own (the C locale) the desktop sorts as in English.
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(photos.begin(), photos.end(),
                     [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return photos;
}

QString commentPath(const QString& photoPath)
{
    return photoPath + QStringLiteral(".txt");
}

IoStatus readComment(const QString& photoPath, QString* text)
{
    QByteArray bytes;
    bool missing = false;
    const IoStatus s = atomicfile::readAll(commentPath(photoPath), &bytes, &missing, 16 * 1024 * 1024);
    if (!s.ok() && !missing)
        return s;
    QString t = cp1251::decode(bytes);
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    *text = t;
    return {};
}

IoStatus writeComment(const QString& photoPath, const QString& text)
{
    QString t = text;
    t.replace(QChar::ParagraphSeparator, u'\n');
    t.replace(QChar::LineSeparator, u'\n');
    t.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return atomicfile::write(commentPath(photoPath), cp1251::encode(t));
}

IoStatus ensureComment(const QString& photoPath)
{
    if (paths::exists(commentPath(photoPath)))
        return {};
    return atomicfile::write(commentPath(photoPath), QByteArray());
}

QImage loadPhoto(const QString& path, QSize fit, QString* error, QSize* fullSize)
{
    return load(path, fit, error, fullSize);
}

QImage loadFullPhoto(const QString& path, QString* error)
{
    return load(path, QSize(), error, nullptr);
}

} // namespace album
