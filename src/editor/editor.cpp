#include "editor/editor.h"

#include "history/versions.h"
#include "i18n/messages.h"
#include "i18n/translate.h"
#include "platform/picturefile.h"
#include "rtf/rtfkept.h"
#include "rtf/rtfreader.h"
#include "rtf/rtfwriter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextTable>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QUrl>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// Pages keep their indents in points; the editor lays its paragraphs out in pixels of the screen.
constexpr double kPixelsPerPoint = 4.0 / 3.0;
constexpr double kIndentStep = 36; // points

// Every table of doc, nested ones too.
QList<QTextTable*> tablesOf(const QTextDocument* doc)
{
    QList<QTextTable*> tables;
    std::function<void(QTextFrame*)> walk = [&](QTextFrame* frame) {
        for (QTextFrame* child : frame->childFrames()) {
            if (auto* t = qobject_cast<QTextTable*>(child))
                tables << t;
            walk(child);
        }
    };
    walk(doc->rootFrame());
    return tables;
}

bool hasFixedColumns(const QTextDocument* doc)
{
    for (const QTextTable* t : tablesOf(doc))
        for (const QTextLength& w : t->format().columnWidthConstraints())
            if (w.type() == QTextLength::FixedLength)
                return true;
    return false;
}

// Scales every paragraph's indents and tab stops and every table's fixed column widths (on reading a
// page, and on the copy that is saved).
bool hasIndents(const QTextDocument* doc)
{
    if (hasFixedColumns(doc))
        return true;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat f = b.blockFormat();
        if (f.leftMargin() != 0 || f.textIndent() != 0 || f.rightMargin() != 0 || !f.tabPositions().isEmpty())
            return true;
    }
    return false;
}

void scaleIndents(QTextDocument* doc, double factor)
{
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    // One edit: the page is laid out once at the end, not after every paragraph.
    QTextCursor c(doc);
    c.beginEditBlock();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        if (f.leftMargin() == 0 && f.textIndent() == 0 && f.rightMargin() == 0 && f.tabPositions().isEmpty())
            continue;
        f.setLeftMargin(f.leftMargin() * factor);
        f.setTextIndent(f.textIndent() * factor);
        f.setRightMargin(f.rightMargin() * factor);
        QList<QTextOption::Tab> tabs = f.tabPositions();
        for (QTextOption::Tab& t : tabs)
            t.position *= factor;
        f.setTabPositions(tabs);
        c.setPosition(b.position());
        c.setBlockFormat(f);
    }
    for (QTextTable* t : tablesOf(doc)) {
        QTextTableFormat tf = t->format();
        QList<QTextLength> widths = tf.columnWidthConstraints();
        bool fixed = false;
        for (QTextLength& w : widths)
            if (w.type() == QTextLength::FixedLength) {
                w = QTextLength(QTextLength::FixedLength, w.rawValue() * factor);
                fixed = true;
            }
        if (fixed) {
            tf.setColumnWidthConstraints(widths);
            t->setFormat(tf);
        }
    }
    c.endEditBlock();
    doc->setUndoRedoEnabled(undo);
}

// The clipboard format of a piece of a page: RTF as the page writer writes it.
constexpr char kPageMime[] = "application/x-verdarium-page";

// Calls f with a cursor selecting each picture of doc (every frame and table cell included).
void forEachPicture(QTextDocument* doc, const std::function<void(QTextCursor&, const QTextImageFormat&)>& f)
{
    QList<int> at;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                for (int i = 0; i < it.fragment().length(); ++i)
                    at << it.fragment().position() + i;
    for (const int position : at) {
        QTextCursor c(doc);
        c.setPosition(position);
        c.setPosition(position + 1, QTextCursor::KeepAnchor);
        const QTextCharFormat cf = c.charFormat();
        if (cf.isImageFormat())
            f(c, cf.toImageFormat());
    }
}

bool hasKeptObjects(const QTextDocument* doc)
{
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().objectType() == rtfkept::kObjectType)
                return true;
    return false;
}

QAction* menuItem(QMenu* menu, const char* name, const char* text, int key)
{
    QAction* a = menu->addAction(QString::fromUtf8(text));
    a->setObjectName(QString::fromLatin1(name));
    setTextKey(a, key);
    return a;
}

} // namespace

