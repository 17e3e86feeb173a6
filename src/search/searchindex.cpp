#include "search/searchindex.h"

#include "platform/paths.h"
#include "store/collection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentMap>

#include <sqlite3.h>

namespace search {

namespace {

// Changes when what the index holds is read differently; an index of another version is made again.
constexpr int kVersion = 3;
constexpr int kBatch = 48;

QByteArray utf8(const QString& s)
{
    return s.toUtf8();
}
QString text(sqlite3_stmt* st, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)),
                             sqlite3_column_bytes(st, column));
}
void bindText(sqlite3_stmt* st, int i, const QByteArray& bytes)
{
    sqlite3_bind_text(st, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}
void bindBlob(sqlite3_stmt* st, int i, const QByteArray& bytes)
{
    sqlite3_bind_blob(st, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}
QByteArray blob(sqlite3_stmt* st, int column)
{
    return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, column)), sqlite3_column_bytes(st, column));
}

// Finalises a statement when it goes out of scope.
struct Statement {
    sqlite3_stmt* st = nullptr;
    ~Statement() { sqlite3_finalize(st); }
    void finish()
    {
        sqlite3_finalize(st);
        st = nullptr;
    }
    operator sqlite3_stmt*() const { return st; }
};

bool isDamage(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_SCHEMA;
}

} // namespace

QStringList Hit::where() const
{
    QStringList w;
    for (int f = 0; f < FieldCount; ++f)
        if (fields & (1u << f))
            w << QString::fromLatin1(fieldKey(f));
    return w;
}

QString SearchIndex::cacheFileFor(const QString& programFolder)
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    const QString root = QDir(collection::myPlants(programFolder)).absolutePath();
    const QByteArray key = QCryptographicHash::hash(root.toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return base + QStringLiteral("/my-verdarium/") + QString::fromLatin1(key) + QStringLiteral(".sqlite");
}

SearchIndex::SearchIndex(const QString& programFolder, const QString& cacheFile)
    : m_programFolder(programFolder), m_file(cacheFile.isEmpty() ? cacheFileFor(programFolder) : cacheFile)
{
    open(true);
}

SearchIndex::~SearchIndex()
{
    close();
}

void SearchIndex::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool SearchIndex::exec(const char* sql)
{
    if (!m_db)
        return false;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        failed(rc, sql);
        return false;
    }
    return true;
}

sqlite3_stmt* SearchIndex::prepare(const char* sql)
{
    if (!m_db)
        return nullptr;
    sqlite3_stmt* st = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr);
    if (rc != SQLITE_OK) {
        failed(rc, sql);
        return nullptr;
    }
    return st;
}

void SearchIndex::failed(int code, const char* what)
{
    if (!m_db)
        return;
    m_problem =
        QString::fromUtf8(sqlite3_errmsg(m_db)) + QStringLiteral(" (") + QString::fromUtf8(what) + u')';
    close();
    if (isDamage(code)) {
        // A damaged cache is only a cache: it goes, and an empty one takes its place.
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(m_file + QString::fromLatin1(suffix));
        open(false);
    }
}

