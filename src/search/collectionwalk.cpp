#include "search/collectionwalk.h"

#include "groups/grouplist.h"
#include "photos/album.h"
#include "platform/codepage.h"
#include "platform/fsname.h"
#include "platform/paths.h"
#include "search/searchtext.h"
#include "store/collection.h"
#include "sync/conflicts.h"
#include "tree/treeloader.h"

#include <QMutex>
#include <QtConcurrent/QtConcurrentMap>

#include <dirent.h>
#include <fcntl.h>
#include <time.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace search {

const char* fieldKey(int field)
{
    static const char* const kKeys[] = {"name", "description", "care", "diary", "comments", "conflict"};
    return field >= 0 && field < FieldCount ? kKeys[field] : "";
}

namespace {

struct DirEntry {
    QByteArray bytes;
    QString name;
    bool dir = false;
    bool file = false;
    QByteArray stamp; // size and modification time, for the files asked for
};

// A file a node's signature covers: its record, its pages, its photos' comments.
bool signedFile(const QString& name)
{
    const QString lower = name.toLower();
    return lower == u"plant.ini" || lower == u"description.rtf" || lower == u"care.rtf" ||
           lower == u"diary.rtf" || (lower.endsWith(u".txt") && album::isPhotoName(name.chopped(4)));
}

qint64 nanoseconds(const timespec& t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

QByteArray fileStamp(const struct stat& st)
{
    return QByteArray::number(qint64(st.st_size)) + '\0' + QByteArray::number(nanoseconds(st.st_mtim));
}

// The entries of the folder open as fd (which this closes).
std::vector<DirEntry> listDirFd(int fd, bool stampFiles)
{
    std::vector<DirEntry> out;
    if (fd < 0)
        return out;
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return out;
    }
    while (const dirent* e = ::readdir(d)) {
        const QByteArray bytes(e->d_name);
        if (bytes == "." || bytes == "..")
            continue;
        DirEntry entry;
        entry.bytes = bytes;
        if (e->d_type == DT_DIR || e->d_type == DT_REG) {
            entry.dir = e->d_type == DT_DIR;
            entry.file = e->d_type == DT_REG;
        } else {
            struct stat st {};
            if (::fstatat(::dirfd(d), e->d_name, &st, 0) == 0) {
                entry.dir = S_ISDIR(st.st_mode);
                entry.file = S_ISREG(st.st_mode);
            }
        }
        entry.name = fsname::decodeName(bytes);
        struct stat st {};
        if (stampFiles && entry.file && signedFile(entry.name) &&
            ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0)
            entry.stamp = fileStamp(st);
        out.push_back(std::move(entry));
    }
    ::closedir(d);
    std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) { return a.bytes < b.bytes; });
    return out;
}

