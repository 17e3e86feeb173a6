// Where the window meets what it did not make: keys in the tree, pictures on the clipboard, links,
// plain-text pages, undo after opening, photos it cannot show.
#include "../support/windowevents.h"
#include "rtf/rtfreader.h"
#include "platform/sysio.h"

#include <QBuffer>
#include <QTextBlock>
#include <QTextDocument>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

QByteArray pngPage(const char* before, QColor colour)
{
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    image.save(&buf, "PNG");
    return QByteArray("{\\rtf1\\ansi ") + before + " {\\pict\\pngblip\\picw6\\pich4 " + png.toHex() +
           "}\\par}";
}

// The pictures of a page file as its reader sees them: their shown widths.
QList<int> pictureWidths(const QByteArray& rtf)
{
    QTextDocument d;
    RtfReader::read(rtf, &d);
    QList<int> widths;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat() &&
                !it.fragment().charFormat().hasProperty(rtfprop::kRawPicture))
                widths << static_cast<int>(it.fragment().charFormat().toImageFormat().width());
    return widths;
}

struct Edges {
    Edges()
    {
        pf.layOut({u"Roses"_s},
                  {u"Roses/Shrubs=1"_s, u"Roses/Shrubs/Rosa=0"_s, u"Roses/Ficus=0"_s, u"Roses/Tea=0"_s});
        pf.write(u"MyPlants/Roses/Ficus/description.rtf"_s, pngPage("Leaf", Qt::green));
        pf.write(u"MyPlants/Roses/Tea/description.rtf"_s, "Watering on Mondays");
        pf.write(
            u"MyPlants/Roses/Shrubs/Rosa/description.rtf"_s,
            "{\\rtf1 See {\\field{\\*\\fldinst HYPERLINK \"https://example.org\"}{\\fldrslt site}}\\par}");
    }
    TempProgramFolder pf;
    RecordingSink sink;
};

} // namespace

// A click leaves the keyboard in the tree, and Delete there follows the tree menu's rules.
TEST(Edges, DeleteInTheTreeFollowsTheMenusRules)
{
    Edges e;
    ShownForm form(e.pf.path(), &e.sink);
    clickNode(form, u"Shrubs"_s);
    ASSERT_EQ(QApplication::focusWidget(), form.TreeView1);
    QTest::keyClick(form.TreeView1, Qt::Key_Delete);
    EXPECT_TRUE(e.sink.questions.isEmpty()) << "a folder that holds plants is not offered for removal";
    EXPECT_TRUE(e.pf.exists(u"MyPlants/Roses/Shrubs/Rosa/plant.ini"_s));

    clickNode(form, u"Tea"_s);
    e.sink.answer = false;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    ASSERT_EQ(e.sink.questions.size(), 1);
    EXPECT_TRUE(e.pf.exists(u"MyPlants/Roses/Tea/plant.ini"_s));
    form.close();
    EXPECT_EQ(e.pf.read(u"MyPlants/Roses/Tea/description.rtf"_s), "Watering on Mondays")
        << "the page was not typed on";
}

