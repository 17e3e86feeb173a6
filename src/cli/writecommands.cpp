#include "cli/clicommon.h"

#include "editor/pagefile.h"
#include "editor/pagetext.h"
#include "groups/grouplist.h"
#include "groups/groupops.h"
#include "i18n/messages.h"
#include "photos/album.h"
#include "platform/atomicfile.h"
#include "platform/messagesink.h"
#include "platform/names.h"
#include "platform/paths.h"
#include "platform/picturefile.h"
#include "store/collection.h"
#include "store/copyfolder.h"
#include "store/errorlog.h"
#include "store/templates.h"
#include "tree/nodefiles.h"
#include "tree/plantops.h"
#include "tree/treeloader.h"

#include <QFile>
#include <QTextDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// What the window would have shown as message boxes; the first warning becomes the error line.
class LineSink : public MessageSink {
public:
    void warning(const QString& text) override
    {
        if (first.isEmpty())
            first = QString(text).replace(u'\r', u' ');
    }
    bool question(const QString&) override { return false; }
    QString first;
};

QString systemText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The window's checks of a name typed for a new node, group or a rename; empty when it may be used.
QString nameRefusal(const QString& name)
{
    const names::Problem p = names::check(name);
    return p == names::Problem::None ? QString() : MessageTable().textWithName(names::messageKey(p), name);
}

bool nameInTree(const std::vector<TreeNode>& nodes, const QString& name)
{
    for (const TreeNode& n : nodes)
        if (n.text == name || nameInTree(n.children, name))
            return true;
    return false;
}

// The node's folder, pages and record as its first selection in the window makes them.
bool prepare(const QString& programFolder, const cli::Node& n, QTextStream& err)
{
    const NodeFiles f = prepareNodeFiles(programFolder, n.group, n.parent, n.name, n.isFolder);
    if (!f.ok())
        return cli::fail(err, f.error + QStringLiteral("; nothing was changed")), false;
    return true;
}

bool knownPage(const QString& page, QTextStream& err)
{
    if (page == u"description" || page == u"care" || page == u"diary")
        return true;
    cli::fail(err, QStringLiteral("no page \"") + page + QStringLiteral("\": description, care or diary"));
    return false;
}

} // namespace

