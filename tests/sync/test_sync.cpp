// One collection on two computers: pages changed by another program while the window shows them,
// and the conflict copies sync engines leave.
#include "../support/companion.h"
#include "../support/exifjpeg.h"
#include "../support/windowevents.h"
#include "history/versions.h"
#include "sync/conflicts.h"
#include "sync/conflictsdialog.h"

#include <QTreeWidget>

#include <QThread>

using namespace Qt::StringLiterals;

namespace {

QString textOf(const QString& path)
{
    QTextDocument d;
    pagefile::load(path, &d);
    return d.toPlainText().trimmed();
}

QStringList versionTexts(const QString& page)
{
    QStringList texts;
    for (const versions::Version& v : versions::list(page))
        texts << textOf(v.path);
    return texts;
}

// Another program writes the file: a new inode, as editors and sync engines write.
void writeOutside(const TempProgramFolder& pf, const QString& relative, const QByteArray& bytes)
{
    QThread::msleep(20);
    pf.write(relative + u".tmp"_s, bytes);
    ASSERT_TRUE(QFile::remove(pf.file(relative)));
    ASSERT_TRUE(QFile::rename(pf.file(relative + u".tmp"_s), pf.file(relative)));
}

} // namespace

// A page rewritten outside while it is on show: unchanged here, it is shown anew; with edits, moving
// on asks which text stays, and the other is in the page's history either way.
TEST(OutsideChanges, ThePageAsksWhichTextStaysAndBothSurvive)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=2"_s, u"Roses/Ficus=2"_s});
    const QString tea = u"MyPlants/Roses/Tea/description.rtf"_s;
    pf.write(tea, "{\\rtf1 First text\\par}");
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    clickNode(form, u"Tea"_s);
    ASSERT_EQ(form.Editor->toPlainText().trimmed(), u"First text"_s);

    writeOutside(pf, tea, "{\\rtf1 Synced text\\par}");
    QTRY_COMPARE_WITH_TIMEOUT(form.Editor->toPlainText().trimmed(), u"Synced text"_s, 5000);
    EXPECT_TRUE(sink.questions.isEmpty());

    // Typed here while another program wrote it: the user keeps the typed text.
    QTest::mouseClick(form.Editor->viewport(), Qt::LeftButton);
    typeText(form.Editor, u"Mine "_s);
    writeOutside(pf, tea, "{\\rtf1 Outside text\\par}");
    sink.answer = true;
    clickNode(form, u"Ficus"_s);
    ASSERT_EQ(sink.questions.size(), 1) << sink.said();
    EXPECT_TRUE(sink.questions[0].contains(u"changed by another program"_s));
    EXPECT_TRUE(textOf(pf.file(tea)).contains(u"Mine"_s)) << textOf(pf.file(tea)).toStdString();
    EXPECT_TRUE(versionTexts(pf.file(tea)).contains(u"Outside text"_s));

    // Again, and the other text is chosen: the typed one goes to the history.
    clickNode(form, u"Tea"_s);
    QTest::mouseClick(form.Editor->viewport(), Qt::LeftButton);
    typeText(form.Editor, u"Second "_s);
    writeOutside(pf, tea, "{\\rtf1 Other computer\\par}");
    sink.answer = false;
    clickNode(form, u"Ficus"_s);
    ASSERT_EQ(sink.questions.size(), 2) << sink.said();
    EXPECT_EQ(textOf(pf.file(tea)), u"Other computer"_s);
    const QStringList kept = versionTexts(pf.file(tea));
    EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [](const QString& t) {
        return t.contains(u"Second"_s);
    })) << kept.join(u" | ").toStdString();
    EXPECT_TRUE(kept.contains(u"Outside text"_s)) << "a later save never replaces a text kept this way";

    // Plants made and renamed by another program show in the tree; the plant on show stays selected.
    pf.writeRecord(u"MyPlants/Roses/Palm/plant.ini"_s, u"[Main]\nCond=2\n"_s);
    QTRY_VERIFY_WITH_TIMEOUT(item(form.TreeView1, u"Palm"_s) != nullptr, 5000);
    ASSERT_TRUE(QFile::rename(pf.file(u"MyPlants/Roses/Tea"_s), pf.file(u"MyPlants/Roses/Green tea"_s)));
    QTRY_VERIFY_WITH_TIMEOUT(item(form.TreeView1, u"Green tea"_s) != nullptr, 5000);
    EXPECT_EQ(item(form.TreeView1, u"Tea"_s), nullptr);
    EXPECT_EQ(form.TreeView1->currentItem()->text(0), u"Ficus"_s);
    form.close();
}