PageEditor::PageEditor(QWidget* parent) : QTextEdit(parent)
{
    setObjectName(QStringLiteral("Editor"));
    setAcceptRichText(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The editor's own font is the one pages are typed in: what is shown is what is saved.
    QFont pageFont(QStringLiteral("Times New Roman"));
    pageFont.setPointSize(12);
    setFont(pageFont);
    document()->setDefaultFont(pageFont);
    setMouseTracking(true);

    watchLines(document());

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    connect(menuItem(PopupMenu2, "Cut1", "Cu&t", 59), &QAction::triggered, this, &QTextEdit::cut);
    connect(menuItem(PopupMenu2, "Copy1", "&Copy", 60), &QAction::triggered, this, &QTextEdit::copy);
    connect(menuItem(PopupMenu2, "Paste1", "&Paste", 61), &QAction::triggered, this, &QTextEdit::paste);
    PopupMenu2->addSeparator();
    connect(menuItem(PopupMenu2, "Undo1", "&Undo", 62), &QAction::triggered, this, &QTextEdit::undo);
    PopupMenu2->addSeparator();
    Insertpicture1 = menuItem(PopupMenu2, "Insertpicture1", "Insert picture", 72);
    connect(Insertpicture1, &QAction::triggered, this, &PageEditor::insertPicture);

    askPictureFile = [this] {
        QStringList patterns;
        for (const QByteArray& f : QImageReader::supportedImageFormats())
            patterns << QStringLiteral("*.") + QString::fromLatin1(f);
        return QFileDialog::getOpenFileName(this, QString(), QString(),
                                            i18n::message("u50") + QStringLiteral(" (") + patterns.join(u' ') + u')');
    };
    openLink = [](const QUrl& url) {
        if (isSafeLink(url))
            QDesktopServices::openUrl(url);
    };
    connect(document(), &QTextDocument::modificationChanged, this, &PageEditor::modificationChanged);
}

void PageEditor::adoptDocument(QTextDocument* fresh)
{
    QTextDocument* old = document();
    // Reading a page is not an edit: Undo right after opening has nothing to take back.
    fresh->setUndoRedoEnabled(true);
    fresh->clearUndoRedoStacks();
    fresh->setDefaultFont(old->defaultFont());
    fresh->setDocumentMargin(old->documentMargin());
    fresh->setDefaultTextOption(old->defaultTextOption());
    fresh->setIndentWidth(old->indentWidth());
    connect(fresh, &QTextDocument::modificationChanged, this, &PageEditor::modificationChanged);
    watchLines(fresh);
    // The first document belongs to the edit control, which deletes it itself; later ones are ours.
    const bool ours = old->parent() == this;
    setDocument(fresh);
    if (ours)
        old->deleteLater();
}

IoStatus PageEditor::loadDocument(const QString& path, QString* problem)
{
    m_updating = true;
    const auto done = qScopeGuard([this] { m_updating = false; });
    RtfReader::Options whole;
    if (QFileInfo(path).size() >= kFirstLookBytes && showFirstLook(path)) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        whole.progress = [this](int percent) {
            Q_EMIT loadProgress(percent);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
    }
    const auto told = qScopeGuard([this, &whole] {
        if (!whole.progress)
            return;
        QApplication::restoreOverrideCursor();
        Q_EMIT loadProgress(-1);
    });
    auto* fresh = new QTextDocument(this);
    fresh->setUndoRedoEnabled(false); // nothing of the reading needs undoing (and it is faster)
    fresh->setDefaultFont(document()->defaultFont());
    const pagefile::LoadResult r = pagefile::load(path, fresh, whole);
    if (!r.ok()) {
        delete fresh;
        return r.status;
    }
    scaleIndents(fresh, kPixelsPerPoint); // before it is shown: laid out once
    adoptDocument(fresh);
    m_keepOriginal = !r.problem.isEmpty();
    m_keptOriginalFor.clear();
    if (!r.lossy.isEmpty()) {
        IoStatus kept;
        if (pagefile::keepOriginal(path, &kept))
            m_keptOriginalFor = r.lossy;
        else if (!kept.ok())
            m_keepOriginal = true; // kept as .damaged before the first save instead
    }
    // A page of the collection is RTF, whatever another program wrote into it; a text file opened
    // from elsewhere stays text.
    m_form = pagefile::isCollectionPage(path) ? pagefile::Form{} : pagefile::Form{r.kind, r.crlf, r.bom};
    m_stamp = r.stamp;
    if (problem)
        *problem = r.problem;
    setReadOnly(false);
    moveCursor(QTextCursor::Start); // a page is read from its top
    document()->clearUndoRedoStacks();
    document()->setModified(false);
    return {};
}

// The first paragraphs of a long page, shown read-only until the whole page takes their place.
bool PageEditor::showFirstLook(const QString& path)
{
    auto* look = new QTextDocument(this);
    look->setUndoRedoEnabled(false);
    look->setDefaultFont(document()->defaultFont());
    RtfReader::Options first;
    first.firstParagraphs = 300;
    const pagefile::LoadResult r = pagefile::load(path, look, first);
    if (!r.ok() || !r.partial) {
        delete look;
        return false;
    }
    scaleIndents(look, kPixelsPerPoint);
    adoptDocument(look);
    setReadOnly(true);
    moveCursor(QTextCursor::Start);
    viewport()->repaint();
    return true;
}

IoStatus PageEditor::saveDocument(const QString& path, QString* note)
{
    // The file keeps its indents in points: a copy is scaled back, the page on show stays as it is.
    std::unique_ptr<QTextDocument> copy;
    if (m_form.kind == pagefile::Kind::Rtf && hasIndents(document())) {
        copy.reset(document()->clone());
        scaleIndents(copy.get(), 1 / kPixelsPerPoint);
    }
    const IoStatus s =
        pagefile::save(path, copy ? *copy : *document(), m_keepOriginal, m_form, note, &m_stamp);
    if (s.ok()) {
        m_keepOriginal = false;
        document()->setModified(false);
    }
    return s;
}

void PageEditor::keepTextAsVersion(const QString& path)
{
    std::unique_ptr<QTextDocument> copy(document()->clone());
    if (m_form.kind == pagefile::Kind::Rtf)
        scaleIndents(copy.get(), 1 / kPixelsPerPoint);
    versions::keepText(path, pagefile::bytesOf(*copy, m_form), QDateTime::currentDateTimeUtc());
}

void PageEditor::newDocument()
{
    m_stamp = {};
    m_updating = true;
    const auto done = qScopeGuard([this] { m_updating = false; });
    clear();
    m_keepOriginal = false;
    setReadOnly(false);
    setCurrentFont(font());
    document()->setDefaultFont(font());
    QTextCharFormat typed; // typed text says its font and size in the file
    typed.setFontFamilies({font().family()});
    typed.setFontPointSize(font().pointSizeF());
    setCurrentCharFormat(typed);
    document()->setModified(false);
}

QStringList PageEditor::localFiles(const QMimeData* source)
{
    QStringList files;
    if (source && source->hasUrls())
        for (const QUrl& url : source->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
    return files;
}

void PageEditor::dragEnterEvent(QDragEnterEvent* e)
{
    if (!localFiles(e->mimeData()).isEmpty())
        e->acceptProposedAction();
    else
        QTextEdit::dragEnterEvent(e);
}

void PageEditor::dragMoveEvent(QDragMoveEvent* e)
{
    if (!localFiles(e->mimeData()).isEmpty())
        e->acceptProposedAction();
    else
        QTextEdit::dragMoveEvent(e);
}

void PageEditor::dropEvent(QDropEvent* e)
{
    const QStringList files = localFiles(e->mimeData());
    if (files.isEmpty()) {
        QTextEdit::dropEvent(e);
        return;
    }
    e->acceptProposedAction();
    Q_EMIT filesDropped(files);
}

void PageEditor::keyPressEvent(QKeyEvent* e)
{
    // Tab is typed into the page; Ctrl+Tab leaves it, as in other rich-text editors.
    if ((e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) && (e->modifiers() & Qt::ControlModifier)) {
        // QTextEdit itself refuses to hand the focus on while editable.
        QWidget::focusNextPrevChild(e->key() == Qt::Key_Tab && !(e->modifiers() & Qt::ShiftModifier));
        e->accept();
        return;
    }
    // Ctrl+M and Ctrl+Shift+M move the selected paragraphs half an inch in and out, as the ruler's
    // markers would.
    if (e->key() == Qt::Key_M && (e->modifiers() & Qt::ControlModifier)) {
        Indents in = indents();
        const bool out = e->modifiers() & Qt::ShiftModifier;
        in.first = std::max(0.0, in.first + (out ? -kIndentStep : kIndentStep));
        in.left = std::max(in.left, -in.first);
        setIndents(in);
        e->accept();
        return;
    }
    // Alt with a letter is a menu's or a button's key, never text for the page (a menu whose caption in
    // this language has another letter would otherwise leave the letter typed into the page).
    if ((e->modifiers() & Qt::AltModifier) && !(e->modifiers() & Qt::ControlModifier) && !e->text().isEmpty() &&
        e->text().front().isPrint()) {
        e->ignore();
        return;
    }
    const bool ends = e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (ends && !isReadOnly() && !textCursor().hasSelection() && linkTypedAddress())
        setCurrentCharFormat(withoutLink(textCursor().charFormat()));
    // Text typed right after a link is not part of it: a link grows only by typing inside it.
    if (!e->text().isEmpty() && e->text().front().isPrint() && !textCursor().hasSelection()) {
        const QTextCharFormat before = textCursor().charFormat();
        if (before.isAnchor()) {
            QTextCursor next = textCursor();
            next.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
            const bool inside = next.hasSelection() && next.charFormat().isAnchor() &&
                                next.charFormat().anchorHref() == before.anchorHref();
            if (!inside)
                setCurrentCharFormat(withoutLink(before));
        }
    }
    QTextEdit::keyPressEvent(e);
}

bool PageEditor::linkTypedAddress()
{
    // The word just typed, back to the last blank of the paragraph.
    QTextCursor c = textCursor();
    const QString text = c.block().text().left(c.positionInBlock());
    qsizetype start = text.size();
    while (start > 0 && !text.at(start - 1).isSpace())
        --start;
    QString word = text.mid(start);
    while (!word.isEmpty() && QStringLiteral(".,;:!?)\"'").contains(word.back()))
        word.chop(1); // the sentence's punctuation is not part of the address
    const bool web = word.startsWith(u"http://", Qt::CaseInsensitive) ||
                     word.startsWith(u"https://", Qt::CaseInsensitive) || word.startsWith(u"www.", Qt::CaseInsensitive);
    if (!web || word.size() < 8)
        return false;
    const QUrl url = QUrl::fromUserInput(word);
    if (!url.isValid() || !isSafeLink(url))
        return false;
    QTextCursor span(c.block());
    span.setPosition(c.block().position() + int(start));
    span.setPosition(c.block().position() + int(start + word.size()), QTextCursor::KeepAnchor);
    if (span.charFormat().isAnchor())
        return false; // a link already
    QTextCharFormat link;
    link.setAnchor(true);
    link.setAnchorHref(word.startsWith(u"www.", Qt::CaseInsensitive) ? QStringLiteral("http://") + word : word);
    link.setForeground(QColor(Qt::blue));
    link.setFontUnderline(true);
    span.mergeCharFormat(link);
    return true;
}

QTextCharFormat PageEditor::withoutLink(QTextCharFormat f)
{
    f.setAnchor(false);
    f.clearProperty(QTextFormat::AnchorHref);
    f.clearProperty(QTextFormat::AnchorName);
    f.clearForeground();
    f.setFontUnderline(false);
    f.clearProperty(rtfprop::kField);
    return f;
}

void PageEditor::contextMenuEvent(QContextMenuEvent* e)
{
    const bool editable = !isReadOnly();
    const bool selected = textCursor().hasSelection();
    for (QAction* a : PopupMenu2->actions()) {
        const QString name = a->objectName();
        if (name == u"Cut1")
            a->setEnabled(editable && selected);
        else if (name == u"Copy1")
            a->setEnabled(selected);
        else if (name == u"Paste1")
            a->setEnabled(editable && canPaste());
        else if (name == u"Undo1")
            a->setEnabled(editable && document()->isUndoAvailable());
        else if (a == Insertpicture1)
            a->setEnabled(editable);
    }
    // Then what other parts of the program put on the editor (page history).
    for (QAction* a : actions())
        if (!PopupMenu2->actions().contains(a)) {
            if (!m_othersSeparator)
                m_othersSeparator = PopupMenu2->addSeparator();
            PopupMenu2->addAction(a);
        }
    PopupMenu2->popup(e->globalPos());
    e->accept();
}

PageEditor::Indents PageEditor::indents() const
{
    // In points, as exact as the file keeps them (twentieths).
    const auto points = [](double px) { return std::round(px / kPixelsPerPoint * 20) / 20; };
    const QTextBlockFormat f = textCursor().blockFormat();
    return {points(f.leftMargin() + f.textIndent()), points(-f.textIndent()), points(f.rightMargin())};
}

void PageEditor::setIndents(const Indents& in)
{
    if (isReadOnly())
        return;
    QTextBlockFormat f;
    f.setLeftMargin((in.first + in.left) * kPixelsPerPoint);
    f.setTextIndent(-in.left * kPixelsPerPoint);
    f.setRightMargin(in.right * kPixelsPerPoint);
    QTextCursor c = textCursor();
    c.mergeBlockFormat(f);
    setTextCursor(c);
    Q_EMIT indentsChanged();
}

QRect PageEditor::textRect() const
{
    const int m = static_cast<int>(document()->documentMargin());
    return QRect(m, 0, viewport()->width() - 2 * m, viewport()->height());
}

QTextCharFormat PageEditor::currentAttributes() const
{
    QTextCharFormat f = currentCharFormat();
    const QFont full = f.font().resolve(document()->defaultFont());
    const QStringList families = f.fontFamilies().toStringList();
    f.setFontFamilies({families.isEmpty() ? full.family() : families.front()});
    if (f.fontPointSize() <= 0)
        f.setFontPointSize(full.pointSizeF() > 0 ? full.pointSizeF() : 12);
    if (f.foreground().style() == Qt::NoBrush)
        f.setForeground(palette().color(QPalette::Text));
    return f;
}

void PageEditor::mergeAttributes(const QTextCharFormat& f)
{
    if (!isReadOnly())
        mergeCurrentCharFormat(f);
}

QString PageEditor::caretPosition(const QString& format) const
{
    const QTextCursor c = textCursor();
    const QTextBlock block = c.block();
    // Lines shown above the caret's paragraph, walked from the paragraph asked about last (a long
    // page is not counted from its top at every key).
    const auto lines = [](const QTextBlock& b) {
        return std::max(1, b.layout() ? b.layout()->lineCount() : 1);
    };
    QTextBlock from =
        m_lineCache.block >= 0 ? document()->findBlockByNumber(m_lineCache.block) : QTextBlock();
    if (!from.isValid() || from.position() != m_lineCache.position) {
        from = document()->begin();
        m_lineCache.linesBefore = 0;
    }
    int line = m_lineCache.linesBefore;
    for (; from.isValid() && from.blockNumber() < block.blockNumber(); from = from.next())
        line += lines(from);
    for (; from.isValid() && from.blockNumber() > block.blockNumber();) {
        from = from.previous();
        line -= lines(from);
    }
    m_lineCache = {block.blockNumber(), block.position(), line};
    int col = c.positionInBlock();
    if (const QTextLayout* layout = block.layout()) {
        const QTextLine l = layout->lineForTextPosition(col);
        if (l.isValid()) {
            line += l.lineNumber();
            col -= l.textStart();
        }
    }
    return QString(format).arg(line + 1, 3).arg(col + 1, 3);
}

void PageEditor::insertPicture()
{
    if (isReadOnly())
        return;
    const QString path = askPictureFile ? askPictureFile() : QString();
    if (path.isEmpty())
        return;
    QString error;
    const QImage image = picturefile::read(path, QSize(), &error);
    if (image.isNull()) {
        Q_EMIT problem(error); // the page and the clipboard stay as they were
        return;
    }
    QGuiApplication::clipboard()->setImage(image);
    paste();
}

QString PageEditor::freshPictureName()
{
    QString name;
    do
        name = QStringLiteral("picture-%1.png").arg(++m_pictures);
    while (document()->resource(QTextDocument::ImageResource, QUrl(name)).isValid());
    return name;
}

void PageEditor::insertImage(const QImage& image)
{
    if (image.isNull() || isReadOnly())
        return;
    // A name of its own in this document; the writer keeps the picture's pixels in the page.
    const QString name = freshPictureName();
    document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat f;
    f.setName(name);
    const double room = std::max(16, textRect().width() - 4);
    if (image.width() > room) {
        f.setWidth(room);
        f.setHeight(std::round(image.height() * room / image.width()));
    }
    textCursor().insertImage(f);
}

QMimeData* PageEditor::createMimeDataFromSelection() const
{
    QMimeData* data = QTextEdit::createMimeDataFromSelection();
    QTextDocument piece;
    QTextCursor(&piece).insertFragment(textCursor().selection());
    // The pictures' pixels are resources of this document; the piece needs them to be written.
    forEachPicture(&piece, [&](QTextCursor&, const QTextImageFormat& f) {
        piece.addResource(QTextDocument::ImageResource, QUrl(f.name()),
                          document()->resource(QTextDocument::ImageResource, QUrl(f.name())));
    });
    scaleIndents(&piece, 1 / kPixelsPerPoint);
    const QByteArray rtf = RtfWriter::write(piece);
    data->setData(QString::fromLatin1(kPageMime), rtf);
    data->setData(QStringLiteral("text/rtf"), rtf);
    return data;
}

bool PageEditor::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasImage() || QTextEdit::canInsertFromMimeData(source);
}

void PageEditor::insertFromMimeData(const QMimeData* source)
{
    // A piece of a page (from this page or another) comes back with its pictures, each under a name
    // of its own in this document.
    if (source->hasFormat(QString::fromLatin1(kPageMime))) {
        QTextDocument piece;
        RtfReader::read(source->data(QString::fromLatin1(kPageMime)), &piece);
        scaleIndents(&piece, kPixelsPerPoint);
        forEachPicture(&piece, [&](QTextCursor& at, const QTextImageFormat& f) {
            const QString name = freshPictureName();
            document()->addResource(QTextDocument::ImageResource, QUrl(name),
                                    piece.resource(QTextDocument::ImageResource, QUrl(f.name())));
            QTextImageFormat renamed = f;
            renamed.setName(name);
            at.setCharFormat(renamed);
        });
        if (piece.rootFrame()->frameFormat().hasProperty(rtfprop::kPageGroups) || hasKeptObjects(&piece))
            rtfkept::registerHandler(document());
        textCursor().insertFragment(QTextDocumentFragment(&piece));
        ensureCursorVisible();
        return;
    }
    // A picture alone (a screenshot, a picture copied from a viewer, Insert picture) goes in as a
    // picture; text that comes with a picture of itself stays text.
    if (source->hasImage() && !source->hasText() && !source->hasHtml()) {
        insertImage(qvariant_cast<QImage>(source->imageData()));
        return;
    }
    QTextEdit::insertFromMimeData(source);
}

bool PageEditor::isSafeLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() &&
           (scheme == u"http" || scheme == u"https" || scheme == u"mailto" || scheme == u"ftp");
}

