#include "editor/editor.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QUrl>

PageEditor::PageEditor(QWidget* parent) : QTextEdit(parent)
{
    setObjectName(QStringLiteral("Editor"));
    setAcceptRichText(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(document(), &QTextDocument::modificationChanged, this, &PageEditor::modificationChanged);
}

void PageEditor::adoptDocument(QTextDocument* fresh)
{
    QTextDocument* old = document();
    fresh->setDefaultFont(old->defaultFont());
    fresh->setDocumentMargin(old->documentMargin());
    fresh->setDefaultTextOption(old->defaultTextOption());
    fresh->setIndentWidth(old->indentWidth());
    connect(fresh, &QTextDocument::modificationChanged, this, &PageEditor::modificationChanged);
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
    auto* fresh = new QTextDocument(this);
    fresh->setDefaultFont(document()->defaultFont());
    const pagefile::LoadResult r = pagefile::load(path, fresh);
    if (!r.ok()) {
        delete fresh;
        return r.status;
    }
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
    m_form = {r.kind, r.crlf, r.bom};
    if (problem)
        *problem = r.problem;
    setReadOnly(false);
    moveCursor(QTextCursor::Start); // a page is read from its top
    document()->setModified(false);
    return {};
}

IoStatus PageEditor::saveDocument(const QString& path, QString* note)
{
    const IoStatus s = pagefile::save(path, *document(), m_keepOriginal, m_form, note);
    if (s.ok()) {
        m_keepOriginal = false;
        document()->setModified(false);
    }
    return s;
}

void PageEditor::newDocument()
{
    m_updating = true;
    const auto done = qScopeGuard([this] { m_updating = false; });
    clear();
    m_keepOriginal = false;
    setReadOnly(false);
    setCurrentFont(font());
    document()->setDefaultFont(font());
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
    QTextEdit::keyPressEvent(e);
}

void PageEditor::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = createStandardContextMenu(e->pos());
    menu->setObjectName(QStringLiteral("PopupMenu2"));
    if (!actions().isEmpty())
        menu->addSeparator();
    menu->addActions(actions());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}
