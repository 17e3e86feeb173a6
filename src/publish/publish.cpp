#include "publish/publish.h"

#include "care/careschedule.h"
#include "editor/pagefile.h"
#include "groups/grouplist.h"
#include "groups/groupops.h"
#include "i18n/messages.h"
#include "photos/album.h"
#include "photos/webexport.h"
#include "platform/atomicfile.h"
#include "platform/owntag.h"
#include "platform/paths.h"
#include "platform/picturefile.h"
#include "platform/sysio.h"
#include "store/collection.h"
#include "tree/nodefiles.h"
#include "tree/treeloader.h"

#include <QBuffer>
#include <QFuture>
#include <QMutex>
#include <QTemporaryFile>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <deque>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace publish {

namespace {

// The list of what a publish wrote, in the site's folder: the proof that the folder is the program's.
constexpr QStringView kManifest = u".verdarium-site";

QString esc(const QString& s)
{
    return s.toHtmlEscaped();
}

QString systemText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// A file's stamp for the manifest: size and modification time in nanoseconds.
QString stampOf(const QString& path)
{
    struct stat st {};
    if (::stat(paths::native(path).constData(), &st) != 0)
        return QString();
    return QString::number(st.st_size) + u':' + QString::number(st.st_mtim.tv_sec) + u'.' +
           QString::number(st.st_mtim.tv_nsec);
}

struct Entry {
    QString signature; // what it was made from ("-" for a page: those are compared by their bytes)
    QString stamp;     // the file as written
};

QHash<QString, Entry> readManifest(const QString& site)
{
    QHash<QString, Entry> out;
    QFile f(paths::join(site, kManifest));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() == 3)
            out.insert(QString::fromUtf8(parts[0]), Entry{QString::fromUtf8(parts[1]), QString::fromUtf8(parts[2])});
    }
    return out;
}

// Writes the new site beside the old one, taking over what did not change.
class SiteWriter {
public:
    SiteWriter(const QString& oldSite, const QString& newSite, Result* result)
        : m_old(oldSite), m_new(newSite), m_result(result), m_oldFiles(readManifest(oldSite))
    {
    }

    bool failed() const
    {
        const QMutexLocker lock(&m_lock);
        return !m_error.isEmpty();
    }
    QString error() const
    {
        const QMutexLocker lock(&m_lock);
        return m_error;
    }
    const QHash<QString, Entry>& oldFiles() const { return m_oldFiles; }
    bool has(const QString& rel) const { return m_written.contains(rel); }

    // A file of the site by its bytes.
    void put(const QString& rel, const QByteArray& bytes)
    {
        const QString old = paths::join(m_old, rel);
        if (ownOld(rel) && paths::fileSize(old) == bytes.size()) {
            QFile f(old);
            if (f.open(QIODevice::ReadOnly) && f.readAll() == bytes && takeOver(rel))
                return record(rel, QStringLiteral("-"));
        }
        write(rel, bytes);
        record(rel, QStringLiteral("-"));
    }

    // A file made from a source (a photo's web copy) is made again only when its signature changed:
    // true when the last publish's file was taken over.
    bool reuse(const QString& rel, const QString& signature)
    {
        if (!ownOld(rel) || m_oldFiles.value(rel).signature != signature || !takeOver(rel))
            return false;
        record(rel, signature);
        return true;
    }
    // Such a file made now; from any thread.
    void writeMade(const QString& rel, const QString& signature, const QByteArray& bytes)
    {
        write(rel, bytes);
        record(rel, signature);
    }

    void writeManifest()
    {
        QByteArray text;
        for (auto it = m_written.cbegin(); it != m_written.cend(); ++it)
            text += it.key().toUtf8() + '\t' + it.value().toUtf8() + '\t' +
                    stampOf(paths::join(m_new, it.key())).toUtf8() + '\n';
        write(kManifest.toString(), text);
    }

private:
    // The old site's file is one the last publish wrote and nobody changed since.
    bool ownOld(const QString& rel) const
    {
        const auto it = m_oldFiles.constFind(rel);
        return it != m_oldFiles.cend() && it->stamp == stampOf(paths::join(m_old, rel));
    }

    bool takeOver(const QString& rel)
    {
        if (failed())
            return true;
        const QString target = paths::join(m_new, rel);
        paths::makePath(paths::parentOf(target));
        if (::link(paths::native(paths::join(m_old, rel)).constData(), paths::native(target).constData()) == 0) {
            const QMutexLocker lock(&m_lock);
            ++m_result->kept;
            return true;
        }
        return false; // a file system without links (a USB stick): written again
    }

