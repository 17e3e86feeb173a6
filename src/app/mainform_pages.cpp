// The main window's plant tree and page area: loading a group's tree, node selection, the page
// buttons and the page file commands.
#include "app/mainform.h"

#include "editor/editor.h"
#include "editor/formatbar.h"
#include "editor/notes.h"
#include "editor/ruler.h"
#include "photos/photopanel.h"
#include "platform/atomicfile.h"
#include "platform/desktopopen.h"
#include "platform/messagesink.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "store/errorlog.h"
#include "store/templates.h"
#include "tree/nodefiles.h"
#include "tree/planttree.h"
#include "tree/treeloader.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>

const QString& TMainForm::untitled()
{
    static const QString text = QStringLiteral("Untitled");
    return text;
}

void TMainForm::showError(const QString& text)
{
    m_sink->warning(text);
}

// ---- the tree -------------------------------------------------------------------------------------

void TMainForm::loadTree(const QString& group)
{
    treeLoading = true;
    const LoadedTree loaded = loadTreeFromDisk(m_programFolder, group, firstGroupName);
    // When the group had no record the first group is shown; its pages must then be looked for in
    // its own folder, not in the one asked for.
    if (loaded.group != group)
        currentGroupName = loaded.group;
    planttree::fill(TreeView1, loaded);
    showEmptyTreeHint();
    Label2->setText(loaded.heading);
    // The node shown last in this group, or else the first one.
    QTreeWidgetItem* last = planttree::itemAt(TreeView1, m_lastNodes.value(currentGroupName));
    if (last && last->parent())
        last->parent()->setExpanded(true);
    if (!last && TreeView1->topLevelItemCount() > 0)
        last = TreeView1->topLevelItem(0);
    if (last)
        TreeView1->setCurrentItem(last);
    TreeView1Click();
    treeLoading = false;
    Editor->setEnabled(TreeView1->topLevelItemCount() > 0);
    showEmptyPageWhenNoNodes();
    markConflicts();
    markOverdue();
    watchTree();
    if (!loaded.unreadable.isEmpty())
        showError(QStringLiteral("These records could not be read and were taken as empty:\r") +
                  loaded.unreadable.join(u'\r'));
}

void TMainForm::showEmptyTreeHint()
{
    const bool notes = isNotesGroup(currentGroupName);
    planttree::setEmptyHint(TreeView1, m_messages.text(notes ? QStringLiteral("h2") : QStringLiteral("h1")));
    m_emptyPage->setText(m_messages.text(notes ? QStringLiteral("h4") : QStringLiteral("h3")));
}

QString TMainForm::selectedNodeFolder() const
{
    const QTreeWidgetItem* node = TreeView1->currentItem();
    return node ? nodeFolderOf(node) : QString();
}

QString TMainForm::nodeFolderOf(const QTreeWidgetItem* node) const
{
    return paths::join(parentFolderOf(node), node->text(0));
}

void TMainForm::TreeView1Change()
{
    if (!treeLoading)
        TreeView1Click();
    Editor->setEnabled(TreeView1->topLevelItemCount() > 0);
    showEmptyPageWhenNoNodes();
}

void TMainForm::showEmptyPageWhenNoNodes()
{
    const bool empty = TreeView1->topLevelItemCount() == 0;
    m_emptyPage->setVisible(empty);
    if (empty) {
        Panel2->hide();
        Panel6->hide();
    } else if (Panel2->isHidden() && Panel6->isHidden()) {
        showEditorArea(pageButtonOf(currentPageFile));
    }
}

