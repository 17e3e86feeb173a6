#include "history/versions.h"

#include "platform/atomicfile.h"
#include "platform/owntag.h"
#include "platform/paths.h"

#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace versions {

namespace {

constexpr qint64 kMaxPageBytes = qint64(512) * 1024 * 1024;
const QString kIdFormat = QStringLiteral("yyyyMMdd-HHmmss-zzz");

QString pageBase(const QString& pagePath)
{
    QString name = paths::fileNameOf(pagePath).toLower();
    name.chop(4); // ".rtf"
    return name;
}

QString folderOf(const QString& pagePath)
{
    return paths::join(paths::parentOf(pagePath), kFolder);
}

QString fileName(const QString& base, const QString& id)
{
    return base + u'.' + id + QStringLiteral(".rtf");
}

QString systemText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// RTF, text or nothing; NUL bytes mark a picture or a damaged file.
bool looksLikePage(const QByteArray& bytes)
{
    return bytes.trimmed().startsWith("{\\rtf") || !bytes.left(65536).contains('\0');
}

// Every version of the node (all its pages), oldest first.
QList<Version> all(const QString& folder, const QString& onlyBase = QString())
{
    static const QRegularExpression re(
        QStringLiteral(
            "^(description|care|diary)\\.(\\d{8}-\\d{6}-\\d{3})((?:-[0-9a-f]{8})?(-kept)?)\\.rtf$"),
        QRegularExpression::CaseInsensitiveOption);
    QList<Version> found;
    for (const paths::Entry& e : paths::entries(folder)) {
        const QRegularExpressionMatch m = re.match(e.name);
        if (!e.isFile || e.isLink || !m.hasMatch() ||
            (!onlyBase.isEmpty() && m.captured(1).toLower() != onlyBase))
            continue;
        Version v;
        v.id = m.captured(2) + m.captured(3);
        v.keptByRestore = !m.captured(4).isEmpty();
        v.time = QDateTime::fromString(m.captured(2), kIdFormat);
        v.time.setTimeSpec(Qt::UTC);
        v.path = paths::join(folder, e.name);
        v.bytes = paths::fileSize(v.path);
        if (v.time.isValid())
            found << v;
    }
    std::sort(found.begin(), found.end(), [](const Version& a, const Version& b) {
        return a.time != b.time ? a.time < b.time : a.id < b.id;
    });
    return found;
}

// Oldest out: more than kMaxVersions of one page, or more than kMaxNodeBytes in the node.
void prune(const QString& folder, const QString& base)
{
    QList<Version> page = all(folder, base);
    while (page.size() > kMaxVersions)
        paths::removeFile(page.takeFirst().path);
    QList<Version> node = all(folder);
    qint64 total = 0;
    for (const Version& v : node)
        total += std::max<qint64>(v.bytes, 0);
    // The newest version of the node stays: it was just kept.
    while (total > kMaxNodeBytes && node.size() > 1) {
        const Version v = node.takeFirst();
        if (paths::removeFile(v.path))
            total -= v.bytes;
    }
}

KeepResult keep(const QString& pagePath, const QByteArray& old, bool oneAMinute, bool byRestore = false,
                QDateTime written = {})
{
    KeepResult r;
    if (old.size() > kMaxNodeBytes) {
        r.problem = QStringLiteral("the page is larger than a node's history may hold");
        return r;
    }
    const QString folder = folderOf(pagePath);
    if (!paths::makePath(folder)) {
        r.problem = systemText(errno);
        return r;
    }
    const QString base = pageBase(pagePath);
    if (!written.isValid())
        written = paths::modificationTime(pagePath);
    if (!written.isValid())
        written = QDateTime::currentDateTimeUtc();
    written = written.toUTC();
    const QList<Version> before = all(folder, base);
    const QString suffix =
        u'-' + QString::fromLatin1(owntag::hostId()) + (byRestore ? QStringLiteral("-kept") : QString());
    QString id = written.toString(kIdFormat) + suffix;
    while (paths::exists(paths::join(folder, fileName(base, id)))) {
        written = written.addMSecs(1);
        id = written.toString(kIdFormat) + suffix;
    }
    const IoStatus s = atomicfile::writeNew(paths::join(folder, fileName(base, id)), old);
    if (!s.ok()) {
        r.problem = s.text;
        return r;
    }
    r.kept = true;
    // The last content of a minute stands for that minute; the one it follows gives way, but only
    // now that the new one is safely on disk.
    if (oneAMinute && !before.isEmpty()) {
        const Version& newest = before.back();
        if (!newest.keptByRestore && newest.id.left(13) == id.left(13))
            paths::removeFile(newest.path);
    }
    prune(folder, base);
    return r;
}

} // namespace

