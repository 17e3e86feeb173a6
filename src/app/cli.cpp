#include "app/cli.h"
#include "platform/picturefile.h"

#include "editor/pagefile.h"
#include "groups/bmpfile.h"
#include "groups/grouplist.h"
#include "groups/smoothresize.h"
#include "photos/album.h"
#include "photos/webexport.h"
#include "platform/atomicfile.h"
#include "platform/bgrcolor.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "tree/nodefiles.h"
#include "tree/treeloader.h"

#include <QTemporaryDir>
#include <QTextDocument>

#include <QDir>

#include <algorithm>
#include <cerrno>

namespace {

constexpr int kUsage = 2;

void usage(QTextStream& err)
{
    err << "usage: verdarium-cli groups PROGRAM_FOLDER\n"
           "       verdarium-cli tree PROGRAM_FOLDER GROUP\n"
           "       verdarium-cli page PROGRAM_FOLDER GROUP NODE [description|care|diary]\n"
           "         (NODE is PLANT, FOLDER or FOLDER/PLANT)\n"
           "       verdarium-cli resize IN.jpg|IN.bmp WIDTH HEIGHT OUT.bmp\n"
           "       verdarium-cli export-web PHOTO OUT.jpg\n";
}

QString colorText(int bgr)
{
    return bgrcolor::toColor(bgr).name().toUpper();
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

// One name of a path given on the command line: never empty, "." or "..", never with a separator.
bool plainName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(u'\\');
}

int page(const QString& programFolder, const QString& group, const QString& node, const QString& which,
         QTextStream& out, QTextStream& err)
{
    if (!openCollection(programFolder, err))
        return 1;
    const QStringList parts = node.split(u'/');
    if (!plainName(group) || parts.size() > 2 || !std::all_of(parts.begin(), parts.end(), plainName)) {
        err << "verdarium-cli: \"" << group << "\" / \"" << node
            << "\" is not a group and node of the collection\n";
        return kUsage;
    }
    if (which != u"description" && which != u"care" && which != u"diary") {
        usage(err);
        return kUsage;
    }
    const QString folder =
        collection::nodeFolder(programFolder, group, parts.size() == 2 ? parts[0] : QString(), parts.back());
    if (!paths::isDir(folder)) {
        err << "verdarium-cli: no node \"" << node << "\" in group \"" << group << "\"\n";
        return 1;
    }
    QTextDocument document;
    const pagefile::LoadResult r =
        pagefile::load(pagePath(folder, QString(which + QStringLiteral(".rtf"))), &document);
    if (!r.ok()) {
        err << "verdarium-cli: " << r.status.text << "\n";
        return 1;
    }
    if (!r.problem.isEmpty())
        err << "verdarium-cli: " << r.problem << "\n";
    const QString text = pagefile::plainText(document);
    out << text;
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        out << '\n';
    return 0;
}

// Reads a JPEG (through libjpeg-turbo) or a Windows bitmap.
// Reads a JPEG (through libjpeg-turbo) or a Windows bitmap; other pictures are refused.
QImage readPicture(const QString& path, QString* error)
{
    QByteArray bytes;
    bool missing = false;
    const IoStatus s = atomicfile::readAll(path, &bytes, &missing, picturefile::kMaxFileBytes);
    if (missing || !s.ok()) {
        *error = missing ? QStringLiteral("no file ") + path : s.text;
        return QImage();
    }
    if (!bytes.startsWith("\xff\xd8") && !bytes.startsWith("BM")) {
        *error = path + QStringLiteral(" is neither a JPEG picture nor a Windows bitmap that can be read");
        return QImage();
    }
    return picturefile::decode(bytes, paths::fileNameOf(path), QSize(), error);
}

int resize(const QStringList& args, QTextStream& err)
{
    bool okW = false, okH = false;
    const int w = args[2].toInt(&okW);
    const int h = args[3].toInt(&okH);
    if (!okW || !okH || w <= 0 || h <= 0 || w > 30000 || h > 30000) {
        err << "verdarium-cli: width and height must be whole numbers from 1 to 30000\n";
        return kUsage;
    }
    QString error;
    const QImage source = readPicture(args[1], &error);
    if (source.isNull()) {
        err << "verdarium-cli: " << error << "\n";
        return 1;
    }
    const QImage out = SmoothResize(source, w, h);
    const IoStatus s = out.isNull()
                           ? IoStatus::failure(ENOMEM, QStringLiteral("the picture cannot be held in memory"))
                           : bmpfile::write24(args[4], out);
    if (!s.ok()) {
        err << "verdarium-cli: cannot write " << args[4] << ": " << s.text << "\n";
        return 1;
    }
    return 0;
}

int exportWeb(const QString& photo, const QString& out, QTextStream& outStream, QTextStream& err)
{
    QString error;
    const QImage image = picturefile::read(photo, QSize(), &error);
    if (image.isNull()) {
        err << "verdarium-cli: " << error << "\n";
        return 1;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        err << "verdarium-cli: no room for the scratch file: " << scratch.errorString() << "\n";
        return 1;
    }
    const webexport::Result r = webexport::make(image, scratch.filePath(QStringLiteral("1.jpg")));
    IoStatus s = r.status;
    if (s.ok())
        s = atomicfile::write(out, r.jpeg);
    if (!s.ok()) {
        err << "verdarium-cli: cannot write " << out << ": " << s.text << "\n";
        return 1;
    }
    outStream << r.picture.width() << "x" << r.picture.height() << " quality " << r.quality << " "
              << r.jpeg.size() << " bytes after " << r.steps << (r.steps == 1 ? " step\n" : " steps\n");
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
    if (command == u"page" && (args.size() == 4 || args.size() == 5))
        return page(QDir(args[1]).absolutePath(), args[2], args[3],
                    args.size() == 5 ? args[4] : QStringLiteral("description"), out, err);
    if (command == u"export-web" && args.size() == 3)
        return exportWeb(args[1], args[2], out, err);
    if (command == u"resize" && args.size() == 5)
        return resize(args, err);
    usage(err);
    return kUsage;
}
