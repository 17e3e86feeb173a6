#include "photos/album.h"

#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/trash.h"

#include <QCollator>

#include <algorithm>
#include <cerrno>

namespace album {

namespace {

QString suffixOf(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

} // namespace

bool isPhotoName(const QString& name)
{
    const QString ext = suffixOf(name);
    return ext == u".jpg" || ext == u".bmp" || ext == u".gif";
}

QStringList listPhotos(const QString& folder)
{
    QStringList photos;
    for (const QString& name : paths::files(folder))
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

IoStatus writeCommentFile(const QString& file, const QString& text)
{
    QString t = text;
    t.replace(QChar::ParagraphSeparator, u'\n');
    t.replace(QChar::LineSeparator, u'\n');
    t.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return atomicfile::write(file, cp1251::encode(t));
}

IoStatus writeComment(const QString& photoPath, const QString& text)
{
    return writeCommentFile(commentPath(photoPath), text);
}

IoStatus ensureComment(const QString& photoPath)
{
    if (paths::exists(commentPath(photoPath)))
        return {};
    return atomicfile::write(commentPath(photoPath), QByteArray());
}

IoStatus deletePhoto(const QString& photoPath, bool toTrash)
{
    const QString comment = commentPath(photoPath);
    if (toTrash) {
        // The photo and its comment go together or not at all.
        const trash::Result photo = trash::moveToTrash(photoPath);
        if (!photo.status.ok() || !paths::exists(comment))
            return photo.status;
        const IoStatus s = trash::moveToTrash(comment).status;
        if (s.ok())
            return s;
        if (trash::putBack(photo, photoPath))
            return IoStatus::failure(s.code, s.text + QStringLiteral("; the photo and its comment stay"));
        return IoStatus::failure(s.code, QStringLiteral("the photo is in the trash as ") + photo.trashedAs +
                                             QStringLiteral(", but its comment stays: ") + s.text);
    }
    if (!paths::removeFile(photoPath))
        return IoStatus::fromErrno(errno);
    if (paths::exists(comment) && !paths::removeFile(comment))
        return IoStatus::fromErrno(errno);
    return {};
}

IoStatus addPhoto(const QString& folder, const QString& file, const QString& comment)
{
    const QString target = paths::join(folder, paths::fileNameOf(file));
    // The album shows these only; anything else would lie in the folder unseen, with a stray comment.
    if (!isPhotoName(target))
        return IoStatus::failure(EINVAL, paths::fileNameOf(file) +
                                             QStringLiteral(" is not a photo the album shows (JPG, BMP or GIF)"));
    IoStatus s = atomicfile::copyNew(file, target);
    if (s.ok()) {
        s = writeComment(target, comment);
        if (!s.ok())
            paths::removeFile(target); // a photo is added with its comment, or not at all
    }
    return s;
}

} // namespace album
