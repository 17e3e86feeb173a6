#include "../support/smalldisk.h"
#include "../support/tempprogramfolder.h"
#include "store/copyfolder.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

void setTimeAndMode(const QString& path, time_t mtime, long nsec, mode_t mode)
{
    const struct timespec t[2] = {{mtime, nsec}, {mtime, nsec}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), t, 0);
    ::chmod(QFile::encodeName(path).constData(), mode);
}

// Every file and folder below dir, hidden ones too, by its path below it.
QStringList entriesBelow(const QString& dir)
{
    return filesUnder(dir, {}, true).keys();
}

} // namespace

TEST(CopyFolder, CopiesEveryFileWithItsModeAndTimeAndOverwritesReadOnlyTargets)
{
    TempProgramFolder pf;
    RecordingSink sink;
    pf.write(u"src/Rose/description.rtf"_s, "{\\rtf1 Rose}");
    pf.write(u"src/Rose/empty.txt"_s, "");
    pf.write(u"src/Rose/.hidden"_s, "h");
    pf.write(u"src/Rose/photos/rose.jpg"_s, QByteArray(200000, 'j'));
    setTimeAndMode(pf.file(u"src/Rose/description.rtf"_s), 1000000000, 123456789, 0444);
    setTimeAndMode(pf.file(u"src/Rose/empty.txt"_s), 1100000000, 0, 0640);
    // A destination that exists read-only is overwritten.
    pf.write(u"dst/Rose/description.rtf"_s, "old");
    ::chmod(QFile::encodeName(pf.file(u"dst/Rose/description.rtf"_s)).constData(), 0444);

    FileCopier copier(pf.path(), sink);
    ASSERT_TRUE(copier.copyTree(pf.file(u"src"_s), pf.file(u"dst"_s), false));
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u'\n').toStdString();
    EXPECT_EQ(copier.filesCopied, 4);
    EXPECT_EQ(copier.copyErrors, 0);
    EXPECT_EQ(entriesBelow(pf.file(u"dst"_s)), entriesBelow(pf.file(u"src"_s)));
    EXPECT_EQ(pf.read(u"dst/Rose/description.rtf"_s), QByteArray("{\\rtf1 Rose}"));
    EXPECT_EQ(pf.read(u"dst/Rose/photos/rose.jpg"_s), QByteArray(200000, 'j'));
    const struct stat d = statOf(pf.file(u"dst/Rose/description.rtf"_s));
    EXPECT_EQ(d.st_mode & 07777, 0444u);
    EXPECT_EQ(d.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(d.st_mtim.tv_nsec, 123456789);
    const struct stat e = statOf(pf.file(u"dst/Rose/empty.txt"_s));
    EXPECT_EQ(e.st_size, 0);
    EXPECT_EQ(e.st_mode & 07777, 0640u);
    EXPECT_EQ(e.st_mtim.tv_sec, 1100000000);
    // Without delete source nothing of the source went, at any depth.
    EXPECT_EQ(entriesBelow(pf.file(u"src"_s)).size(), 6);

    // A move empties the source and removes its subfolders, but not the top; a copy into its own
    // source is refused before anything happens.
    ASSERT_TRUE(copier.copyTree(pf.file(u"src"_s), pf.file(u"moved"_s), true));
    EXPECT_TRUE(pf.exists(u"src"_s));
    EXPECT_TRUE(entriesBelow(pf.file(u"src"_s)).isEmpty());
    EXPECT_EQ(pf.read(u"moved/Rose/photos/rose.jpg"_s), QByteArray(200000, 'j'));
    EXPECT_TRUE(pf.exists(u"moved/Rose/empty.txt"_s));
    EXPECT_FALSE(copier.copyTree(pf.file(u"dst/Rose"_s), pf.file(u"dst/Rose/inner"_s), true));
    EXPECT_EQ(pf.read(u"dst/Rose/description.rtf"_s), QByteArray("{\\rtf1 Rose}"));
}

