#include "rtf/rtfkept.h"
#include "rtf/rtfreader.h"
#include "rtf/rtftokenizer.h"
#include "rtf/rtfwriter.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

namespace {

QByteArray fixture(const char* name)
{
    QFile f(QStringLiteral(VERDARIUM_TEST_DATA "/rtf/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

QTextBlock blockAt(const QTextDocument& d, int n)
{
    return d.findBlockByNumber(n);
}

// The format of the first character of text in the document.
QTextCharFormat formatOf(const QTextDocument& d, const QString& text)
{
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(text))
                return it.fragment().charFormat();
    ADD_FAILURE() << "no fragment with " << text.toStdString();
    return {};
}

QByteArray roundTrip(const QTextDocument& d, QTextDocument* out)
{
    const QByteArray bytes = RtfWriter::write(d);
    EXPECT_TRUE(RtfReader::read(bytes, out).ok);
    return bytes;
}

// The document's text with each paragraph's list style and alignment, for comparing two documents.
QStringList shape(const QTextDocument& d)
{
    QStringList out;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next())
        out << QStringLiteral("%1|%2|%3")
                   .arg(b.text())
                   .arg(b.textList() ? static_cast<int>(b.textList()->format().style()) : 0)
                   .arg(static_cast<int>(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask));
    return out;
}

// The words of a kept group (a footnote, a header), without its control words.
QString keptText(const QByteArray& group)
{
    QString out;
    RtfTokenizer tok(group);
    for (RtfTokenizer::Token t = tok.next(); t.kind != RtfTokenizer::Kind::End; t = tok.next()) {
        if (t.kind == RtfTokenizer::Kind::Text)
            out += QString::fromLatin1(t.word);
        else if (t.kind == RtfTokenizer::Kind::Word && t.word == "u")
            out += QChar(static_cast<char16_t>(t.param < 0 ? t.param + 65536 : t.param));
        else if (t.kind == RtfTokenizer::Kind::Word && t.word == "par")
            out += u'|';
    }
    return out.replace(u'?', QString()).simplified();
}

// A page as a golden file shows it: one line a paragraph, with its list marker, table cell and
// depth, bold as *text*, and what stands for pictures and kept groups.
void dumpFrame(QTextFrame* frame, int depth, QString* out)
{
    const QString indent(depth * 2, u' ');
    for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
        if (auto* t = qobject_cast<QTextTable*>(it.currentFrame())) {
            const QTextTableFormat tf = t->format();
            QStringList widths;
            for (const QTextLength& w : tf.columnWidthConstraints())
                widths << QString::number(w.rawValue());
            *out += indent + QStringLiteral("table %1x%2 border %3 widths %4\n")
                                 .arg(t->rows())
                                 .arg(t->columns())
                                 .arg(tf.border())
                                 .arg(widths.join(u','));
            for (int r = 0; r < t->rows(); ++r)
                for (int c = 0; c < t->columns(); ++c) {
                    *out += indent + QStringLiteral("cell %1,%2\n").arg(r).arg(c);
                    const QTextTableCell cell = t->cellAt(r, c);
                    for (QTextFrame::iterator ci = cell.begin(); !ci.atEnd(); ++ci) {
                        if (auto* nested = qobject_cast<QTextTable*>(ci.currentFrame())) {
                            *out +=
                                indent +
                                QStringLiteral("  table %1x%2\n").arg(nested->rows()).arg(nested->columns());
                            for (int nr = 0; nr < nested->rows(); ++nr)
                                for (int nc = 0; nc < nested->columns(); ++nc)
                                    *out +=
                                        indent +
                                        QStringLiteral("    cell %1,%2: %3\n")
                                            .arg(nr)
                                            .arg(nc)
                                            .arg(nested->cellAt(nr, nc).firstCursorPosition().block().text());
                        } else if (ci.currentBlock().isValid() && !ci.currentBlock().text().isEmpty()) {
                            *out += indent + QStringLiteral("  ") + ci.currentBlock().text() + u'\n';
                        }
                    }
                }
            continue;
        }
        const QTextBlock b = it.currentBlock();
        if (!b.isValid())
            continue;
        QString line = indent;
        if (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            line += QStringLiteral("[new page] ");
        if (QTextList* l = b.textList())
            line +=
                QString((l->format().indent() - 1) * 2, u' ') +
                (l->format().style() == QTextListFormat::ListDisc ? QStringLiteral("•") : l->itemText(b)) +
                u' ';
        for (auto f = b.begin(); !f.atEnd(); ++f) {
            const QTextCharFormat cf = f.fragment().charFormat();
            const QString text = f.fragment().text();
            if (cf.isImageFormat())
                line += cf.toImageFormat().property(rtfprop::kRawPicture).isValid()
                            ? QStringLiteral("[grey box]")
                            : QStringLiteral("[picture]");
            else if (cf.objectType() == rtfkept::kObjectType)
                line += QStringLiteral("[%1: %2]")
                            .arg(cf.property(rtfprop::kKeptMark).toString(),
                                 keptText(cf.property(rtfprop::kKeptGroup).toByteArray()));
            else if (cf.hasProperty(rtfprop::kField))
                line += u'{' + cf.stringProperty(rtfprop::kField) + QStringLiteral(": ") + text + u'}';
            else if (cf.fontWeight() >= QFont::Bold)
                line += u'*' + text + u'*';
            else
                line += text;
        }
        *out += line + u'\n';
    }
}

QString dump(const QTextDocument& d, const RtfReader::Result& r)
{
    QString out;
    dumpFrame(d.rootFrame(), 0, &out);
    const QByteArray page = d.rootFrame()->frameFormat().property(rtfprop::kPageGroups).toByteArray();
    const QByteArray words = page.left(page.indexOf('{')).trimmed();
    if (!words.isEmpty())
        out += QStringLiteral("page: ") + QString::fromLatin1(words) + u'\n';
    if (!page.isEmpty())
        out += QStringLiteral("page groups: ") + keptText(page) + u'\n';
    if (!r.lossy.isEmpty())
        out += QStringLiteral("text only: ") + r.lossy.join(u',') + u'\n';
    return out;
}

} // namespace

// Every golden/NAME.rtf reads as golden/NAME.txt says, and reads the same after our save; the saved
// copy keeps its kept groups. VERDARIUM_GOLDEN_UPDATE=1 writes the .txt files anew.
TEST(Rtf, GoldenPagesReadAsExpectedAndLoseNothingOnSave)
{
    const QDir dir(QStringLiteral(VERDARIUM_TEST_DATA "/rtf/golden"));
    const QStringList pages = dir.entryList({QStringLiteral("*.rtf")});
    ASSERT_GE(pages.size(), 4);
    for (const QString& name : pages) {
        QFile in(dir.filePath(name));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        QTextDocument d;
        const RtfReader::Result r = RtfReader::read(in.readAll(), &d);
        EXPECT_TRUE(r.ok) << name.toStdString() << r.problem.toStdString();
        const QString got = dump(d, r);
        QFile expected(dir.filePath(QString(name).replace(QLatin1String(".rtf"), QLatin1String(".txt"))));
        if (qEnvironmentVariableIsSet("VERDARIUM_GOLDEN_UPDATE")) {
            ASSERT_TRUE(expected.open(QIODevice::WriteOnly));
            expected.write(got.toUtf8());
            continue;
        }
        ASSERT_TRUE(expected.open(QIODevice::ReadOnly)) << expected.fileName().toStdString();
        EXPECT_EQ(got.toStdString(), QString::fromUtf8(expected.readAll()).toStdString())
            << name.toStdString();

        QTextDocument again;
        const QByteArray saved = RtfWriter::write(d);
        const RtfReader::Result r2 = RtfReader::read(saved, &again);
        QString text = dump(again, r2);
        QString before = got; // what shows as text only is saved as its text
        before.remove(QRegularExpression(QStringLiteral("text only: .*\n")));
        text.remove(QRegularExpression(QStringLiteral("text only: .*\n")));
        EXPECT_EQ(text.toStdString(), before.toStdString()) << name.toStdString() << " after a save";
        EXPECT_EQ(RtfWriter::write(again).toStdString(), saved.toStdString()) << name.toStdString();
        EXPECT_TRUE(RtfWriter::readBackProblem(saved).isEmpty()) << name.toStdString();
    }
}

TEST(Rtf, RichEditPageInCodePage1251ReadsWithItsFormats)
{
    QTextDocument d;
    ASSERT_TRUE(RtfReader::read(fixture("richedit_cp1251.rtf"), &d).ok);
    EXPECT_EQ(blockAt(d, 0).text(), QString::fromUtf8("Роза Rose"));
    EXPECT_EQ(blockAt(d, 0).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(formatOf(d, QString::fromUtf8("Роза")).fontWeight(), QFont::Bold);
    EXPECT_NE(formatOf(d, QStringLiteral(" Rose")).fontWeight(), QFont::Bold); // \b0 ends bold
    EXPECT_EQ(formatOf(d, QString::fromUtf8("Роза")).fontFamilies().toStringList().value(0),
              QStringLiteral("Arial CYR"));
    EXPECT_EQ(formatOf(d, QString::fromUtf8("Роза")).fontPointSize(), 14);

    const QTextBlock second = blockAt(d, 1);
    EXPECT_EQ(second.text(), QString::fromUtf8("red italic under gone x2 code\tАб€"));
    EXPECT_DOUBLE_EQ(second.blockFormat().leftMargin(), 36);
    EXPECT_DOUBLE_EQ(second.blockFormat().textIndent(), -10);
    EXPECT_DOUBLE_EQ(second.blockFormat().topMargin(), 6);
    ASSERT_EQ(second.blockFormat().tabPositions().size(), 1);
    EXPECT_DOUBLE_EQ(second.blockFormat().tabPositions()[0].position, 72);
    EXPECT_EQ(formatOf(d, QStringLiteral("red italic")).foreground().color(), QColor(255, 0, 0));
    EXPECT_TRUE(formatOf(d, QStringLiteral("red italic")).fontItalic());
    EXPECT_TRUE(formatOf(d, QStringLiteral("under")).fontUnderline());
    EXPECT_TRUE(formatOf(d, QStringLiteral("gone")).fontStrikeOut());
    EXPECT_EQ(formatOf(d, QStringLiteral("2")).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(formatOf(d, QStringLiteral("code")).fontFamilies().toStringList().value(0),
              QStringLiteral("Courier New"));

    // Bullets and numbering become lists; their marker text is not part of the paragraph.
    ASSERT_TRUE(blockAt(d, 2).textList());
    EXPECT_EQ(blockAt(d, 2).text(), QStringLiteral("one"));
    EXPECT_EQ(blockAt(d, 2).textList(), blockAt(d, 3).textList());
    EXPECT_EQ(blockAt(d, 2).textList()->format().style(), QTextListFormat::ListDisc);
    ASSERT_TRUE(blockAt(d, 4).textList());
    EXPECT_EQ(blockAt(d, 4).textList()->format().style(), QTextListFormat::ListDecimal);
    EXPECT_EQ(blockAt(d, 5).text(), QStringLiteral("second"));
    EXPECT_FALSE(blockAt(d, 6).textList());
    EXPECT_EQ(formatOf(d, QStringLiteral("green back")).background().color(), QColor(0, 128, 0));
    EXPECT_EQ(d.blockCount(), 7); // the last \par ends a paragraph, it opens none

    // Our own output reads back the same, twice over.
    QTextDocument again;
    const QByteArray first = roundTrip(d, &again);
    EXPECT_TRUE(first.startsWith("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl"));
    EXPECT_TRUE(first.contains("\\viewkind4\\uc1"));
    EXPECT_EQ(shape(again), shape(d));
    EXPECT_TRUE(formatOf(again, QStringLiteral("red italic")).fontItalic());
    EXPECT_EQ(formatOf(again, QStringLiteral("green back")).background().color(), QColor(0, 128, 0));
    QTextDocument third;
    const QByteArray secondSave = roundTrip(again, &third);
    EXPECT_EQ(secondSave.toStdString(), first.toStdString());
}

TEST(Rtf, LibreOfficePageReadsWithItsFormats)
{
    QTextDocument d;
    ASSERT_TRUE(RtfReader::read(fixture("libreoffice_formats.rtf"), &d).ok);
    const QString text = d.toPlainText();
    for (const char* line :
         {"Роза Rose", "курсив подчёркнутый зачёркнутый x2 H2O красный жёлтый", "Ссылка: сайт", "Конец"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line;
    EXPECT_EQ(formatOf(d, QString::fromUtf8("Роза")).fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(d, QString::fromUtf8("курсив")).fontItalic());
    EXPECT_TRUE(formatOf(d, QString::fromUtf8("подчёркнутый")).fontUnderline());
    EXPECT_TRUE(formatOf(d, QString::fromUtf8("зачёркнутый")).fontStrikeOut());
    EXPECT_EQ(formatOf(d, QStringLiteral("2")).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(formatOf(d, QString::fromUtf8("красный")).foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatOf(d, QString::fromUtf8("сайт")).anchorHref(),
              QStringLiteral("https://example.org/rose"));
    int lists = 0, pictures = 0;
    for (QTextBlock b = d.begin(); b.isValid(); b = b.next()) {
        lists += b.textList() ? 1 : 0;
        for (auto it = b.begin(); !it.atEnd(); ++it)
            pictures += it.fragment().charFormat().isImageFormat() ? 1 : 0;
    }
    EXPECT_EQ(lists, 4);
    EXPECT_EQ(pictures, 1);
    bool table = false;
    for (QTextFrame* f : d.rootFrame()->childFrames())
        table = table || qobject_cast<QTextTable*>(f);
    EXPECT_TRUE(table);
}

TEST(Rtf, PicturesLinksAndTablesSurviveASave)
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    image.save(&buf, "PNG");
    const QByteArray metafile =
        "{\\pict\\wmetafile8\\picw100\\pich100\\picwgoal1500\\pichgoal1500 0102030405}";
    const QByteArray page =
        "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}\\pard before "
        "{\\*\\shppict{\\pict\\pngblip\\picwgoal600\\pichgoal300 " +
        png.toHex() +
        "}}"
        "{\\nonshppict{\\pict\\wmetafile8 ffff}}" +
        metafile +
        " {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/a b\"}}{\\fldrslt{\\ul site}}} after\\par"
        "\\trowd\\cellx1000\\cellx2000\\pard\\intbl A1\\cell B1\\cell\\row"
        "\\trowd\\cellx1000\\cellx2000\\pard\\intbl A2\\cell B2\\cell\\row\\pard below\\par}";
    QTextDocument d;
    ASSERT_TRUE(RtfReader::read(page, &d).ok);

    int pictures = 0;
    QTextImageFormat shown;
    for (auto it = d.begin().begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isImageFormat()) {
            ++pictures;
            if (!pictures || shown.name().isEmpty())
                shown = it.fragment().charFormat().toImageFormat();
        }
    EXPECT_EQ(pictures, 2); // the PNG and the metafile; the alternative \nonshppict copy is not shown twice
    EXPECT_EQ(shown.width(), 40);
    EXPECT_EQ(shown.height(), 20);
    {
        // drawn on the page: the picture's own colour shows
        QImage canvas(400, 400, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        d.drawContents(&painter);
        painter.end();
        bool green = false;
        for (int y = 0; y < canvas.height() && !green; ++y)
            for (int x = 0; x < canvas.width() && !green; ++x)
                green = canvas.pixelColor(x, y) == QColor(10, 200, 30);
        EXPECT_TRUE(green);
    }
    EXPECT_EQ(formatOf(d, QStringLiteral("site")).anchorHref(), QStringLiteral("https://example.org/a b"));
    EXPECT_FALSE(formatOf(d, QStringLiteral(" after")).isAnchor());

    QTextDocument again;
    const QByteArray saved = roundTrip(d, &again);
    EXPECT_TRUE(saved.contains(metafile)) << "a picture we cannot show is written back as it came";
    EXPECT_TRUE(saved.contains(png.toHex().left(100)));
    EXPECT_TRUE(saved.contains("HYPERLINK \"https://example.org/a b\""));
    EXPECT_EQ(formatOf(again, QStringLiteral("site")).anchorHref(),
              QStringLiteral("https://example.org/a b"));

    for (const QTextDocument* doc : {&d, &again}) {
        QTextTable* table = nullptr;
        for (QTextFrame* f : doc->rootFrame()->childFrames())
            table = table ? table : qobject_cast<QTextTable*>(f);
        ASSERT_TRUE(table);
        EXPECT_EQ(table->rows(), 2);
        EXPECT_EQ(table->columns(), 2);
        EXPECT_EQ(table->cellAt(1, 1).firstCursorPosition().block().text(), QStringLiteral("B2"));
        EXPECT_EQ(doc->lastBlock().text(), QStringLiteral("below"));
    }
}

TEST(Rtf, CharactersOutsideTheCodePageAndPlainTextFiles)
{
    QTextDocument d;
    d.setPlainText(QString::fromUtf8("Ёлка {x} \\ 日本 €"));
    const QByteArray bytes = RtfWriter::write(d);
    EXPECT_TRUE(bytes.contains("\\'a8")); // Ё in 1251
    EXPECT_TRUE(bytes.contains("\\u26085?"));
    QTextDocument back;
    ASSERT_TRUE(RtfReader::read(bytes, &back).ok);
    EXPECT_EQ(back.toPlainText(), d.toPlainText());

    // \ucN skips the stand-in characters after each \u, a hex escape counting as one.
    ASSERT_TRUE(RtfReader::read("{\\rtf1\\uc2 a\\u1046\\'3f\\'3fb\\uc0\\u1046 c}", &back).ok);
    EXPECT_EQ(back.toPlainText(), QString::fromUtf8("aЖbЖc")); // the space ends the control word

    ASSERT_TRUE(RtfReader::read(QByteArray(), &back).ok);
    EXPECT_TRUE(back.isEmpty());
    ASSERT_TRUE(RtfReader::read("\xcf\xf0\xe8\xe2\xe5\xf2\r\nline", &back).ok);
    EXPECT_EQ(back.toPlainText(), QString::fromUtf8("Привет\nline"));
    // A font's charset chooses the code page of its bytes.
    ASSERT_TRUE(
        RtfReader::read(
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset204 B;}}\\f0\\'e9\\f1\\'e9}", &back)
            .ok);
    EXPECT_EQ(back.toPlainText(), QString::fromUtf8("éй"));
}

TEST(Rtf, DamagedInputIsReadAsFarAsItGoes)
{
    QTextDocument d;
    // Nesting far beyond the limit.
    QByteArray deep = "{\\rtf1 start";
    deep += QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + " end}";
    RtfReader::Result r = RtfReader::read(deep, &d);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(d.toPlainText().startsWith(QStringLiteral("start")));
    EXPECT_TRUE(d.toPlainText().endsWith(QStringLiteral("end")));
    // A stray "}" ends the document, as in other word processors; the rest is left to the original.
    r = RtfReader::read("{\\rtf1 a}} b\\par c}", &d);
    EXPECT_EQ(d.toPlainText(), QStringLiteral("a"));
    EXPECT_EQ(r.lossy, QStringList{QStringLiteral("after the end")});
    // Mail programs' HTML in RTF nests thousands deep, and is whole.
    r = RtfReader::read("{\\rtf1 a" + QByteArray(3000, '{') + "b" + QByteArray(3000, '}') + "c}", &d);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(d.toPlainText(), QStringLiteral("abc"));
    // \bin longer than the file, a 2 GB picture size, bad escapes, NUL bytes, a cut-off file.
    r = RtfReader::read("{\\rtf1 a{\\pict\\pngblip\\bin2000000000 xx}", &d);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(d.toPlainText().left(1), QStringLiteral("a"));
    EXPECT_TRUE(
        RtfReader::read(
            "{\\rtf1 a{\\pict\\jpegblip\\picw2147483647\\pich2147483647\\picwgoal2147483647 ffd8}b}", &d)
            .ok);
    EXPECT_EQ(d.toPlainText(), QStringLiteral("a\xfffc"
                                              "b"));
    r = RtfReader::read("{\\rtf1 a\\'zzb\\'4", &d);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(d.toPlainText(), QStringLiteral("azzb4"));
    EXPECT_TRUE(RtfReader::read(QByteArray("{\\rtf1 a\0b}}}}", 11), &d).ok);
    EXPECT_TRUE(RtfReader::read("{\\rtf1 {\\b bold", &d).ok);
    EXPECT_EQ(d.toPlainText(), QStringLiteral("bold"));
}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Hidden text is kept where it stood and written back hidden; protected text keeps its flag.
TEST(Rtf, HiddenAndProtectedTextSurviveASave)
{
    QFile in(QStringLiteral(VERDARIUM_TEST_DATA "/rtf/golden/hidden_and_protected.rtf"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QTextDocument d;
    ASSERT_TRUE(RtfReader::read(in.readAll(), &d).ok);
    EXPECT_FALSE(d.toPlainText().contains(QStringLiteral("hidden"))) << "hidden text is not shown";
    const QByteArray saved = RtfWriter::write(d);
    EXPECT_TRUE(saved.contains("{\\v hidden words}")) << saved.constData();
    EXPECT_TRUE(saved.contains("{\\v hidden run}")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\protect Protected text") || saved.contains("\\protect ")) << saved.constData();
}
