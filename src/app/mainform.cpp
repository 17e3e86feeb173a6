#include "app/mainform.h"
#include "i18n/translate.h"

#include "app/tform3.h"
#include "app/widgetsink.h"
#include "care/carecommands.h"
#include "convert/convert.h"
#include "editor/editor.h"
#include "editor/formatbar.h"
#include "editor/ruler.h"
#include "groups/grouplist.h"
#include "groups/tframe1.h"
#include "photos/photopanel.h"
#include "platform/linkguard.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "store/errorlog.h"
#include "store/inifile.h"
#include "store/leftovers.h"
#include "tree/planttree.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDatabase>
#include <QDate>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr QStringView kLastNodes = u"LastNodes";

// The product's site; the Help menu opens it with the desktop's browser.
const char* const kWebsite = "https://my-verdarium.example.org/";

QString withSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// The picture that ends the page-button bar: the program's name (in the interface's language) on a
// leafy band as wide as the room it has, 206 pixels at the most; the leaves go first when it is narrow.
QPixmap bannerPixmap(int room, const QString& caption)
{
    const int w = std::clamp(room, 24, 206);
    QPixmap pm(w, 30);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0, QColor(0xE8, 0xF5, 0xE0));
    g.setColorAt(1, QColor(0x9C, 0xCC, 0x7A));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0.5, 2.5, w - 1, 25), 6, 6);
    const bool leaves = w >= 140;
    p.setBrush(QColor(0x3C, 0x8D, 0x2F));
    for (int i = 0; leaves && i < 3; ++i) {
        p.save();
        p.translate(w - 30 + i * 9, 15);
        p.rotate(-30 + i * 30);
        p.drawEllipse(QRectF(-3, -9, 6, 14));
        p.restore();
    }
    QFont f = p.font();
    f.setBold(true);
    f.setItalic(true);
    f.setPixelSize(15);
    p.setFont(f);
    p.setPen(QColor(0x1E, 0x5A, 0x1A));
    const QRect text(10, 2, w - (leaves ? 46 : 14), 26);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, p.fontMetrics().elidedText(caption, Qt::ElideRight, text.width()));
    return pm;
}

} // namespace

// A splitter whose side panels keep their widths when it is resized (its own handler would scale
// them); the owner re-applies the widths after the base class has done its layout.
class PanelSplitter : public QSplitter {
public:
    explicit PanelSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {}
    std::function<void()> afterResize;

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QSplitter::resizeEvent(e);
        if (afterResize)
            afterResize();
    }
};

TMainForm::TMainForm(const QString& programFolder, const QStringList& args, MessageSink* sink,
                     QWidget* parent)
    : QMainWindow(parent), m_programFolder(withSlash(programFolder)), m_args(args),
      m_ownSink(sink ? nullptr : std::make_unique<WidgetSink>(this)), m_sink(sink ? sink : m_ownSink.get()),
      m_copier(m_programFolder, *m_sink)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("My Verdarium"));
    setMinimumSize(750, 300);
    resize(800, 586);
    buildRegions();
    buildMenus();
    buildSearch();
    buildGroupMenu();
    buildTreeMenu();
    buildCareItems(menuBar()->findChild<QMenu*>(QStringLiteral("File1")));
    buildPublishItems(menuBar()->findChild<QMenu*>(QStringLiteral("File1")));
    FormCreate();
}

TMainForm::~TMainForm()
{
    // A caption editor still open is closed by the tree's own destruction, after this window has
    // stopped being a TMainForm: what it commits then has nowhere to go.
    TreeView1->disconnect(this);
    stopSearch();
    // Dialogs made after this window must not read its language file.
    i18n::setCurrent(nullptr, QString());
}

