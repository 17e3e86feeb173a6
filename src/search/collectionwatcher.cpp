#include "search/collectionwatcher.h"

#include <QSet>
#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

namespace search {

namespace {
constexpr uint32_t kEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                             IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
}

CollectionWatcher::CollectionWatcher(QObject* parent) : QObject(parent)
{
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CollectionWatcher::readEvents);
}

CollectionWatcher::~CollectionWatcher()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void CollectionWatcher::watch(const std::vector<QByteArray>& folders)
{
    m_watching = false;
    if (m_fd < 0)
        return;
    QSet<QByteArray> wanted;
    for (const QByteArray& f : folders)
        wanted.insert(f);
    for (auto it = m_watches.begin(); it != m_watches.end();) {
        if (wanted.contains(it.key())) {
            ++it;
            continue;
        }
        ::inotify_rm_watch(m_fd, it.value());
        it = m_watches.erase(it);
    }
    for (const QByteArray& f : wanted) {
        if (m_watches.contains(f))
            continue;
        const int wd = ::inotify_add_watch(m_fd, f.constData(), kEvents);
        if (wd < 0) {
            if (errno == ENOSPC || errno == ENOMEM)
                return; // more folders than the system watches: the caller looks for itself
            continue;   // gone meanwhile: the next look finds that
        }
        m_watches.insert(f, wd);
    }
    m_watching = true;
}

void CollectionWatcher::readEvents()
{
    alignas(inotify_event) char buffer[16384];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        any = true;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            if (e->mask & IN_IGNORED) // the folder is gone: a folder made again there is watched anew
                for (auto it = m_watches.begin(); it != m_watches.end(); ++it)
                    if (it.value() == e->wd) {
                        m_watches.erase(it);
                        break;
                    }
            at += ssize_t(sizeof(inotify_event)) + e->len;
        }
    }
    if (any)
        Q_EMIT changed();
}

} // namespace search
