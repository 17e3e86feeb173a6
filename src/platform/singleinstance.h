#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One running program per user: a lock file named after "MyPelmo" in the user's runtime folder.
// A lock left by a process that died is recovered; a live one is never taken over, however old.
class SingleInstance {
public:
    // lockPath empty: the user's runtime folder + "/MyPelmo.lock".
    explicit SingleInstance(const QString& lockPath = QString());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another instance holds the lock.
    bool anotherInstance() const { return m_another; }
    // Who holds the lock when another instance does: its process id and program name ("verdarium",
    // "verdarium-cli"); 0 and empty when the lock does not say.
    qint64 holderPid() const { return m_holderPid; }
    QString holderApp() const { return m_holderApp; }
    QString lockPath() const { return m_path; }

    static QString defaultLockPath();

private:
    bool abandoned() const;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_another = false;
    qint64 m_holderPid = 0;
    QString m_holderApp;
};
