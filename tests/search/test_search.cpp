#include "../support/companion.h"
#include "../support/smalldisk.h"
#include "search/searchindex.h"
#include "searchcollection.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <utime.h>

#include <thread>

namespace {

using search::Hit;
using search::SearchIndex;

// "group\tnode\twhere" for each hit, as the companion prints them.
QStringList lines(SearchIndex& index, const char* typed, std::optional<int> cond = std::nullopt)
{
    search::Query q;
    q.words = searchtext::queryWords(u8(typed));
    q.cond = cond;
    QStringList out;
    for (const Hit& h : index.search(q))
        out << h.group + u'\t' + h.node() + u'\t' + h.where().join(u',');
    return out;
}

class Search : public testing::Test {
protected:
    void SetUp() override
    {
        layOutCollection(pf);
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    }
    TempProgramFolder pf;
    QTemporaryDir cache;
};

} // namespace

TEST_F(Search, FindsWordsByPrefixAndCaseOnlyWhereTheTreeShowsThem)
{
    SearchIndex index(pf.path());
    ASSERT_TRUE(index.usable()) << index.problem().toStdString();
    EXPECT_TRUE(index.cacheFile().startsWith(cache.path() + u8("/my-verdarium/")));
    ASSERT_TRUE(index.update());
    // Prefix, case, a word split by bold, in group order then tree order, the notes group last;
    // never the removed plant or the template (the companion's test below prints "ПОЛИВ").
    EXPECT_EQ(lines(index, "поливать"),
              QStringList({u8("Roses\tTea\tdescription"), u8("!Notes\tMain\tdescription")}));
    // Every word in the same node, wherever it stands; Latin too.
    EXPECT_EQ(lines(index, "tea fungi TOP"), QStringList({u8("Roses\tTea\tname,description")}));
    EXPECT_EQ(lines(index, "fungi aloe"), QStringList());
    // "ё" and "е" are one letter, both ways.
    EXPECT_EQ(lines(index, "елоч"), QStringList({u8("Roses\tTea\tcare")}));
    EXPECT_EQ(lines(index, "ЁЛОЧКОЙ"), QStringList({u8("Roses\tTea\tcare")}));
    // Photo comments, inside a folder, with the mark filter; the filter alone lists the marked.
    EXPECT_EQ(lines(index, "пятн", 5), QStringList({u8("Roses\tClimbers/Rambler\tcomments")}));
    EXPECT_EQ(lines(index, "пятн", 2), QStringList());
    EXPECT_EQ(lines(index, "", 2), QStringList({u8("Roses\tTea\t")}));
    // Quotes, operators and '*' are no syntax: they only separate words.
    EXPECT_EQ(lines(index, "\"полив*\" AND (NEAR"), QStringList());
    EXPECT_EQ(lines(index, "\"полив*\""), lines(index, "полив"));
    EXPECT_EQ(lines(index, "* \" ( ) : ^ -"), QStringList());
    // A piece of text around the match, the words marked.
    search::Query q;
    q.words = searchtext::queryWords(u8("полив"));
    std::vector<Hit> hits = index.search(q);
    index.describe(&hits[0], q.words);
    EXPECT_EQ(hits[0].shownField, search::Description);
    ASSERT_FALSE(hits[0].snippet.marks.empty());
    EXPECT_EQ(hits[0].snippet.text.mid(hits[0].snippet.marks[0].start, 5), u8("Полив"));
}

