#include "platform/randomname.h"

#include "platform/paths.h"
#include "platform/sysio.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <random>

namespace removedname {

QString draw(const QString& parentDir, const QString& name)
{
    return drawWithStem(parentDir, QStringLiteral("!deleted_") + name + u'_');
}

QString drawWithStem(const QString& parentDir, const QString& stem)
{
    std::mt19937 gen(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> dist(0, 9998);
    // 9,999 draws find a free number unless nearly all are taken; then count up from 0 instead.
    for (int i = 0; i < 9999; ++i) {
        const QString candidate = stem + QString::number(dist(gen));
        if (!paths::exists(paths::join(parentDir, candidate)))
            return candidate;
    }
    for (int n = 0;; ++n) {
        const QString candidate = stem + QString::number(n);
        if (!paths::exists(paths::join(parentDir, candidate)))
            return candidate;
    }
}

QString removeByRenaming(const QString& parentDir, const QString& name)
{
    const QString target = paths::join(parentDir, draw(parentDir, name));
    const QString source = paths::join(parentDir, name);
    return renameNoReplace(source, target) ? target : QString();
}

bool renameNoReplace(const QString& source, const QString& target)
{
    // A plain rename would silently replace an empty folder that appeared since the check.
    return sysio::renameNoReplace(QFile::encodeName(source).constData(),
                                  QFile::encodeName(target).constData()) == 0;
}

} // namespace removedname
