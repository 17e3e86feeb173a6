#include "search/searchservice.h"

#include "search/collectionwatcher.h"

#include <QElapsedTimer>
#include <QTimer>

namespace search {

namespace {
// How many changed nodes a search indexes before answering; more go to the background batches.
constexpr size_t kIndexBeforeAnswer = 64;
constexpr int kBackgroundBatch = 48;
// How many results get a piece of their text.
constexpr size_t kDescribed = 150;
// A search compares the index with the files when the last comparison is older than this; while the
// collection's folders are watched, only after a change (or, to be safe, after a long while).
constexpr qint64 kRecheckMs = 2000;
constexpr qint64 kRecheckWatchedMs = 10 * 60 * 1000;
} // namespace

class SearchWorker : public QObject {
    Q_OBJECT
public:
    SearchWorker(const QString& programFolder, const QString& cacheFile, std::atomic<int>* latest)
        : m_programFolder(programFolder), m_cacheFile(cacheFile), m_latest(latest)
    {
    }

    void start()
    {
        m_index = std::make_unique<SearchIndex>(m_programFolder, m_cacheFile);
        m_soon = new QTimer(this);
        m_soon->setSingleShot(true);
        m_soon->setInterval(150);
        connect(m_soon, &QTimer::timeout, this, [this] { check(); });
        m_watcher = new CollectionWatcher(this);
        connect(m_watcher, &CollectionWatcher::changed, this, [this] { noticeChange(); });
        check();
    }

    void check()
    {
        if (!m_index->usable()) {
            reportReading();
            return;
        }
        m_changed = false;
        if (m_pending.empty())
            m_done = 0; // a new round; otherwise the count goes on
        m_pending = m_index->changedNodes();
        m_checked.start();
        m_watcher->watch(m_index->walkedFolders());
        if (m_pending.size() <= kIndexBeforeAnswer) {
            m_index->index(m_pending);
            m_pending.clear();
        } else if (!m_batchQueued) {
            m_batchQueued = true;
            QMetaObject::invokeMethod(
                this, [this] { indexMore(); }, Qt::QueuedConnection);
        }
        if (!m_index->usable())
            reportReading();
        Q_EMIT progress(m_done, m_done + int(m_pending.size()));
    }

    void indexMore()
    {
        m_batchQueued = false;
        if (m_pending.empty() || !m_index->usable())
            return;
        const size_t n = std::min<size_t>(kBackgroundBatch, m_pending.size());
        const std::vector<NodeOnDisk> batch(m_pending.begin(), m_pending.begin() + qsizetype(n));
        m_pending.erase(m_pending.begin(), m_pending.begin() + qsizetype(n));
        m_index->index(batch);
        m_done += int(n);
        if (!m_index->usable()) {
            reportReading();
            m_pending.clear();
        }
        Q_EMIT progress(m_done, m_done + int(m_pending.size()));
        if (!m_pending.empty()) {
            m_batchQueued = true;
            QMetaObject::invokeMethod(
                this, [this] { indexMore(); }, Qt::QueuedConnection);
        }
    }

    void search(int id, const QString& typed, std::optional<int> cond)
    {
        if (id < m_latest->load())
            return; // a newer request waits behind this one
        const qint64 recheck = m_watcher->watching() ? kRecheckWatchedMs : kRecheckMs;
        if (m_index->usable() && (m_changed || !m_checked.isValid() || m_checked.elapsed() > recheck))
            check();
        Query q;
        q.words = searchtext::queryWords(typed);
        q.cond = cond;
        std::vector<Hit> hits = m_index->search(q);
        for (size_t i = 0; i < hits.size() && i < kDescribed; ++i) {
            if (id < m_latest->load())
                return;
            m_index->describe(&hits[i], q.words);
        }
        Q_EMIT found(id, hits, q.words);
    }

    void noticeChange()
    {
        m_changed = true;
        m_soon->start();
    }

Q_SIGNALS:
    void progress(int done, int total);
    void found(int id, const std::vector<search::Hit>& hits, const QStringList& words);
    void readingFiles(const QString& problem);

private:
    void reportReading()
    {
        if (!m_reported)
            Q_EMIT readingFiles(m_index->problem());
        m_reported = true;
    }

    QString m_programFolder;
    QString m_cacheFile;
    std::atomic<int>* m_latest;
    std::unique_ptr<SearchIndex> m_index;
    std::vector<NodeOnDisk> m_pending;
    QElapsedTimer m_checked;
    QTimer* m_soon = nullptr;
    CollectionWatcher* m_watcher = nullptr; // the collection's folders, so searches need not look
    int m_done = 0;
    bool m_batchQueued = false;
    bool m_changed = false;
    bool m_reported = false;
};

SearchService::SearchService(const QString& programFolder, const QString& cacheFile, QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<std::vector<search::Hit>>();
    m_worker = new SearchWorker(programFolder, cacheFile, &m_latest);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &SearchWorker::progress, this, &SearchService::progress);
    connect(m_worker, &SearchWorker::found, this, &SearchService::found);
    connect(m_worker, &SearchWorker::readingFiles, this, &SearchService::readingFiles);
    m_thread.setObjectName(QStringLiteral("search"));
    m_thread.start(QThread::LowPriority);
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->start(); }, Qt::QueuedConnection);
}

SearchService::~SearchService()
{
    m_latest.store(INT_MAX); // what waits is dropped
    m_thread.quit();
    m_thread.wait();
}

void SearchService::search(int id, const QString& typed, std::optional<int> cond)
{
    m_latest.store(id);
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker, id, typed, cond] { w->search(id, typed, cond); }, Qt::QueuedConnection);
}

void SearchService::noticeChange(const QString&)
{
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->noticeChange(); }, Qt::QueuedConnection);
}

void SearchService::refresh()
{
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->check(); }, Qt::QueuedConnection);
}

} // namespace search

#include "searchservice.moc"
