#include "app/cli.h"

#include "groups/grouplist.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "tree/treeloader.h"

#include <QDir>

namespace {

constexpr int kUsage = 2;

void usage(QTextStream& err)
{
    err << "usage: verdarium-cli groups PROGRAM_FOLDER\n"
           "       verdarium-cli tree PROGRAM_FOLDER GROUP\n";
}

QString colorText(int bgr)
{
    const int r = bgr & 0xFF;
    const int g = (bgr >> 8) & 0xFF;
    const int b = (bgr >> 16) & 0xFF;
    return QStringLiteral("#%1%2%3")
        .arg(r, 2, 16, QLatin1Char('0'))
        .arg(g, 2, 16, QLatin1Char('0'))
        .arg(b, 2, 16, QLatin1Char('0'))
        .toUpper();
}

bool openCollection(const QString& programFolder, QTextStream& err)
{
    if (!paths::isDir(collection::myPlants(programFolder))) {
        err << "verdarium-cli: no collection (MyPlants) in " << programFolder << "\n";
        return false;
    }
    return true;
}

int groups(const QString& programFolder, QTextStream& out, QTextStream& err)
{
    if (!openCollection(programFolder, err))
        return 1;
    const GroupScan scan = scanGroups(programFolder, false);
    int slot = 0;
    for (const GroupEntry& g : scan.slots) {
        out << ++slot << '\t' << g.name << '\t';
        if (g.picture <= 0)
            out << "hidden";
        else if (g.picture == 100)
            out << "own picture";
        else
            out << "picture " << g.picture;
        out << '\t' << colorText(g.color) << '\n';
    }
    return 0;
}

void printNode(const TreeNode& n, int depth, QTextStream& out)
{
    out << QString(depth * 2, u' ') << n.text;
    if (n.isFolder()) {
        out << '/';
    } else if (n.image != 0) {
        const QString mark = conditionName(n.image);
        out << "  [" << (mark.isEmpty() ? QStringLiteral("mark %1").arg(n.image) : mark) << ']';
    }
    out << '\n';
    for (const TreeNode& c : n.children)
        printNode(c, depth + 1, out);
}

int tree(const QString& programFolder, const QString& group, QTextStream& out, QTextStream& err)
{
    if (!openCollection(programFolder, err))
        return 1;
    if (!collection::isListed(group) || !paths::isDir(collection::groupFolder(programFolder, group))) {
        err << "verdarium-cli: no group named \"" << group << "\"\n";
        return 1;
    }
    const GroupScan scan = scanGroups(programFolder, false);
    const LoadedTree t = loadTreeFromDisk(programFolder, group, scan.firstGroupName);
    if (t.group != group)
        err << "verdarium-cli: \"" << group << "\" has no group.ini; the program shows \"" << t.group
            << "\" instead\n";
    for (const QString& bad : t.unreadable)
        err << "verdarium-cli: cannot read " << bad << " (shown with default values)\n";
    for (const TreeNode& n : t.nodes)
        printNode(n, 0, out);
    return 0;
}

} // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty()) {
        usage(err);
        return kUsage;
    }
    const QString command = args.first();
    if (command == u"groups" && args.size() == 2)
        return groups(QDir(args[1]).absolutePath(), out, err);
    if (command == u"tree" && args.size() == 3)
        return tree(QDir(args[1]).absolutePath(), args[2], out, err);
    usage(err);
    return kUsage;
}