QPushButton* TMainForm::pageButton(const QString& name, const QString& text, int helpContext)
{
    auto* b = new QPushButton(text, Panel3);
    b->setObjectName(name);
    b->setFocusPolicy(Qt::TabFocus); // the keyboard reaches it; a click leaves the focus where it was
    setTextKey(b, helpContext);
    // As wide as the caption needs, so the bar ends with its picture within 524 pixels.
    b->setMinimumWidth(0);
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    b->setMaximumWidth(std::max(62, b->fontMetrics().horizontalAdvance(text) + 24));
    return b;
}

void TMainForm::buildRegions()
{
    m_splitter = new PanelSplitter(this);
    m_splitter->setObjectName(QStringLiteral("Splitter"));
    m_splitter->setChildrenCollapsible(false);
    setCentralWidget(m_splitter);

    Frame11 = new TFrame1(m_splitter);

    Panel4 = new QWidget(m_splitter);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    auto* treeLayout = new QVBoxLayout(Panel4);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->setSpacing(2);
    Label2 = new QLabel(Panel4);
    i18n::markNotTranslated(Label2); // the group's name
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    QFont headingFont = Label2->font();
    headingFont.setBold(true);
    Label2->setFont(headingFont);
    Label2->setMinimumHeight(22);
    TreeView1 = new PlantTreeWidget(Panel4);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    TreeView1->setIconSize(QSize(16, 16));
    TreeView1->setStatusTip(QStringLiteral("For a call of the menu press the right button of the mouse"));
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The menu opens from the mouse-down handler; the keyboard's menu key opens it too.
    TreeView1->setContextMenuPolicy(Qt::DefaultContextMenu);
    TreeView1->setUniformRowHeights(true);
    planttree::showMarks(TreeView1);
    TreeView1->viewport()->installEventFilter(this);
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this] { TreeView1Change(); });
    connect(TreeView1, &QTreeWidget::itemExpanded, this, &TMainForm::TreeView1Expanded);
    connect(TreeView1, &QTreeWidget::itemCollapsed, this, &TMainForm::TreeView1Collapsed);
    treeLayout->addWidget(Label2);
    treeLayout->addWidget(TreeView1, 1);
    Panel4->setMinimumWidth(60);

    Panel1 = new QWidget(m_splitter);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* pageLayout = new QVBoxLayout(Panel1);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);

    Panel3 = new QWidget(Panel1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto* buttons = new QHBoxLayout(Panel3);
    buttons->setContentsMargins(4, 3, 4, 3);
    buttons->setSpacing(3);
    Button4 = pageButton(QStringLiteral("Button4"), QStringLiteral("Description"), 5);
    Button5 = pageButton(QStringLiteral("Button5"), QStringLiteral("Care"), 6);
    Button7 = pageButton(QStringLiteral("Button7"), QStringLiteral("Diary"), 7);
    Button6 = pageButton(QStringLiteral("Button6"), QStringLiteral("Photo"), 42);
    BitBtn1 = pageButton(QStringLiteral("BitBtn1"), QStringLiteral("Note"), 43);
    for (QPushButton* b : {Button4, Button5, Button7, Button6, BitBtn1})
        buttons->addWidget(b);
    connect(Button4, &QPushButton::clicked, this, &TMainForm::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TMainForm::Button5Click);
    connect(Button7, &QPushButton::clicked, this, &TMainForm::Button7Click);
    connect(Button6, &QPushButton::clicked, this, &TMainForm::Button6Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TMainForm::BitBtn1Click);
    // Alt+1 .. Alt+5 show the pages in the order of their buttons, whatever the captions say.
    int number = 1;
    for (QPushButton* b : {Button4, Button5, Button7, Button6, BitBtn1}) {
        auto* key = new QAction(this);
        key->setObjectName(QStringLiteral("PageKey%1").arg(number));
        key->setShortcut(QKeySequence(Qt::AltModifier | Qt::Key(Qt::Key_0 + number)));
        key->setShortcutContext(Qt::WindowShortcut);
        addAction(key);
        connect(key, &QAction::triggered, b, &QPushButton::click);
        ++number;
    }
    Image1 = new QLabel(Panel3);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->installEventFilter(this); // drawn again for its width
    Image1->setFixedHeight(30);
    Image1->setMinimumWidth(0);
    Image1->setMaximumWidth(206);
    // The picture takes the room the buttons leave, up to its own width; it never widens the window.
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    // When the bar is short of room the picture loses its right end (the leaves), never the name.
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    buttons->addWidget(Image1, 1);
    pageLayout->addWidget(Panel3);

    Panel2 = new QWidget(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* editorLayout = new QVBoxLayout(Panel2);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    editorLayout->setSpacing(0);
    Editor = new PageEditor(Panel2);
    StandardToolBar = new FormatBar(Editor, Panel2);
    RulerBar = new Ruler(Editor, Panel2);
    StatusBar = new QStatusBar(Panel2);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    m_caretPanel = new QLabel(StatusBar);
    i18n::markNotTranslated(m_caretPanel); // the caret's place
    m_modifiedPanel = new QLabel(StatusBar);
    m_modifiedPanel->setAlignment(Qt::AlignCenter);
    m_thirdPanel = new QLabel(StatusBar);
    fitStatusPanels();
    for (QLabel* l : {m_caretPanel, m_modifiedPanel, m_thirdPanel}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        // Hints take the room to their left and never cover them.
        StatusBar->addPermanentWidget(l);
    }
    editorLayout->addWidget(StandardToolBar);
    editorLayout->addWidget(RulerBar);
    editorLayout->addWidget(Editor, 1);
    editorLayout->addWidget(StatusBar);
    pageLayout->addWidget(Panel2, 1);

    // The photo panel covers the editor area while the Photo page is shown.
    Panel6 = new PhotoPanel(m_messages, *m_sink, Panel1);
    connect(Panel6, &PhotoPanel::reselectNode, this, &TMainForm::TreeView1Click);
    connect(Panel6->Button12, &QPushButton::clicked, this, &TMainForm::Button12Click);
    askWebCopyPath = [this](const QString& folder, const QString& proposed) {
        QFileDialog dialog(this, QString(), folder, m_messages.text(QStringLiteral("u67")) + QStringLiteral(" (*.jpg)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("jpg"));
        dialog.selectFile(proposed);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().front()
                   : QString();
    };
    Panel6->hide();
    pageLayout->addWidget(Panel6, 1);
    m_emptyPage = new QLabel(Panel1);
    m_emptyPage->setObjectName(QStringLiteral("EmptyPage"));
    i18n::markNotTranslated(m_emptyPage); // its text comes from the message table
    m_emptyPage->setAlignment(Qt::AlignCenter);
    m_emptyPage->setWordWrap(true);
    m_emptyPage->setStyleSheet(QStringLiteral("color: grey"));
    m_emptyPage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_emptyPage->hide();
    pageLayout->addWidget(m_emptyPage, 1);

    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->setStretchFactor(2, 1);
    m_splitter->afterResize = [this] { layOutPanels(); };
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] {
        const QList<int> sizes = m_splitter->sizes();
        m_groupsWidth = sizes.value(0);
        m_listWidth = sizes.value(1);
    });

    buildToolBar();
    // The bar of the window itself takes the application's hints; the page area's bar shows the panels.
    setStatusBar(nullptr);
    connect(Editor, &PageEditor::modificationChanged, this, &TMainForm::showModifiedState);
    connect(Editor, &PageEditor::loadProgress, this, [this](int percent) {
        if (percent < 0)
            StatusBar->clearMessage();
        else
            StatusBar->showMessage(m_messages.text(QStringLiteral("d5")).arg(percent));
    });
    connect(Editor, &PageEditor::filesDropped, this, &TMainForm::filesDropped);

    m_timer8 = new QTimer(this);
    m_timer8->setObjectName(QStringLiteral("Timer8"));
    m_timer8->setSingleShot(true);
    m_timer8->setInterval(100);
    connect(m_timer8, &QTimer::timeout, this, &TMainForm::Timer8Timer);
}

void TMainForm::buildToolBar()
{
    connect(StandardToolBar->Print, &QAction::triggered, this, &TMainForm::printPage);
    for (auto signal : {&QTextEdit::cursorPositionChanged, &QTextEdit::selectionChanged})
        connect(Editor, signal, this, &TMainForm::selectionChanged);
    connect(Editor, &QTextEdit::currentCharFormatChanged, this, &TMainForm::selectionChanged);
    connect(Editor, &PageEditor::indentsChanged, this, &TMainForm::selectionChanged);
    connect(Editor, &PageEditor::problem, this, &TMainForm::showError);
}

void TMainForm::buildMenus()
{
    auto action = [this](QMenu* menu, const QString& name, const QString& text, int helpContext) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        setTextKey(a, helpContext);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    setTextKey(file->menuAction(), 1);
    m_addGroupFile = action(file, QStringLiteral("dg"), QStringLiteral("Add group"), 2);
    connect(m_addGroupFile, &QAction::triggered, this, &TMainForm::addGroup);
    QAction* print = action(file, QStringLiteral("FilePrintItem"), QStringLiteral("&Print"), 3);
    print->setShortcut(QKeySequence::Print);
    connect(print, &QAction::triggered, this, &TMainForm::printPage);
    QMenu* patterns = file->addMenu(QStringLiteral("Edit main patterns"));
    patterns->setObjectName(QStringLiteral("N35"));
    setTextKey(patterns->menuAction(), 4);
    connect(action(patterns, QStringLiteral("N36"), QStringLiteral("Description"), 5), &QAction::triggered,
            this, &TMainForm::N36Click);
    connect(action(patterns, QStringLiteral("N37"), QStringLiteral("Care"), 6), &QAction::triggered, this,
            &TMainForm::N37Click);
    connect(action(patterns, QStringLiteral("N38"), QStringLiteral("Diary"), 7), &QAction::triggered, this,
            &TMainForm::N38Click);
    file->addSeparator();
    QAction* quit = action(file, QStringLiteral("FileExitItem"), QStringLiteral("Quit"), 8);
    quit->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_Q)});
    i18n::setHintMessage(quit, "u2");
    // Page commands reached by their shortcuts only.
    auto shortcut = [this](const QString& name, const char* hint, const QKeySequence& key) {
        auto* a = new QAction(this);
        a->setObjectName(name);
        i18n::setHintMessage(a, hint);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        return a;
    };
    connect(shortcut(QStringLiteral("FileNewCmd"), "u3", QKeySequence::New), &QAction::triggered, this,
            &TMainForm::FileNew);
    connect(shortcut(QStringLiteral("FileOpenCmd"), "u4", QKeySequence::Open), &QAction::triggered, this,
            &TMainForm::FileOpen);
    connect(shortcut(QStringLiteral("FileSaveCmd"), "u5", QKeySequence::Save), &QAction::triggered, this,
            &TMainForm::FileSave);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    setTextKey(edit->menuAction(), 9);
    QAction* undo = action(edit, QStringLiteral("EditUndoItem"), QStringLiteral("&Undo"), 10);
    undo->setShortcut(QKeySequence::Undo);
    connect(undo, &QAction::triggered, Editor, &QTextEdit::undo);
    edit->addSeparator();
    QAction* cut = action(edit, QStringLiteral("EditCutItem"), QStringLiteral("Cu&t"), 11);
    cut->setShortcut(QKeySequence::Cut);
    connect(cut, &QAction::triggered, Editor, &QTextEdit::cut);
    QAction* copy = action(edit, QStringLiteral("EditCopyItem"), QStringLiteral("&Copy"), 12);
    copy->setShortcuts({QKeySequence::Copy, QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    connect(copy, &QAction::triggered, Editor, &QTextEdit::copy);
    QAction* paste = action(edit, QStringLiteral("EditPasteItem"), QStringLiteral("&Paste"), 13);
    paste->setShortcut(QKeySequence::Paste);
    connect(paste, &QAction::triggered, Editor, &QTextEdit::paste);
    edit->addSeparator();
    QAction* font = action(edit, QStringLiteral("miEditFont"), QStringLiteral("Font..."), 14);
    connect(font, &QAction::triggered, StandardToolBar, &FormatBar::EditFontCmd);
    // Today's date at the caret, in the date form of the interface's language: the Diary needs it most.
    QAction* today = action(edit, QStringLiteral("InsertDateItem"), QStringLiteral("Insert today's date"), 245);
    today->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Semicolon));
    connect(today, &QAction::triggered, this, [this] {
        if (Panel2->isVisible() && Editor->isEnabled() && !Editor->isReadOnly())
            Editor->insertPlainText(QLocale().toString(QDate::currentDate(), m_messages.text(QStringLiteral("u66"))));
    });
    // Each edit command is enabled only when the editor can carry it out.
    connect(Editor, &QTextEdit::undoAvailable, undo, &QAction::setEnabled);
    connect(Editor, &QTextEdit::copyAvailable, cut, &QAction::setEnabled);
    connect(Editor, &QTextEdit::copyAvailable, copy, &QAction::setEnabled);
    undo->setEnabled(false);
    cut->setEnabled(false);
    copy->setEnabled(false);
    m_undo = undo;
    m_paste = paste;
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TMainForm::updateEditCommands);
    connect(Editor, &QTextEdit::selectionChanged, this, &TMainForm::updateEditCommands);

    LanguageMenu = menuBar()->addMenu(QStringLiteral("&Language"));
    LanguageMenu->setObjectName(QStringLiteral("Language1"));
    // Named in both languages, so that a user who cannot read the one in force finds it.
    i18n::setTextMessage(LanguageMenu->menuAction(), "u1");

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    setTextKey(help->menuAction(), 15);
    QAction* helpFile = action(help, QStringLiteral("N16"), QStringLiteral("Verdarium help"), 16);
    helpFile->setShortcut(QKeySequence::HelpContents);
    connect(helpFile, &QAction::triggered, this, &TMainForm::N16Click);
    connect(action(help, QStringLiteral("N17"), QStringLiteral("Verdarium website"), 17), &QAction::triggered,
            this, &TMainForm::N17Click);
    connect(action(help, QStringLiteral("N19"), QStringLiteral("About"), 18), &QAction::triggered, this,
            &TMainForm::N19Click);
    buildHistoryItems(file, edit);
    buildSyncItems(file);
}

