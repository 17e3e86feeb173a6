#include "platform/singleinstance.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& lockPath)
    : m_path(lockPath.isEmpty() ? defaultLockPath() : lockPath)
{
    m_lock = std::make_unique<QLockFile>(m_path);
    // A live owner keeps the lock for as long as it runs; only a dead owner's lock is stale.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0) && m_lock->error() == QLockFile::LockFailedError && abandoned()) {
        // A process killed while it was making the lock leaves a file without its owner's number,
        // which would keep every later start out for good.
        m_lock->removeStaleLockFile();
        m_lock->tryLock(0);
    }
    if (m_lock->error() != QLockFile::NoError) {
        // A lock we cannot even create (unwritable runtime folder) must not keep the program from
        // running at all; only a lock held by a live process counts as another instance.
        m_another = m_lock->error() == QLockFile::LockFailedError;
        QString host;
        if (m_another)
            m_lock->getLockInfo(&m_holderPid, &host, &m_holderApp);
    }
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::abandoned() const
{
    qint64 pid = 0;
    QString host, app;
    if (m_lock->getLockInfo(&pid, &host, &app))
        return false; // an owner is named: QLockFile knows whether it still runs
    // Making the lock takes microseconds: a lock file without an owner a second later is left over.
    const QFileInfo info(m_path);
    return info.exists() && info.lastModified().msecsTo(QDateTime::currentDateTime()) > 1000;
}

QString SingleInstance::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir + QStringLiteral("/MyPelmo.lock");
}
