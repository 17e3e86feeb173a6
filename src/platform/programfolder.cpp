#include "platform/programfolder.h"

#include "platform/paths.h"

#include <QDir>

#include <unistd.h>

#ifndef VERDARIUM_DATA_FROM_BIN
#define VERDARIUM_DATA_FROM_BIN "../share/my-verdarium"
#endif

namespace programfolder {

namespace {

QString withSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

QString installedDataFolder(const QString& exeDir)
{
    return QDir::cleanPath(paths::join(exeDir, QStringLiteral(VERDARIUM_DATA_FROM_BIN)));
}

bool holdsCollection(const QString& folder)
{
    for (const paths::Entry& e : paths::entries(folder))
        if ((e.isDir && e.name.compare(paths::kMyPlants, Qt::CaseInsensitive) == 0) ||
            (e.isFile && e.name.compare(paths::kMainIni, Qt::CaseInsensitive) == 0))
            return true;
    return false;
}

QString userDataFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(QDir::cleanPath(base + QStringLiteral("/my-verdarium")));
}

QString choose(const QString& exeDir)
{
    if (holdsCollection(exeDir))
        return withSlash(exeDir);
    const bool installed = paths::isDir(installedDataFolder(exeDir));
    if (!installed && ::access(paths::native(exeDir).constData(), W_OK) == 0)
        return withSlash(exeDir);
    return userDataFolder();
}

QString langFile(const QString& programFolder, const QString& exeDir)
{
    const QString own = paths::fixed(programFolder, paths::kLangIni);
    if (paths::isFile(own))
        return own;
    const QString shipped = paths::fixed(installedDataFolder(exeDir), paths::kLangIni);
    return paths::isFile(shipped) ? shipped : own;
}

} // namespace programfolder
