// Timings of search over a generated collection (bench/search.sh makes it):
//   bench_search build PF          first index build, with progress
//   bench_search search PF WORD... a search right after start-up on an up-to-date index (median of 9)
//   bench_search touch PF          10 pages changed outside the program, then the next search
//   bench_search engines PF        the same texts in SQLite FTS5 and in Xapian (when built with it)
#include "search/searchindex.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentMap>

#include <sqlite3.h>
#ifdef HAVE_XAPIAN
#include <xapian.h>
#endif

#include <algorithm>
#include <cstdio>

namespace {

double ms(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

qint64 folderSize(const QString& dir)
{
    qint64 n = 0;
    for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
        n += f.isDir() ? folderSize(f.filePath()) : f.size();
    return n;
}

int build(const QString& pf)
{
    QElapsedTimer t;
    t.start();
    search::SearchIndex index(pf);
    int lastTenth = -1;
    const bool ok = index.update([&](int done, int total) {
        const int tenth = total ? done * 10 / total : 10;
        if (tenth != lastTenth)
            std::fprintf(stderr, "  indexed %d of %d nodes (%.1f s)\n", done, total, ms(t) / 1000);
        lastTenth = tenth;
    });
    std::printf("first index build: %.1f s (%d nodes, cache %.1f MB)%s\n", ms(t) / 1000, index.liveCount(),
                double(QFileInfo(index.cacheFile()).size()) / 1e6, ok ? "" : " FAILED");
    return ok ? 0 : 1;
}

int searchAfterStart(const QString& pf, const QStringList& words)
{
    std::vector<double> times;
    size_t hits = 0;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer t;
        t.start();
        search::SearchIndex index(pf);
        index.update();
        search::Query q;
        q.words = searchtext::queryWords(words.join(u' '));
        hits = index.search(q).size();
        times.push_back(ms(t));
    }
    std::sort(times.begin(), times.end());
    {
        search::SearchIndex index(pf);
        index.update();
        search::Query q;
        q.words = searchtext::queryWords(words.join(u' '));
        QElapsedTimer s;
        s.start();
        for (int i = 0; i < 9; ++i)
            index.search(q);
        std::printf("  the query alone on the open index (as the window's later searches): %.2f ms\n", ms(s) / 9);
    }
    QElapsedTimer w;
    w.start();
    const size_t nodes = search::walkCollection(pf).size();
    std::printf("  of which the walk over %zu nodes alone: %.1f ms\n", nodes, ms(w));
    std::printf("search after start-up (open, check 2,000 nodes by size and time, query) \"%s\": %.1f ms median "
                "(min %.1f, max %.1f), %zu nodes\n",
                qPrintable(words.join(u' ')), times[4], times[0], times[8], hits);
    return 0;
}

int touch(const QString& pf)
{
    search::SearchIndex index(pf);
    index.update();
    // Ten pages rewritten as another program would, each with a word no page had before.
    const QByteArray word = "touched" + QByteArray::number(QDateTime::currentMSecsSinceEpoch());
    std::vector<search::NodeOnDisk> nodes = search::walkCollection(pf);
    std::erase_if(nodes, [](const search::NodeOnDisk& n) { return n.pages[0].isEmpty(); });
    int changed = 0;
    for (size_t i = 0; i < nodes.size() && changed < 10; i += nodes.size() / 10) {
        QFile f(QString::fromUtf8(nodes[i].pages[0]));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        QByteArray bytes = f.readAll();
        f.close();
        bytes.insert(bytes.lastIndexOf('}'), " " + word + "\\par ");
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size())
            ++changed;
    }
    QElapsedTimer t;
    t.start();
    index.update();
    search::Query q;
    q.words = searchtext::queryWords(QString::fromLatin1(word));
    const size_t hits = index.search(q).size();
    std::printf("update after %d pages changed outside, then search: %.1f ms, %zu nodes\n", changed, ms(t), hits);
    return 0;
}

