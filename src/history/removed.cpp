#include "history/removed.h"

#include "platform/fsname.h"
#include "platform/paths.h"
#include "platform/sysio.h"
#include "store/collection.h"

#include <QRegularExpression>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace removed {

namespace {

constexpr QLatin1StringView kPrefix("!deleted_");

bool isRemovedName(const QString& name)
{
    return name.startsWith(kPrefix) && name.size() > kPrefix.size();
}

// The original name's bytes in a removed name's bytes (an 8-bit name stays 8-bit).
QByteArray originalBytes(const QByteArray& removedBytes)
{
    QByteArray rest = removedBytes.mid(kPrefix.size());
    const qsizetype underscore = rest.lastIndexOf('_');
    if (underscore > 0 && underscore + 1 < rest.size()) {
        QByteArray number = rest.mid(underscore + 1);
        // "_N", and since collections are shared between computers "_N-HOSTID"
        if (number.size() > 9 && number[number.size() - 9] == '-' &&
            std::all_of(number.end() - 8, number.end(),
                        [](char c) { return isxdigit(static_cast<unsigned char>(c)); }))
            number.chop(9);
        if (!number.isEmpty() &&
            std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            rest.truncate(underscore);
    }
    return rest;
}

Item makeItem(Kind kind, const QString& myPlants, const QString& folder, const QString& name)
{
    Item it;
    it.kind = kind;
    it.path = paths::join(folder, name);
    it.relative = it.path.mid(myPlants.size() + 1);
    it.name = originalName(name);
    it.removedAt = paths::changeTime(it.path);
    return it;
}

// Removed plants inside a folder node; parentShown is its name as the user knew it.
void scanFolder(const QString& myPlants, const QString& group, const QString& folder,
                const QString& parentShown, bool parentRemoved, QList<Item>* out)
{
    for (const paths::Entry& e : paths::entries(folder)) {
        if (!e.isDir || e.isLink || !isRemovedName(e.name))
            continue;
        Item it = makeItem(Kind::Plant, myPlants, folder, e.name);
        it.group = group;
        it.parent = parentShown;
        it.parentRemoved = parentRemoved;
        out->append(it);
    }
}

QString systemText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// Renames the removed folder at path back to the first free form of its original name.
RestoreResult renameBack(const QString& path)
{
    RestoreResult r;
    const QByteArray from = paths::native(path);
    const QByteArray folder = from.left(from.lastIndexOf('/') + 1);
    const QString folderShown = paths::parentOf(path);
    const QByteArray original = originalBytes(fsname::leafOf(from));
    for (int n = 0; n < 100000; ++n) {
        if (n == 0 && original.isEmpty())
            continue;
        const QByteArray leaf = n == 0 ? original : QByteArray(original + ' ' + QByteArray::number(n));
        const QString shown = fsname::decodeName(leaf);
        struct stat st {};
        // Taken in either form: the same name in UTF-8 or in 8 bits would show twice.
        if (::lstat(QByteArray(folder + leaf).constData(), &st) == 0 ||
            paths::exists(paths::join(folderShown, shown)))
            continue;
        if (sysio::renameNoReplace(from.constData(), QByteArray(folder + leaf).constData()) != 0) {
            if (errno == EEXIST)
                continue; // taken meanwhile
            r.error = systemText(errno);
            return r;
        }
        sysio::fsyncDir(folder.constData());
        r.ok = true;
        r.name = shown;
        return r;
    }
    r.error = systemText(EEXIST);
    return r;
}

} // namespace

QString originalName(const QString& removedName)
{
    if (!isRemovedName(removedName))
        return QString();
    QString rest = removedName.mid(kPrefix.size());
    // "_N", and since collections are shared between computers "_N-HOSTID"
    static const QRegularExpression number(QStringLiteral("_[0-9]+(-[0-9a-f]{8})?$"));
    const QRegularExpressionMatch m = number.match(rest);
    if (m.hasMatch() && m.capturedStart() > 0)
        rest.truncate(m.capturedStart());
    return rest;
}

QList<Item> scan(const QString& programFolder)
{
    QList<Item> items;
    const QString myPlants = collection::myPlants(programFolder);
    for (const paths::Entry& g : paths::entries(myPlants)) {
        if (!g.isDir || g.isLink)
            continue;
        const QString groupFolder = paths::join(myPlants, g.name);
        if (isRemovedName(g.name)) {
            Item it = makeItem(Kind::Group, myPlants, myPlants, g.name);
            it.group = it.name;
            items << it;
            continue;
        }
        if (g.name.startsWith(u'!') && g.name.compare(paths::kNotes, Qt::CaseInsensitive) != 0)
            continue; // templates and the program's own folders
        for (const paths::Entry& n : paths::entries(groupFolder)) {
            if (!n.isDir || n.isLink)
                continue;
            const QString nodeFolder = paths::join(groupFolder, n.name);
            if (isRemovedName(n.name)) {
                const int cond = collection::readPlantRecord(nodeFolder).cond;
                Item it = makeItem(collection::isPlantAtTop(cond) ? Kind::Plant : Kind::Folder, myPlants,
                                   groupFolder, n.name);
                it.group = g.name;
                items << it;
                if (it.kind == Kind::Folder)
                    scanFolder(myPlants, g.name, nodeFolder, it.name, true, &items);
            } else if (collection::isListed(n.name)) {
                scanFolder(myPlants, g.name, nodeFolder, n.name, false, &items);
            }
        }
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.removedAt > b.removedAt; });
    return items;
}

std::optional<Item> find(const QString& programFolder, const QString& relative)
{
    for (const Item& it : scan(programFolder))
        if (it.relative == relative)
            return it;
    return std::nullopt;
}

RestoreResult restore(const QString&, const Item& item)
{
    QString path = item.path;
    QString parent = item.parent;
    if (item.parentRemoved) {
        // The folder comes back first, and the plant into it.
        const QString removedParent = paths::parentOf(item.path);
        const RestoreResult p = renameBack(removedParent);
        if (!p.ok)
            return p;
        parent = p.name;
        path = paths::join(paths::join(paths::parentOf(removedParent), p.name), paths::fileNameOf(item.path));
    }
    if (!paths::isDir(path)) {
        RestoreResult r;
        r.error = QStringLiteral("\"") + item.relative + QStringLiteral("\" is no longer there");
        return r;
    }
    RestoreResult r = renameBack(path);
    if (!r.ok)
        return r;
    r.group = item.kind == Kind::Group ? r.name : item.group;
    r.parent = parent;
    return r;
}

} // namespace removed