bool SearchIndex::open(bool retry)
{
    close();
    const QString dir = QFileInfo(m_file).absolutePath();
    if (!QDir().mkpath(dir)) {
        m_problem = QStringLiteral("cannot make ") + dir;
        return false;
    }
    // The index holds every word of every page: it is the user's alone, whatever the umask. SQLite
    // gives its journal files the mode of the database file.
    paths::keepPrivate(dir);
    paths::keepPrivate(m_file, true);
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        paths::keepPrivate(m_file + QString::fromLatin1(suffix));
    const int rc = sqlite3_open_v2(m_file.toUtf8().constData(), &m_db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        m_problem = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "cannot open");
        close();
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    sqlite3_extended_result_codes(m_db, 1);
    // Whatever goes wrong from here on (a damaged file, a read-only or full folder) is met by failed().
    auto step = [&](const char* sql) {
        sqlite3* before = m_db;
        const int r = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
        if (r == SQLITE_OK)
            return true;
        if (retry && isDamage(r)) {
            close();
            for (const char* suffix : {"", "-wal", "-shm", "-journal"})
                QFile::remove(m_file + QString::fromLatin1(suffix));
            open(false);
            return false;
        }
        m_problem = QString::fromUtf8(sqlite3_errmsg(before));
        close();
        return false;
    };
    if (!step("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;") ||
        !step("CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value)"))
        return m_db != nullptr;
    int version = 0;
    {
        Statement st{prepare("SELECT value FROM meta WHERE key='version'")};
        if (!st.st)
            return m_db != nullptr;
        const int r = sqlite3_step(st);
        if (r == SQLITE_ROW)
            version = sqlite3_column_int(st, 0);
        else if (r != SQLITE_DONE) {
            st.finish();
            failed(r, "version");
            return m_db != nullptr;
        }
    }
    if (version != kVersion &&
        !step("DROP TABLE IF EXISTS nodes; DROP TABLE IF EXISTS words; DROP TABLE IF EXISTS listings; "
              "DELETE FROM meta;"))
        return m_db != nullptr;
    const QByteArray schema =
        "CREATE TABLE IF NOT EXISTS nodes(key TEXT PRIMARY KEY, grp TEXT, parent TEXT, name TEXT, "
        "ord INTEGER, cond INTEGER, sig BLOB, docid INTEGER);"
        "CREATE INDEX IF NOT EXISTS nodes_docid ON nodes(docid);"
        "CREATE TABLE IF NOT EXISTS listings(folder BLOB PRIMARY KEY, stamp BLOB, entries BLOB);"
        "CREATE VIRTUAL TABLE IF NOT EXISTS words USING fts5(name, description, care, diary, comments, "
        "conflict, "
        "content='', detail=column, tokenize='unicode61 remove_diacritics 0');"
        "INSERT OR REPLACE INTO meta VALUES('version', " +
        QByteArray::number(kVersion) + ");";
    if (!step(schema.constData()))
        return m_db != nullptr;
    m_problem.clear();
    return true;
}

int SearchIndex::liveCount()
{
    Statement st{prepare("SELECT count(*) FROM nodes WHERE docid IS NOT NULL")};
    return st.st && sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : 0;
}

