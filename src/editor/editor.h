#pragma once

#include "editor/pagefile.h"

#include <QTextEdit>

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
    // problem (when given) says what a damaged page lost on reading.
    IoStatus loadDocument(const QString& path, QString* problem = nullptr);
    // Writes the content to path (atomically); the modified flag is cleared only on success. note
    // (when given) says why no version of the page as it was could be kept.
    IoStatus saveDocument(const QString& path, QString* note = nullptr);
    // The parts of the page just loaded that show as text only ("fields", "objects", "shapes",
    // "tables"), when its original was kept beside it as path + ".original" on this load; the user is
    // told once, when the copy is made.
    const QStringList& keptOriginalFor() const { return m_keptOriginalFor; }
    // Whether the document in the editor came from a plain-text file (and goes back as one).
    bool isPlainText() const { return m_form.kind != pagefile::Kind::Rtf; }
    // Empties the content: not modified, editable.
    void newDocument();
    // The local files a drop carries (they are documents to open, not text to insert).
    static QStringList localFiles(const QMimeData* source);

Q_SIGNALS:
    // Local files dropped on the editor (they are documents to open, not text to insert).
    void filesDropped(const QStringList& paths);
    // The modified flag of the page changed. A page is read into a document of its own that then
    // takes the place of the one shown, so this follows whichever document the editor holds.
    void modificationChanged(bool modified);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // The editor's own menu, then the actions other parts of the program put on the editor.
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void adoptDocument(QTextDocument* document);
    bool m_updating = false;
    // The page in the editor was damaged when read; its original is kept before the first save.
    bool m_keepOriginal = false;
    // The form the file had when read; it goes back in the same form.
    pagefile::Form m_form;
    QStringList m_keptOriginalFor;
};