// The conversion's tests check the pages it renames; here the gauge.
TEST(CopyFolder, ConversionDrivesTheGaugeInBlocks)
{
    TempProgramFolder pf;
    RecordingSink sink;
    pf.write(u"plants/Rose/kultura.rtf"_s, QByteArray(250000, 'k'));
    pf.write(u"plants/Rose/Uhod.RTF"_s, "care");
    FileCopier copier(pf.path(), sink);
    copier.conversion = true;
    QList<int> maxima;
    QList<int> steps;
    QList<int> counters;
    copier.progress.gaugeMax = [&](int v) { maxima << v; };
    copier.progress.gaugeProgress = [&](int v) { steps << v; };
    copier.progress.counter = [&](int v) { counters << v; };
    ASSERT_TRUE(copier.copyTree(pf.file(u"plants"_s), pf.file(u"MyPlants/g"_s), false));
    EXPECT_TRUE(maxima.contains(2500));
    EXPECT_EQ(counters, QList<int>({1, 2}));
    // The 250,000-byte file: five blocks, the last reaching 2,500 (the other file adds its own steps).
    const qsizetype at = steps.indexOf(614);
    ASSERT_GE(at, 0);
    EXPECT_EQ(steps.mid(at, 5), QList<int>({614, 1229, 1843, 2458, 2500}));
    EXPECT_EQ(FileCopier::progressDivisor(100), 1);
    EXPECT_EQ(FileCopier::progressDivisor(101), 10);
    EXPECT_EQ(FileCopier::progressDivisor(10001), 100);
    EXPECT_EQ(FileCopier::progressDivisor(1000001), 1000);
}

TEST(CopyFolder, AFullDiskStopsTheCopyKeepsTheSourceAndTheOldDestination)
{
    SmallDisk disk(256);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why().toStdString();
    TempProgramFolder pf;
    const TempProgramFolder small(disk.path());
    RecordingSink sink;
    pf.write(u"src/Rose/big.jpg"_s, QByteArray(1024 * 1024, 'b'));
    small.write(u"Rose/big.jpg"_s, "old copy");
    FileCopier copier(pf.path(), sink);
    copier.copyTree(pf.file(u"src"_s), disk.path().chopped(1), true);
    EXPECT_TRUE(copier.copyAbort);
    EXPECT_EQ(copier.copyErrors, 1);
    ASSERT_EQ(sink.warnings.size(), 2);
    EXPECT_TRUE(sink.warnings[0].startsWith(u"Error 28 - "_s));
    EXPECT_TRUE(sink.warnings[0].contains(u"\rargs: "_s + pf.file(u"src/Rose/big.jpg"_s)));
    EXPECT_TRUE(sink.warnings[1].contains(u"Make more free space on a disk"_s));
    EXPECT_EQ(pf.read(u"src/Rose/big.jpg"_s).size(), 1024 * 1024);               // source kept
    EXPECT_EQ(small.read(u"Rose/big.jpg"_s), QByteArray("old copy"));            // old copy whole
    EXPECT_EQ(entriesBelow(small.file(u"Rose"_s)), QStringList({u"big.jpg"_s})); // no partial file
    const QList<QByteArray> log = pf.read(u"errorlog.txt"_s).split('\n');
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].contains("((FCopyFile) args: infile: "));
}

TEST(CopyFolder, AShortWriteIsAFailedCopyAndTheSourceStays)
{
    TempProgramFolder pf;
    pf.write(u"src/A/big.jpg"_s, QByteArray(300000, 'b'));
    pf.write(u"src/A/small.txt"_s, "s");
    // The limit applies to the child only, so the test's own output is not cut.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit lim {
            100000, 100000
        };
        ::setrlimit(RLIMIT_FSIZE, &lim);
        RecordingSink sink;
        FileCopier copier(pf.path(), sink);
        copier.copyTree(pf.file(u"src"_s), pf.file(u"dst"_s), true);
        ::_exit(copier.copyErrors * 10 + copier.filesCopied + (copier.copyAbort ? 100 : 0));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 11); // one failed, one copied, no abort (not a full disk)
    EXPECT_EQ(pf.read(u"src/A/big.jpg"_s).size(), 300000);
    EXPECT_FALSE(pf.exists(u"src/A/small.txt"_s));
    EXPECT_EQ(pf.read(u"dst/A/small.txt"_s), QByteArray("s"));
    EXPECT_FALSE(pf.exists(u"dst/A/big.jpg"_s));
    EXPECT_TRUE(pf.read(u"errorlog.txt"_s).contains("((FCopyFile) args: infile: "));
}

TEST(CopyFolder, AnUnwritableDestinationNeverCostsTheSource)
{
    TempProgramFolder pf;
    RecordingSink sink;
    pf.write(u"src/A/a.txt"_s, "a");
    pf.write(u"blocker"_s, "a file where a folder should be");
    FileCopier copier(pf.path(), sink);
    copier.copyTree(pf.file(u"src"_s), pf.file(u"blocker/inside"_s), true);
    EXPECT_EQ(copier.copyErrors, 1);
    EXPECT_EQ(pf.read(u"src/A/a.txt"_s), QByteArray("a"));
    EXPECT_EQ(sink.warnings.size(), 1);
}
