#include "platform/fsname.h"

#include "platform/codepage.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace fsname {

namespace {

bool present(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

bool byteLess(const QByteArray& a, const QByteArray& b)
{
    return std::lexicographical_compare(a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](char p, char q) {
        return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
    });
}

// The bytes of the entry shown as name in the folder prefix (empty, or ending with '/'); empty when
// there is none.
QByteArray findEntry(const QByteArray& prefix, const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    if (present(prefix + utf8))
        return utf8;
    bool lossless = false;
    const QByteArray cp = cp1251::encode(name, &lossless);
    if (lossless && cp != utf8 && present(prefix + cp))
        return cp;
    // Only a name shown with placeholders cannot be turned back into its bytes: look for it.
    if (!name.contains(kPlaceholder))
        return QByteArray();
    QByteArray found;
    DIR* d = ::opendir(prefix.isEmpty() ? "." : prefix.constData());
    if (!d)
        return found;
    while (dirent* e = ::readdir(d)) {
        const QByteArrayView bytes(e->d_name);
        if (bytes == "." || bytes == "..")
            continue;
        if (decodeName(bytes) == name && (found.isEmpty() || byteLess(bytes.toByteArray(), found)))
            found = bytes.toByteArray();
    }
    ::closedir(d);
    return found;
}

// A name that is not on disk yet: UTF-8, unless it is the comment file of an 8-bit photo beside it
// ("Фото.jpg.txt" beside "Фото.jpg"), which keeps the photo's bytes.
QByteArray newName(const QByteArray& prefix, const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    if (!name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) || name.size() <= 4)
        return utf8;
    const qsizetype dot = name.size() - 4;
    const QString stem = name.left(dot);
    const QByteArray bytes = findEntry(prefix, stem);
    if (bytes.isEmpty() || bytes == stem.toUtf8())
        return utf8;
    return bytes + name.mid(dot).toUtf8();
}

} // namespace

QString decodeName(QByteArrayView bytes)
{
    // A byte-order mark at the start is part of such a name, not a mark to drop.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = cp1251::decode(bytes); // 0x98, undefined there, comes back as a control character
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = kPlaceholder;
    return text;
}

QByteArray encodePath(const QString& path)
{
    const QByteArray utf8 = path.toUtf8();
    if (path.isEmpty() || present(utf8))
        return utf8;
    const QStringList parts = path.split(u'/');
    QByteArray out;
    bool folderThere = true; // whether out names a folder that exists
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (i > 0)
            out += '/';
        if (part.isEmpty() || part == u"." || part == u"..") {
            out += part.toUtf8();
            continue;
        }
        QByteArray bytes = folderThere ? findEntry(out, part) : QByteArray();
        if (bytes.isEmpty()) {
            bytes = folderThere && i == parts.size() - 1 ? newName(out, part) : part.toUtf8();
            folderThere = false;
        }
        out += bytes;
    }
    return out;
}

QByteArray encodeIn(const QString& folder, QByteArrayView leaf)
{
    if (folder.isEmpty())
        return leaf.toByteArray();
    QByteArray out = encodePath(folder);
    if (!out.endsWith('/'))
        out += '/';
    return out + leaf;
}

QByteArray leafOf(const QByteArray& native)
{
    QByteArray p = native;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    return p.mid(p.lastIndexOf('/') + 1);
}

QString decodePath(QByteArrayView bytes)
{
    QStringList parts;
    for (const QByteArray& part : bytes.toByteArray().split('/'))
        parts << decodeName(part);
    return parts.join(u'/');
}

} // namespace fsname