void TMainForm::FormCreate()
{
    m_copier.copyAbort = false;
    // Long copies (a plant folder full of photos) keep the window painting; clicks wait until they end.
    m_copier.progress.pump = [] { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    treeLoading = false;
    // Justified paragraphs are always available in this editor.
    StandardToolBar->Widealign->setEnabled(true);
    selectedSlot = 1;
    Frame11->Shape1->move(Frame11->Shape1->x(), 1);
    m_copier.conversion = false;
    buildLanguageMenu();
}

void TMainForm::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!m_started) {
        m_started = true;
        FormShow();
    }
}

void TMainForm::FormShow()
{
    // 1. Nothing modified yet; the Description page comes first.
    showModifiedState(false);
    currentPageFile = QStringLiteral("description.rtf");
    highlightPage(Button4);
    // 2-3. The collection lives in the program folder (main.cpp chose it).
    const QString myPlants = collection::myPlants(m_programFolder);
    if (!paths::makePath(myPlants))
        m_sink->warning(QStringLiteral("Cannot create ") + myPlants +
                        QStringLiteral("\rThe collection cannot be saved until the folder can be written."));
    // What a crash in the middle of a save or a move left behind goes first.
    if (!linkguard::readOnly())
        leftovers::clean(m_programFolder);
    // 4. main.ini stays open in memory until the close sequence.
    m_settingsFile = std::make_unique<IniFile>(paths::fixed(m_programFolder, paths::kMainIni));
    if (!m_settingsFile->readStatus().ok())
        m_sink->warning(QStringLiteral("The settings file ") + m_settingsFile->fileName() +
                        QStringLiteral(" cannot be read: ") + m_settingsFile->readStatus().text +
                        QStringLiteral("\rDefault settings are used and the file is left as it is."));
    // 5. The open and save dialogs start in the program folder (they take it as their directory).
    // 6-7. An untitled editor with the screen's fonts in the font box, typing in Times New Roman 12.
    editorFileName = untitled();
    StandardToolBar->fillFontList();
    selectionChanged();
    QTextCharFormat initial;
    initial.setFontFamilies({QStringLiteral("Times New Roman")});
    initial.setFontPointSize(12);
    Editor->setCurrentCharFormat(initial);
    // 8. The window never gets narrower than the page-button bar needs.
    setMinimumWidth(std::max(minimumWidth(), minimumStartWidth()));
    // 9-11.
    showCursorPosition();
    // 10. Files dropped on the window are opened as documents.
    setAcceptDrops(true);
    showModifiedState(Editor->document()->isModified());
    // 12. A collection kept by the previous version is converted before anything is loaded.
    if (convert::pending(m_programFolder))
        convertOlderLayout();
    if (m_copier.copyAbort) {
        endAtStart();
        return;
    }
    // 13.
    applySettings();
    // 14. The group bar (built twice on a first run, when the first build creates the default groups).
    buildGroupBar();
    if (groupCount == 0)
        buildGroupBar();
    // 15.
    selectGroupAtStartUp();
    // 16. Hints of the controls go to the status bar.
    m_hintsRouted = true;
    // 17. The selected node's page stays shown: an emptied editor that still named the page would
    // let the next keystroke replace the whole page. With no page there is a new, empty document.
    if (editorFileName == untitled() && !Editor->isReadOnly())
        FileNew();
    Editor->document()->setModified(false);
    if (Editor->isEnabled())
        Editor->setFocus();
    // Then the document named on the command line, if it exists, once the window is on the screen:
    // a warning about it belongs over the window, not over an empty screen.
    if (!m_args.isEmpty() && paths::isFile(m_args.front()))
        QTimer::singleShot(0, this, [this] { loadDocumentIntoEditor(m_args.front()); });
    // What care is due, said once the window is up.
    QTimer::singleShot(0, this, [this] { m_care->count(true); });
}

