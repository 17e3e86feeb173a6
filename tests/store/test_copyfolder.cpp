#include "../support/tempprogramfolder.h"
#include "store/copyfolder.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

QStringList entriesBelow(const QString& dir)
{
    QStringList out;
    QDir d(dir);
    for (const QFileInfo& fi :
         d.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
        out << fi.fileName();
        if (fi.isDir())
            for (const QString& sub : entriesBelow(fi.filePath()))
                out << fi.fileName() + u'/' + sub;
    }
    return out;
}

} // namespace

TEST(CopyFolder, CopiesEveryFileWithItsModeAndTimeAndOverwritesReadOnlyTargets)
{
    TempProgramFolder pf;
    RecordingSink sink;
    pf.write(QStringLiteral("src/Rose/description.rtf"), "{\\rtf1 Rose}");
    pf.write(QStringLiteral("src/Rose/empty.txt"), "");
    pf.write(QStringLiteral("src/Rose/.hidden"), "h");
    pf.write(QStringLiteral("src/Rose/photos/rose.jpg"), QByteArray(200000, 'j'));
    setTimeAndMode(pf.file(QStringLiteral("src/Rose/description.rtf")), 1000000000, 123456789, 0444);
    setTimeAndMode(pf.file(QStringLiteral("src/Rose/empty.txt")), 1100000000, 0, 0640);
    // A destination that exists read-only is overwritten.
    pf.write(QStringLiteral("dst/Rose/description.rtf"), "old");
    ::chmod(QFile::encodeName(pf.file(QStringLiteral("dst/Rose/description.rtf"))).constData(), 0444);

    FileCopier copier(pf.path(), sink);
    ASSERT_TRUE(copier.copyTree(pf.file(QStringLiteral("src")), pf.file(QStringLiteral("dst")), false));
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.warnings.join(u'\n').toStdString();
    EXPECT_EQ(copier.filesCopied, 4);
    EXPECT_EQ(copier.copyErrors, 0);
    EXPECT_EQ(entriesBelow(pf.file(QStringLiteral("dst"))), entriesBelow(pf.file(QStringLiteral("src"))));
    EXPECT_EQ(pf.read(QStringLiteral("dst/Rose/description.rtf")), QByteArray("{\\rtf1 Rose}"));
    EXPECT_EQ(pf.read(QStringLiteral("dst/Rose/photos/rose.jpg")), QByteArray(200000, 'j'));
    const struct stat d = statOf(pf.file(QStringLiteral("dst/Rose/description.rtf")));
    EXPECT_EQ(d.st_mode & 07777, 0444u);
    EXPECT_EQ(d.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(d.st_mtim.tv_nsec, 123456789);
    const struct stat e = statOf(pf.file(QStringLiteral("dst/Rose/empty.txt")));
    EXPECT_EQ(e.st_size, 0);
    EXPECT_EQ(e.st_mode & 07777, 0640u);
    EXPECT_EQ(e.st_mtim.tv_sec, 1100000000);
    // Without delete source nothing of the source went, at any depth.
    EXPECT_EQ(entriesBelow(pf.file(QStringLiteral("src"))).size(), 6);
    // No temporary files are left beside the copies.
    for (const QString& name : entriesBelow(pf.file(QStringLiteral("dst"))))
        EXPECT_FALSE(name.contains(QStringLiteral(".XXXXXX")) || name.contains(QStringLiteral("rtf.")));
}

TEST(CopyFolder, AMoveEmptiesTheSourceAndRemovesItsSubfoldersButNotTheTop)
{
    TempProgramFolder pf;
    RecordingSink sink;
    pf.write(QStringLiteral("g1/Cacti/plant.ini"), "[Main]\r\nCond=1\r\n");
    pf.write(QStringLiteral("g1/Cacti/Opuntia/plant.ini"), "[Main]\r\nCond=2\r\n");
    pf.write(QStringLiteral("g1/Cacti/Opuntia/deeper/x.jpg"), "x");
    pf.write(QStringLiteral("g1/Cacti/empty.rtf"), "");
    FileCopier copier(pf.path(), sink);
    ASSERT_TRUE(
        copier.copyTree(pf.file(QStringLiteral("g1/Cacti")), pf.file(QStringLiteral("g2/Cacti")), true));
    EXPECT_TRUE(pf.exists(QStringLiteral("g1/Cacti")));
    EXPECT_TRUE(entriesBelow(pf.file(QStringLiteral("g1/Cacti"))).isEmpty());
    EXPECT_EQ(pf.read(QStringLiteral("g2/Cacti/Opuntia/deeper/x.jpg")), QByteArray("x"));
    EXPECT_TRUE(pf.exists(QStringLiteral("g2/Cacti/empty.rtf")));

    // A copy into its own source is refused before anything happens.
    pf.write(QStringLiteral("g3/A/a.txt"), "a");
    EXPECT_FALSE(
        copier.copyTree(pf.file(QStringLiteral("g3/A")), pf.file(QStringLiteral("g3/A/inner")), true));
    EXPECT_EQ(pf.read(QStringLiteral("g3/A/a.txt")), QByteArray("a"));
}

TEST(CopyFolder, ConversionDrivesTheGaugeInBlocksAndRenamesOldPages)
{
    TempProgramFolder pf;
    RecordingSink sink;
    pf.write(QStringLiteral("plants/Rose/kultura.rtf"), QByteArray(250000, 'k'));
    pf.write(QStringLiteral("plants/Rose/Uhod.RTF"), "care");
    FileCopier copier(pf.path(), sink);
    copier.conversion = true;
    QList<int> maxima;
    QList<int> steps;
    QList<int> counters;
    copier.progress.gaugeMax = [&](int v) { maxima << v; };
    copier.progress.gaugeProgress = [&](int v) { steps << v; };
    copier.progress.counter = [&](int v) { counters << v; };
    ASSERT_TRUE(
        copier.copyTree(pf.file(QStringLiteral("plants")), pf.file(QStringLiteral("MyPlants/g")), false));
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/g/Rose/diary.rtf")).size(), 250000);
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/g/Rose/care.rtf")), QByteArray("care"));
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
    TempProgramFolder pf;
    pf.mkdir(QStringLiteral("small"));
    const QByteArray mountPoint = QFile::encodeName(pf.file(QStringLiteral("small")));
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    RecordingSink sink;
    pf.write(QStringLiteral("src/Rose/big.jpg"), QByteArray(1024 * 1024, 'b'));
    pf.write(QStringLiteral("small/Rose/big.jpg"), "old copy");
    FileCopier copier(pf.path(), sink);
    copier.copyTree(pf.file(QStringLiteral("src")), pf.file(QStringLiteral("small")), true);
    const QByteArray left = pf.read(QStringLiteral("small/Rose/big.jpg"));
    const QStringList leftovers = entriesBelow(pf.file(QStringLiteral("small/Rose")));
    ::umount(mountPoint.constData());

    EXPECT_TRUE(copier.copyAbort);
    EXPECT_EQ(copier.copyErrors, 1);
    ASSERT_EQ(sink.warnings.size(), 2);
    EXPECT_TRUE(sink.warnings[0].startsWith(QStringLiteral("Error 28 - ")));
    EXPECT_TRUE(
        sink.warnings[0].contains(QStringLiteral("\rargs: ") + pf.file(QStringLiteral("src/Rose/big.jpg"))));
    EXPECT_TRUE(sink.warnings[1].contains(QStringLiteral("Make more free space on a disk")));
    EXPECT_EQ(pf.read(QStringLiteral("src/Rose/big.jpg")).size(), 1024 * 1024); // source kept
    EXPECT_EQ(left, QByteArray("old copy"));                                    // old copy whole
    EXPECT_EQ(leftovers, QStringList({QStringLiteral("big.jpg")}));             // no partial file
    const QList<QByteArray> log = pf.read(QStringLiteral("errorlog.txt")).split('\n');
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].contains("((FCopyFile) args: infile: "));
}

