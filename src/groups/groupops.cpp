#include "groups/groupops.h"

#include "groups/bmpfile.h"
#include "platform/paths.h"
#include "platform/randomname.h"
#include "store/collection.h"
#include "store/errorlog.h"
#include "store/inifile.h"

#include <cerrno>
#include <cstring>

static void initGroupResources()
{
    Q_INIT_RESOURCE(groups);
}

namespace groupops {

namespace {

QString systemText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

IoStatus writeRecord(const QString& folder, int color, int picture)
{
    IniFile ini(collection::groupRecordPath(folder));
    ini.writeInteger(u"Group", u"Color", color);
    ini.writeInteger(u"Group", u"ImageIndex", picture);
    return ini.updateFile();
}

} // namespace

QImage builtInPicture(int n)
{
    if (n < 1 || n > kBuiltInPictures)
        return QImage();
    static bool loaded = false;
    if (!loaded) {
        initGroupResources();
        loaded = true;
    }
    return QImage(QStringLiteral(":/groups/im%1.jpg").arg(n));
}

bool createGroupOnDisk(const QString& programFolder, const QString& name, int color, int picture,
                       const MessageTable& messages, MessageSink& sink)
{
    const QString folder = collection::groupFolder(programFolder, name);
    const bool made = !paths::isDir(folder);
    if (made && !paths::makeDir(folder)) {
        const int err = errno;
        sink.warning(messages.text(QStringLiteral("e8")) + u' ' + folder);
        errorlog::WriteErrorLog(programFolder,
                                errorlog::message(systemText(err), QStringLiteral("creategroup"), folder));
        return false;
    }
    const IoStatus s = writeRecord(folder, color, picture);
    if (!s.ok()) {
        errorlog::WriteErrorLog(programFolder, errorlog::message(s.text, QStringLiteral("creategroup"),
                                                                 collection::groupRecordPath(folder)));
        // A group without its record is not what the user asked for (a full disk, most often): say
        // so, and take back the empty folder this call made.
        sink.warning(messages.text(QStringLiteral("e8")) + u' ' + folder + QStringLiteral(": ") + s.text);
        if (made)
            paths::removeDir(folder);
        return false;
    }
    return true;
}

bool changeGroupOnDisk(const QString& programFolder, const QString& from, const QString& name, int color,
                       int picture, const MessageTable& messages, MessageSink& sink)
{
    const QString target = collection::groupFolder(programFolder, name);
    if (name != from) {
        if (paths::exists(target)) {
            sink.warning(messages.text(QStringLiteral("e1")) + u' ' + target + u' ' +
                         messages.text(QStringLiteral("e2")));
            errorlog::WriteErrorLog(
                programFolder, errorlog::message(systemText(EEXIST), QStringLiteral("changegroup"), target));
            return false;
        }
        if (!removedname::renameNoReplace(collection::groupFolder(programFolder, from), target)) {
            const int err = errno;
            sink.warning(messages.text(QStringLiteral("e3")) + u' ' + target);
            errorlog::WriteErrorLog(
                programFolder, errorlog::message(systemText(err), QStringLiteral("changegroup"), target));
            return false;
        }
    }
    if (color > -1) {
        const IoStatus s = writeRecord(target, color, picture);
        if (!s.ok())
            errorlog::WriteErrorLog(programFolder, errorlog::message(s.text, QStringLiteral("changegroup"),
                                                                     collection::groupRecordPath(target)));
    }
    return true;
}

QString removeGroup(const QString& programFolder, const QString& name, const MessageTable& messages,
                    MessageSink& sink)
{
    // The removed name is drawn again until it is free, so no earlier removal is ever replaced; it
    // keeps the bytes the group's name has on disk.
    QString target;
    const QString removed = removedname::removeByRenaming(collection::myPlants(programFolder), name, &target);
    if (removed.isEmpty()) {
        const int err = errno;
        // The name it could not take is the removed name.
        sink.warning(messages.text(QStringLiteral("e3")) + u' ' + target + QStringLiteral(": ") + systemText(err));
        errorlog::WriteErrorLog(programFolder,
                                errorlog::message(systemText(err), QStringLiteral("changegroup"), target));
        return QString();
    }
    return paths::fileNameOf(removed);
}

void writeOrder(const QString& programFolder, const QString& group, int order, int from, int to)
{
    IniFile ini(collection::groupRecordPath(collection::groupFolder(programFolder, group)));
    ini.writeInteger(u"Group", u"ImageOrder", order);
    const IoStatus s = ini.updateFile();
    if (!s.ok())
        errorlog::WriteErrorLog(
            programFolder,
            QStringLiteral("Error msg: ") + s.text +
                QStringLiteral(" ((movegroup)args: mto: %1; mfrom: %2; ini: ").arg(to).arg(from) +
                ini.fileName() + u')');
}

IoStatus saveOwnPicture(const QString& programFolder, const QString& group, const QImage& picture)
{
    const QString folder = collection::groupFolder(programFolder, group);
    paths::makePath(folder);
    return bmpfile::write24(paths::fixed(folder, paths::kGroupImage), picture);
}

} // namespace groupops