std::vector<NodeOnDisk> SearchIndex::changedNodes()
{
    if (!m_db)
        return walkCollection(m_programFolder);
    struct Row {
        QByteArray sig;
        int cond = 0;
        qint64 order = 0;
        bool indexed = false;
    };
    QHash<QString, Row> known;
    int stale = 0;
    {
        Statement st{prepare("SELECT key, sig, cond, ord, docid IS NOT NULL FROM nodes")};
        if (!st.st)
            return m_db ? std::vector<NodeOnDisk>{} : walkCollection(m_programFolder);
        int r;
        while ((r = sqlite3_step(st)) == SQLITE_ROW) {
            Row row;
            row.sig = blob(st, 1);
            row.cond = sqlite3_column_int(st, 2);
            row.order = sqlite3_column_int64(st, 3);
            row.indexed = sqlite3_column_int(st, 4) != 0;
            known.insert(text(st, 0), row);
        }
        if (r != SQLITE_DONE) {
            failed(r, "nodes");
            return walkCollection(m_programFolder);
        }
        Statement s2{prepare("SELECT value FROM meta WHERE key='stale'")};
        if (s2.st && sqlite3_step(s2) == SQLITE_ROW)
            stale = sqlite3_column_int(s2, 0);
    }
    Listings before;
    {
        Statement st{prepare("SELECT folder, stamp, entries FROM listings")};
        while (st.st && sqlite3_step(st) == SQLITE_ROW)
            before.insert(blob(st, 0), Listing{blob(st, 1), blob(st, 2)});
    }
    Listings listings = before;
    // Texts replaced or forgotten stay in the index until it is made again; past a point it is.
    if (stale > 2 * known.size() + 1000) {
        if (!exec("BEGIN; DELETE FROM nodes; DELETE FROM words; DELETE FROM meta WHERE key='stale'; COMMIT;"))
            return walkCollection(m_programFolder);
        known.clear();
        stale = 0;
    }
    const std::vector<NodeOnDisk> nodes =
        walkCollection(m_programFolder, [&](const QString& key, const QByteArray& sig, int* cond) {
            const auto it = known.constFind(key);
            if (it == known.constEnd() || !it->indexed || it->sig != sig)
                return false;
            *cond = it->cond;
            return true;
        },
        &listings, &m_walkedFolders);
    std::vector<NodeOnDisk> changed;
    if (!exec("BEGIN"))
        return walkCollection(m_programFolder);
    Statement insert{prepare("INSERT INTO nodes(key, grp, parent, name, ord, cond) VALUES(?,?,?,?,?,?) "
                             "ON CONFLICT(key) DO UPDATE SET ord=excluded.ord, cond=excluded.cond")};
    Statement remove{prepare("DELETE FROM nodes WHERE key=?")};
    if (!insert.st || !remove.st)
        return walkCollection(m_programFolder);
    QSet<QString> seen;
    for (const NodeOnDisk& n : nodes) {
        const QString key = n.key();
        seen.insert(key);
        const auto it = known.constFind(key);
        if (it == known.constEnd() || it->cond != n.cond || it->order != n.order) {
            sqlite3_reset(insert);
            bindText(insert, 1, utf8(key));
            bindText(insert, 2, utf8(n.group));
            bindText(insert, 3, utf8(n.parent));
            bindText(insert, 4, utf8(n.name));
            sqlite3_bind_int64(insert, 5, n.order);
            sqlite3_bind_int(insert, 6, n.cond);
            const int r = sqlite3_step(insert);
            if (r != SQLITE_DONE) {
                failed(r, "insert node");
                return nodes;
            }
        }
        if (it == known.constEnd() || !it->indexed || it->sig != n.signature)
            changed.push_back(n);
    }
    for (auto it = known.constBegin(); it != known.constEnd(); ++it) {
        if (seen.contains(it.key()))
            continue;
        sqlite3_reset(remove);
        bindText(remove, 1, utf8(it.key()));
        const int r = sqlite3_step(remove);
        if (r != SQLITE_DONE) {
            failed(r, "remove node");
            return nodes;
        }
        stale += it->indexed ? 1 : 0;
    }
    // The folders' listings: the ones read again, and none for folders gone or changed a moment ago.
    Statement keepListing{prepare("INSERT OR REPLACE INTO listings VALUES(?,?,?)")};
    Statement dropListing{prepare("DELETE FROM listings WHERE folder=?")};
    if (!keepListing.st || !dropListing.st)
        return nodes;
    for (auto it = listings.constBegin(); it != listings.constEnd(); ++it) {
        const auto was = before.constFind(it.key());
        if (was != before.constEnd() && was->stamp == it->stamp)
            continue;
        sqlite3_reset(keepListing);
        bindBlob(keepListing, 1, it.key());
        bindBlob(keepListing, 2, it->stamp);
        bindBlob(keepListing, 3, it->entries);
        if (const int r = sqlite3_step(keepListing); r != SQLITE_DONE) {
            failed(r, "keep listing");
            return nodes;
        }
    }
    for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
        if (listings.contains(it.key()))
            continue;
        sqlite3_reset(dropListing);
        bindBlob(dropListing, 1, it.key());
        if (const int r = sqlite3_step(dropListing); r != SQLITE_DONE) {
            failed(r, "drop listing");
            return nodes;
        }
    }
    const QByteArray setStale =
        "INSERT OR REPLACE INTO meta VALUES('stale', " + QByteArray::number(stale) + ")";
    if (!exec(setStale.constData()) || !exec("COMMIT"))
        return nodes;
    return changed;
}