// Conflict copies of every engine are found beside pages, records and comments; resolving keeps
// one text as the file and the other in the history or the trash.
TEST(Conflicts, FoundAndResolvedWithoutLosingEitherText)
{
    TempProgramFolder pf;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(pf.file(u"xdg"_s)));
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=2"_s, u"Roses/Shrubs=1"_s, u"Roses/Shrubs/Rosa=2"_s});
    pf.write(u"MyPlants/Roses/Tea/care.rtf"_s, "{\\rtf1 Care here\\par}");
    pf.write(u"MyPlants/Roses/Tea/care.sync-conflict-20261207-120000-ABCDEFG.rtf"_s,
             "{\\rtf1 Care there\\par}");
    pf.write(u"MyPlants/Roses/Shrubs/Rosa/diary (conflicted copy 2026-12-07 120000).rtf"_s,
             "{\\rtf1 D\\par}");
    pf.write(u"MyPlants/Roses/Shrubs/Rosa/diary.rtf"_s, "{\\rtf1 Diary\\par}");
    pf.write(u"MyPlants/Roses/Tea/plant (laptop's conflicted copy 2026-12-07).ini"_s, "[Main]\r\nCond=5\r\n");
    pf.write(u"MyPlants/Roses/Tea/p1.jpg"_s, "jpeg");
    pf.write(u"MyPlants/Roses/Tea/p1.jpg.txt"_s, "here");
    pf.write(u"MyPlants/Roses/Tea/p1.jpg.sync-conflict-20261207-120000-ABCDEFG.txt"_s, "there");
    pf.write(u"MyPlants/Roses/Tea/notes.sync-conflict-20261207-120000-ABCDEFG.txt"_s, "not ours");
    pf.write(u"MyPlants/Roses/Tea/description.rtf.sync-conflict"_s, "not a conflict copy's name");
    Companion cli;
    CliOutcome r = cli({u"conflicts"_s, pf.path()});
    EXPECT_EQ(r.out, u"Roses\tShrubs/Rosa\tdiary\tdiary (conflicted copy 2026-12-07 120000).rtf\n"
                     u"Roses\tTea\tcare\tcare.sync-conflict-20261207-120000-ABCDEFG.rtf\n"
                     u"Roses\tTea\tcomment p1.jpg\tp1.jpg.sync-conflict-20261207-120000-ABCDEFG.txt\n"
                     u"Roses\tTea\trecord\tplant (laptop's conflicted copy 2026-12-07).ini\n"_s);

    // Search finds the words of conflict copies too, and says where.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(pf.file(u"cache"_s)));
    r = cli({u"search"_s, pf.path(), u"there"_s});
    EXPECT_EQ(r.out, u"Roses\tTea\tconflict\n"_s) << r.err.toStdString();

    const QString care = pf.file(u"MyPlants/Roses/Tea/care.rtf"_s);
    r = cli({u"resolve"_s, pf.path(), u"Roses"_s, u"Tea"_s,
             u"care.sync-conflict-20261207-120000-ABCDEFG.rtf"_s, u"--keep"_s, u"copy"_s});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(textOf(care), u"Care there"_s);
    EXPECT_EQ(versionTexts(care), QStringList{u"Care here"_s});
    r = cli({u"resolve"_s, pf.path(), u"Roses"_s, u"Tea"_s,
             u"plant (laptop's conflicted copy 2026-12-07).ini"_s, u"--keep"_s, u"page"_s});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(pf.number(u"MyPlants/Roses/Tea/plant.ini"_s, u"Main", u"Cond"), 2);
    EXPECT_EQ(pf.read(u"xdg/Trash/files/plant (laptop's conflicted copy 2026-12-07).ini"_s),
              "[Main]\r\nCond=5\r\n");
    r = cli({u"resolve"_s, pf.path(), u"Roses"_s, u"Tea"_s,
             u"p1.jpg.sync-conflict-20261207-120000-ABCDEFG.txt"_s, u"--keep"_s, u"copy"_s});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/p1.jpg.txt"_s), "there");
    EXPECT_EQ(pf.read(u"xdg/Trash/files/p1.jpg.txt"_s), "here");
    EXPECT_EQ(
        cli({u"resolve"_s, pf.path(), u"Roses"_s, u"Tea"_s, u"nothing.rtf"_s, u"--keep"_s, u"page"_s}).code,
        1);
    EXPECT_EQ(cli({u"conflicts"_s, pf.path()}).out.count(u'\n'), 1);
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/notes.sync-conflict-20261207-120000-ABCDEFG.txt"_s), "not ours");
    qputenv("XDG_DATA_HOME", dataHome);
}