void TMainForm::TreeView1Click()
{
    // 1-2. The photo panel's comment and file line belong to the node being left.
    Panel6->clearLines();
    rememberedGroupName = currentGroupName;
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node)
        Panel6->loadAlbum(QString()); // an empty group shows no one else's photos
    if (node) {
        // 3-4.
        m_lastNodes.insert(currentGroupName, planttree::pathOf(node));
        folderFlag = planttree::isFolder(node);
        subPath = node->parent() ? node->parent()->text(0) : QString();
        // 5-10. Folder, pages and record: only what is missing is made.
        const NodeFiles files =
            prepareNodeFiles(m_programFolder, currentGroupName, subPath, node->text(0), folderFlag);
        if (files.throughLink) {
            showLinkedNode(files);
            TreeView1->setFocus();
            return;
        }
        if (!files.ok()) {
            // The node cannot be written into: nothing typed may seem to go there.
            if (FileSave()) {
                Editor->newDocument();
                Editor->setReadOnly(true);
                editorFileName = untitled();
                showModifiedState(false);
                showReadOnlyState(true);
            }
            showError(files.error);
            return;
        }
        // 11. The node's album; a photo that cannot be shown says so in the panel.
        Panel6->loadAlbum(files.nodeFolder);
        // 12. The page being left is written before another one is shown; if it cannot be, it stays.
        if (editorFileName != untitled() && Editor->document()->isModified()) {
            if (!FileSave())
                return;
            Editor->newDocument();
        }
        // 13.
        QTextCharFormat initial;
        initial.setFontFamilies({QStringLiteral("Times New Roman")});
        initial.setFontPointSize(12);
        Editor->setCurrentCharFormat(initial);
        editorFileName = pagePath(files.nodeFolder, currentPageFile);
        FileOpen();
    }
    // 14.
    TreeView1->setFocus();
}

void TMainForm::showLinkedNode(const NodeFiles& files)
{
    // What a link leads to is shown as it is, read-only; the status bar says why, and only a change
    // the user asks for gets a message.
    if (!FileSave())
        return;
    Panel6->loadAlbum(files.nodeFolder);
    const QString page = pagePath(files.nodeFolder, currentPageFile);
    if (paths::isFile(page) && Editor->loadDocument(page).ok()) {
        editorFileName = page;
    } else {
        Editor->newDocument();
        editorFileName = untitled();
    }
    Editor->setReadOnly(true);
    showModifiedState(false);
    showReadOnlyState(true);
    selectionChanged();
    StatusBar->showMessage(files.error);
}

void TMainForm::watchPage(const QString& path)
{
    if (!m_pageWatcher) {
        m_pageWatcher = new QFileSystemWatcher(this);
        m_pageRecheck = new QTimer(this);
        m_pageRecheck->setSingleShot(true);
        m_pageRecheck->setInterval(300); // a sync engine writes in bursts
        connect(m_pageWatcher, &QFileSystemWatcher::directoryChanged, m_pageRecheck,
                qOverload<>(&QTimer::start));
        connect(m_pageRecheck, &QTimer::timeout, this, &TMainForm::pageFolderChanged);
    }
    const QString folder = paths::parentOf(path);
    const QStringList watched = m_pageWatcher->directories();
    if (watched == QStringList{folder})
        return;
    if (!watched.isEmpty())
        m_pageWatcher->removePaths(watched);
    m_pageWatcher->addPath(folder);
}

void TMainForm::pageFolderChanged()
{
    if (editorFileName == untitled() || editorFileName.isEmpty() || Editor->document()->isModified() ||
        Editor->isReadOnly() || !paths::isFile(editorFileName) || !Editor->changedOutside(editorFileName))
        return;
    FileOpen();
    StatusBar->showMessage(m_messages.text(QStringLiteral("k29")), 10000);
}

void TMainForm::followFolder(const QString& from, const QString& to)
{
    if (editorFileName.startsWith(from + u'/'))
        editorFileName = to + editorFileName.mid(from.size());
    Panel6->followFolder(from, to);
}

void TMainForm::savecond(int mark, int expanded)
{
    if (TreeView1->currentItem())
        writeCond(selectedNodeFolder(), mark, expanded);
}

void TMainForm::writeCond(const QString& nodeFolder, int mark, int expanded)
{
    const IoStatus s = collection::writePlantRecord(nodeFolder, mark, expanded);
    if (!s.ok())
        errorlog::WriteErrorLog(m_programFolder, errorlog::message(s.text, QStringLiteral("savecond"),
                                                                   collection::plantRecordPath(nodeFolder)));
}

void TMainForm::selectNode(QTreeWidgetItem* node)
{
    if (TreeView1->currentItem() != node)
        TreeView1->setCurrentItem(node); // the change runs node selection
    else
        TreeView1Click();
}

void TMainForm::TreeView1Collapsed(QTreeWidgetItem* node)
{
    selectNode(node);
    savecond(collection::kFolderMark, 0);
}

