#include "tree/nodefiles.h"

#include "platform/linkguard.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "store/errorlog.h"
#include "store/inifile.h"
#include "store/templates.h"

bool isNotesGroup(const QString& group)
{
    return group.compare(paths::kNotes, Qt::CaseInsensitive) == 0;
}

QString pagePath(const QString& nodeFolder, QStringView page)
{
    return paths::fixed(nodeFolder, page);
}

NodeFiles prepareNodeFiles(const QString& programFolder, const QString& group, const QString& parent,
                           const QString& node, bool folder)
{
    NodeFiles r;
    r.nodeFolder = collection::nodeFolder(programFolder, group, parent, node);
    // A node, folder or group that is a link is shown but never written into: pages made there would
    // land somewhere else.
    if (const QByteArray link = linkguard::linkOnTheWay(paths::native(r.nodeFolder + QStringLiteral("/.")));
        !link.isEmpty()) {
        r.error = linkguard::refusal(link) + u'.';
        r.throughLink = true;
        return r;
    }
    templates::ensureTemplates(programFolder, group);

    // The group's own templates, made from the collection-wide ones the first time.
    const QString groupTemplates = templates::groupFolder(programFolder, group);
    if (!paths::isDir(groupTemplates)) {
        if (!paths::makeDir(groupTemplates)) {
            r.error = QStringLiteral("Cannot create ") + groupTemplates;
            return r;
        }
        templates::copyMissingGroupTemplates(programFolder, group);
    }

    const bool empty = folder || isNotesGroup(group);
    for (const QStringView page : templates::kPages) {
        const QString path = pagePath(r.nodeFolder, page);
        if (paths::exists(path))
            continue;
        if (!paths::isDir(r.nodeFolder) && !paths::makeDir(r.nodeFolder)) {
            r.error = QStringLiteral("Cannot create ") + r.nodeFolder;
            return r;
        }
        // A template that cannot be copied is not reported here: opening the page names the file.
        if (empty)
            CreateEmptyFile(path);
        else
            templates::copyFile(paths::fixed(groupTemplates, page), path);
    }

    const QString record = collection::plantRecordPath(r.nodeFolder);
    if (!paths::exists(record)) {
        IniFile ini(record);
        ini.writeInteger(u"Main", u"Cond", folder ? collection::kFolderMark : 0);
        const IoStatus s = ini.updateFile();
        if (!s.ok()) {
            r.logLine = errorlog::message(s.text, record);
            r.recordError = s.text;
            errorlog::WriteErrorLog(programFolder, r.logLine);
        }
    }
    return r;
}
