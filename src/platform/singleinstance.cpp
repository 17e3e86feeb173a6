#include "platform/singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& lockPath)
    : m_path(lockPath.isEmpty() ? defaultLockPath() : lockPath)
{
    m_lock = std::make_unique<QLockFile>(m_path);
    // A live owner keeps the lock for as long as it runs; only a dead owner's lock is stale.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        // A lock we cannot even create (unwritable runtime folder) must not keep the program from
        // running at all; only a lock held by a live process counts as another instance.
        m_another = m_lock->error() == QLockFile::LockFailedError;
    }
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir + QStringLiteral("/MyPelmo.lock");
}
