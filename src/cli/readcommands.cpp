#include "cli/clicommon.h"

#include "editor/pagetext.h"
#include "platform/picturefile.h"
#include "rtf/rtfwriter.h"

#include "editor/pagefile.h"
#include "groups/bmpfile.h"
#include "groups/grouplist.h"
#include "groups/smoothresize.h"
#include "history/versions.h"
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

QString colorText(int bgr)
{
    return bgrcolor::toColor(bgr).name().toUpper();
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

} // namespace

namespace cli {

int groups(const Args& a, QTextStream& out, QTextStream& err)
{
    const QString& programFolder = a.programFolder;
    if (!paths::isDir(collection::myPlants(programFolder)))
        return fail(err, QStringLiteral("no collection (MyPlants) in ") + programFolder);
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

int tree(const Args& a, QTextStream& out, QTextStream& err)
{
    const QString& programFolder = a.programFolder;
    const QString& group = a.positional[0];
    if (!findGroup(programFolder, group, err))
        return kFailed;
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

int page(const Args& a, QTextStream& out, QTextStream& err)
{
    const QString which = a.positional.value(2, QStringLiteral("description"));
    if (which != u"description" && which != u"care" && which != u"diary")
        return fail(err,
                    QStringLiteral("no page \"") + which + QStringLiteral("\": description, care or diary")),
               kUsage;
    const std::optional<Node> node = findNode(a.programFolder, a.positional[0], a.positional[1], err, true);
    if (!node)
        return kFailed;
    QTextDocument document;
    QString file = pagePath(node->folder, QString(which + QStringLiteral(".rtf")));
    if (!a.version.isEmpty()) {
        const QList<versions::Version> kept = versions::list(file);
        const auto v = std::find_if(kept.begin(), kept.end(),
                                    [&](const versions::Version& k) { return k.id == a.version; });
        if (v == kept.end())
            return fail(err, QStringLiteral("no version \"") + a.version + QStringLiteral("\" of ") + file);
        file = v->path;
    }
    const pagefile::LoadResult r = pagefile::load(file, &document);
    if (!r.ok())
        return fail(err, r.status.text);
    if (!r.problem.isEmpty())
        err << "verdarium-cli: " << r.problem << "\n";
    if (a.format == u"rtf") {
        out << QString::fromLatin1(RtfWriter::write(document));
        return kDone;
    }
    const QString text = a.format == u"html" ? document.toHtml() : pagetext::withListMarkers(document);
    out << text;
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        out << '\n';
    return kDone;
}

int resize(const Args& a, QTextStream&, QTextStream& err)
{
    const QStringList args = QStringList{QString()} + a.positional;
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

int exportWeb(const Args& a, QTextStream& outStream, QTextStream& err)
{
    const QString& photo = a.positional[0];
    const QString& out = a.positional[1];
    QString error;
    QSize full;
    const QImage image = webexport::readPhoto(photo, &error, &full);
    if (image.isNull()) {
        err << "verdarium-cli: " << error << "\n";
        return 1;
    }
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        err << "verdarium-cli: no room for the scratch file: " << scratch.errorString() << "\n";
        return 1;
    }
    const webexport::Result r = webexport::make(image, scratch.filePath(QStringLiteral("1.jpg")), {}, full);
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

} // namespace cli