// A folder opened by its name inside the folder open as at (no path walked again), or by its path.
int openDir(int at, const QByteArray& nameOrPath)
{
    return at >= 0 ? ::openat(at, nameOrPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                   : ::open(nameOrPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// A file's or folder's status, by its name inside the folder open as at, or by its path.
bool statAt(int at, const QByteArray& nameOrPath, struct stat* st)
{
    return (at >= 0 ? ::fstatat(at, nameOrPath.constData(), st, 0) : ::stat(nameOrPath.constData(), st)) == 0;
}

// Lists folders, or takes their listings from the walk before when the folders did not change.
class Lister {
public:
    Lister(const Listings* before, std::vector<QByteArray>* walked) : m_before(before), m_walked(walked)
    {
        timespec now {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        m_now = nanoseconds(now);
    }

    // The entries of the folder at path (nameOrPath: its name inside the folder open as at, or path
    // itself when at < 0), by name; with stampFiles, the files a signature covers carry their stamps.
    std::vector<DirEntry> list(int at, const QByteArray& nameOrPath, const QByteArray& path, bool stampFiles)
    {
        struct stat st {};
        if (!statAt(at, nameOrPath, &st) || !S_ISDIR(st.st_mode))
            return {};
        if (m_walked) {
            const QMutexLocker lock(&m_mutex);
            m_walked->push_back(path);
        }
        const QByteArray stamp = QByteArray::number(quint64(st.st_ino)) + ' ' +
                                 QByteArray::number(nanoseconds(st.st_mtim)) + ' ' +
                                 QByteArray::number(nanoseconds(st.st_ctim));
        if (m_before) {
            const auto it = m_before->constFind(path);
            if (it != m_before->constEnd() && it->stamp == stamp) {
                std::vector<DirEntry> out = decoded(it->entries);
                if (stampFiles)
                    for (DirEntry& e : out) {
                        struct stat fst {};
                        if (e.file && signedFile(e.name) && statAt(at, nameOrPath + '/' + e.bytes, &fst))
                            e.stamp = fileStamp(fst);
                    }
                keep(path, *it);
                return out;
            }
        }
        std::vector<DirEntry> out = listDirFd(openDir(at, nameOrPath), stampFiles);
        // A folder changed a moment ago may change again within the same tick of the clock (or the
        // clock stands behind its times): it is listed again next time.
        constexpr qint64 kStill = 200 * 1000000;
        if (m_before && std::max(nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)) < m_now - kStill)
            keep(path, Listing{stamp, encoded(out)});
        return out;
    }

    Listings take() { return std::move(m_after); }

private:
    // Only the entries a walk looks at: folders, and the files search reads (not the photos).
    static QByteArray encoded(const std::vector<DirEntry>& entries)
    {
        QByteArray out;
        for (const DirEntry& e : entries)
            if (e.dir || (e.file && (signedFile(e.name) || conflicts::originalName(e.name))))
                out += (e.dir ? 'd' : 'f') + e.bytes + '\0';
        return out;
    }
    static std::vector<DirEntry> decoded(const QByteArray& bytes)
    {
        std::vector<DirEntry> out;
        for (qsizetype from = 0; from < bytes.size();) {
            const qsizetype end = bytes.indexOf('\0', from);
            if (end < 0 || end == from)
                break;
            DirEntry e;
            e.dir = bytes[from] == 'd';
            e.file = bytes[from] == 'f';
            e.bytes = bytes.mid(from + 1, end - from - 1);
            e.name = fsname::decodeName(e.bytes);
            out.push_back(std::move(e));
            from = end + 1;
        }
        return out;
    }
    void keep(const QByteArray& path, const Listing& listing)
    {
        const QMutexLocker lock(&m_mutex);
        m_after.insert(path, listing);
    }

    const Listings* m_before;
    std::vector<QByteArray>* m_walked; // every folder listed or looked at, when asked
    qint64 m_now = 0;
    QMutex m_mutex;
    Listings m_after;
};

} // namespace

// A node folder: its files and its subfolders.
struct Scanned {
    NodeOnDisk node;
    std::vector<DirEntry> subdirs;
    int fd = -1; // the node folder, kept open for its plants when asked
};

// at: the open parent folder (or -1: folder is opened by its path).
Scanned scanNode(Lister& lister, int at, const QByteArray& folder, const QString& group, const QString& parent,
                 const QString& name, bool keepOpen = false)
{
    Scanned s;
    s.node.group = group;
    s.node.parent = parent;
    s.node.name = name;
    s.node.folder = folder;
    static const QString kPages[3] = {QStringLiteral("description.rtf"), QStringLiteral("care.rtf"),
                                      QStringLiteral("diary.rtf")};
    const QByteArray leaf = at >= 0 ? fsname::leafOf(folder) : folder;
    std::vector<DirEntry> entries = lister.list(at, leaf, folder, true);
    if (keepOpen && std::any_of(entries.begin(), entries.end(), [](const DirEntry& e) { return e.dir; }))
        s.fd = openDir(at, leaf);
    for (DirEntry& e : entries) {
        if (e.dir) {
            s.subdirs.push_back(std::move(e));
            continue;
        }
        if (!e.file)
            continue;
        const QByteArray path = folder + '/' + e.bytes;
        const QString lower = e.name.toLower();
        bool relevant = lower == u"plant.ini";
        for (int p = 0; p < 3; ++p)
            if (lower == kPages[p] && (s.node.pages[p].isEmpty() || e.name == kPages[p])) {
                s.node.pages[p] = path;
                relevant = true;
            }
        if (lower.endsWith(u".txt") && album::isPhotoName(e.name.chopped(4))) {
            s.node.comments.emplace_back(e.name.chopped(4), path);
            relevant = true;
        } else if (conflicts::originalName(e.name)) {
            s.node.conflictCopies.push_back(path);
            relevant = true;
        }
        if (relevant && !e.stamp.isEmpty())
            s.node.signature += e.bytes + '\0' + e.stamp + '\n';
    }
    return s;
}

namespace {

int condOf(const NodeOnDisk& n, const QString& shownFolder, const KnownCond& known)
{
    int cond = -1;
    if (known && known(n.key(), n.signature, &cond))
        return cond;
    return collection::readPlantRecord(shownFolder).cond;
}

// The nodes of one group folder as its tree shows them, in tree order.
void walkGroup(Lister& lister, const QString& groupShown, const QString& group, qint64 base,
               const KnownCond& known, std::vector<NodeOnDisk>* out)
{
    const QByteArray groupNative = paths::native(groupShown);
    const int groupFd = openDir(-1, groupNative);
    std::vector<DirEntry> tops = lister.list(-1, groupNative, groupNative, false);
    std::erase_if(tops, [](const DirEntry& e) { return !e.dir || !collection::isListed(e.name); });
    // A top-level node with its plants, read on every core: most of the time goes to the file system.
    struct Top {
        TreeNode tree;
        std::vector<NodeOnDisk> nodes; // the node, then its plants
    };
    const QList<Top> read = QtConcurrent::blockingMapped<QList<Top>>(tops, [&](const DirEntry& e) {
        Top r;
        Scanned top = scanNode(lister, groupFd, groupNative + '/' + e.bytes, group, QString(), e.name, true);
        const QString topShown = paths::join(groupShown, e.name);
        const int cond = condOf(top.node, topShown, known);
        r.tree.text = e.name;
        r.tree.image = collection::isPlantAtTop(cond) ? cond : collection::kFolderMark;
        top.node.cond = cond;
        r.nodes.push_back(std::move(top.node));
        if (!collection::isPlantAtTop(cond) && collection::folderHasChildren(cond)) {
            for (const DirEntry& c : top.subdirs) {
                if (!collection::isListed(c.name))
                    continue;
                Scanned child =
                    scanNode(lister, top.fd, r.nodes.front().folder + '/' + c.bytes, group, e.name, c.name);
                const int childCond = condOf(child.node, paths::join(topShown, c.name), known);
                if (!collection::shownInFolder(childCond))
                    continue;
                child.node.cond = childCond;
                TreeNode ct;
                ct.text = c.name;
                ct.image = childCond;
                r.tree.children.push_back(ct);
                r.nodes.push_back(std::move(child.node));
            }
        }
        if (top.fd >= 0)
            ::close(top.fd);
        return r;
    });
    if (groupFd >= 0)
        ::close(groupFd);
    std::vector<TreeNode> tree;
    QHash<QString, NodeOnDisk> found; // by parent + '\x1f' + name
    for (const Top& t : read) {
        tree.push_back(t.tree);
        for (const NodeOnDisk& n : t.nodes)
            found.insert(n.parent + u'\x1f' + n.name, n);
    }
    sortTree(tree);
    qint64 order = base;
    for (const TreeNode& t : tree) {
        NodeOnDisk n = found.take(u'\x1f' + t.text);
        n.order = order++;
        out->push_back(std::move(n));
        for (const TreeNode& c : t.children) {
            NodeOnDisk cn = found.take(t.text + u'\x1f' + c.text);
            cn.order = order++;
            out->push_back(std::move(cn));
        }
    }
}

QString commentText(const QByteArray& bytes)
{
    return cp1251::utf8OrDecode(bytes);
}

} // namespace

std::vector<NodeOnDisk> walkCollection(const QString& programFolder, const KnownCond& known, Listings* listings,
                                       std::vector<QByteArray>* folders)
{
    std::vector<NodeOnDisk> out;
    const QString root = collection::myPlants(programFolder);
    if (folders)
        folders->clear();
    if (!paths::isDir(root))
        return out;
    if (folders)
        folders->push_back(paths::native(root));
    Lister lister(listings, folders);
    const GroupScan scan = scanGroups(programFolder, false);
    qint64 base = 0;
    constexpr qint64 kGroupStride = qint64(1) << 32;
    for (const GroupEntry& g : scan.slots) {
        walkGroup(lister, collection::groupFolder(programFolder, g.name), g.name, base, known, &out);
        base += kGroupStride;
    }
    const QString notes = paths::fixed(root, paths::kNotes);
    if (paths::isDir(notes))
        walkGroup(lister, notes, paths::fileNameOf(notes), base, known, &out);
    if (listings)
        *listings = lister.take();
    return out;
}

QByteArray readNative(const QByteArray& path, qint64 maxBytes)
{
    QByteArray out;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        out.reserve(qsizetype(std::min<qint64>(st.st_size, maxBytes)));
    char buffer[1 << 16];
    while (out.size() < maxBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.append(buffer, qsizetype(std::min<qint64>(n, maxBytes - out.size())));
    }
    ::close(fd);
    return out;
}

std::vector<std::pair<QString, QString>> readComments(const NodeOnDisk& node)
{
    std::vector<std::pair<QString, QString>> out;
    for (const auto& [photo, path] : node.comments)
        out.emplace_back(photo, commentText(readNative(path, 16 * 1024 * 1024)));
    return out;
}

QString readField(const NodeOnDisk& node, int field)
{
    switch (field) {
    case Name:
        return node.name;
    case Description:
    case Care:
    case Diary: {
        const QByteArray& path = node.pages[size_t(field - Description)];
        return path.isEmpty() ? QString() : searchtext::fromPage(readNative(path));
    }
    case Comments: {
        QString all;
        for (const auto& c : readComments(node))
            all += c.second + u'\n';
        return all;
    }
    case Conflicts: {
        QString all;
        for (const QByteArray& path : node.conflictCopies)
            all += (path.toLower().endsWith(".rtf") ? searchtext::fromPage(readNative(path))
                                                    : commentText(readNative(path, 16 * 1024 * 1024))) +
                   u'\n';
        return all;
    }
    default:
        return QString();
    }
}

std::array<QString, FieldCount> readFields(const NodeOnDisk& node, bool foldText)
{
    std::array<QString, FieldCount> f;
    for (int i = 0; i < FieldCount; ++i)
        f[size_t(i)] = foldText ? searchtext::fold(readField(node, i)) : readField(node, i);
    return f;
}

} // namespace search

namespace search {

QString groupFolderOf(const QString& programFolder, const QString& group)
{
    if (group.compare(paths::kNotes, Qt::CaseInsensitive) == 0)
        return paths::fixed(collection::myPlants(programFolder), paths::kNotes);
    return collection::groupFolder(programFolder, group);
}

NodeOnDisk nodeAt(const QString& programFolder, const QString& group, const QString& parent,
                  const QString& name)
{
    QString folder = groupFolderOf(programFolder, group);
    if (!parent.isEmpty())
        folder = paths::join(folder, parent);
    Lister lister(nullptr, nullptr);
    return scanNode(lister, -1, paths::native(paths::join(folder, name)), group, parent, name).node;
}

} // namespace search
