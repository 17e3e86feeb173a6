#pragma once

#include "search/searchindex.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <optional>
#include <vector>

namespace search {

class SearchWorker;

// The window's way to the index: everything runs on a thread of its own, so typing never waits for
// reading files or building the index. At start it compares the index with the collection and
// indexes what changed in small batches, searching between them what is indexed so far.
class SearchService : public QObject {
    Q_OBJECT
public:
    explicit SearchService(const QString& programFolder, const QString& cacheFile = QString(),
                           QObject* parent = nullptr);
    ~SearchService() override;

    // Answered by found(id, ...); an older request still waiting is dropped for a newer one.
    void search(int id, const QString& typed, std::optional<int> cond);
    // The program wrote or renamed something under the collection: the index follows at once.
    void noticeChange(const QString& path);
    // Compares the index with the files (done by every search anyway after a while).
    void refresh();

Q_SIGNALS:
    void progress(int done, int total);
    void found(int id, const std::vector<search::Hit>& hits, const QStringList& words);
    // The index could not be kept: search reads the files. problem says why.
    void readingFiles(const QString& problem);

private:
    QThread m_thread;
    SearchWorker* m_worker = nullptr;
    std::atomic<int> m_latest{0};
};

} // namespace search

Q_DECLARE_METATYPE(std::vector<search::Hit>)
