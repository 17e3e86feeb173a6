#include "cli/clicommon.h"

#include "groups/grouplist.h"
#include "i18n/langfile.h"
#include "i18n/messages.h"
#include "platform/programfolder.h"
#include "store/inifile.h"

#include <QCoreApplication>
#include "platform/paths.h"
#include "store/collection.h"
#include "tree/nodefiles.h"
#include "tree/treeloader.h"

namespace cli {

MessageTable interfaceMessages(const QString& programFolder)
{
    const IniFile settings(paths::join(programFolder, QStringLiteral("main.ini")));
    const QString language = settings.readString(u"Options", u"Language", QStringLiteral("Russian"));
    const LanguageFile lang =
        LanguageFile::load(programfolder::langFile(programFolder, QCoreApplication::applicationDirPath()));
    MessageTable messages;
    if (lang.hasSection(language)) {
        messages.apply(lang, language);
        QLocale::setDefault(lang.locale(language));
    }
    return messages;
}

int fail(QTextStream& err, const QString& line)
{
    err << "verdarium-cli: " << line << '\n';
    return kFailed;
}

bool findGroup(const QString& programFolder, const QString& group, QTextStream& err)
{
    if (!paths::isDir(collection::myPlants(programFolder))) {
        fail(err, QStringLiteral("no collection (MyPlants) in ") + programFolder);
        return false;
    }
    const bool named = collection::isListed(group) || isNotesGroup(group);
    if (!named || group.contains(u'/') || !paths::isDir(collection::groupFolder(programFolder, group))) {
        fail(err, QStringLiteral("no group named \"") + group + u'"');
        return false;
    }
    return true;
}

bool splitNode(const QString& node, QString* parent, QString* name, QTextStream& err)
{
    const QStringList parts = node.split(u'/');
    if (parts.size() > 2) {
        fail(err, QStringLiteral("\"") + node +
                      QStringLiteral("\" is deeper than the tree: a node is NAME or FOLDER/NAME"));
        return false;
    }
    for (const QString& p : parts) {
        if (p.isEmpty() || p == u"." || p == u".." || p.contains(u'\\')) {
            fail(err, QStringLiteral("\"") + node + QStringLiteral("\" is not a node name"));
            return false;
        }
    }
    *parent = parts.size() == 2 ? parts[0] : QString();
    *name = parts.back();
    return true;
}

std::optional<Node> findNode(const QString& programFolder, const QString& group, const QString& node,
                             QTextStream& err, bool anyOnDisk)
{
    Node n;
    if (!findGroup(programFolder, group, err) || !splitNode(node, &n.parent, &n.name, err))
        return std::nullopt;
    n.group = group;
    const LoadedTree t = loadTreeFromDisk(programFolder, group, group);
    const TreeNode* found = nullptr;
    for (const TreeNode& top : t.nodes) {
        if (n.parent.isEmpty() && top.text == n.name)
            found = &top;
        else if (!n.parent.isEmpty() && top.text == n.parent && top.isFolder())
            for (const TreeNode& c : top.children)
                if (c.text == n.name)
                    found = &c;
    }
    n.folder = collection::nodeFolder(programFolder, group, n.parent, n.name);
    if (!found && anyOnDisk && paths::isDir(n.folder))
        return n;
    if (!found) {
        fail(err, QStringLiteral("no node \"") + node + QStringLiteral("\" in group \"") + group + u'"');
        return std::nullopt;
    }
    n.isFolder = found->isFolder() && n.parent.isEmpty();
    n.hasChildren = !found->children.empty();
    return n;
}

} // namespace cli
