#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>

#include <vector>

class QSocketNotifier;

// Tells when anything changes in the folders of the collection: a file written in place, one made,
// removed or renamed, a folder moved. Linux's inotify on every node folder; when the system cannot
// watch them all (no inotify, too many folders), watching() is false and the caller looks for
// itself.
namespace search {

class CollectionWatcher : public QObject {
    Q_OBJECT
public:
    explicit CollectionWatcher(QObject* parent = nullptr);
    ~CollectionWatcher() override;

    // Watches exactly these folders (paths on disk) from now on.
    void watch(const std::vector<QByteArray>& folders);
    bool watching() const { return m_watching; }

Q_SIGNALS:
    void changed();

private:
    void readEvents();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
    QHash<QByteArray, int> m_watches; // folder, watch descriptor
    bool m_watching = false;
};

} // namespace search