bool keepsVersions(const QString& pagePath)
{
    const QString name = paths::fileNameOf(pagePath).toLower();
    if (name != u"description.rtf" && name != u"care.rtf" && name != u"diary.rtf")
        return false;
    // Only pages of the collection: a document opened from elsewhere gets no hidden folder beside it.
    const QStringList parts = paths::parentOf(pagePath).split(u'/', Qt::SkipEmptyParts);
    return std::any_of(parts.begin(), parts.end(), [](const QString& p) {
        return p.compare(paths::kMyPlants, Qt::CaseInsensitive) == 0;
    });
}

QList<Version> list(const QString& pagePath)
{
    QList<Version> v = all(folderOf(pagePath), pageBase(pagePath));
    std::reverse(v.begin(), v.end());
    return v;
}

KeepResult keepBefore(const QString& pagePath, const QByteArray& newBytes, bool oneAMinute)
{
    if (!keepsVersions(pagePath))
        return {};
    QByteArray old;
    bool missing = false;
    const IoStatus s = atomicfile::readAll(pagePath, &old, &missing, kMaxPageBytes);
    if (!s.ok())
        return {false, s.text};
    if (missing || old.isEmpty() || old == newBytes)
        return {};
    return keep(pagePath, old, oneAMinute);
}

KeepResult keepText(const QString& pagePath, const QByteArray& bytes, const QDateTime& written)
{
    if (bytes.isEmpty())
        return {};
    return keep(pagePath, bytes, false, true, written);
}

IoStatus read(const QString& pagePath, const QString& id, QByteArray* bytes)
{
    static const QRegularExpression idForm(QStringLiteral("^\\d{8}-\\d{6}-\\d{3}(-[0-9a-f]{8})?(-kept)?$"));
    if (!idForm.match(id).hasMatch())
        return IoStatus::failure(EINVAL, QStringLiteral("no version \"") + id + u'"');
    bool missing = false;
    const IoStatus s = atomicfile::readAll(paths::join(folderOf(pagePath), fileName(pageBase(pagePath), id)),
                                           bytes, &missing, kMaxPageBytes);
    if (missing)
        return IoStatus::failure(ENOENT,
                                 QStringLiteral("no version \"") + id + QStringLiteral("\" of ") + pagePath);
    return s;
}

IoStatus restore(const QString& pagePath, const QString& id)
{
    QByteArray bytes;
    IoStatus s = read(pagePath, id, &bytes);
    if (!s.ok())
        return s;
    if (!looksLikePage(bytes))
        return IoStatus::failure(
            EINVAL, QStringLiteral("version ") + id +
                        QStringLiteral(" is damaged (it is not a document); the page was not changed"));
    QByteArray current;
    bool missing = false;
    s = atomicfile::readAll(pagePath, &current, &missing, kMaxPageBytes);
    if (!s.ok())
        return s;
    if (current == bytes)
        return {};
    if (!missing && !current.isEmpty()) {
        // Never one a minute here: the page as it is must survive its own restore.
        const KeepResult k = keep(pagePath, current, false, true);
        if (!k.kept)
            return IoStatus::failure(EIO,
                                     QStringLiteral("the page as it is could not be kept as a version (") +
                                         k.problem + QStringLiteral("); the page was not changed"));
    }
    return atomicfile::write(pagePath, bytes);
}

} // namespace versions