// A picture copied on one page and pasted into another arrives whole; opening a page leaves nothing
// to undo, so its pictures never lose their size.
TEST(Edges, PicturesTravelOnTheClipboardAndUndoAfterOpeningTakesNothing)
{
    Edges e;
    ShownForm form(e.pf.path(), &e.sink);
    clickNode(form, u"Ficus"_s);
    QTest::mouseClick(form.Editor->viewport(), Qt::LeftButton);
    QTest::keyClick(form.Editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(form.Editor->document()->isModified());
    QTest::keyClick(form.Editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form.Editor, Qt::Key_C, Qt::ControlModifier);

    clickNode(form, u"Rosa"_s);
    QTest::mouseClick(form.Editor->viewport(), Qt::LeftButton);
    QTest::keyClick(form.Editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(form.Editor, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(pictureWidths(e.pf.read(u"MyPlants/Roses/Shrubs/Rosa/description.rtf"_s)), QList<int>{6});

    clickNode(form, u"Ficus"_s);
    QTest::mouseClick(form.Editor->viewport(), Qt::LeftButton);
    QTest::keyClick(form.Editor, Qt::Key_Z, Qt::ControlModifier);
    typeText(form.Editor, u"x"_s);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    const QByteArray ficus = e.pf.read(u"MyPlants/Roses/Ficus/description.rtf"_s);
    EXPECT_TRUE(ficus.contains("\\picw6\\pich4")) << ficus.constData();
    EXPECT_EQ(pictureWidths(ficus), QList<int>{6});
    form.close();
    EXPECT_TRUE(e.sink.warnings.isEmpty()) << e.sink.said();
}

// Text typed right after a link is the page's own; a page another program wrote as plain text is
// saved as RTF with its formatting.
TEST(Edges, TypingAfterALinkAndFormattingAPlainTextPage)
{
    Edges e;
    ShownForm form(e.pf.path(), &e.sink);
    clickNode(form, u"Rosa"_s);
    QTest::mouseClick(form.Editor->viewport(), Qt::LeftButton);
    // Alt with a letter no menu of this language has is not typed into the page.
    QTest::keyClick(form.Editor, Qt::Key_Q, Qt::AltModifier);
    EXPECT_FALSE(form.Editor->document()->isModified());
    QTest::keyClick(form.Editor, Qt::Key_End);
    typeText(form.Editor, u" now"_s);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    QTextDocument rosa;
    RtfReader::read(e.pf.read(u"MyPlants/Roses/Shrubs/Rosa/description.rtf"_s), &rosa);
    QStringList linked;
    for (auto it = rosa.begin().begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isAnchor())
            linked << it.fragment().text();
    EXPECT_EQ(linked, QStringList{u"site"_s});
    EXPECT_EQ(rosa.toPlainText(), u"See site now"_s);

    clickNode(form, u"Tea"_s);
    QTest::mouseClick(form.Editor->viewport(), Qt::LeftButton);
    QTest::keyClick(form.Editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form.Editor, Qt::Key_B, Qt::ControlModifier);
    QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
    const QByteArray tea = e.pf.read(u"MyPlants/Roses/Tea/description.rtf"_s);
    EXPECT_TRUE(tea.startsWith("{\\rtf") && tea.contains("\\b") && tea.contains("Watering on Mondays"))
        << tea.constData();
    EXPECT_TRUE(e.sink.questions.isEmpty()) << e.sink.said();
    form.close();
}

// A text file opened from elsewhere stays text, but not without asking when formatting would go.
TEST(Edges, FormattingATextFileAsksFirst)
{
    Edges e;
    e.pf.write(u"list.txt"_s, "Watering list\n");
    e.pf.write(u"other.txt"_s, "Other list\n");
    for (const bool rtf : {false, true}) {
        e.sink.answer = rtf;
        e.sink.questions.clear();
        const QString file = rtf ? u"other.txt"_s : u"list.txt"_s;
        ShownForm form(e.pf.path(), &e.sink, {e.pf.file(file)});
        QApplication::processEvents();
        QTest::mouseClick(form.Editor->viewport(), Qt::LeftButton);
        QTest::keyClick(form.Editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(form.Editor, Qt::Key_B, Qt::ControlModifier);
        QTest::keyClick(form.Editor, Qt::Key_S, Qt::ControlModifier);
        ASSERT_EQ(e.sink.questions.size(), 1) << e.sink.said();
        EXPECT_TRUE(e.sink.questions[0].contains(file));
        const QByteArray saved = e.pf.read(file);
        if (rtf)
            EXPECT_TRUE(saved.startsWith("{\\rtf") && saved.contains("\\b")) << saved.constData();
        else
            EXPECT_EQ(saved, "Watering list\n");
        form.close();
    }
}

// Any photo of the album can be deleted, also one that cannot be shown; a photo and its comment go
// to the trash together or not at all, and the message says what happened.
TEST(Edges, PhotosGoToTheTrashWithTheirCommentsOrStay)
{
    Edges e;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(e.pf.file(u"xdg"_s)));
    e.pf.write(u"MyPlants/Roses/Tea/a.jpg"_s, "not a picture at all");
    e.pf.write(u"MyPlants/Roses/Tea/a.jpg.txt"_s, "broken one");
    e.pf.write(u"MyPlants/Roses/Tea/b.jpg"_s, "not a picture either");
    e.pf.write(u"MyPlants/Roses/Tea/b.jpg.txt"_s, "second");
    ShownForm form(e.pf.path(), &e.sink);
    clickNode(form, u"Tea"_s);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    QTest::mouseClick(form.Panel6->Button8, Qt::LeftButton);
    ASSERT_EQ(e.sink.questions.size(), 1);
    EXPECT_FALSE(e.pf.exists(u"MyPlants/Roses/Tea/a.jpg"_s));
    EXPECT_EQ(e.pf.read(u"xdg/Trash/files/a.jpg"_s), "not a picture at all");
    EXPECT_EQ(e.pf.read(u"xdg/Trash/files/a.jpg.txt"_s), "broken one");

    // The comment's trash entry cannot be written: the photo comes back, and the message says both stay.
    sysio::failEvery(sysio::Op::Write, 2, ENOSPC, true);
    QTest::mouseClick(form.Panel6->Button8, Qt::LeftButton);
    sysio::clearFaults();
    EXPECT_EQ(e.pf.read(u"MyPlants/Roses/Tea/b.jpg"_s), "not a picture either");
    EXPECT_EQ(e.pf.read(u"MyPlants/Roses/Tea/b.jpg.txt"_s), "second");
    EXPECT_FALSE(e.pf.exists(u"xdg/Trash/files/b.jpg"_s));
    ASSERT_EQ(e.sink.warnings.size(), 1) << e.sink.said();
    EXPECT_TRUE(e.sink.warnings[0].contains(u"stay"_s)) << e.sink.said();
    form.close();
    qputenv("XDG_DATA_HOME", dataHome);
}