void TMainForm::convertOlderLayout()
{
    if (!m_sink->question(convert::question())) {
        m_copier.copyAbort = true;
        return;
    }
    std::unique_ptr<TForm3> progress;
    convert::Hooks hooks;
    hooks.started = [&] {
        // A window of its own, so it stays enabled while this one is disabled.
        progress = std::make_unique<TForm3>(nullptr);
        setEnabled(false);
        progress->show();
        progress->raise();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    const CopyProgress plain = m_copier.progress;
    m_copier.progress.counter = [&](int files) { progress->Label7->setText(QString::number(files)); };
    m_copier.progress.gaugeMax = [&](int max) {
        progress->Gauge2->setProgress(0);
        progress->Gauge2->setMaxValue(max);
    };
    m_copier.progress.gaugeProgress = [&](int value) { progress->Gauge2->setProgress(value); };
    const convert::Outcome outcome =
        convert::convertOlderLayout(m_programFolder, *m_settingsFile, m_copier, hooks);
    m_copier.progress = plain;
    progress.reset();
    setEnabled(true);
    if (!outcome.done)
        return;
    // A failed rename (group1.bak is there already) only means the conversion is offered again.
    convert::setAside(m_programFolder);
    raise();
    activateWindow();
    if (const QString report = outcome.report(m_messages); !report.isEmpty())
        m_sink->warning(report);
}

void TMainForm::endAtStart()
{
    // Declined or stopped: nothing more is loaded, and nothing is written at the close either (main.ini
    // still belongs to the older layout). The window is shown before the event loop runs, so the
    // quit waits for it.
    m_endedAtStart = true;
    m_closed = true;
    m_settingsFile.reset();
    hide();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TMainForm::applySettings()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    m_settings = loadSettings(*m_settingsFile, screenSize, minimumSize());
    rememberedGroupName = m_settings.lastGroup;
    // A section the older version does not know; it reads past it.
    for (const QString& group : m_settingsFile->keys(kLastNodes))
        m_lastNodes.insert(group, m_settingsFile->readString(kLastNodes, group, QString()));
    resize(m_settings.width, m_settings.height);
    const QRect available = screen ? screen->availableGeometry() : QRect();
    move(placeOnScreen(QRect(m_settings.left, m_settings.top, width(), height()), available).topLeft());
    // Panel widths: never below the bar's own minimum, never so wide the page area vanishes.
    const int groups = std::max(m_settings.groupsWidth, int(TFrame1::kMinimumWidth));
    const int list = std::max(m_settings.listWidth, Panel4->minimumWidth());
    setPanelWidths(groups, list);
    if (m_settings.wstate)
        showMaximized();
    applyLanguage(m_settings.language);
}

void TMainForm::setPanelWidths(int groups, int list)
{
    m_groupsWidth = groups;
    m_listWidth = list;
    layOutPanels();
}

void TMainForm::layOutPanels()
{
    // The group bar and the tree keep their widths; the page area takes what is left.
    int room = 0;
    for (int s : m_splitter->sizes())
        room += s;
    if (room <= 0)
        room = m_splitter->width() - 2 * m_splitter->handleWidth();
    const int rest = std::max(1, room - m_groupsWidth - m_listWidth);
    m_splitter->setSizes({m_groupsWidth, m_listWidth, rest});
}

void TMainForm::closeEvent(QCloseEvent* e)
{
    if (!m_closed) {
        // A page that could not be written is not thrown away unasked.
        if (TreeView1->currentItem() && Editor->document()->isModified() && !FileSave() &&
            !m_sink->question(m_messages.text(QStringLiteral("p1")))) {
            e->ignore();
            return;
        }
        m_closed = true;
        FormCloseQuery();
    }
    e->accept();
}

void TMainForm::FormCloseQuery()
{
    // 1. The page being edited was saved by the close event above.
    // 2-3. Settings written and flushed, then the file object freed.
    if (m_settingsFile)
        saveSettingsNow();
    m_settingsFile.reset();
}

void TMainForm::saveSettingsNow()
{
    WindowState w;
    w.maximized = isMaximized();
    w.geometry = QRect(pos(), size());
    if (w.maximized)
        w.geometry = QRect(normalGeometry().topLeft(), normalGeometry().size());
    w.listWidth = listWidth();
    w.groupsWidth = groupsWidth();
    w.currentGroupName = currentGroupName;
    w.rememberedGroupName = rememberedGroupName;
    saveSettings(*m_settingsFile, m_settings, w);
    for (auto it = m_lastNodes.cbegin(); it != m_lastNodes.cend(); ++it)
        m_settingsFile->writeString(kLastNodes, it.key(), it.value());
    const IoStatus st = m_settingsFile->updateFile();
    if (!st.ok()) {
        errorlog::WriteErrorLog(m_programFolder, errorlog::message(st.text, m_settingsFile->fileName()));
        m_sink->warning(QStringLiteral("The settings cannot be saved to ") + m_settingsFile->fileName() +
                        QStringLiteral(": ") + st.text);
    }
}

// The widths the user set: the photo page or a small window may squeeze the panels for a while, and
// that is no setting.
int TMainForm::listWidth() const
{
    return m_listWidth;
}

int TMainForm::groupsWidth() const
{
    return m_groupsWidth;
}

void TMainForm::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    FormResize();
}

