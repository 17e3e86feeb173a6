#include "../support/tempprogramfolder.h"
#include "../support/typing.h"
#include "../support/windowevents.h"
#include "editor/editor.h"
#include "rtf/rtfreader.h"

#include <QStatusBar>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

void layOutPlants(const TempProgramFolder& pf, const QString& plant, const QByteArray& page)
{
    pf.writeRecord(QStringLiteral("MyPlants/Roses/group.ini"), QStringLiteral("[Group]\nImageOrder=1\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/Abc/plant.ini"), QStringLiteral("[Main]\nCond=0\n"));
    pf.writeRecord(QStringLiteral("MyPlants/Roses/") + plant + QStringLiteral("/plant.ini"),
                   QStringLiteral("[Main]\nCond=1\n"));
    pf.write(QStringLiteral("MyPlants/Roses/") + plant + QStringLiteral("/description.rtf"), page);
    pf.writeRecord(QStringLiteral("main.ini"), QStringLiteral("[Options]\nLastGroup=Roses\n"));
}

} // namespace

// A long diary shows its first entries at once, read-only, while the rest is read; then the whole page
// is there to edit, and a save after typing writes every entry, never the first look.
TEST(Opening, ALongPageShowsItsBeginningFirstAndIsSavedWhole)
{
    TempProgramFolder pf;
    QByteArray diary = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\r\n";
    for (int i = 0; i < 45000; ++i)
        diary += "\\pard\\plain{\\b " + QByteArray::number(i) +
                 ".05} watered and fed, one new leaf; turned a little more to the light today.\\par\r\n";
    diary += "\\pard Last entry\\par}";
    ASSERT_GE(diary.size(), PageEditor::kFirstLookBytes);
    layOutPlants(pf, QStringLiteral("Long"), diary);
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    clickNode(form, QStringLiteral("Abc"));

    struct {
        int told = 0, blocks = 0;
        bool readOnly = false;
        QString status;
    } whileReading;
    QObject::connect(form.Editor, &PageEditor::loadProgress, [&](int percent) {
        if (percent < 0 || whileReading.told++ > 0)
            return;
        whileReading.blocks = form.Editor->document()->blockCount();
        whileReading.readOnly = form.Editor->isReadOnly();
        whileReading.status = form.StatusBar->currentMessage();
    });
    clickNode(form, QStringLiteral("Long"));
    ASSERT_GT(whileReading.told, 0);
    EXPECT_TRUE(whileReading.readOnly);
    EXPECT_GT(whileReading.blocks, 100);
    EXPECT_LT(whileReading.blocks, 1000);
    EXPECT_TRUE(whileReading.status.startsWith(QStringLiteral("Opening the page: ")))
        << whileReading.status.toStdString();

    EXPECT_EQ(form.Editor->document()->blockCount(), 45001);
    EXPECT_FALSE(form.Editor->isReadOnly());
    EXPECT_FALSE(form.Editor->document()->isModified());
    EXPECT_TRUE(form.StatusBar->currentMessage().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    typeText(form.Editor, QStringLiteral("X"));
    clickNode(form, QStringLiteral("Abc"));
    QTextDocument saved;
    RtfReader::read(pf.read(QStringLiteral("MyPlants/Roses/Long/description.rtf")), &saved);
    EXPECT_EQ(saved.blockCount(), 45001);
    EXPECT_TRUE(saved.begin().text().startsWith(QStringLiteral("X0.05 watered")));
    EXPECT_EQ(saved.lastBlock().text(), QStringLiteral("Last entry"));
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.said();
}

// A page with parts shown only as their text keeps the file as it came beside it before anything can
// be saved over it, and the keeper is told once, not on every visit.
TEST(Opening, APageShownPartlyAsTextKeepsItsOriginalAndSaysSoOnce)
{
    TempProgramFolder pf;
    const QByteArray page = "{\\rtf1 Pot {\\object\\objemb{\\*\\objclass Excel.Sheet}{\\*\\objdata "
                            "0102}{\\result Sheet}} list\\par}";
    layOutPlants(pf, QStringLiteral("Word"), page);
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    clickNode(form, QStringLiteral("Word"));
    ASSERT_EQ(sink.warnings.size(), 1) << sink.said();
    EXPECT_TRUE(sink.warnings[0].contains(QStringLiteral("objects from other programs")));
    EXPECT_TRUE(sink.warnings[0].contains(QStringLiteral("description.rtf.original")));
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Word/description.rtf.original")), page);

    form.Editor->moveCursor(QTextCursor::End);
    typeText(form.Editor, QStringLiteral(" more"));
    clickNode(form, QStringLiteral("Abc"));
    clickNode(form, QStringLiteral("Word"));
    EXPECT_EQ(sink.warnings.size(), 1) << sink.said();
    EXPECT_EQ(pf.read(QStringLiteral("MyPlants/Roses/Word/description.rtf.original")), page);
    EXPECT_EQ(form.Editor->toPlainText(), QStringLiteral("Pot Sheet list more"));
}