void PageEditor::mousePressEvent(QMouseEvent* e)
{
    m_pressedLink = e->button() == Qt::LeftButton ? anchorAt(e->position().toPoint()) : QString();
    QTextEdit::mousePressEvent(e);
}

void PageEditor::mouseMoveEvent(QMouseEvent* e)
{
    QTextEdit::mouseMoveEvent(e);
    const bool overLink = !anchorAt(e->position().toPoint()).isEmpty();
    viewport()->setCursor(overLink       ? Qt::PointingHandCursor
                          : isReadOnly() ? Qt::ArrowCursor
                                         : Qt::IBeamCursor);
}

void PageEditor::mouseReleaseEvent(QMouseEvent* e)
{
    QTextEdit::mouseReleaseEvent(e);
    const QString link = m_pressedLink;
    m_pressedLink.clear();
    if (e->button() != Qt::LeftButton || link.isEmpty() || textCursor().hasSelection() ||
        anchorAt(e->position().toPoint()) != link)
        return;
    QUrl url(link);
    if (url.scheme().isEmpty())
        url = QUrl::fromUserInput(link);
    if (openLink)
        openLink(url);
}

void PageEditor::resizeEvent(QResizeEvent* e)
{
    m_lineCache.block = -1;
    QTextEdit::resizeEvent(e);
}

void PageEditor::watchLines(QTextDocument* doc)
{
    // A change above the paragraph counted last, or a new width, makes its line count stale.
    m_lineCache.block = -1;
    connect(doc, &QTextDocument::contentsChange, this, [this](int position, int, int) {
        if (position < m_lineCache.position)
            m_lineCache.block = -1;
    });
}
