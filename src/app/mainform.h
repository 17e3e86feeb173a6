#pragma once

#include "i18n/langfile.h"
#include "i18n/messages.h"
#include "settings/settings.h"
#include "store/copyfolder.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class IniFile;
struct NodeFiles;
class QAction;
class QMimeData;
class QComboBox;
class QFileSystemWatcher;
class QTimer;
class QLabel;
class QMenu;
class QPushButton;
class PanelSplitter;
class QStatusBar;
class CareCommands;
class PageEditor;
class PublishCommands;
class PhotoPanel;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class FormatBar;
class Ruler;
class TFrame1;
class WidgetSink;
namespace search {
class FindBar;
class SearchPanel;
class SearchService;
struct Hit;
} // namespace search

// The main window: owns the shared state of the program and calls the subsystems in the fixed
// order of start-up and close. Handlers stay short; the work lives in the subsystem folders.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // programFolder: the folder of the executable; args: the command line after the program name.
    // sink: where message boxes go (the window's own boxes when null).
    TMainForm(const QString& programFolder, const QStringList& args, MessageSink* sink = nullptr,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // Regions, named as the rest of the program knows them.
    TFrame1* Frame11 = nullptr;
    QWidget* Panel4 = nullptr;
    QLabel* Label2 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLabel* Image1 = nullptr;
    QWidget* Panel2 = nullptr;
    FormatBar* StandardToolBar = nullptr;
    Ruler* RulerBar = nullptr;
    PageEditor* Editor = nullptr;
    QStatusBar* StatusBar = nullptr;
    PhotoPanel* Panel6 = nullptr;
    QMenu* LanguageMenu = nullptr;

    // Shared state.
    const QString& programFolder() const { return m_programFolder; }
    QString currentGroupName;
    QString rememberedGroupName;
    QString firstGroupName;
    QString currentPageFile;
    QString editorFileName; // untitled() when no document is loaded
    static const QString& untitled();
    QString subPath;         // the parent folder's text for a node inside a folder, else empty
    bool folderFlag = false; // the selected node is a folder
    int groupCount = 0;
    int selectedSlot = 1;
    int currentSlot = 1;
    bool treeLoading = false;
    bool notesMode = false;
    bool startupDone() const { return m_started; }
    // The conversion of the older layout was declined or stopped: the program ends at its start.
    bool endedAtStart() const { return m_endedAtStart; }
    FileCopier& copier() { return m_copier; }
    const Settings& settings() const { return m_settings; }
    const MessageTable& messages() const { return m_messages; }

    // The width below which the window cannot go once start-up has run.
    static constexpr int kPageBarContentRight = 524;
    static constexpr int kPageAreaLeft = 188;
    static int minimumStartWidth() { return kPageBarContentRight + kPageAreaLeft + 110; }

    void showModifiedState(bool modified);
    // The status bar's third panel says when the page on show cannot be changed.
    void showReadOnlyState(bool readOnly);
    // A folder was renamed: the page in the editor and the album follow it when they lie in it.
    void followFolder(const QString& from, const QString& to);

    // The plant tree.
    void loadTree(const QString& group);
    void TreeView1Click(); // node selection
    void TreeView1Change();
    // Makes node the selected node and runs node selection once (also when it already was).
    void selectNode(QTreeWidgetItem* node);
    void TreeView1Collapsed(QTreeWidgetItem* node);
    void TreeView1Expanded(QTreeWidgetItem* node);
    void savecond(int mark, int expanded);
    // Writes Cond and Expanded into a node's record; a failure goes to the error log.
    void writeCond(const QString& nodeFolder, int mark, int expanded);
    // The tree's menu and drags.
    QMenu* PopupMenu1 = nullptr;
    void openTreeMenu(QTreeWidgetItem* node, const QPoint& globalPos);
    void openTreeMenuFromKeyboard();
    void drawBanner();
    void fitStatusPanels();
    void N1Click();  // add plant
    void N15Click(); // add folder
    void N7Click();  // remove
    void N18Click(); // rename
    void TreeView1Edited(QTreeWidgetItem* node, const QString& text);
    void N9Click(const QString& group); // send to group
    bool TreeView1DragOver(QObject* source, QTreeWidgetItem* target) const;
    void TreeView1DragDrop(QTreeWidgetItem* target);
    void setMark(int mark); // N13Click, N21Click, N31Click, N41Click, N14Click
    // Asks for a name in the name dialog; empty when cancelled. The hook lets tests answer.
    std::function<QString(const QString& caption, const QString& label)> askName;
    // The selected node's folder; empty when no node is selected.
    QString selectedNodeFolder() const;

    // The group bar.
    void buildGroupBar();
    void Image3MouseDown(int slot, Qt::MouseButton button); // group click
    void showGroup(const QString& caption, const QString& folder);
    void addGroup();    // N22, and Add group in the File menu
    void changeGroup(); // N23
    void deleteGroup(); // N24
    void moveGroup(int from, int to);
    std::vector<int> pictureNumbers; // per slot: 100 own picture, 1..24 built-in, 0 or less hidden
    QMenu* PopupMenu3 = nullptr;
    QMenu* N8 = nullptr; // "Send to...": one item mgr N per group, for the plant tree's menu

    // Pages.
    void Button4Click();
    void Button5Click();
    void Button7Click();
    void Button6Click();
    void BitBtn1Click(); // the notes group
    // Writes the page back when it is modified and has a file; false (with the error shown) when
    // the write failed, the page then stays modified.
    bool FileSave();
    bool FileOpen();
    bool loadDocumentIntoEditor(const QString& path);
    void FileNew();
    void filesDropped(const QStringList& files);

    // Save4web: the shown photo's web copy, under the progress dialog, saved where the user says.
    void Button12Click();
    // The save dialog of the web copy (tests answer it): folder and proposed name in, path out.
    std::function<QString(const QString& folder, const QString& proposed)> askWebCopyPath;

    // Page history and removed items (src/history): Edit "Page history...", also on the editor's menu,
    // and File "Removed items...".
    void showPageHistory();
    void showRemovedItems();
    // A node's (or over empty space the group's) care schedule.
    void showCareSchedule();
    // The care and publishing commands, for tests to answer their save dialogs.
    CareCommands* careCommands() const { return m_care; }
    PublishCommands* publishCommands() const { return m_publish; }

    // Templates opened with the desktop's program for rich text.
    void N36Click();
    void N37Click();
    void N38Click();
    void N30Click();
    void N32Click();
    void N33Click();
    void editTemplate(const QString& group, QStringView page);
    void showCursorPosition();
    // The toolbar, the ruler's markers and the caret's place follow the editor's selection.
    void selectionChanged();
    // Find in the collection (the panel, made with the index at its first use) and in the page.
    search::SearchPanel* openSearchPanel(const QString& text = QString());
    void openSearchResult(const search::Hit& hit, const QStringList& words);
    search::FindBar* findBar() const { return m_findBar; }
    int listWidth() const;
    int groupsWidth() const;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool event(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void buildRegions();
    void buildMenus();
    void buildToolBar();
    void buildHistoryItems(QMenu* file, QMenu* edit);
    void buildSyncItems(QMenu* file);
    // The care schedule (src/care): File › Care today..., Export care calendar..., the menu bar's
    // button and the tree menu's Care schedule...; plants with care overdue carry a drop.
    void buildCareItems(QMenu* file);
    void markOverdue();
    CareCommands* m_care = nullptr;
    // Publishing (src/publish): File › Publish as website... and Export plant list...
    void buildPublishItems(QMenu* file);
    PublishCommands* m_publish = nullptr;
    void showConflicts();
    // Nodes whose folder holds a sync engine's conflict copies are shown in italics, with a hint.
    void markConflicts();
    // The group's folder and its folders are watched: what another program makes, removes or renames
    // there shows in the tree.
    void watchTree();
    void treeFolderChanged();
    QFileSystemWatcher* m_treeWatcher = nullptr;
    QTimer* m_treeRecheck = nullptr;
    bool pageHasHistory() const;
    void buildSearch();
    void stopSearch();
    QPushButton* pageButton(const QString& name, const QString& text, int helpContext);

    void FormCreate();
    void FormShow();
    void convertOlderLayout(); // start-up step 12
    void endAtStart();
    void FormCloseQuery();
    void FormResize();
    void Timer8Timer();
    void FormActivate();

    void applySettings();
    // The Language menu from lang.INI, and the window, its menus and messages in a language.
    void buildLanguageMenu();
    void applyLanguage(const QString& section);
    // How to add to an empty tree, in the language in force.
    void showEmptyTreeHint();
    // Panel widths the user set (or the settings gave); kept when the window is resized.
    void setPanelWidths(int groups, int list);
    void layOutPanels();
    void saveSettingsNow();
    void selectGroupAtStartUp();
    void buildGroupMenu();
    void fillSendTo();
    void buildTreeMenu();
    QString parentFolderOf(const QTreeWidgetItem* node) const;
    QString nodeFolderOf(const QTreeWidgetItem* node) const;
    bool nameInTree(const QString& name) const;
    QString askNewNodeName(const QString& caption, bool trimEnd);
    void nodeLeft(QTreeWidgetItem* node);
    // Moves node's folder to target; false after a warning (nothing moved).
    bool moveNodeTo(QTreeWidgetItem* node, const QString& target, const QString& routine);
    void groupDropped(int slot, const QMimeData* data, QObject* source);
    // Frames the group of the current name again after a rebuild moved it to another slot.
    void reselectCurrentGroup();
    void highlightPage(QPushButton* current);
    void N16Click(); // Help: the help file
    void N17Click(); // Help: the website
    void N19Click(); // Help: About
    void printPage();
    void showPage(QPushButton* button, const QString& page);
    // The page editor with its toolbar, ruler and status bar in place of the photo page.
    void showEditorArea(QPushButton* button);
    // A group without nodes has no page: the page area shows only a hint how to add one.
    void showEmptyPageWhenNoNodes();
    QPushButton* pageButtonOf(const QString& page) const;
    void showError(const QString& text);
    // True, after saying which link, when path is reached through a group or folder that is a link.
    bool refusedByLink(const QString& path);
    // The tree's rules for removing a node, for its menu and the Delete key alike.
    bool canRemove(const QTreeWidgetItem* node) const;
    void showLinkedNode(const NodeFiles& files);
    // The folder of the page on show is watched: a page another program changes is shown anew when it
    // holds no unsaved edits (a save with edits asks which text stays).
    void watchPage(const QString& path);
    void pageFolderChanged();
    QFileSystemWatcher* m_pageWatcher = nullptr;
    QTimer* m_pageRecheck = nullptr;
    void updateEditCommands();
    bool eventFilter(QObject* watched, QEvent* e) override;

    QString m_programFolder;
    QStringList m_args;
    std::unique_ptr<WidgetSink> m_ownSink;
    MessageSink* m_sink;
    FileCopier m_copier;
    MessageTable m_messages;
    LanguageFile m_language;
    QString m_caption = QStringLiteral("My Verdarium"); // the window's caption without the build's name
    Settings m_settings;
    std::unique_ptr<IniFile> m_settingsFile;
    PanelSplitter* m_splitter = nullptr;
    QLabel* m_caretPanel = nullptr;
    QLabel* m_modifiedPanel = nullptr;
    QLabel* m_thirdPanel = nullptr;
    QLabel* m_emptyPage = nullptr;
    QTimer* m_timer8 = nullptr;
    int m_pagesOpened =
        0; // pages asked for, so a page put off until the window shows knows it is still wanted
    QAction* m_undo = nullptr;
    QAction* m_paste = nullptr;
    QAction* m_addGroupFile = nullptr;
    QAction* m_removedItems = nullptr;
    QAction* m_pageHistory = nullptr;
    bool m_topLevelAdd = false;
    QTreeWidgetItem* m_renaming = nullptr;
    QString m_renamingFrom;
    search::SearchService* m_searchService = nullptr;
    search::SearchPanel* m_searchPanel = nullptr;
    search::FindBar* m_findBar = nullptr;
    // The node shown last in each group (main.ini, section LastNodes), selected when the group is
    // shown again.
    QHash<QString, QString> m_lastNodes;
    bool m_started = false;
    bool m_endedAtStart = false;
    bool m_closed = false;
    bool m_hintsRouted = false;
    int m_groupsWidth = 102;
    int m_listWidth = 184;
};