// File > Conflicts...: the node is marked in the tree, both texts show side by side, and "Keep this
// one" under the copy makes it the page; the page's text goes to its history.
TEST(Conflicts, TheWindowShowsBothTextsAndKeepsTheOneChosen)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=2"_s, u"Roses/Ficus=2"_s});
    pf.write(u"MyPlants/Roses/Tea/care.rtf"_s, "{\\rtf1 Water on Mondays, from the desktop.\\par}");
    pf.write(u"MyPlants/Roses/Tea/care.sync-conflict-20261207-120000-ABCDEFG.rtf"_s,
             "{\\rtf1 Water on Mondays and Thursdays, from the laptop.\\par}");
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    EXPECT_TRUE(item(form.TreeView1, u"Tea"_s)->font(0).italic());
    EXPECT_FALSE(item(form.TreeView1, u"Ficus"_s)->font(0).italic());
    whenModal<ConflictsDialog>([](ConflictsDialog* d) {
        ASSERT_EQ(d->ConflictList->topLevelItemCount(), 1);
        EXPECT_TRUE(d->PageText->toPlainText().contains(u"desktop"_s));
        EXPECT_TRUE(d->CopyText->toPlainText().contains(u"laptop"_s));
        shoot(d, "conflicts.png");
        QTest::mouseClick(d->KeepCopyButton, Qt::LeftButton);
        EXPECT_EQ(d->ConflictList->topLevelItemCount(), 0);
        QTest::mouseClick(d->CloseButton, Qt::LeftButton);
    });
    menuBarItem(form, "File1", "ConflictsItem");
    const QString care = pf.file(u"MyPlants/Roses/Tea/care.rtf"_s);
    EXPECT_TRUE(textOf(care).contains(u"laptop"_s));
    EXPECT_TRUE(versionTexts(care).join(u' ').contains(u"desktop"_s));
    EXPECT_FALSE(item(form.TreeView1, u"Tea"_s)->font(0).italic());
    form.close();
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.said();
}

// A photo's comment changed by another program while it is shown: typing asks which text stays, and
// the other goes to the trash.
TEST(OutsideChanges, ACommentChangedOutsideIsNotOverwrittenWithoutAWord)
{
    TempProgramFolder pf;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(pf.file(u"xdg"_s)));
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=2"_s});
    pf.write(u"MyPlants/Roses/Tea/p1.jpg"_s, exifjpeg::plainJpeg(32, 24, Qt::red));
    pf.write(u"MyPlants/Roses/Tea/p1.jpg.txt"_s, "first");
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    clickNode(form, u"Tea"_s);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    writeOutside(pf, u"MyPlants/Roses/Tea/p1.jpg.txt"_s, "from the laptop");
    sink.answer = true;
    QTest::keyClicks(form.Panel6->Memo1, u"!"_s);
    ASSERT_EQ(sink.questions.size(), 1) << sink.said();
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/p1.jpg.txt"_s), "first!");
    EXPECT_EQ(pf.read(u"xdg/Trash/files/p1.jpg.txt"_s), "from the laptop");
    QTest::keyClicks(form.Panel6->Memo1, u"?"_s);
    EXPECT_EQ(sink.questions.size(), 1) << "its own saves are no change from outside";
    form.close();
    qputenv("XDG_DATA_HOME", dataHome);
}
