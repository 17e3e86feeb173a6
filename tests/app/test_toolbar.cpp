#include "../support/windowevents.h"
#include "editor/formatbar.h"
#include "editor/ruler.h"

#include <QClipboard>
#include <QFontDialog>
#include <QImage>
#include <QTextBlock>
#include <QToolButton>

namespace {

// One plant whose Description page holds rtf, shown in a window.
struct Window {
    explicit Window(const QByteArray& rtf)
    {
        pf.layOut({u8("Roses")}, {u8("Roses/Abc=0")});
        pf.write(u8("MyPlants/Roses/Abc/description.rtf"), rtf);
        form = std::make_unique<ShownForm>(pf.path(), &sink);
        bar = form->StandardToolBar;
        editor = form->Editor;
    }
    void click(QAction* a) { QTest::mouseClick(bar->widgetForAction(a), Qt::LeftButton); }
    // Saves with Ctrl+S and shows the page again from its file.
    void saveAndReload()
    {
        QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
        QTest::mouseClick(form->Button4, Qt::LeftButton);
    }
    QByteArray page() const { return pf.read(u8("MyPlants/Roses/Abc/description.rtf")); }
    QTextCharFormat formatAt(int position) const
    {
        QTextCursor c(editor->document());
        c.setPosition(position + 1);
        return c.charFormat();
    }
    QString caretPanel() const { return form->StatusBar->findChildren<QLabel*>().value(0)->text(); }

    TempProgramFolder pf;
    RecordingSink sink;
    std::unique_ptr<TMainForm> form;
    FormatBar* bar = nullptr;
    PageEditor* editor = nullptr;
};

// Presses a marker at its middle, moves it dx pixels and lets it go; returns whether the guide line
// stood at the marker's middle while it moved.
bool dragMarker(Ruler* ruler, QWidget* marker, int dx, PageEditor* editor)
{
    const QPoint middle(marker->width() / 2, marker->height() / 2);
    QTest::mousePress(marker, Qt::LeftButton, {}, middle);
    QTest::mouseMove(marker, middle + QPoint(dx, 0));
    const QWidget* guide = ruler->guideLine();
    const int markerMiddle =
        editor->viewport()->mapFromGlobal(marker->mapToGlobal(QPoint(marker->width() / 2, 0))).x();
    const bool guided =
        guide->isVisible() && guide->x() == markerMiddle && guide->height() == editor->viewport()->height();
    QTest::mouseRelease(marker, Qt::LeftButton, {}, middle);
    return guided && !guide->isVisible() && !ruler->dragging();
}

} // namespace