TEST(CopyFolder, AShortWriteIsAFailedCopyAndTheSourceStays)
{
    TempProgramFolder pf;
    pf.write(QStringLiteral("src/A/big.jpg"), QByteArray(300000, 'b'));
    pf.write(QStringLiteral("src/A/small.txt"), "s");
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
        copier.copyTree(pf.file(QStringLiteral("src")), pf.file(QStringLiteral("dst")), true);
        ::_exit(copier.copyErrors * 10 + copier.filesCopied + (copier.copyAbort ? 100 : 0));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 11); // one failed, one copied, no abort (not a full disk)
    EXPECT_EQ(pf.read(QStringLiteral("src/A/big.jpg")).size(), 300000);
    EXPECT_FALSE(pf.exists(QStringLiteral("src/A/small.txt")));
    EXPECT_EQ(pf.read(QStringLiteral("dst/A/small.txt")), QByteArray("s"));
    EXPECT_FALSE(pf.exists(QStringLiteral("dst/A/big.jpg")));
    EXPECT_TRUE(pf.read(QStringLiteral("errorlog.txt")).contains("((FCopyFile) args: infile: "));
}

TEST(CopyFolder, AnUnwritableDestinationNeverCostsTheSource)
{
    TempProgramFolder pf;
    RecordingSink sink;
    pf.write(QStringLiteral("src/A/a.txt"), "a");
    pf.write(QStringLiteral("blocker"), "a file where a folder should be");
    FileCopier copier(pf.path(), sink);
    copier.copyTree(pf.file(QStringLiteral("src")), pf.file(QStringLiteral("blocker/inside")), true);
    EXPECT_EQ(copier.copyErrors, 1);
    EXPECT_EQ(pf.read(QStringLiteral("src/A/a.txt")), QByteArray("a"));
    EXPECT_EQ(sink.warnings.size(), 1);
}