TEST_F(Search, FollowsChangesMadeOutsideAndSurvivesALostOrDamagedCache)
{
    {
        SearchIndex index(pf.path());
        ASSERT_TRUE(index.update());
        EXPECT_EQ(lines(index, "полив").size(), 3);
        // A word processor rewrites a page in place, and a plant is copied in by hand.
        pf.write(u8("MyPlants/Cacti/Aloe/care.rtf"), rtfPage("Подкормка раз в месяц."));
        pf.writeRecord(u8("MyPlants/Cacti/Agave/plant.ini"), u8("[Main]\nCond=0\n"));
        pf.write(u8("MyPlants/Cacti/Agave/diary.rtf"), rtfPage("Подкормил"));
        // The Tea plant is removed by renaming.
        QDir().rename(pf.file(u8("MyPlants/Roses/Tea")), pf.file(u8("MyPlants/Roses/!deleted_Tea_5")));
        ASSERT_TRUE(index.update());
        EXPECT_EQ(lines(index, "подкорм"), QStringList({u8("Cacti\tAgave\tdiary"), u8("Cacti\tAloe\tcare")}));
        EXPECT_EQ(lines(index, "полив"), QStringList({u8("!Notes\tMain\tdescription")}));
        // Same size, only the time differs: still read again.
        pf.write(u8("MyPlants/Cacti/Aloe/care.rtf"), rtfPage("Подкормка раз в неделю"));
        const QByteArray path = QFile::encodeName(pf.file(u8("MyPlants/Cacti/Aloe/care.rtf")));
        const utimbuf later{2000000000, 2000000000};
        ::utime(path.constData(), &later);
        ASSERT_TRUE(index.update());
        EXPECT_EQ(lines(index, "недел"), QStringList({u8("Cacti\tAloe\tcare")}));
    }
    const QString file = SearchIndex::cacheFileFor(pf.path());
    // Deleted between searches: made again.
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(file + QString::fromLatin1(suffix));
    {
        SearchIndex index(pf.path());
        ASSERT_TRUE(index.update());
        EXPECT_EQ(lines(index, "подкорм").size(), 2);
    }
    // Damaged: not a database at all, then a database header over garbage.
    for (const QByteArray& junk : {QByteArray(5000, 'x'), QByteArray(QByteArray("SQLite format 3\0", 16) +
                                                                     QByteArray(8000, '\x7f'))}) {
        for (const char* suffix : {"-wal", "-shm"})
            QFile::remove(file + QString::fromLatin1(suffix));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(junk);
        f.close();
        SearchIndex index(pf.path());
        index.update();
        EXPECT_EQ(lines(index, "подкорм").size(), 2);
        EXPECT_EQ(lines(index, "полив").size(), 1);
    }
    // A cache that cannot be kept (its folder would be inside a file): the files are read.
    pf.write(u8("notafolder"), "x");
    SearchIndex nowhere(pf.path(), pf.file(u8("notafolder/cache.sqlite")));
    EXPECT_FALSE(nowhere.usable());
    EXPECT_FALSE(nowhere.update());
    EXPECT_EQ(lines(nowhere, "подкорм"), QStringList({u8("Cacti\tAgave\tdiary"), u8("Cacti\tAloe\tcare")}));
}

// Folders that did not change are not listed again; what changed in them or around them is still found.
TEST_F(Search, FoldersStillSinceTheLastSearchAreNotListedYetChangesAreFound)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the folders have been still a moment
    SearchIndex index(pf.path());
    ASSERT_TRUE(index.update());
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(index.cacheFile()).constData(), &db, SQLITE_OPEN_READONLY,
                                  nullptr),
                  SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT count(*) FROM listings", -1, &st, nullptr);
        ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
        EXPECT_GT(sqlite3_column_int(st, 0), 5);
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    // The folders a window watches: the groups', an empty one's too, and the nodes'.
    pf.writeRecord(u8("MyPlants/Empty/group.ini"), u8("[Group]\nImageOrder=9\n"));
    std::vector<QByteArray> folders;
    search::walkCollection(pf.path(), {}, nullptr, &folders);
    for (const char* f : {"MyPlants", "MyPlants/Empty", "MyPlants/Cacti", "MyPlants/Cacti/Aloe"})
        EXPECT_NE(std::find(folders.begin(), folders.end(), QFile::encodeName(pf.file(u8(f)))), folders.end()) << f;
    // A page rewritten in place: its folder does not change.
    QFile page(pf.file(u8("MyPlants/Cacti/Aloe/care.rtf")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
    page.write(rtfPage("Опрыскивать утром."));
    page.close();
    ASSERT_TRUE(index.update());
    EXPECT_EQ(lines(index, "опрыск"), QStringList({u8("Cacti\tAloe\tcare")}));
    // A folder renamed, and a plant copied in by hand keeping its old times (cp -a).
    ASSERT_TRUE(QDir().rename(pf.file(u8("MyPlants/Cacti/Aloe")), pf.file(u8("MyPlants/Cacti/Aloe vera"))));
    pf.writeRecord(u8("elsewhere/Haworthia/plant.ini"), u8("[Main]\nCond=0\n"));
    pf.write(u8("elsewhere/Haworthia/diary.rtf"), rtfPage("Пересадил в кору"));
    const utimbuf old{1000000000, 1000000000};
    for (const char* f : {"elsewhere/Haworthia/diary.rtf", "elsewhere/Haworthia/plant.ini", "elsewhere/Haworthia"})
        ::utime(QFile::encodeName(pf.file(u8(f))).constData(), &old);
    ASSERT_TRUE(QDir().rename(pf.file(u8("elsewhere/Haworthia")), pf.file(u8("MyPlants/Cacti/Haworthia"))));
    ASSERT_TRUE(index.update());
    EXPECT_EQ(lines(index, "опрыск"), QStringList({u8("Cacti\tAloe vera\tcare")}));
    EXPECT_EQ(lines(index, "кору"), QStringList({u8("Cacti\tHaworthia\tdiary")}));
    // A page added while the clock stood where it stood before (the folder's time put back): the
    // folder's change time still tells.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(index.update());
    const QByteArray folder = QFile::encodeName(pf.file(u8("MyPlants/Cacti/Haworthia")));
    struct stat before {};
    ASSERT_EQ(::stat(folder.constData(), &before), 0);
    pf.write(u8("MyPlants/Cacti/Haworthia/care.rtf"), rtfPage("Без полива зимой"));
    const timespec back[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, folder.constData(), back, 0), 0);
    ASSERT_TRUE(index.update());
    EXPECT_EQ(lines(index, "зимой"), QStringList({u8("Cacti\tHaworthia\tcare")}));
}