void TMainForm::FormResize()
{
    // The text keeps 6 pixels clear of the editor's sides; the ruler follows its new width.
    Editor->document()->setDocumentMargin(6);
    selectionChanged();
    m_timer8->start();
}

void TMainForm::Timer8Timer()
{
    // One repaint of the editor, 100 ms after the last of a burst of resizes.
    Editor->viewport()->update();
    m_timer8->stop();
}

void TMainForm::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

bool TMainForm::event(QEvent* e)
{
    if (e->type() == QEvent::StatusTip && m_hintsRouted) {
        // A hint shows beside the panels; an empty one clears it.
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        if (tip.isEmpty())
            StatusBar->clearMessage();
        else
            StatusBar->showMessage(tip);
        return true;
    }
    return QMainWindow::event(e);
}

void TMainForm::fitStatusPanels()
{
    // Each panel as wide as its longest text in the language in force.
    const QFontMetrics fm = m_caretPanel->fontMetrics();
    auto fit = [&fm](QLabel* panel, int least, const QString& text) {
        panel->setFixedWidth(std::max(least, fm.horizontalAdvance(text) + 14));
    };
    fit(m_caretPanel, 120, m_messages.text(QStringLiteral("u56")).arg(999, 3).arg(999, 3));
    fit(m_modifiedPanel, 60, m_messages.text(QStringLiteral("u55")));
    fit(m_thirdPanel, 80, m_messages.text(QStringLiteral("r2")));
}

