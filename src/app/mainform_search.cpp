// The window's part of search: the Edit menu's find commands, the search panel and the find bar of
// the page, and opening a result where it was found.
#include "app/mainform.h"

#include "editor/editor.h"
#include "groups/tframe1.h"
#include "i18n/translate.h"
#include "photos/photopanel.h"
#include "platform/changenotice.h"
#include "platform/paths.h"
#include "search/findbar.h"
#include "search/searchpanel.h"
#include "search/searchservice.h"
#include "store/collection.h"
#include "tree/nodefiles.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

void TMainForm::buildSearch()
{
    m_findBar = new search::FindBar(Editor, m_messages, Panel2);
    auto* editorLayout = qobject_cast<QVBoxLayout*>(Panel2->layout());
    editorLayout->insertWidget(editorLayout->indexOf(Editor), m_findBar);

    // A field under the tree (the tree's rows keep their places): Enter searches the collection.
    auto* field = new QLineEdit(Panel4);
    field->setObjectName(QStringLiteral("TreeSearch"));
    field->setPlaceholderText(m_messages.text(QStringLiteral("f1")));
    field->setClearButtonEnabled(true);
    i18n::markNotTranslated(field); // the user's words; its hint is a message
    Panel4->layout()->addWidget(field);
    connect(field, &QLineEdit::returnPressed, this, [this, field] { openSearchPanel(field->text()); });

    QMenu* edit = menuBar()->findChild<QMenu*>(QStringLiteral("Edit1"));
    edit->addSeparator();
    auto item = [&](const QString& name, const QString& text, int key, const QKeySequence& shortcut) {
        QAction* a = edit->addAction(text);
        a->setObjectName(name);
        setTextKey(a, key);
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
        return a;
    };
    connect(item(QStringLiteral("FindInCollection"), QStringLiteral("Find in collection..."), 220,
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)),
            &QAction::triggered, this, [this] { openSearchPanel(); });
    connect(item(QStringLiteral("FindInPage"), QStringLiteral("Find in page..."), 221, QKeySequence::Find),
            &QAction::triggered, this, [this] {
                if (Panel2->isVisible())
                    m_findBar->showFind();
            });
    connect(item(QStringLiteral("ReplaceInPage"), QStringLiteral("Replace..."), 222,
                 QKeySequence(Qt::CTRL | Qt::Key_H)),
            &QAction::triggered, this, [this] {
                if (Panel2->isVisible())
                    m_findBar->showReplace();
            });
}

search::SearchPanel* TMainForm::openSearchPanel(const QString& text)
{
    if (!m_searchService) {
        // Made at the first search: from then on the program's own saves and renames reach the
        // index at once, and changes by other programs are noticed by the next search.
        m_searchService = new search::SearchService(m_programFolder, QString(), this);
        const QString root = collection::myPlants(m_programFolder);
        changenotice::setListener([service = m_searchService, root](const QString& path) {
            if (path.startsWith(root))
                service->noticeChange(path);
        });
        m_searchPanel = new search::SearchPanel(*m_searchService, m_messages, this);
        connect(m_searchPanel, &search::SearchPanel::chosen, this, &TMainForm::openSearchResult);
    }
    m_searchPanel->openWith(text);
    return m_searchPanel;
}

void TMainForm::stopSearch()
{
    changenotice::setListener({});
}

void TMainForm::openSearchResult(const search::Hit& hit, const QStringList& words)
{
    // The page on show is written first; if it cannot be, the window stays where it is.
    if (!FileSave())
        return;
    if (isNotesGroup(hit.group)) {
        if (!notesMode)
            BitBtn1Click();
    } else {
        int slot = 0;
        for (int n = 1; n <= groupCount && !slot; ++n)
            if (Frame11->entry(n).name == hit.group)
                slot = n;
        if (!slot)
            return; // the group is gone since the search
        if (slot != selectedSlot || notesMode || currentGroupName != hit.group)
            Image3MouseDown(slot, Qt::LeftButton);
    }
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; i < TreeView1->topLevelItemCount() && !node; ++i) {
        QTreeWidgetItem* top = TreeView1->topLevelItem(i);
        if (hit.parent.isEmpty() && top->text(0) == hit.name)
            node = top;
        else if (!hit.parent.isEmpty() && top->text(0) == hit.parent)
            for (int c = 0; c < top->childCount() && !node; ++c)
                if (top->child(c)->text(0) == hit.name)
                    node = top->child(c);
    }
    if (!node)
        return;
    if (node->parent())
        node->parent()->setExpanded(true);
    TreeView1->scrollToItem(node);
    selectNode(node);
    if (hit.shownField == search::Comments) {
        Button6Click();
        const int n = int(Panel6->photos().indexOf(hit.photo));
        if (n >= 0)
            Panel6->showPhoto(n + 1);
        search::FindBar::selectWords(Panel6->Memo1, words);
        return;
    }
    if (hit.shownField == search::Care)
        Button5Click();
    else if (hit.shownField == search::Diary)
        Button7Click();
    else if (hit.shownField == search::Description || currentPageFile.isEmpty())
        Button4Click();
    else if (Panel6->isVisible())
        Button4Click(); // a name matched: the page in the editor, not the photos
    search::FindBar::selectWords(Editor, words);
    Editor->setFocus();
}