TEST_F(Search, AFullOrReadOnlyCacheFolderLeavesTheSearchToTheFiles)
{
    SmallDisk disk(160);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why().toStdString();
    // Pages large enough that their words do not fit the disk's room.
    for (int i = 0; i < 40; ++i) {
        QByteArray words;
        for (int w = 0; w < 400; ++w)
            words += "word" + QByteArray::number(i * 1000 + w) + ' ';
        pf.write(u8("MyPlants/Cacti/Big %1/description.rtf").arg(i), "{\\rtf1 " + words + "\\par}");
        pf.writeRecord(u8("MyPlants/Cacti/Big %1/plant.ini").arg(i), u8("[Main]\nCond=0\n"));
    }
    {
        SearchIndex full(pf.path(), disk.path() + u8("cache.sqlite"));
        full.update();
        EXPECT_FALSE(full.usable());
        EXPECT_EQ(lines(full, "word39399"), QStringList({u8("Cacti\tBig 39\tdescription")}));
        EXPECT_EQ(lines(full, "полив").size(), 3);
    }
    ASSERT_TRUE(disk.makeReadOnly());
    SearchIndex readOnly(pf.path(), disk.path() + u8("other.sqlite"));
    EXPECT_FALSE(readOnly.update());
    EXPECT_EQ(lines(readOnly, "word0 word1"), QStringList({u8("Cacti\tBig 0\tdescription")}));
}

TEST(SearchText, PagesInOtherCodePagesDamagedOrWithHiddenParts)
{
    using searchtext::fromPage;
    // Unicode escapes with their fallback skipped, a font in another code page, hidden destinations.
    EXPECT_EQ(fromPage("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset161 Greek;}}"
                       "{\\*\\generator Riched20;}{\\info{\\title Secret}}Caf\\'e9 \\uc2\\u1105\\'b8\\'b8lka "
                       "{\\f1 \\'e1\\'e2}{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}\\par}"),
              u8("Café ёlka αβlink\n"));
    // Damaged: cut short, a broken escape, unbalanced groups; what can be read is there.
    EXPECT_EQ(fromPage("{\\rtf1 Aloe \\'zz}} vera {\\b plant"), u8("Aloe zz vera plant"));
    // Not RTF at all: UTF-8 text, else Windows-1251.
    EXPECT_EQ(fromPage("Ёлка"), u8("Ёлка"));
    EXPECT_EQ(fromPage("\xa8\xeb\xea\xe0"), u8("Ёлка"));
    EXPECT_EQ(searchtext::queryWords(u8("  \"ЁЛКА\" OR палк* (ёлка)")),
              QStringList({u8("елка"), u8("or"), u8("палк")}));
}

TEST_F(Search, CompanionPrintsOneLinePerNode)
{
    const Companion cli;
    CliOutcome r = cli({u8("search"), pf.path(), u8("ПОЛИВ")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u8("Roses\tTea\tdescription\nCacti\tAloe\tcare\n!Notes\tMain\tdescription\n"));
    r = cli({u8("search"), pf.path(), u8("пятна"), u8("листь")});
    EXPECT_EQ(r.out, u8("Roses\tClimbers/Rambler\tcomments\n"));
    r = cli({u8("search"), pf.path(), u8("нет-такого")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty());
    r = cli({u8("search"), pf.path(), u8("\"*\"")});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.isEmpty());
    EXPECT_EQ(cli({u8("search"), pf.path()}).code, 2);

    // The index holds every word of every page: it is the user's alone, whatever the umask.
    const QDir cacheDir(cache.path() + u8("/my-verdarium"));
    ASSERT_TRUE(cacheDir.exists());
    EXPECT_EQ(QFileInfo(cacheDir.path()).permissions() & 0x0077, 0) << "folder readable by others";
    const QFileInfoList made = cacheDir.entryInfoList(QDir::Files | QDir::Hidden);
    ASSERT_FALSE(made.isEmpty());
    for (const QFileInfo& f : made)
        EXPECT_EQ(f.permissions() &
                      (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                  0)
            << f.fileName().toStdString();
}