bool SearchIndex::index(const std::vector<NodeOnDisk>& nodes, const Progress& progress,
                        const std::atomic<bool>* stop)
{
    const int total = int(nodes.size());
    if (progress)
        progress(0, total);
    for (int from = 0; from < total; from += kBatch) {
        if (!m_db)
            return false;
        if (stop && stop->load())
            return true;
        const std::vector<NodeOnDisk> batch(nodes.begin() + from,
                                            nodes.begin() + std::min(total, from + kBatch));
        const QList<std::array<QString, FieldCount>> texts =
            QtConcurrent::blockingMapped<QList<std::array<QString, FieldCount>>>(
                batch, [](const NodeOnDisk& n) { return readFields(n); });
        if (!exec("BEGIN"))
            return false;
        Statement words{prepare(
            "INSERT INTO words(name, description, care, diary, comments, conflict) VALUES(?,?,?,?,?,?)")};
        Statement old{prepare("SELECT docid FROM nodes WHERE key=? AND docid IS NOT NULL")};
        Statement update{prepare("UPDATE nodes SET sig=?, cond=?, docid=? WHERE key=?")};
        if (!words.st || !old.st || !update.st)
            return false;
        int replaced = 0;
        for (size_t i = 0; i < batch.size(); ++i) {
            sqlite3_reset(words);
            for (int f = 0; f < FieldCount; ++f)
                bindText(words, f + 1, utf8(texts[qsizetype(i)][size_t(f)]));
            int r = sqlite3_step(words);
            if (r != SQLITE_DONE) {
                failed(r, "index");
                return false;
            }
            const qint64 docid = sqlite3_last_insert_rowid(m_db);
            const QByteArray key = utf8(batch[i].key());
            sqlite3_reset(old);
            bindText(old, 1, key);
            if (sqlite3_step(old) == SQLITE_ROW)
                ++replaced;
            sqlite3_reset(update);
            sqlite3_bind_blob(update, 1, batch[i].signature.constData(), int(batch[i].signature.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_int(update, 2, batch[i].cond);
            sqlite3_bind_int64(update, 3, docid);
            bindText(update, 4, key);
            r = sqlite3_step(update);
            if (r != SQLITE_DONE) {
                failed(r, "index node");
                return false;
            }
        }
        const QByteArray stale =
            "INSERT OR REPLACE INTO meta VALUES('stale', coalesce((SELECT value FROM meta "
            "WHERE key='stale'), 0) + " +
            QByteArray::number(replaced) + ")";
        if (!exec(stale.constData()) || !exec("COMMIT"))
            return false;
        if (progress)
            progress(std::min(total, from + kBatch), total);
    }
    return m_db != nullptr;
}

bool SearchIndex::update(const Progress& progress, const std::atomic<bool>* stop)
{
    if (!m_db)
        return false;
    const std::vector<NodeOnDisk> changed = changedNodes();
    return m_db && index(changed, progress, stop);
}

QString SearchIndex::ftsQuery(const QStringList& words, const char* column, bool any) const
{
    QStringList terms;
    for (QString w : words)
        terms << u'"' + w.replace(u'"', QStringLiteral("\"\"")) + QStringLiteral("\"*");
    QString q = terms.join(any ? QStringLiteral(" OR ") : QStringLiteral(" AND "));
    if (column)
        q = u'{' + QString::fromLatin1(column) + QStringLiteral("} : (") + q + u')';
    return q;
}

std::vector<Hit> SearchIndex::search(const Query& query)
{
    if (!m_db)
        return searchFiles(query);
    if (query.words.isEmpty() && !query.cond)
        return {};
    std::vector<Hit> hits;
    QHash<qint64, size_t> byDoc;
    {
        const char* sql =
            query.words.isEmpty()
                ? "SELECT grp, parent, name, cond, docid, ord FROM nodes WHERE cond=?2 ORDER BY ord"
                : "SELECT grp, parent, name, cond, docid, ord FROM nodes WHERE docid IN "
                  "(SELECT rowid FROM words WHERE words MATCH ?1) AND (?2 IS NULL OR cond=?2) "
                  "ORDER BY ord";
        Statement st{prepare(sql)};
        if (!st.st)
            return searchFiles(query);
        if (!query.words.isEmpty())
            bindText(st, 1, utf8(ftsQuery(query.words, nullptr, false)));
        if (query.cond)
            sqlite3_bind_int(st, 2, *query.cond);
        int r;
        while ((r = sqlite3_step(st)) == SQLITE_ROW) {
            Hit h;
            h.group = text(st, 0);
            h.parent = text(st, 1);
            h.name = text(st, 2);
            h.cond = sqlite3_column_int(st, 3);
            h.order = sqlite3_column_int64(st, 5);
            byDoc.insert(sqlite3_column_int64(st, 4), hits.size());
            hits.push_back(std::move(h));
        }
        if (r != SQLITE_DONE) {
            st.finish();
            failed(r, "search");
            return searchFiles(query);
        }
    }
    if (hits.empty() || query.words.isEmpty())
        return hits;
    for (int f = 0; f < FieldCount; ++f) {
        Statement st{prepare("SELECT rowid FROM words WHERE words MATCH ?")};
        if (!st.st)
            return searchFiles(query);
        bindText(st, 1, utf8(ftsQuery(query.words, fieldKey(f), true)));
        while (sqlite3_step(st) == SQLITE_ROW) {
            const auto it = byDoc.constFind(sqlite3_column_int64(st, 0));
            if (it != byDoc.constEnd())
                hits[*it].fields |= 1u << f;
        }
    }
    return hits;
}

std::vector<Hit> SearchIndex::searchFiles(const Query& query)
{
    if (query.words.isEmpty() && !query.cond)
        return {};
    std::vector<NodeOnDisk> nodes = walkCollection(m_programFolder);
    if (query.cond)
        std::erase_if(nodes, [&](const NodeOnDisk& n) { return n.cond != *query.cond; });
    const QList<Hit> found = QtConcurrent::blockingMapped<QList<Hit>>(nodes, [&](const NodeOnDisk& n) {
        Hit h;
        h.group = n.group;
        h.parent = n.parent;
        h.name = n.name;
        h.cond = n.cond;
        h.order = n.order;
        if (query.words.isEmpty()) {
            h.fields = 1u << 31; // every node with the mark
            return h;
        }
        const std::array<QString, FieldCount> texts = readFields(n);
        if (!searchtext::containsAll(QStringList(texts.begin(), texts.end()), query.words))
            return h;
        for (int f = 0; f < FieldCount; ++f)
            if (searchtext::containsAny(texts[size_t(f)], query.words))
                h.fields |= 1u << f;
        return h;
    });
    std::vector<Hit> hits;
    for (const Hit& h : found)
        if (h.fields) {
            hits.push_back(h);
            hits.back().fields &= (1u << FieldCount) - 1;
        }
    return hits;
}

std::optional<NodeOnDisk> SearchIndex::nodeOf(const Hit& hit)
{
    NodeOnDisk n = nodeAt(m_programFolder, hit.group, hit.parent, hit.name);
    if (n.folder.isEmpty())
        return std::nullopt;
    n.cond = hit.cond;
    return n;
}

void SearchIndex::describe(Hit* hit, const QStringList& words)
{
    const std::optional<NodeOnDisk> node = nodeOf(*hit);
    if (!node || words.isEmpty())
        return;
    for (int f = 0; f < FieldCount; ++f) {
        if (hit->fields && !(hit->fields & (1u << f)))
            continue;
        if (f == Comments) {
            for (const auto& [photo, comment] : readComments(*node)) {
                searchtext::Snippet s = searchtext::snippet(comment, words);
                if (!s.marks.empty()) {
                    hit->shownField = f;
                    hit->photo = photo;
                    hit->snippet = std::move(s);
                    return;
                }
            }
            continue;
        }
        searchtext::Snippet s = searchtext::snippet(readField(*node, f), words);
        if (!s.marks.empty()) {
            hit->shownField = f;
            hit->snippet = std::move(s);
            return;
        }
    }
}

} // namespace search
