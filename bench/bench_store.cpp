// Times the copy machinery and the record reader on a collection built by bench/store.sh.
//   bench_store copy FROM TO        copies FROM into TO with CopyFolder, prints seconds
//   bench_store read LISTFILE       reads every plant.ini named in LISTFILE, prints seconds
//   bench_store make DIR PLANTS RECORDS
//                                   builds a collection of PLANTS plant folders with pages and photos
//                                   of mixed sizes (about 100 KB a plant) under DIR/collection, and
//                                   RECORDS plant folders holding only plant.ini under DIR/records
#include "platform/messagesink.h"
#include "store/copyfolder.h"
#include "store/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <random>

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int copyBench(const QString& from, const QString& to)
{
    QTemporaryDir program;
    SilentSink sink;
    FileCopier copier(program.path(), sink);
    const auto start = std::chrono::steady_clock::now();
    if (!copier.copyTree(from, to, false)) {
        std::fprintf(stderr, "copy refused: %s\n", qPrintable(copier.lastErrorText));
        return 1;
    }
    const double s = secondsSince(start);
    std::printf("%.3f %d %d\n", s, copier.filesCopied, copier.copyErrors);
    return copier.copyErrors == 0 ? 0 : 1;
}

int readBench(const QString& listFile)
{
    QFile list(listFile);
    if (!list.open(QIODevice::ReadOnly))
        return 1;
    QStringList paths;
    while (!list.atEnd())
        paths << QString::fromLocal8Bit(list.readLine()).trimmed();
    const auto start = std::chrono::steady_clock::now();
    qint64 sum = 0;
    for (const QString& p : paths) {
        const IniFile ini(p);
        sum += ini.readInteger(u"Options", u"Cond", 0);
    }
    const double s = secondsSince(start);
    std::printf("%.3f %lld %lld\n", s, static_cast<long long>(paths.size()), static_cast<long long>(sum));
    return 0;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray plantRecord(int i)
{
    return "[Options]\r\nCond=" + QByteArray::number(i % 6) + "\r\nExpanded=0\r\nPhoto1=\xd4\xee\xf2\xee " +
           QByteArray::number(i) + "\r\n\r\n";
}

int makeBench(const QString& dir, int plants, int records)
{
    std::mt19937 rng(2026);
    QByteArray noise(300 * 1024, Qt::Uninitialized);
    for (char& c : noise)
        c = static_cast<char>(rng());
    const QByteArray page = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}}"
                            "\\viewkind4\\uc1\\pard\\f0\\fs20 " +
                            QByteArray(2000, 'x') + "\\par}";
    // Photo sizes: mostly small, some large, a few very large, averaging about 30 KB each.
    std::discrete_distribution<int> kind({60, 30, 10});
    const int sizes[] = {8 * 1024, 40 * 1024, 150 * 1024};
    qint64 total = 0;
    QDir().mkpath(dir + u"/collection");
    for (int i = 0; i < plants; ++i) {
        const QString group = dir + u"/collection/Group" + QString::number(i / 200);
        const QString plant = group + u"/Plant" + QString::number(i);
        QDir().mkpath(plant);
        bool ok = writeFile(plant + u"/plant.ini", plantRecord(i));
        for (const char* name : {"description.rtf", "care.rtf", "diary.rtf"})
            ok = ok && writeFile(plant + u'/' + QLatin1String(name), page);
        for (int p = 0; p < 3; ++p) {
            const int size = sizes[kind(rng)] + static_cast<int>(rng() % 4096);
            const qsizetype at = static_cast<qsizetype>(rng() % (noise.size() - size));
            ok = ok && writeFile(plant + u"/photo" + QString::number(p) + u".jpg", noise.mid(at, size));
            total += size;
        }
        if (!ok)
            return 1;
    }
    for (int i = 0; i < records; ++i) {
        const QString plant =
            dir + u"/records/Group" + QString::number(i / 500) + u"/Plant" + QString::number(i);
        QDir().mkpath(plant);
        if (!writeFile(plant + u"/plant.ini", plantRecord(i)))
            return 1;
    }
    std::printf("%lld\n", static_cast<long long>(total));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "copy")
        return copyBench(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 3 && QByteArray(argv[1]) == "read")
        return readBench(QString::fromLocal8Bit(argv[2]));
    if (argc == 5 && QByteArray(argv[1]) == "make")
        return makeBench(QString::fromLocal8Bit(argv[2]), atoi(argv[3]), atoi(argv[4]));
    std::fprintf(stderr, "usage: bench_store copy FROM TO | read LISTFILE | make DIR PLANTS RECORDS\n");
    return 2;
}