    void write(const QString& rel, const QByteArray& bytes)
    {
        if (failed())
            return;
        const QString target = paths::join(m_new, rel);
        paths::makePath(paths::parentOf(target));
        const int fd = ::open(paths::native(target).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        int err = fd < 0 ? errno : 0;
        if (!err && sysio::writeAll(fd, bytes.constData(), static_cast<size_t>(bytes.size())) < 0)
            err = errno;
        if (fd >= 0 && ::close(fd) != 0 && !err)
            err = errno;
        const QMutexLocker lock(&m_lock);
        if (err && m_error.isEmpty())
            m_error = QStringLiteral("cannot write ") + target + QStringLiteral(": ") + systemText(err);
        else if (!err && !rel.startsWith(kManifest))
            ++m_result->written;
    }

    void record(const QString& rel, const QString& signature)
    {
        const QMutexLocker lock(&m_lock);
        m_written.insert(rel, signature);
    }

    QString m_old, m_new;
    Result* m_result;
    QHash<QString, Entry> m_oldFiles;
    QMap<QString, QString> m_written; // rel -> signature
    QString m_error;
    mutable QMutex m_lock; // photos are made on several threads
};

// A photo of a plant page: its web copy (and full copy) taken over from the last publish, or made on
// the thread pool; the page holds a mark where its picture goes until then.
struct PhotoJob {
    QString photo, shown, webRel, fullRel, signature, comment, file, full;
    bool work = false;
    bool makeWeb = false;  // the web copy is made anew
    bool makeFull = false; // the full copy is made anew
    bool readable = true;
    QString problem;
};

QString photoMark(size_t i)
{
    return QStringLiteral("<!--photo ") + QString::number(i) + QStringLiteral("-->");
}

// One name per thing within a folder of the site: names alike after making them safe get "-2", "-3".
class Names {
public:
    explicit Names(QStringList reserved = {}) { for (const QString& r : reserved) m_taken.insert(r); }
    QString take(const QString& name, const QString& shown, QStringList* problems)
    {
        QString base = safeName(name);
        QString n = base;
        for (int i = 2; m_taken.contains(n); ++i)
            n = base + u'-' + QString::number(i);
        if (n != base)
            *problems << QStringLiteral("\"") + shown + QStringLiteral("\" is published as \"") + n +
                             QStringLiteral("\": its safe name \"") + base + QStringLiteral("\" was taken");
        m_taken.insert(n);
        return n;
    }

private:
    QSet<QString> m_taken;
};

const char kStyle[] =
    "body{font-family:system-ui,-apple-system,\"Segoe UI\",Roboto,Arial,sans-serif;max-width:60rem;margin:0 auto;"
    "padding:1rem 1.5rem;color:#1d2a1d;background:#fbfdf8;line-height:1.45}\n"
    "a{color:#2b6b2b}h1{color:#2e5e2e;border-bottom:2px solid #cfe3c4;padding-bottom:.3rem}\n"
    "nav{font-size:.9rem;margin-bottom:1rem}\n"
    "ul.groups{list-style:none;padding:0;display:flex;flex-wrap:wrap;gap:1rem}\n"
    "ul.groups li{width:8rem;text-align:center}ul.groups img{width:70px;height:65px;display:block;margin:0 auto .3rem;"
    "border:1px solid #cfe3c4;background:#fff}\n"
    "ul.tree{list-style:none;padding-left:1rem}ul.tree ul{list-style:none;padding-left:1.3rem}\n"
    ".folder{font-weight:600}.mark{font-size:.8rem;border-radius:.6rem;padding:0 .5rem;margin-left:.5rem;color:#fff}\n"
    ".m2{background:#2e9d3a}.m3{background:#d32f2f}.m4{background:#ef8a17}.m5{background:#1e6fc8}\n"
    "section.page{background:#fff;border:1px solid #e1ecd9;padding:.5rem 1rem;margin:1rem 0}\n"
    "figure{display:inline-block;margin:.5rem;vertical-align:top;max-width:400px}\n"
    "figure img{max-width:100%;height:auto;border:1px solid #ccc}figcaption{font-size:.9rem}\n"
    ".missing{width:200px;height:120px;border:1px dashed #aaa;display:flex;align-items:center;justify-content:center;"
    "font-size:.85rem;color:#777;text-align:center}\n";

QByteArray htmlPage(const QString& title, const QString& up, const QString& stylePath, const QString& body,
                    const Texts& t)
{
    QString h = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>") +
                esc(title) + QStringLiteral("</title>\n<link rel=\"stylesheet\" href=\"") + stylePath +
                QStringLiteral("\">\n</head>\n<body>\n");
    if (!up.isEmpty())
        h += QStringLiteral("<nav><a href=\"") + up + QStringLiteral("\">\u2190 ") + esc(t.back) +
             QStringLiteral("</a></nav>\n");
    h += QStringLiteral("<h1>") + esc(title) + QStringLiteral("</h1>\n") + body + QStringLiteral("</body>\n</html>\n");
    return h.toUtf8();
}

QString markSpan(int mark, const Texts& t)
{
    if (mark < 2 || mark > 5 || mark >= t.marks.size() || t.marks[mark].isEmpty())
        return QString();
    return QStringLiteral(" <span class=\"mark m") + QString::number(mark) + QStringLiteral("\">") +
           esc(t.marks[mark]) + QStringLiteral("</span>");
}

// A page of the collection as HTML for the body of a site page: the editor's own HTML between <body>
// and </body>, its pictures written beside it as PNG files, links to this machine's files taken out.
QString pageHtml(const QString& path, const QString& picturePrefix, SiteWriter& site, const QString& siteFolder)
{
    if (!paths::isFile(path))
        return QString();
    QTextDocument doc;
    if (!pagefile::load(path, &doc).ok() || doc.isEmpty())
        return QString();
    const QString html = doc.toHtml();
    const qsizetype open = html.indexOf(QLatin1String("<body"));
    const qsizetype start = open < 0 ? -1 : html.indexOf(u'>', open);
    const qsizetype end = html.lastIndexOf(QLatin1String("</body>"));
    if (start < 0 || end < start)
        return QString();
    QString body = html.mid(start + 1, end - start - 1);
    // Pictures: the document's own resources, written out.
    static const QRegularExpression src(QStringLiteral("<img src=\"([^\"]*)\""));
    int n = 0;
    QString out;
    qsizetype at = 0;
    for (auto it = src.globalMatch(body); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += body.mid(at, m.capturedStart(1) - at);
        at = m.capturedEnd(1);
        QVariant res = doc.resource(QTextDocument::ImageResource, QUrl(m.captured(1)));
        QImage image = res.value<QImage>();
        if (image.isNull() && res.typeId() == QMetaType::QByteArray)
            image.loadFromData(res.toByteArray());
        if (image.isNull()) {
            out += QStringLiteral("data:,"); // a picture the page did not hold
            continue;
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        const QString file = picturePrefix + QStringLiteral("-picture-") + QString::number(++n) + QStringLiteral(".png");
        site.put(siteFolder + u'/' + file, png);
        out += file;
    }
    out += body.mid(at);
    // Links to files of this machine would lead nowhere on the web and tell where the collection is.
    static const QRegularExpression local(QStringLiteral(" href=\"(file:|/)[^\"]*\""), QRegularExpression::CaseInsensitiveOption);
    out.replace(local, QString());
    static const QRegularExpression align(QStringLiteral(" align=\"(left|right|center|justify)\""));
    out.replace(align, QStringLiteral(" style=\"text-align:\\1\""));
    return out;
}

struct Photo {
    QString file;    // in the site, relative to the plant's page
    QString full;    // the full photo, when published
    QString comment;
    bool readable = true;
};

// Outside the collection, and not holding it.
QString placeProblem(const QString& programFolder, const QString& outDir)
{
    auto canonical = [](const QString& p) {
        // A folder still to be made is where its nearest existing parent is.
        QString path = QDir::cleanPath(QDir(p).absolutePath());
        QString rest;
        while (!QFileInfo::exists(path) && path != u"/") {
            rest = u'/' + QFileInfo(path).fileName() + rest;
            path = QFileInfo(path).path();
        }
        return QDir::cleanPath(QFileInfo(path).canonicalFilePath() + rest);
    };
    const QString out = canonical(outDir);
    const QString collection = canonical(collection::myPlants(programFolder));
    const QString program = canonical(programFolder);
    auto within = [](const QString& a, const QString& b) { return a == b || a.startsWith(b + u'/'); };
    if (within(out, collection) || within(collection, out) || out == program)
        return QStringLiteral("the site cannot go into the collection or hold it: choose a folder outside ") + program;
    if (QFileInfo(outDir).exists() && !QFileInfo(outDir).isDir())
        return outDir + QStringLiteral(" is a file, not a folder");
    return QString();
}

// Links into the new site what the old one holds that the program did not write there, or that was
// changed by hand since; the error (the new site then goes) or empty.
QString keepTheirs(const QString& oldSite, const QString& newSite, const QHash<QString, Entry>& ours,
                   QStringList* problems)
{
    QDirIterator it(oldSite, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(oldSite).relativeFilePath(path);
        if (rel == kManifest)
            continue;
        const auto own = ours.constFind(rel);
        if (own != ours.cend() && own->stamp == stampOf(path))
            continue;
        const QString target = paths::join(newSite, rel);
        paths::removeFile(target);
        paths::makePath(paths::parentOf(target));
        if (::link(paths::native(path).constData(), paths::native(target).constData()) != 0 &&
            !QFile::copy(path, target))
            return QStringLiteral("cannot keep ") + path + QStringLiteral(" in the new site: ") + systemText(errno) +
                   QStringLiteral("; the site is as it was");
        if (own != ours.cend())
            *problems << rel + QStringLiteral(" was changed by hand and is kept as it is");
    }
    return QString();
}

// Puts the finished site (staging) in outDir's place in one step, the old site (when there was one)
// then removed; the error, with the staging folder gone and outDir as it was, or empty. Where names
// cannot be exchanged (a FAT-formatted USB stick) the old site steps aside under the hidden name aside,
// which the next publish puts back should this one stop between the two renames.
QString putInPlace(const QString& staging, const QString& outDir, bool exists, const QString& aside)
{
    // On the disk before it takes the old site's place.
    if (const int fd = ::open(paths::native(staging).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
    const QByteArray from = paths::native(staging);
    const QByteArray to = paths::native(outDir);
    if (!exists) {
        if (sysio::rename(from.constData(), to.constData()) == 0)
            return QString();
        const int err = errno;
        paths::removeTree(staging);
        return QStringLiteral("cannot make ") + outDir + QStringLiteral(": ") + systemText(err);
    }
    if (sysio::exchange(from.constData(), to.constData()) == 0) {
        paths::removeTree(staging); // the old site, every file of it the program's or linked into the new one
        return QString();
    }
    const int err = errno;
    if ((err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) && !paths::exists(aside) &&
        sysio::rename(to.constData(), paths::native(aside).constData()) == 0) {
        if (sysio::rename(from.constData(), to.constData()) == 0) {
            paths::removeTree(aside);
            return QString();
        }
        ::rename(paths::native(aside).constData(), to.constData());
    }
    paths::removeTree(staging);
    return QStringLiteral("cannot put the new site in place of ") + outDir + QStringLiteral(": ") + systemText(err) +
           QStringLiteral("; the site is as it was");
}

} // namespace

Texts textsFrom(const MessageTable& m)
{
    auto t = [&m](const char* key) { return m.text(QString::fromLatin1(key)); };
    Texts x;
    x.title = t("b28");
    x.description = t("b13");
    x.care = t("b14");
    x.diary = t("b15");
    x.photos = t("b12");
    x.notes = t("b16");
    x.fullSize = t("b11");
    x.unreadable = t("b10");
    x.back = t("b9");
    x.marks = {QString(), QString(), t("b24"), t("b25"), t("b26"), t("b27")};
    x.columns = {t("b17"), t("b18"), t("b19"), t("b20"), t("b12"), t("b13"), t("b23")};
    return x;
}

QString safeName(const QString& name)
{
    static const char* const cyr[] = {"a", "b", "v", "g", "d", "e", "zh", "z", "i", "y", "k", "l", "m", "n", "o", "p",
                                      "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "", "y", "", "e", "yu", "ya"};
    QString out;
    for (const QChar c : name.toLower()) {
        const char16_t u = c.unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9'))
            out += c;
        else if (u >= 0x0430 && u <= 0x044F)
            out += QLatin1String(cyr[u - 0x0430]);
        else if (u == 0x0451)
            out += QLatin1String("yo");
        else if (c.decompositionTag() != QChar::NoDecomposition && !c.decomposition().isEmpty() &&
                 c.decomposition().front().unicode() < 0x80 && c.decomposition().front().isLetterOrNumber())
            out += c.decomposition().front().toLower();
        else if (!out.endsWith(u'-'))
            out += u'-';
    }
    while (out.startsWith(u'-'))
        out.remove(0, 1);
    while (out.endsWith(u'-'))
        out.chop(1);
    if (out.size() > 60)
        out.truncate(60);
    return out.isEmpty() ? QStringLiteral("item") : out;
}

Result publishSite(const QString& programFolder, const Options& o)
{
    Result r;
    const QString outDir = QDir::cleanPath(QDir(o.outDir).absolutePath());
    if (!paths::isDir(collection::myPlants(programFolder))) {
        r.error = QStringLiteral("no collection (MyPlants) in ") + programFolder;
        return r;
    }
    if (const QString why = placeProblem(programFolder, outDir); !why.isEmpty()) {
        r.error = why;
        return r;
    }
    bool exists = paths::isDir(outDir);
    if (exists && !paths::isFile(paths::join(outDir, kManifest)) && !QDir(outDir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        r.error = outDir + QStringLiteral(" holds files this program did not publish; choose an empty folder or one it "
                                          "published to");
        return r;
    }
    const QString parent = paths::parentOf(outDir);
    if (!paths::isDir(parent) && !paths::makePath(parent)) {
        r.error = QStringLiteral("cannot make ") + parent + QStringLiteral(": ") + systemText(errno);
        return r;
    }
    // What a publish killed midway left beside the site is the program's own and goes first; an old
    // site it had put aside comes back.
    const QString stagingPrefix = u'.' + paths::fileNameOf(outDir) + QStringLiteral(".publishing-");
    const QString aside = paths::join(parent, QString(stagingPrefix + QStringLiteral("old")));
    if (paths::isFile(paths::join(aside, kManifest))) {
        if (!paths::exists(outDir))
            ::rename(paths::native(aside).constData(), paths::native(outDir).constData());
        else if (paths::isFile(paths::join(outDir, kManifest)))
            paths::removeTree(aside); // a site the last publish had already replaced
    }
    // The others are sites half made, or replaced and half removed, by a publish whose process is gone:
    // their names carry this computer's id and that process, as the program's working names do. A
    // publish still running is left alone.
    for (const QString& sibling : paths::subdirectories(parent)) {
        const QString folder = paths::join(parent, sibling);
        if (sibling.startsWith(stagingPrefix) && folder != aside &&
            owntag::isAbandoned(QStringView(sibling).mid(stagingPrefix.size()).toLatin1()))
            paths::removeTree(folder);
    }
    exists = paths::isDir(outDir);
    // The new site is made beside the old one, on the same disk: the top of a disk has no beside.
    struct stat here {}, above {};
    if (exists && ::stat(paths::native(outDir).constData(), &here) == 0 &&
        ::stat(paths::native(parent).constData(), &above) == 0 && here.st_dev != above.st_dev) {
        r.error = outDir + QStringLiteral(" is the top of a disk of its own; publish into a folder on it");
        return r;
    }
    const QString staging = paths::join(parent, QString(stagingPrefix + QString::fromLatin1(owntag::tag())));
    if (!paths::makeDir(staging)) {
        r.error = QStringLiteral("cannot make ") + staging + QStringLiteral(": ") + systemText(errno);
        return r;
    }
    SiteWriter site(exists ? outDir : QString(), staging, &r);
    const Texts& t = o.texts;
    QTemporaryDir scratch;

    // The groups, as the bar shows them.
    const GroupScan scan = scanGroups(programFolder, false);
    std::vector<GroupEntry> groups;
    for (const GroupEntry& g : scan.slots)
        if (g.picture > 0 && (o.group.isEmpty() || g.name == o.group))
            groups.push_back(g);
    if (!o.group.isEmpty() && groups.empty()) {
        paths::removeTree(staging);
        r.error = QStringLiteral("no group named \"") + o.group + u'"';
        return r;
    }
    std::vector<LoadedTree> trees;
    int total = 0;
    for (const GroupEntry& g : groups) {
        trees.push_back(loadTreeFromDisk(programFolder, g.name, g.name));
        for (const TreeNode& n : trees.back().nodes)
            total += n.isFolder() ? static_cast<int>(n.children.size()) : 1;
    }
    const QString notesFolder = paths::fixed(collection::myPlants(programFolder), paths::kNotes);
    if (o.withNotes && paths::isDir(notesFolder)) {
        const QString name = paths::fileNameOf(notesFolder);
        trees.push_back(loadTreeFromDisk(programFolder, name, name));
        for (const TreeNode& n : trees.back().nodes)
            total += 1 + static_cast<int>(n.children.size());
    }

    site.put(QStringLiteral("style.css"), QByteArray(kStyle));
    Names groupNames({QStringLiteral("style"), QStringLiteral("index"), QStringLiteral("notes")});
    std::deque<PhotoJob> jobs;
    std::vector<std::pair<QString, QString>> plantPages; // plant pages (rel, HTML) waiting for their photos
    QString index = QStringLiteral("<ul class=\"groups\">\n");
    int done = 0;
    for (size_t gi = 0; gi < trees.size() && !site.failed(); ++gi) {
        const LoadedTree& tree = trees[gi];
        const bool notes = gi >= groups.size();
        const QString groupName = notes ? t.notes : groups[gi].name;
        const QString dir = notes ? QStringLiteral("notes") : groupNames.take(groupName, groupName, &r.problems);
        const QString groupFolder = collection::groupFolder(programFolder, tree.group);
        // The group's picture.
        QString picture;
        if (!notes) {
            QImage image;
            if (groups[gi].picture == groupops::kOwnPicture) {
                QString why;
                image = picturefile::read(paths::fixed(groupFolder, paths::kGroupImage), QSize(), &why);
            } else {
                image = groupops::builtInPicture(groups[gi].picture <= groupops::kBuiltInPictures ? groups[gi].picture : 1);
            }
            if (!image.isNull()) {
                QByteArray png;
                QBuffer buffer(&png);
                buffer.open(QIODevice::WriteOnly);
                image.save(&buffer, "PNG");
                picture = dir + QStringLiteral("/group.png");
                site.put(picture, png);
            }
        }
        index += QStringLiteral("<li><a href=\"") + dir + QStringLiteral("/index.html\">") +
                 (picture.isEmpty() ? QString() : QStringLiteral("<img src=\"") + picture + QStringLiteral("\" alt=\"\">")) +
                 esc(groupName) + QStringLiteral("</a></li>\n");

        Names pageNames({QStringLiteral("index"), QStringLiteral("group")});
        QString list = QStringLiteral("<ul class=\"tree\">\n");
        auto plantPage = [&](const QString& parent, const TreeNode& node) -> QString {
            const QString shown = parent.isEmpty() ? node.text : parent + QStringLiteral(" / ") + node.text;
            const QString name = pageNames.take(parent.isEmpty() ? node.text : parent + u'-' + node.text, shown, &r.problems);
            const QString nodeFolder = paths::join(parent.isEmpty() ? groupFolder : paths::join(groupFolder, parent), node.text);
            QString body;
            const std::pair<QStringView, const QString*> pages[] = {
                {u"description.rtf", &t.description}, {u"care.rtf", &t.care}, {u"diary.rtf", &t.diary}};
            for (const auto& [page, heading] : pages) {
                if (page == u"diary.rtf" && !o.withDiary)
                    continue;
                const QString html = pageHtml(pagePath(nodeFolder, page), name, site, dir);
                if (!html.trimmed().isEmpty())
                    body += QStringLiteral("<h2>") + esc(*heading) + QStringLiteral("</h2>\n<section class=\"page\">") +
                            html + QStringLiteral("</section>\n");
            }
            // Photos: their web copies, upright, with their comments.
            QString figures;
            int p = 0;
            for (const QString& photoName : album::listPhotos(nodeFolder)) {
                PhotoJob job;
                job.photo = paths::join(nodeFolder, photoName);
                job.shown = shown + u'/' + photoName;
                album::readComment(job.photo, &job.comment);
                job.file = name + u'/' + QString::number(++p) + u'-' + safeName(QFileInfo(photoName).completeBaseName());
                job.signature = stampOf(job.photo);
                job.webRel = dir + u'/' + job.file + QStringLiteral(".jpg");
                if (o.fullPhotos) {
                    job.full = job.file + QStringLiteral("-full.") + QFileInfo(photoName).suffix().toLower();
                    job.fullRel = dir + u'/' + job.full;
                }
                const bool web = site.reuse(job.webRel, QStringLiteral("web:") + job.signature);
                const bool full = job.fullRel.isEmpty() || site.reuse(job.fullRel, QStringLiteral("full:") + job.signature);
                job.makeWeb = !web;
                job.makeFull = !full;
                job.work = job.makeWeb || job.makeFull;
                figures += QStringLiteral("<figure>") + photoMark(jobs.size()) + QStringLiteral("<figcaption>") +
                           esc(job.comment).replace(u'\n', QStringLiteral("<br>")) + QStringLiteral("</figcaption></figure>\n");
                jobs.push_back(std::move(job));
            }
            if (!figures.isEmpty())
                body += QStringLiteral("<h2>") + esc(t.photos) + QStringLiteral("</h2>\n") + figures;
            plantPages.push_back({dir + u'/' + name + QStringLiteral(".html"),
                             QString::fromUtf8(htmlPage(node.text, QStringLiteral("index.html"), QStringLiteral("../style.css"),
                                                        (node.isFolder() || notes ? QString() : QStringLiteral("<p>") + markSpan(node.image, t).trimmed() + QStringLiteral("</p>\n")) + body, t))});
            ++r.plants;
            if (o.progress)
                o.progress(++done, total);
            return QStringLiteral("<a href=\"") + name + QStringLiteral(".html\">") + esc(node.text) + QStringLiteral("</a>") +
                   (notes ? QString() : markSpan(node.image, t));
        };
        for (const TreeNode& n : tree.nodes) {
            if (site.failed())
                break;
            if (n.isFolder() && !notes) {
                list += QStringLiteral("<li><span class=\"folder\">") + esc(n.text) + QStringLiteral("</span>\n<ul>\n");
                for (const TreeNode& c : n.children)
                    list += QStringLiteral("<li>") + plantPage(n.text, c) + QStringLiteral("</li>\n");
                list += QStringLiteral("</ul></li>\n");
            } else {
                list += QStringLiteral("<li>") + plantPage(QString(), n) + QStringLiteral("</li>\n");
            }
        }
        list += QStringLiteral("</ul>\n");
        site.put(dir + QStringLiteral("/index.html"), htmlPage(groupName, QStringLiteral("../index.html"),
                                                               QStringLiteral("../style.css"), list, t));
    }
    index += QStringLiteral("</ul>\n");
    site.put(QStringLiteral("index.html"), htmlPage(t.title, QString(), QStringLiteral("style.css"), index, t));

    // The photos' copies, on every core, then the plant pages with their pictures.
    std::vector<PhotoJob*> work;
    for (PhotoJob& j : jobs)
        if (j.work)
            work.push_back(&j);
    total += static_cast<int>(work.size());
    std::atomic<int> made{0};
    QFuture<void> making = QtConcurrent::map(work, [&](PhotoJob* j) {
        if (site.failed())
            return;
        QString error;
        QSize full;
        const QImage image = j->makeWeb ? webexport::readPhoto(j->photo, &error, &full) : QImage();
        if (!j->makeWeb) {
            QFile f(j->photo);
            if (f.open(QIODevice::ReadOnly))
                site.writeMade(j->fullRel, QStringLiteral("full:") + j->signature, f.readAll());
        } else if (image.isNull()) {
            j->readable = false;
            j->problem = QStringLiteral("the photo ") + j->shown + QStringLiteral(" could not be read (") + error +
                         QStringLiteral("); it is listed without its picture");
        } else {
            QTemporaryFile scratchFile(scratch.filePath(QStringLiteral("web-XXXXXX.jpg")));
            scratchFile.open();
            const webexport::Result w = webexport::make(image, scratchFile.fileName(), {}, full);
            if (!w.status.ok()) {
                j->readable = false;
                j->problem = QStringLiteral("no web copy of ") + j->shown + QStringLiteral(": ") + w.status.text;
            } else {
                site.writeMade(j->webRel, QStringLiteral("web:") + j->signature, w.jpeg);
                if (j->makeFull) {
                    QFile f(j->photo);
                    if (f.open(QIODevice::ReadOnly))
                        site.writeMade(j->fullRel, QStringLiteral("full:") + j->signature, f.readAll());
                }
            }
        }
        ++made;
    });
    while (!making.isFinished()) {
        if (o.progress)
            o.progress(done + made, total);
        QThread::msleep(30);
    }
    making.waitForFinished();
    for (size_t i = 0; i < jobs.size(); ++i) {
        const PhotoJob& j = jobs[i];
        if (!j.problem.isEmpty())
            r.problems << j.problem;
        QString img = j.readable ? QString(QStringLiteral("<img src=\"") + j.file + QStringLiteral(".jpg\" alt=\"") +
                                           esc(j.comment) + QStringLiteral("\" loading=\"lazy\">"))
                                 : QString(QStringLiteral("<div class=\"missing\">") + esc(t.unreadable) +
                                           QStringLiteral("</div>"));
        if (j.readable && !j.full.isEmpty())
            img = QStringLiteral("<a href=\"") + j.full + QStringLiteral("\">") + img + QStringLiteral("</a>");
        jobs[i].file = img; // the picture's HTML, put in its page below
    }
    for (auto& [rel, html] : plantPages) {
        for (qsizetype at = html.indexOf(QLatin1String("<!--photo ")); at >= 0; at = html.indexOf(QLatin1String("<!--photo "), at)) {
            const qsizetype end = html.indexOf(QLatin1String("-->"), at);
            const size_t i = html.mid(at + 10, end - at - 10).toULongLong();
            html.replace(at, end + 3 - at, jobs[i].file);
            at += jobs[i].file.size();
        }
        site.put(rel, html.toUtf8());
    }
    if (o.progress)
        o.progress(total, total);

    // What the old site held that the program did not write, or that was changed by hand, stays.
    if (exists && !site.failed()) {
        if (const QString why = keepTheirs(outDir, staging, site.oldFiles(), &r.problems); !why.isEmpty()) {
            paths::removeTree(staging);
            r.error = why;
            return r;
        }
    }
    site.writeManifest();
    if (site.failed()) {
        paths::removeTree(staging);
        r.error = site.error() + QStringLiteral("; the site in ") + outDir + QStringLiteral(" is as it was");
        return r;
    }
    r.error = putInPlace(staging, outDir, exists, aside);
    r.ok = r.error.isEmpty();
    return r;
}

QByteArray plantList(const QString& programFolder, const Texts& t)
{
    auto field = [](QString s) {
        if (s.contains(u'"') || s.contains(u',') || s.contains(u'\n') || s.contains(u'\r'))
            s = u'"' + s.replace(u'"', QStringLiteral("\"\"")) + u'"';
        return s;
    };
    QStringList header;
    for (const QString& c : t.columns)
        header << field(c);
    QString out = header.join(u',') + QStringLiteral("\r\n");
    // Care tasks by plant folder, as the plant follows them.
    QHash<QString, QStringList> tasks;
    for (const care::Due& d : care::survey(programFolder).due)
        tasks[d.nodeFolder] << d.task + u' ' + care::intervalText(d.rule.every) +
                                   (d.rule.season.allYear() ? QString() : u' ' + care::seasonText(d.rule.season));
    for (const GroupEntry& g : scanGroups(programFolder, false).slots) {
        if (g.picture <= 0)
            continue;
        const LoadedTree tree = loadTreeFromDisk(programFolder, g.name, g.name);
        const QString groupFolder = collection::groupFolder(programFolder, g.name);
        auto row = [&](const QString& parent, const TreeNode& n) {
            const QString folder = paths::join(parent.isEmpty() ? groupFolder : paths::join(groupFolder, parent), n.text);
            QString first;
            QTextDocument doc;
            const QString description = pagePath(folder, u"description.rtf");
            if (paths::isFile(description) && pagefile::load(description, &doc).ok())
                for (const QString& line : pagefile::plainText(doc).split(u'\n'))
                    if (!line.trimmed().isEmpty()) {
                        first = line.trimmed();
                        break;
                    }
            const int mark = n.image;
            out += QStringList{field(g.name), field(parent), field(n.text),
                               field(mark >= 0 && mark < t.marks.size() ? t.marks[mark] : QString()),
                               QString::number(album::listPhotos(folder).size()), field(first),
                               field(tasks.value(folder).join(QStringLiteral("; ")))}
                       .join(u',') +
                   QStringLiteral("\r\n");
        };
        for (const TreeNode& n : tree.nodes) {
            if (!n.isFolder())
                row(QString(), n);
            else
                for (const TreeNode& c : n.children)
                    row(n.text, c);
        }
    }
    return out.toUtf8();
}

IoStatus writePlantList(const QString& programFolder, const QString& path, const Texts& texts)
{
    return atomicfile::write(path, plantList(programFolder, texts));
}

} // namespace publish
