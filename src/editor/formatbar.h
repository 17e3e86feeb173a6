#pragma once

#include <QComboBox>
#include <QToolBar>

#include <functional>

class MessageTable;
class PageEditor;
class QLineEdit;
class QTextCharFormat;
class QToolButton;

// The arrows beside the size box: one step up or down.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);
    QToolButton* up;
    QToolButton* down;

Q_SIGNALS:
    void stepped(int delta);
};

// The text colour box: the sixteen standard colours, one custom colour, and "Custom..." to pick one.
class ColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColorBox(QWidget* parent = nullptr);
    QColor color() const;
    // Shows c (as the custom colour when it is none of the standard ones).
    void setColor(const QColor& c);
    // The colours' names in the interface's language.
    void retranslate(const MessageTable& messages);
    // The colour dialog (tests answer it); an invalid colour when cancelled.
    std::function<QColor(const QColor& initial)> askColor;

Q_SIGNALS:
    void colorChosen(const QColor& c);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void chosen(int index);
    int customIndex() const;
};

// The formatting toolbar over the page editor. Its controls show the current text attributes (the
// selection's, or those the next typed text takes) and the paragraph's alignment, and apply what the
// user chooses to them. While the controls are being refreshed (updating()) their changes do nothing.
class FormatBar : public QToolBar {
    Q_OBJECT
public:
    explicit FormatBar(PageEditor* editor, QWidget* parent = nullptr);

    QAction* Print;
    QComboBox* FontName;
    QAction* Cut;
    QAction* Copy;
    QAction* Paste;
    QAction* Undo;
    QLineEdit* FontSize;
    UpDown* UpDown1;
    QAction* BoldButton;
    QAction* ItalicButton;
    QAction* UnderlineButton;
    QAction* LeftAlign;
    QAction* CenterAlign;
    QAction* RightAlign;
    QAction* Widealign;
    ColorBox* ColorBox1;

    bool updating() const { return m_updating; }
    // The screen's font names, sorted, into the font name box (once, at start-up).
    void fillFontList();
    // Refreshes every control from the editor.
    void selectionChanged();
    // Font...: the font dialog for the current text attributes.
    void EditFontCmd();
    // Enables Cut, Copy, Paste and Undo as the editor can carry them out.
    void updateEditCommands();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    int fontBoxWidth() const;
    // Caption and hint ("tip|status bar text") from message keys.
    QAction* addCommand(const QString& name, const char* caption, const char* hint);
    QAction* addStyle(const QString& name, const char* letter, const char* hint);
    QAction* addAlignment(const QString& name, int number, const char* hint);
    void apply(const QTextCharFormat& f);
    void sizeTyped(const QString& text);
    void stepSize(int delta);

    PageEditor* m_editor;
    bool m_updating = false;
};