TEST(Toolbar, TheControlsChangeTheSelectionOrOnlyTheNextTypedText)
{
    Window w("{\\rtf1{\\fonttbl{\\f0 Times New Roman;}}\\pard\\f0\\fs24 plain \\b bolder text\\b0\\par}");
    PageEditor* e = w.editor;
    EXPECT_EQ(w.caretPanel(), u8("Line:   1   Col:   1"));
    EXPECT_EQ(w.bar->FontName->currentText(), u8("Times New Roman"));
    EXPECT_EQ(w.bar->FontSize->text(), u8("12"));
    // Selecting bold text presses B and changes nothing; pressing B then un-bolds the selection only.
    QTest::keyClick(e, Qt::Key_Home);
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(e, Qt::Key_Right);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_TRUE(w.bar->BoldButton->isChecked());
    EXPECT_FALSE(e->document()->isModified());
    w.click(w.bar->BoldButton);
    EXPECT_LT(w.formatAt(7).fontWeight(), QFont::DemiBold);  // "bold"
    EXPECT_GE(w.formatAt(11).fontWeight(), QFont::DemiBold); // "er text"
    EXPECT_FALSE(w.bar->BoldButton->isChecked());

    // With no selection a font name, a size and a colour go to the next typed text only.
    QTest::keyClick(e, Qt::Key_End);
    QLineEdit* name = w.bar->FontName->lineEdit();
    name->selectAll();
    QTest::keyClicks(name, u8("DejaVu Sans"));
    QTest::keyClick(name, Qt::Key_Return);
    // The size box: while its text is no number nothing happens and nobody is told off.
    QTest::mouseClick(w.bar->FontSize, Qt::LeftButton);
    w.bar->FontSize->selectAll();
    QTest::keyClick(w.bar->FontSize, Qt::Key_Backspace);
    EXPECT_EQ(e->currentAttributes().fontPointSize(), 12);
    QTest::keyClicks(w.bar->FontSize, u8("17"));
    QTest::mouseClick(w.bar->UpDown1->up, Qt::LeftButton);
    EXPECT_EQ(w.bar->FontSize->text(), u8("18"));
    QTest::keyClick(w.bar->ColorBox1, Qt::Key_R); // "Red"
    EXPECT_TRUE(e->hasFocus());
    QTest::keyClicks(e, u8(" new"));
    const int last = e->document()->characterCount() - 2;
    EXPECT_EQ(w.formatAt(last).fontFamilies().toStringList(), QStringList{u8("DejaVu Sans")});
    EXPECT_EQ(w.formatAt(last).fontPointSize(), 18);
    EXPECT_EQ(w.formatAt(last).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(w.formatAt(0).fontFamilies().toStringList(), QStringList{u8("Times New Roman")});
    EXPECT_TRUE(w.sink.warnings.isEmpty());

    // Justified, then centred: one alignment button is pressed, and it all survives a save.
    w.click(w.bar->Widealign);
    w.click(w.bar->CenterAlign);
    EXPECT_TRUE(w.bar->CenterAlign->isChecked());
    EXPECT_FALSE(w.bar->Widealign->isChecked());
    w.saveAndReload();
    EXPECT_TRUE(e->toPlainText().endsWith(u8(" new")));
    EXPECT_EQ(e->document()->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(w.formatAt(e->document()->characterCount() - 2).foreground().color(), QColor(Qt::red));

    // Font...: the dialog's font goes to the next typed text.
    QTest::keyClick(e, Qt::Key_End, Qt::ControlModifier);
    whenModal<QFontDialog>([](QFontDialog* d) {
        d->setCurrentFont(QFont(u8("DejaVu Serif"), 20, QFont::Normal, true));
        d->accept();
    });
    menuBarItem(*w.form, "Edit1", "miEditFont");
    QTest::keyClicks(e, u8("!"));
    const QTextCharFormat dialogs = w.formatAt(e->document()->characterCount() - 2);
    EXPECT_TRUE(dialogs.fontItalic());
    EXPECT_EQ(dialogs.fontPointSize(), 20);
    EXPECT_TRUE(w.bar->ItalicButton->isChecked());

    // Hints: the tip beside the control, the hint alone across the status bar.
    QTest::mouseMove(w.bar->FontName);
    EXPECT_EQ(w.bar->FontName->toolTip(), u8("Font Name"));
    EXPECT_EQ(w.form->StatusBar->currentMessage(), u8("Select font name"));

    // A new page types in Times New Roman 12, shown as it is saved.
    w.form->activateWindow(); // the dialog's window had the keyboard
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.form.get()));
    QTest::keyClick(e, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClicks(e, u8("typed"));
    EXPECT_EQ(QFontInfo(w.formatAt(0).font()).pixelSize(), QFontInfo(e->font()).pixelSize());
    EXPECT_EQ(e->font().pointSize(), 12);
    QTest::keyClick(e, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(w.page().contains("Times New Roman;")) << w.page().constData();
    EXPECT_TRUE(w.page().contains("\\fs24 typed")) << w.page().constData();
}

// Clicks move the caret: B and the alignment show the text there, so a first press of B on plain text
// after bold makes the next typed text bold.
TEST(Toolbar, TheButtonsFollowTheCaret)
{
    Window w("{\\rtf1{\\fonttbl{\\f0 Times New Roman;}}\\pard\\qc\\f0\\fs24\\b Bold centred\\par"
             "\\pard\\ql\\b0 Plain left\\par}");
    auto clickText = [&](int block) {
        QTextCursor c(w.editor->document()->findBlockByNumber(block));
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 3);
        QTest::mouseClick(w.editor->viewport(), Qt::LeftButton, {}, w.editor->cursorRect(c).center());
    };
    clickText(0);
    EXPECT_TRUE(w.bar->BoldButton->isChecked());
    EXPECT_TRUE(w.bar->CenterAlign->isChecked());
    clickText(1);
    EXPECT_FALSE(w.bar->BoldButton->isChecked());
    EXPECT_TRUE(w.bar->LeftAlign->isChecked());
    EXPECT_FALSE(w.bar->CenterAlign->isChecked());
    QTest::keyClick(w.editor, Qt::Key_End);
    w.click(w.bar->BoldButton);
    QTest::keyClicks(w.editor, u8(" more"));
    EXPECT_GE(w.formatAt(w.editor->document()->characterCount() - 2).fontWeight(), QFont::Bold);
    EXPECT_EQ(w.editor->document()->lastBlock().text(), u8("Plain left more"));
}

TEST(Toolbar, TheRulerMarkersShowAndSetTheIndents)
{
    // First line 30 pt in, right indent 30 pt.
    Window w("{\\rtf1\\pard\\li600\\ri600 Indented paragraph\\par\\pard Plain\\par}");
    Ruler* ruler = w.form->RulerBar;
    PageEditor* e = w.editor;
    const int textLeft = ruler->mapFromGlobal(e->viewport()->mapToGlobal(e->textRect().topLeft())).x();
    const int textRight = textLeft + e->textRect().width();
    const int half = ruler->FirstInd->width() / 2;
    EXPECT_EQ(ruler->FirstInd->x(), textLeft + 40 - half);
    EXPECT_EQ(ruler->LeftInd->x(), textLeft + 40 - half);
    EXPECT_EQ(ruler->RightInd->x(), textRight - 40 - half);
    EXPECT_EQ(ruler->RulerLine->width(), ruler->contentsRect().width() - 8);
    // The text really starts where the marker says.
    EXPECT_EQ(e->cursorRect(QTextCursor(e->document())).left(), e->textRect().left() + 40);

    // The first line's marker dragged left of the text gives 0, never less; the other lines stay.
    EXPECT_TRUE(dragMarker(ruler, ruler->FirstInd, -200, e));
    EXPECT_EQ(e->indents().first, 0);
    EXPECT_EQ(e->indents().left, 30);
    // Moved right again, then the other lines' marker to the far left: they start at the text's edge.
    EXPECT_TRUE(dragMarker(ruler, ruler->FirstInd, 60, e));
    const double first = e->indents().first;
    EXPECT_NEAR(first, 45, 1);
    EXPECT_TRUE(dragMarker(ruler, ruler->LeftInd, -300, e));
    EXPECT_EQ(e->indents().first, first);
    EXPECT_EQ(e->indents().left, -first);
    EXPECT_EQ(ruler->LeftInd->x(), textLeft - half);
    EXPECT_TRUE(dragMarker(ruler, ruler->RightInd, 2000, e));
    EXPECT_EQ(e->indents().right, 0);
    EXPECT_EQ(e->document()->lastBlock().blockFormat().leftMargin(), 0) << "the other paragraph kept";

    // The keyboard's way: Ctrl+M moves the paragraph half an inch in, Ctrl+Shift+M back.
    QTest::keyClick(e, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(e->indents().first, first + 36);
    EXPECT_EQ(ruler->FirstInd->x(), ruler->indentToRuler(first + 36, false) - half);
    QTest::keyClick(e, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e->indents().first, first);

    // A wider window moves the right marker with the editor's right edge.
    const int right = ruler->RightInd->x();
    const int editorWidth = e->width();
    w.form->resize(w.form->width() + 100, w.form->height());
    QApplication::processEvents();
    EXPECT_EQ(ruler->RightInd->x() - right, e->width() - editorWidth);
    EXPECT_GT(ruler->RightInd->x(), right);

    // The indents survive a save, in twips.
    w.saveAndReload();
    EXPECT_TRUE(w.page().contains("\\fi" + QByteArray::number(qRound(first * 20)).toStdString()))
        << "first line in, others at the edge";
    EXPECT_EQ(e->indents().first, first);
    EXPECT_EQ(e->indents().left, -first);
}

TEST(Toolbar, TheEditorsMenuPicturesAndLinks)
{
    Window w("{\\rtf1 See {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/rosa\"}}{\\fldrslt{rosa}}} "
             "and {\\field{\\*\\fldinst{HYPERLINK \"file:///bin/sh\"}}{\\fldrslt{shell}}}\\par}");
    PageEditor* e = w.editor;
    QList<QUrl> opened;
    e->openLink = [&](const QUrl& url) {
        if (PageEditor::isSafeLink(url))
            opened << url;
    };
    auto clickAt = [&](int position) {
        QTextCursor c(e->document());
        c.setPosition(position);
        const QPoint at = e->cursorRect(c).center() + QPoint(3, 0);
        QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, at);
    };
    clickAt(5);  // "rosa"
    clickAt(14); // "shell"
    EXPECT_EQ(opened, QList<QUrl>{QUrl(u8("https://example.org/rosa"))});

    // The editor's own menu, not Qt's.
    QTest::keyClick(e, Qt::Key_End);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(10, 10),
                              e->viewport()->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(e->viewport(), &menuKey);
    ASSERT_TRUE(e->PopupMenu2->isVisible());
    QStringList items;
    for (QAction* a : e->PopupMenu2->actions())
        items << (a->isSeparator() ? u8("-") : a->text());
    EXPECT_EQ(items.mid(0, 7), (QStringList{u8("Cu&t"), u8("&Copy"), u8("&Paste"), u8("-"), u8("&Undo"),
                                            u8("-"), u8("Insert picture")}));
    e->PopupMenu2->hide();

    // A picture file that cannot be read: said so, page and clipboard as they were.
    QGuiApplication::clipboard()->setText(u8("kept"));
    const QString bad = w.pf.path() + u8("/bad.jpg");
    w.pf.write(u8("bad.jpg"), "not a picture");
    const QString good = w.pf.path() + u8("/good.png");
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(good));
    QString file = bad;
    e->askPictureFile = [&] { return file; };
    auto insertPicture = [&] {
        QApplication::sendEvent(e->viewport(), &menuKey);
        QTest::mouseClick(e->PopupMenu2, Qt::LeftButton, {},
                          e->PopupMenu2->actionGeometry(e->Insertpicture1).center());
    };
    const QString before = e->toHtml();
    insertPicture();
    ASSERT_EQ(w.sink.warnings.size(), 1);
    EXPECT_TRUE(w.sink.warnings.front().contains(u8("bad.jpg")));
    EXPECT_EQ(e->toHtml(), before);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u8("kept"));

    // A good one goes in through the clipboard; Ctrl+V of a picture puts in another; both are saved.
    file = good;
    insertPicture();
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->toPlainText().count(QChar::ObjectReplacementCharacter), 2);
    w.saveAndReload();
    EXPECT_EQ(w.page().count("\\pict"), 2);
    EXPECT_EQ(e->toPlainText().count(QChar::ObjectReplacementCharacter), 2);
    const QTextImageFormat shown =
        w.formatAt(e->toPlainText().indexOf(QChar::ObjectReplacementCharacter)).toImageFormat();
    const QVariant pixels = e->document()->resource(QTextDocument::ImageResource, QUrl(shown.name()));
    EXPECT_EQ(QImage::fromData(pixels.toByteArray()).size(), QSize(40, 30));
}