void TMainForm::TreeView1Expanded(QTreeWidgetItem* node)
{
    if (treeLoading)
        return;
    if (TreeView1->currentItem() && TreeView1->currentItem()->parent() == node) {
        // Opened to show a plant being selected inside it: the plant stays selected.
        writeCond(nodeFolderOf(node), collection::kFolderMark, 1);
        return;
    }
    selectNode(node);
    savecond(collection::kFolderMark, 1);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == Image1 && e->type() == QEvent::Resize)
        drawBanner();
    if (watched == TreeView1->viewport()) {
        // Drags inside the tree: a plant may be dropped on a folder, or out of its folder on empty
        // space. The tree's own drag is taken in wherever it enters (over the plant itself, at
        // first), or no moves would follow.
        if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove) {
            auto* de = static_cast<QDragMoveEvent*>(e);
            if (TreeView1DragOver(de->source(), TreeView1->itemAt(de->position().toPoint())) ||
                (e->type() == QEvent::DragEnter && de->source() == TreeView1))
                de->acceptProposedAction();
            else
                de->ignore();
            return true;
        }
        if (e->type() == QEvent::Drop) {
            auto* de = static_cast<QDropEvent*>(e);
            QTreeWidgetItem* target = TreeView1->itemAt(de->position().toPoint());
            if (TreeView1DragOver(de->source(), target)) {
                de->acceptProposedAction();
                TreeView1DragDrop(target);
            } else {
                de->ignore();
            }
            return true;
        }
    }
    if (watched == TreeView1->viewport() && e->type() == QEvent::ContextMenu) {
        const auto* ce = static_cast<QContextMenuEvent*>(e);
        if (ce->reason() != QContextMenuEvent::Mouse) // the menu key or Shift+F10
            openTreeMenuFromKeyboard();
        return true; // a right click opened it on the press already
    }
    if (watched == TreeView1->viewport() && e->type() == QEvent::MouseButtonPress) {
        const auto* me = static_cast<QMouseEvent*>(e);
        if (me->button() == Qt::RightButton) {
            TreeView1->setToolTip(QString());
            openTreeMenu(TreeView1->itemAt(me->position().toPoint()), me->globalPosition().toPoint());
            return true;
        }
        // The page being left is written before a click can change the node; when it cannot be
        // written the click is not taken, so the page and its node stay together.
        // The keyboard stays with the tree that was clicked: Delete and F2 act on its nodes.
        if (TreeView1->itemAt(me->position().toPoint()) && !FileSave())
            return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

// ---- pages ----------------------------------------------------------------------------------------

void TMainForm::showPage(QPushButton* button, const QString& page)
{
    if (!TreeView1->currentItem() || currentGroupName == u"_notes")
        return;
    if (!FileSave())
        return;
    currentPageFile = page;
    editorFileName = pagePath(selectedNodeFolder(), page);
    FileOpen();
    showEditorArea(button);
}

void TMainForm::showEditorArea(QPushButton* button)
{
    highlightPage(button);
    Panel6->hide();
    if (TreeView1->topLevelItemCount() == 0)
        return; // the empty page stays
    Panel2->show();
    StandardToolBar->show();
    RulerBar->show();
    StatusBar->show();
}

void TMainForm::BitBtn1Click()
{
    QString logLine;
    const QString folder = paths::fileNameOf(notes::prepareGroup(m_programFolder, &logLine));
    if (!logLine.isEmpty())
        errorlog::WriteErrorLog(m_programFolder, logLine);
    // The page being left is written first; if it cannot be, the window stays where it is.
    if (!FileSave())
        return;
    currentPageFile = QStringLiteral("description.rtf");
    showEditorArea(Button4);
    showGroup(notes::heading(m_messages), folder);
    notesMode = true;
}

QPushButton* TMainForm::pageButtonOf(const QString& page) const
{
    if (page == u"care.rtf")
        return Button5;
    if (page == u"diary.rtf")
        return Button7;
    return Button4;
}

void TMainForm::Button4Click()
{
    showPage(Button4, QStringLiteral("description.rtf"));
}

void TMainForm::Button5Click()
{
    showPage(Button5, QStringLiteral("care.rtf"));
}

void TMainForm::Button7Click()
{
    showPage(Button7, QStringLiteral("diary.rtf"));
}

void TMainForm::Button6Click()
{
    const bool noNodes = TreeView1->topLevelItemCount() == 0;
    if (noNodes) { // the panel says there are no photos; nothing can be added without a plant
        Panel6->loadAlbum(QString());
        Panel6->clearLines();
    }
    // The editor keeps its page, its modified flag and its file name behind the photo panel.
    highlightPage(Button6);
    StatusBar->hide();
    RulerBar->hide();
    StandardToolBar->hide();
    Panel2->hide();
    Panel6->show();
    Panel6->Memo1->setEnabled(!noNodes);
    Panel6->Memo1->setFocus();
}

bool TMainForm::FileSave()
{
    // A read-only page is one that could not be read or cannot be written: nothing goes over it.
    if (editorFileName == untitled() || editorFileName.isEmpty() || !Editor->document()->isModified() ||
        Editor->isReadOnly())
        return true;
    // Another program (a sync engine, an editor) changed the page meanwhile: the user says which text
    // becomes the page, and the other one is kept in its history either way.
    if (Editor->changedOutside(editorFileName)) {
        if (!m_sink->question(m_messages.textWithName(QStringLiteral("k27"), editorFileName))) {
            Editor->keepTextAsVersion(editorFileName);
            Editor->document()->setModified(false);
            FileOpen();
            StatusBar->showMessage(m_messages.text(QStringLiteral("k28")), 10000);
            return true;
        }
        pagefile::keepFileAsVersion(editorFileName); // never replaced by the saves that follow
    }
    // A text file opened from elsewhere stays text, unless the user would rather keep the formatting.
    if (Editor->formattingWouldBeLost() &&
        m_sink->question(m_messages.textWithName(QStringLiteral("k23"), editorFileName)))
        Editor->saveAsRtf();
    QString noVersion;
    const IoStatus s = Editor->saveDocument(editorFileName, &noVersion);
    if (!s.ok()) {
        errorlog::WriteErrorLog(m_programFolder, errorlog::message(s.text, editorFileName));
        showError(QStringLiteral("Cannot save ") + editorFileName + QStringLiteral(": ") + s.text);
        return false;
    }
    if (!noVersion.isEmpty()) {
        const QString line = m_messages.text(QStringLiteral("k19")) + u' ' + noVersion;
        StatusBar->showMessage(line, 10000);
        errorlog::WriteErrorLog(m_programFolder, line + QStringLiteral(" (args: ") + editorFileName + u')');
    }
    showModifiedState(false);
    return true;
}

bool TMainForm::FileOpen()
{
    const int opening = ++m_pagesOpened;
    // A long page at start-up is read once the window is on the screen, so its first paragraphs show
    // at once; until then nothing is named in the editor, so nothing can be written over the page.
    const bool onScreen = windowHandle() && windowHandle()->isExposed();
    if (!onScreen && QFileInfo(editorFileName).size() >= PageEditor::kFirstLookBytes) {
        const QString path = editorFileName;
        Editor->newDocument();
        Editor->setReadOnly(true);
        editorFileName = untitled();
        QTimer::singleShot(0, this, [this, path, opening] {
            if (opening != m_pagesOpened)
                return; // another page was opened meanwhile
            editorFileName = path;
            FileOpen();
        });
        return true;
    }
    if (!loadDocumentIntoEditor(editorFileName))
        return false;
    // Typing that could never be saved is not taken: a read-only file or folder shows read-only.
    const bool writable = atomicfile::canReplace(editorFileName);
    Editor->setReadOnly(!writable);
    showReadOnlyState(!writable);
    return true;
}

void TMainForm::showReadOnlyState(bool readOnly)
{
    m_thirdPanel->setText(readOnly ? m_messages.text(QStringLiteral("r2")) : QString());
    m_thirdPanel->setToolTip(readOnly ? m_messages.textWithName(QStringLiteral("r1"), editorFileName)
                                      : QString());
}

bool TMainForm::loadDocumentIntoEditor(const QString& path)
{
    QString problem;
    const IoStatus s = Editor->loadDocument(path, &problem);
    if (!s.ok()) {
        // Nothing of another page may stay on show under this name, and nothing typed may be
        // written over a file that could not be read.
        Editor->newDocument();
        Editor->setReadOnly(true);
        editorFileName = untitled();
        showModifiedState(false);
        showReadOnlyState(true);
        showError(s.text);
        return false;
    }
    editorFileName = path;
    watchPage(path);
    if (Editor->isEnabled() && Editor->isVisible())
        Editor->setFocus();
    showModifiedState(false);
    selectionChanged();
    updateEditCommands();
    if (!problem.isEmpty())
        showError(m_messages.text(QStringLiteral("p2")).arg(path) + QStringLiteral("\r") + problem);
    QStringList parts; // objects, shapes, tables, bytes after the end
    for (const QString& part : Editor->keptOriginalFor())
        parts << m_messages.text(part == u"objects"  ? QStringLiteral("d2")
                                 : part == u"shapes" ? QStringLiteral("d3")
                                 : part == u"tables" ? QStringLiteral("d4")
                                                     : QStringLiteral("d6"));
    if (!parts.isEmpty())
        showError(m_messages.text(QStringLiteral("d1")).arg(path, parts.join(QStringLiteral(", "))));
    return true;
}

void TMainForm::FileNew()
{
    Editor->newDocument();
    showModifiedState(false);
    selectionChanged();
    updateEditCommands();
}

void TMainForm::filesDropped(const QStringList& files)
{
    if (files.isEmpty())
        return;
    // The page on show is written before the dropped document takes its place.
    if (!FileSave())
        return;
    loadDocumentIntoEditor(files.front());
}

void TMainForm::dragEnterEvent(QDragEnterEvent* e)
{
    if (!PageEditor::localFiles(e->mimeData()).isEmpty())
        e->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* e)
{
    const QStringList files = PageEditor::localFiles(e->mimeData());
    if (files.isEmpty())
        return;
    e->acceptProposedAction();
    filesDropped(files);
}

void TMainForm::updateEditCommands()
{
    if (m_undo)
        m_undo->setEnabled(Editor->document()->isUndoAvailable());
    if (m_paste)
        m_paste->setEnabled(!Editor->isReadOnly() && Editor->canPaste());
    if (m_pageHistory)
        m_pageHistory->setEnabled(pageHasHistory());
}

// ---- templates ------------------------------------------------------------------------------------

void TMainForm::editTemplate(const QString& group, QStringView page)
{
    const IoStatus made = templates::ensureTemplates(m_programFolder, group);
    if (!made.ok()) {
        showError(made.text);
        return;
    }
    const QString path = templates::file(m_programFolder, group, page);
    const bool program = desktopopen::hasProgramFor(QStringLiteral("application/rtf")) ||
                         desktopopen::hasProgramFor(QStringLiteral("text/rtf"));
    if (program && QDesktopServices::openUrl(paths::fileUrl(path)))
        return;
    // No word processor on this desktop: the template can be edited here, like a dropped document.
    if (!m_sink->question(m_messages.text(QStringLiteral("p3")).arg(path)) || !FileSave())
        return;
    if (!loadDocumentIntoEditor(path))
        return;
    highlightPage(nullptr); // a template is none of the plant's pages
    Panel6->hide();
    m_emptyPage->hide();
    Panel2->show();
    StandardToolBar->show();
    RulerBar->show();
    StatusBar->show();
    Editor->setEnabled(true);
    Editor->setReadOnly(false);
    Editor->setFocus();
}

void TMainForm::N36Click()
{
    editTemplate(QString(), templates::kPages[0]);
}

void TMainForm::N37Click()
{
    editTemplate(QString(), templates::kPages[1]);
}

void TMainForm::N38Click()
{
    editTemplate(QString(), templates::kPages[2]);
}

void TMainForm::N30Click()
{
    if (!currentGroupName.isEmpty())
        editTemplate(currentGroupName, templates::kPages[0]);
}

void TMainForm::N32Click()
{
    if (!currentGroupName.isEmpty())
        editTemplate(currentGroupName, templates::kPages[1]);
}

void TMainForm::N33Click()
{
    if (!currentGroupName.isEmpty())
        editTemplate(currentGroupName, templates::kPages[2]);
}