namespace cli {

int add(const Args& a, QTextStream&, QTextStream& err)
{
    const QString& pf = a.programFolder;
    const QString& group = a.positional[0];
    Node n;
    if (!findGroup(pf, group, err) || !splitNode(a.positional[1], &n.parent, &n.name, err))
        return kFailed;
    n.group = group;
    n.isFolder = a.folder;
    if (!a.folder)
        while (n.name.endsWith(u' ')) // as the name dialog takes a plant's name
            n.name.chop(1);
    if (const QString why = nameRefusal(n.name); !why.isEmpty())
        return fail(err, why + QStringLiteral(" Nothing was added."));
    if (a.folder && !n.parent.isEmpty())
        return fail(err, QStringLiteral("folders stand at the top of a group; nothing was added"));
    const LoadedTree t = loadTreeFromDisk(pf, group, group);
    if (nameInTree(t.nodes, n.name))
        return fail(err, QStringLiteral("the group \"") + group + QStringLiteral("\" has a node named \"") +
                             n.name + QStringLiteral("\" already; nothing was added"));
    if (!n.parent.isEmpty()) {
        const auto parent = std::find_if(t.nodes.begin(), t.nodes.end(), [&](const TreeNode& x) {
            return x.text == n.parent && x.isFolder();
        });
        if (parent == t.nodes.end())
            return fail(err, QStringLiteral("no folder \"") + n.parent + QStringLiteral("\" in group \"") +
                                 group + QStringLiteral("\"; nothing was added"));
    }
    const QString groupFolder = collection::groupFolder(pf, group);
    const QString folder = collection::nodeFolder(pf, group, n.parent, n.name);
    if (paths::exists(folder))
        return fail(
            err, folder + QStringLiteral(" exists already (not as a node of the tree); nothing was added"));
    if (a.folder) {
        // A folder gets its record and pages when it is first selected, as in the window.
        if (!paths::makeDir(folder))
            return fail(err, MessageTable().text(QStringLiteral("e8")) + u' ' + folder +
                                 QStringLiteral(": ") + systemText());
        return kDone;
    }
    // A plant is whole or not there: without its record the tree would show it as a folder.
    const NodeFiles f = prepareNodeFiles(pf, group, n.parent, n.name, false);
    QString why = f.error;
    if (why.isEmpty() && !paths::isFile(collection::plantRecordPath(folder)))
        why = QStringLiteral("cannot write ") + collection::plantRecordPath(folder) + QStringLiteral(": ") +
              f.recordError;
    for (const QStringView page : templates::kPages)
        if (why.isEmpty() && !paths::isFile(pagePath(folder, page)))
            why = QStringLiteral("cannot write ") + pagePath(folder, page);
    if (why.isEmpty())
        return kDone;
    paths::removeTree(folder); // made by this command a moment ago, with nothing of the user's in it
    return fail(err, why + QStringLiteral("; nothing was added"));
}

int rename(const Args& a, QTextStream& out, QTextStream& err)
{
    const std::optional<Node> n = findNode(a.programFolder, a.positional[0], a.positional[1], err);
    if (!n)
        return kFailed;
    const QString& to = a.positional[2];
    if (const QString why = nameRefusal(to); !why.isEmpty())
        return fail(err, why + QStringLiteral(" Nothing was renamed."));
    if (to == n->name) {
        out << to << '\n';
        return kDone;
    }
    const QString parentFolder = paths::parentOf(n->folder);
    const QString got = plantops::renameNode(parentFolder, n->name, to);
    if (got.isEmpty())
        return fail(err, QStringLiteral("cannot rename ") + n->folder + QStringLiteral(": ") + systemText());
    out << got << '\n';
    return kDone;
}

int remove(const Args& a, QTextStream& out, QTextStream& err)
{
    const std::optional<Node> n = findNode(a.programFolder, a.positional[0], a.positional[1], err);
    if (!n)
        return kFailed;
    if (n->isFolder && n->hasChildren)
        return fail(err,
                    QStringLiteral("the folder \"") + n->name +
                        QStringLiteral("\" holds plants; move or remove them first (nothing was removed)"));
    const QString removed = plantops::removeNode(paths::parentOf(n->folder), n->name);
    if (removed.isEmpty())
        return fail(err, MessageTable().text(QStringLiteral("e5")) + u' ' + systemText());
    out << paths::fileNameOf(removed) << '\n';
    return kDone;
}

int mark(const Args& a, QTextStream&, QTextStream& err)
{
    static const std::pair<const char*, int> kMarks[] = {
        {"none", 0}, {"ideal", 2}, {"urgent", 3}, {"replace", 4}, {"treat", 5}};
    int value = -1;
    for (const auto& [word, m] : kMarks)
        if (a.positional[2] == QLatin1String(word))
            value = m;
    if (value < 0)
        return fail(err, QStringLiteral("no mark \"") + a.positional[2] +
                             QStringLiteral("\": none, ideal, urgent, replace or treat")),
               kUsage;
    const std::optional<Node> n = findNode(a.programFolder, a.positional[0], a.positional[1], err);
    if (!n)
        return kFailed;
    if (n->isFolder)
        return fail(err, QStringLiteral("\"") + n->name +
                             QStringLiteral("\" is a folder; only plants have marks"));
    if (!prepare(a.programFolder, *n, err))
        return kFailed;
    const IoStatus s = collection::writePlantRecord(n->folder, value, 0);
    if (!s.ok())
        return fail(err, QStringLiteral("cannot write ") + collection::plantRecordPath(n->folder) +
                             QStringLiteral(": ") + s.text + QStringLiteral("; the mark stays as it was"));
    return kDone;
}

int importPage(const Args& a, QTextStream&, QTextStream& err)
{
    const QString& page = a.positional[2];
    const QString& file = a.positional[3];
    if (!knownPage(page, err))
        return kUsage;
    const std::optional<Node> n = findNode(a.programFolder, a.positional[0], a.positional[1], err);
    if (!n)
        return kFailed;
    QByteArray bytes;
    if (file == u"-") {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return fail(err, QStringLiteral("cannot read standard input"));
        bytes = in.readAll();
    } else {
        bool missing = false;
        const IoStatus s = atomicfile::readAll(file, &bytes, &missing, pagefile::kMaxPageBytes);
        if (missing)
            return fail(err,
                        QStringLiteral("no file ") + file + QStringLiteral("; the page stays as it was"));
        if (!s.ok())
            return fail(err, QStringLiteral("cannot read ") + file + QStringLiteral(": ") + s.text +
                                 QStringLiteral("; the page stays as it was"));
    }
    QTextDocument document;
    const IoStatus read = pagetext::read(bytes, pagetext::formatOf(file, bytes), &document);
    if (!read.ok())
        return fail(err, file + QStringLiteral(" was not imported: ") + read.text +
                             QStringLiteral("; the page stays as it was"));
    if (!prepare(a.programFolder, *n, err))
        return kFailed;
    const QString path = pagePath(n->folder, QString(page + QStringLiteral(".rtf")));
    QString noVersion;
    const IoStatus s = pagefile::save(path, document, false, {}, &noVersion);
    if (s.ok() && !noVersion.isEmpty()) {
        err << "the page was saved, but no older version of it could be kept: " << noVersion << '\n';
        errorlog::WriteErrorLog(a.programFolder, errorlog::message(noVersion, path));
    }
    if (!s.ok()) {
        errorlog::WriteErrorLog(a.programFolder, errorlog::message(s.text, path));
        return fail(err, QStringLiteral("cannot write ") + path + QStringLiteral(": ") + s.text +
                             QStringLiteral("; the page stays as it was"));
    }
    return kDone;
}

int addPhoto(const Args& a, QTextStream&, QTextStream& err)
{
    const QString& file = a.positional[2];
    const std::optional<Node> n = findNode(a.programFolder, a.positional[0], a.positional[1], err);
    if (!n)
        return kFailed;
    if (paths::isDir(file) || !album::isPhotoName(file))
        return fail(err, file + QStringLiteral(
                                    " is not a photo (JPEG .jpg, BMP .bmp or GIF .gif); nothing was added"));
    QString why;
    if (picturefile::read(file, QSize(64, 64), &why).isNull())
        return fail(err, file + QStringLiteral(" cannot be shown as a picture (") + why +
                             QStringLiteral("); nothing was added"));
    if (!prepare(a.programFolder, *n, err))
        return kFailed;
    const QString target = paths::join(n->folder, paths::fileNameOf(file));
    if (paths::exists(target))
        return fail(err, target + QStringLiteral(" exists already; nothing was added"));
    const IoStatus s = album::addPhoto(n->folder, file, a.positional.value(3));
    if (!s.ok())
        return fail(err, QStringLiteral("the photo could not be added as ") + target + QStringLiteral(": ") +
                             s.text);
    return kDone;
}

int move(const Args& a, QTextStream&, QTextStream& err)
{
    const QString& pf = a.programFolder;
    const std::optional<Node> n = findNode(pf, a.positional[0], a.positional[1], err);
    if (!n)
        return kFailed;
    if (isNotesGroup(n->group))
        return fail(err, QStringLiteral("notes are not sent to groups"));
    QString targetGroup;
    QString targetFolder;
    if (!splitNode(a.positional[2], &targetGroup, &targetFolder, err))
        return kFailed;
    if (targetGroup.isEmpty())
        std::swap(targetGroup, targetFolder); // GROUP2 alone
    if (!findGroup(pf, targetGroup, err))
        return kFailed;
    if (isNotesGroup(targetGroup))
        return fail(err, QStringLiteral("plants are not sent to the notes group"));
    QString target = collection::groupFolder(pf, targetGroup);
    if (!targetFolder.isEmpty()) {
        const std::optional<Node> folder = findNode(pf, targetGroup, targetFolder, err);
        if (!folder)
            return kFailed;
        if (!folder->isFolder)
            return fail(err, QStringLiteral("\"") + targetFolder + QStringLiteral("\" is not a folder"));
        if (n->isFolder)
            return fail(err, QStringLiteral("a folder cannot go into a folder"));
        target = folder->folder;
    } else if (targetGroup == n->group && n->parent.isEmpty()) {
        return fail(err, QStringLiteral("\"") + n->name + QStringLiteral("\" is in group \"") + targetGroup +
                             QStringLiteral("\" already"));
    }
    target = paths::join(target, n->name);
    LineSink sink;
    FileCopier copier(pf, sink);
    const plantops::MoveResult r = plantops::moveNode(copier, n->folder, target);
    if (r.targetExists)
        return fail(err, MessageTable().text(QStringLiteral("e1")) + u' ' + target + u' ' +
                             MessageTable().text(QStringLiteral("e2")) +
                             QStringLiteral("; nothing was moved"));
    if (!r.moved)
        return fail(err, QStringLiteral("\"") + a.positional[1] + QStringLiteral("\" was not moved: ") +
                             (sink.first.isEmpty() ? r.error : sink.first) +
                             QStringLiteral("; it stays where it was"));
    if (!r.leftBehind.isEmpty())
        return fail(err, QStringLiteral("moved to ") + target +
                             QStringLiteral(", but its original could not be "
                                            "taken away and stays at ") +
                             r.leftBehind);
    return kDone;
}

int addGroup(const Args& a, QTextStream&, QTextStream& err)
{
    const QString& pf = a.programFolder;
    const QString& name = a.positional[0];
    if (!paths::isDir(collection::myPlants(pf)))
        return fail(err, QStringLiteral("no collection (MyPlants) in ") + pf);
    if (const QString why = nameRefusal(name); !why.isEmpty())
        return fail(err, why + QStringLiteral(" Nothing was added."));
    const QString folder = collection::groupFolder(pf, name);
    if (paths::exists(folder))
        return fail(err, MessageTable().text(QStringLiteral("e1")) + u' ' + folder + u' ' +
                             MessageTable().text(QStringLiteral("e2")));
    LineSink sink;
    if (!groupops::createGroupOnDisk(pf, name, a.color.value_or(0xFFFFFF), a.picture.value_or(1),
                                     MessageTable(), sink))
        return fail(err, sink.first + QStringLiteral(": ") + systemText());
    return kDone;
}

} // namespace cli
