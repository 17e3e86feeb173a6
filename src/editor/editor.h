#pragma once

#include "editor/pagefile.h"

#include <QTextEdit>

#include <functional>

class QMenu;

// The page editor: a rich-text edit that reads and writes whole page documents as RTF. The page is
// the editor's content; there is no other copy of it.
class PageEditor : public QTextEdit {
    Q_OBJECT
public:
    explicit PageEditor(QWidget* parent = nullptr);

    // True only while the program itself loads or clears the content.
    bool updating() const { return m_updating; }

    // Loads path, replacing the content. A file that cannot be read leaves the content as it was.
    // The page is read into a document no view lays out and then shown, so a large page opens at
    // once and is laid out a part at a time after its first screen is painted.
    // A long page shows its first paragraphs at once, read-only, while the whole of it is read; the
    // window keeps painting meanwhile, and what the user types or clicks waits until the page is whole.
    // problem (when given) says what a damaged page lost on reading.
    IoStatus loadDocument(const QString& path, QString* problem = nullptr);
    // Pages of this size and more show their beginning before they are read whole.
    static constexpr qint64 kFirstLookBytes = 4 * 1024 * 1024;
    // Writes the content to path (atomically); the modified flag is cleared only on success. note
    // (when given) says why no version of the page as it was could be kept.
    IoStatus saveDocument(const QString& path, QString* note = nullptr);
    // The parts of the page just loaded that show as text only ("fields", "objects", "shapes",
    // "tables", "after the end"), when its original was kept beside it as path + ".original" on this load; the user is
    // told once, when the copy is made.
    const QStringList& keptOriginalFor() const { return m_keptOriginalFor; }
    // Whether the document in the editor came from a plain-text file (and goes back as one).
    bool isPlainText() const { return m_form.kind != pagefile::Kind::Rtf; }
    // Whether another program changed the file at path since this editor last read or wrote it.
    bool changedOutside(const QString& path) const { return pagefile::changedSince(path, m_stamp); }
    // Keeps the text on show as a version of the page at path (before another text takes its place).
    void keepTextAsVersion(const QString& path);
    // Whether saving as plain text would drop formatting the document now has.
    bool formattingWouldBeLost() const { return isPlainText() && pagefile::hasFormatting(*document()); }
    // From now on the document goes back to its file as RTF.
    void saveAsRtf() { m_form = {}; }
    // Empties the content: not modified, editable.
    void newDocument();
    // The local files a drop carries (they are documents to open, not text to insert).
    static QStringList localFiles(const QMimeData* source);

    // Paragraph indents in points: the first line starts at first, the other lines at first + left
    // (left may be negative), and right is kept free at the right edge.
    struct Indents {
        double first = 0;
        double left = 0;
        double right = 0;
    };
    // The indents of the paragraph at the caret.
    Indents indents() const;
    // Sets the indents of every paragraph the selection touches (one undo step).
    void setIndents(const Indents& in);
    // Where text may stand, in the viewport's coordinates: the document margin kept clear on both sides.
    QRect textRect() const;
    // The attributes formatting applies to (the selection's, or those the next typed text takes),
    // with the font, size and colour always filled in.
    QTextCharFormat currentAttributes() const;
    // Gives the current attributes f's properties; nothing changes on a page that cannot be changed.
    void mergeAttributes(const QTextCharFormat& f);
    // The caret's place as format says ("Line: %1   Col: %2"), each number three wide, counting the
    // lines as they are shown.
    QString caretPosition(const QString& format) const;

    // The editor's own context menu: Cut, Copy, Paste, Undo and Insert picture; the window may add
    // items at its end.
    QMenu* PopupMenu2 = nullptr;
    QAction* Insertpicture1 = nullptr;
    // Insert picture: the file comes from the picture-file dialog (tests answer it), and goes to the
    // page through the clipboard.
    std::function<QString()> askPictureFile;
    void insertPicture();
    // Puts image into the page at the caret, no wider than the text.
    void insertImage(const QImage& image);
    // Opens a link the user clicked (tests see it here); by default the desktop's handler, and only
    // for web and mail addresses.
    std::function<void(const QUrl&)> openLink;
    static bool isSafeLink(const QUrl& url);

Q_SIGNALS:
    // Local files dropped on the editor (they are documents to open, not text to insert).
    void filesDropped(const QStringList& paths);
    // The indents of the selected paragraphs were set.
    void indentsChanged();
    // Something the user asked for could not be done (a picture that cannot be read).
    void problem(const QString& text);
    // The modified flag of the page changed. A page is read into a document of its own that then
    // takes the place of the one shown, so this follows whichever document the editor holds.
    void modificationChanged(bool modified);
    // A long page is being read: the share read so far (0-100), then -1 when it is whole.
    void loadProgress(int percent);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // A web address typed just before the caret (http://, https:// or www.) becomes a link; false when
    // there is none or it is one already.
    bool linkTypedAddress();
    static QTextCharFormat withoutLink(QTextCharFormat f);
    // The editor's own menu, then the actions other parts of the program put on the editor.
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    // A copy carries the piece of the page as RTF too, pictures and all, so it pastes whole into
    // another page (and into word processors).
    QMimeData* createMimeDataFromSelection() const override;

private:
    QString freshPictureName();
    void adoptDocument(QTextDocument* document);
    bool showFirstLook(const QString& path);
    bool m_updating = false;
    // The page in the editor was damaged when read; its original is kept before the first save.
    bool m_keepOriginal = false;
    // The form the file had when read; it goes back in the same form.
    pagefile::Form m_form;
    pagefile::Stamp m_stamp; // the file as it was last read or written here
    // The link under the left button's press; it opens when the button is released over it.
    QString m_pressedLink;
    int m_pictures = 0;
    // The paragraph the caret's line was counted for last, and the lines shown above it.
    struct LineCache {
        int block = -1;
        int position = 0;
        int linesBefore = 0;
    };
    mutable LineCache m_lineCache;
    QAction* m_othersSeparator = nullptr;
    void watchLines(QTextDocument* doc);
    QStringList m_keptOriginalFor;
};