int engines(const QString& pf)
{
    QElapsedTimer t;
    t.start();
    const std::vector<search::NodeOnDisk> nodes = search::walkCollection(pf);
    const QList<std::array<QString, search::FieldCount>> texts =
        QtConcurrent::blockingMapped<QList<std::array<QString, search::FieldCount>>>(
            nodes, [](const search::NodeOnDisk& n) { return search::readFields(n); });
    qint64 chars = 0;
    for (const auto& a : texts)
        for (const QString& s : a)
            chars += s.size();
    std::printf("walk and text of %zu nodes from RTF: %.1f s, %.1f M characters\n", nodes.size(), ms(t) / 1000,
                double(chars) / 1e6);
    QTemporaryDir dir;
    {
        const QByteArray file = (dir.path() + QStringLiteral("/fts.sqlite")).toUtf8();
        sqlite3* db = nullptr;
        sqlite3_open(file.constData(), &db);
        t.restart();
        sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; CREATE VIRTUAL TABLE words USING fts5(name, description, care, "
                     "diary, comments, content='', detail=column, tokenize='unicode61 remove_diacritics 0'); BEGIN",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO words VALUES(?,?,?,?,?)", -1, &st, nullptr);
        for (const auto& a : texts) {
            std::array<QByteArray, search::FieldCount> u;
            for (int f = 0; f < search::FieldCount; ++f) {
                u[size_t(f)] = a[size_t(f)].toUtf8();
                sqlite3_bind_text(st, f + 1, u[size_t(f)].constData(), int(u[size_t(f)].size()), SQLITE_STATIC);
            }
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);", nullptr, nullptr, nullptr);
        const double buildMs = ms(t);
        t.restart();
        int count = 0;
        for (int i = 0; i < 9; ++i) {
            sqlite3_prepare_v2(db, "SELECT rowid FROM words WHERE words MATCH '\"полив\"* AND \"фунгиц\"*'", -1,
                               &st, nullptr);
            count = 0;
            while (sqlite3_step(st) == SQLITE_ROW)
                ++count;
            sqlite3_finalize(st);
        }
        std::printf("SQLite FTS5 %s: build %.1f s, %.1f MB, query \"полив* фунгиц*\" %.2f ms (%d docs)\n",
                    sqlite3_libversion(), buildMs / 1000, double(QFileInfo(QString::fromUtf8(file)).size()) / 1e6,
                    ms(t) / 9, count);
        sqlite3_close(db);
    }
#ifdef HAVE_XAPIAN
    {
        const std::string path = QString(dir.path() + QStringLiteral("/xapian")).toStdString();
        t.restart();
        {
            Xapian::WritableDatabase db(path, Xapian::DB_CREATE_OR_OVERWRITE);
            static const char* const kPrefix[] = {"XN", "XD", "XC", "XY", "XM"};
            for (const auto& a : texts) {
                Xapian::Document doc;
                for (int f = 0; f < search::FieldCount; ++f) {
                    const QString& s = a[size_t(f)];
                    qsizetype i = 0;
                    while (i < s.size()) {
                        while (i < s.size() && !searchtext::isWordChar(s[i]))
                            ++i;
                        const qsizetype b = i;
                        while (i < s.size() && searchtext::isWordChar(s[i]))
                            ++i;
                        if (i > b) {
                            const std::string w = s.mid(b, i - b).toStdString();
                            doc.add_boolean_term(w);
                            doc.add_boolean_term(kPrefix[f] + w);
                        }
                    }
                }
                db.add_document(doc);
            }
            db.commit();
        }
        const double buildMs = ms(t);
        Xapian::Database db(path);
        t.restart();
        Xapian::doccount count = 0;
        for (int i = 0; i < 9; ++i) {
            Xapian::Enquire e(db);
            e.set_query(Xapian::Query(Xapian::Query::OP_AND, Xapian::Query(Xapian::Query::OP_WILDCARD, "полив"),
                                      Xapian::Query(Xapian::Query::OP_WILDCARD, "фунгиц")));
            count = e.get_mset(0, 100000).size();
        }
        std::printf("Xapian %s: build %.1f s, %.1f MB, query \"полив* фунгиц*\" %.2f ms (%u docs)\n",
                    Xapian::version_string(), buildMs / 1000,
                    double(folderSize(QString::fromStdString(path))) / 1e6, ms(t) / 9, count);
    }
#else
    std::printf("Xapian: not built in (install libxapian-dev and build the release preset again)\n");
#endif
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 3)
        return std::fprintf(stderr, "usage: bench_search build|search|touch|engines PF [WORD...]\n"), 2;
    const QString pf = QDir(a[2]).absolutePath() + u'/';
    if (a[1] == u"build")
        return build(pf);
    if (a[1] == u"search")
        return searchAfterStart(pf, a.mid(3));
    if (a[1] == u"touch")
        return touch(pf);
    if (a[1] == u"engines")
        return engines(pf);
    return 2;
}
