#pragma once

#include "search/collectionwalk.h"
#include "search/searchtext.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace search {

struct Hit {
    QString group;
    QString parent; // empty at the top level
    QString name;
    int cond = 0;
    unsigned fields = 0; // one bit per Field that holds any of the words
    qint64 order = 0;
    // Filled by describe(): the first field with a match, a piece of its text, and for a comment the
    // photo it belongs to.
    int shownField = -1;
    QString photo;
    searchtext::Snippet snippet;

    QString node() const { return parent.isEmpty() ? name : parent + u'/' + name; }
    QStringList where() const;
};

struct Query {
    QStringList words;       // folded (searchtext::queryWords)
    std::optional<int> cond; // only nodes with this condition mark
};

// The full-text index of the collection, kept in the user's cache folder (SQLite FTS5). It is only
// a cache: deleting it loses nothing, a damaged one is made again, and when none can be kept
// (read-only or full cache folder) search reads the files instead.
class SearchIndex {
public:
    // cacheFile empty: the file for this collection in $XDG_CACHE_HOME/my-verdarium/.
    explicit SearchIndex(const QString& programFolder, const QString& cacheFile = QString());
    ~SearchIndex();
    SearchIndex(const SearchIndex&) = delete;
    SearchIndex& operator=(const SearchIndex&) = delete;

    static QString cacheFileFor(const QString& programFolder);
    const QString& cacheFile() const { return m_file; }
    // False when no cache could be kept; searches then read the files. problem() says why.
    bool usable() const { return m_db != nullptr; }
    const QString& problem() const { return m_problem; }

    // Compares the collection with the index by the files' sizes and modification times: forgets
    // nodes that are gone, takes the new order and marks, and returns the nodes whose text must be
    // read again.
    std::vector<NodeOnDisk> changedNodes();
    // The folders the last comparison went through: the collection's, its groups' and its nodes'.
    const std::vector<QByteArray>& walkedFolders() const { return m_walkedFolders; }
    // Reads the nodes' files and indexes their text; progress(done, total) after each batch, each
    // batch visible to searches as soon as it is written. False when the cache failed (search then
    // reads the files).
    using Progress = std::function<void(int done, int total)>;
    bool index(const std::vector<NodeOnDisk>& nodes, const Progress& progress = {},
               const std::atomic<bool>* stop = nullptr);
    // Both of the above.
    bool update(const Progress& progress = {}, const std::atomic<bool>* stop = nullptr);

    // The nodes holding every word, in group order then tree order.
    std::vector<Hit> search(const Query& query);
    // The matching nodes found by reading every file (the way without a cache).
    std::vector<Hit> searchFiles(const Query& query);

    // The node of a hit as it stands on disk (to read its text for a snippet).
    std::optional<NodeOnDisk> nodeOf(const Hit& hit);
    // Fills shownField, photo and snippet of hit from its files.
    void describe(Hit* hit, const QStringList& words);

    // How many node texts sit in the index (the ones shown and the ones left from earlier versions).
    int liveCount();

private:
    bool open(bool retry);
    void close();
    bool exec(const char* sql);
    sqlite3_stmt* prepare(const char* sql);
    // After a failure: a damaged cache is removed (made again next time); any other failure leaves
    // the search to the files.
    void failed(int code, const char* what);
    QString ftsQuery(const QStringList& words, const char* column, bool any) const;

    QString m_programFolder;
    QString m_file;
    QString m_problem;
    sqlite3* m_db = nullptr;
    std::vector<QByteArray> m_walkedFolders;
};

} // namespace search
