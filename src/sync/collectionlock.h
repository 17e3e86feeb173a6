#pragma once

#include <QDateTime>
#include <QString>

// One writer at a time for a collection: a hidden file in MyPlants, so every login session on this
// computer sees it, and a share or a sync engine carries it to another computer. It names its holder
// (computer, process, boot, user, time) and is held with an OS lock where the file system has one. A
// lock of a process that is gone, or of an earlier boot of this computer, is taken over; one naming
// another computer is taken only when asked to (force).
class CollectionLock {
public:
    enum class State {
        Held,          // ours now
        HeldHere,      // a running program on this computer holds it
        HeldElsewhere, // the lock names another computer (seen through a share or a sync engine)
        Unavailable    // no lock can be kept (a read-only medium): nobody else can write either
    };
    struct Holder {
        QString host;   // the computer's name as it gave it
        QString hostId; // its short id
        qint64 pid = 0;
        QString bootId;
        QString user;
        QString program; // "verdarium" or "verdarium-cli"
        QDateTime since;
    };

    // program: the name the holder is shown by.
    CollectionLock(const QString& programFolder, const QString& program, bool force = false);
    ~CollectionLock();
    CollectionLock(const CollectionLock&) = delete;
    CollectionLock& operator=(const CollectionLock&) = delete;

    State state() const { return m_state; }
    // May this process write the collection.
    bool mayWrite() const { return m_state == State::Held || m_state == State::Unavailable; }
    // Who holds it when it is not ours.
    const Holder& holder() const { return m_holder; }
    // "open on HOST since TIME" and the like, for a refusal.
    QString describeHolder() const;

    static QString lockPath(const QString& programFolder);

private:
    int m_fd = -1;
    State m_state = State::Unavailable;
    Holder m_holder;
};