void TMainForm::drawBanner()
{
    Image1->setPixmap(bannerPixmap(Image1->width(), m_caption));
}

void TMainForm::FormActivate()
{
    if (Editor->isEnabled() && Editor->isVisible())
        Editor->setFocus();
}

void TMainForm::showModifiedState(bool modified)
{
    m_modifiedPanel->setText(modified ? m_messages.text(QStringLiteral("u55")) : QString());
}

void TMainForm::showCursorPosition()
{
    m_caretPanel->setText(Editor->caretPosition(m_messages.text(QStringLiteral("u56"))));
}

void TMainForm::selectionChanged()
{
    StandardToolBar->selectionChanged();
    RulerBar->placeMarkers();
    showCursorPosition();
}

void TMainForm::highlightPage(QPushButton* current)
{
    for (QPushButton* b : {Button4, Button5, Button7, Button6, BitBtn1}) {
        QFont f = b->font();
        f.setBold(b == current);
        b->setFont(f);
        QPalette pal = b->palette();
        pal.setColor(QPalette::ButtonText, b == current ? QColor(Qt::red) : QColor(Qt::black));
        b->setPalette(pal);
    }
}

void TMainForm::N16Click()
{
    // A missing help file or viewer is not reported.
    QDesktopServices::openUrl(paths::fileUrl(m_programFolder + QStringLiteral("help.chm")));
}

void TMainForm::N17Click()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebsite)));
}

void TMainForm::N19Click()
{
    QMessageBox::about(this, m_messages.text(QStringLiteral("u48")),
                       m_messages.text(QStringLiteral("u49"))
                           .arg(QStringLiteral("<b>") + m_caption.toHtmlEscaped() + QStringLiteral("</b>"),
                                QApplication::applicationVersion()));
}

void TMainForm::printPage()
{
    QPrinter printer(QPrinter::HighResolution);
    // Printed to a file, it is named after the plant and its page and goes to the user's documents,
    // never into the collection.
    const QFileInfo page(editorFileName);
    const QString title = page.dir().dirName() + QStringLiteral(" - ") + page.completeBaseName();
    printer.setDocName(editorFileName); // the print queue names the page by its whole path
    if (QPrinterInfo::availablePrinters().isEmpty()) // otherwise printing to a file is the user's choice
        printer.setOutputFileName(
            paths::join(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                        QString(title + QStringLiteral(".pdf"))));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        Editor->print(&printer);
}
