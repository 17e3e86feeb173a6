#pragma once

#include <QStringList>
#include <QWidget>

class MessageTable;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace search {

// Find (Ctrl+F) and replace (Ctrl+H) in the page being edited: every place the text stands is
// highlighted, next and previous select one after another. Letter case and "ё"/"е" do not matter.
class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(QTextEdit* editor, const MessageTable& messages, QWidget* parent = nullptr);

    void showFind();
    void showReplace();
    bool findNext();
    bool findPrevious();
    // Replaces the selected match (and selects the next one); false when nothing was selected.
    bool replaceOne();
    int replaceAll();
    void close();
    // The state shown again in the language in force.
    void retranslate();

    QLineEdit* findField() const { return m_find; }
    QLineEdit* replaceField() const { return m_replace; }

    // Selects in editor the first place where one of words (folded) begins a word, highlighting
    // every such place; false when there is none.
    static bool selectWords(QTextEdit* editor, const QStringList& words);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Starts of the matches of the find text in the page.
    QList<int> matches() const;
    void highlight();
    bool selectFrom(int position, bool forward);
    bool selectionIsMatch() const;

    QTextEdit* m_editor;
    const MessageTable& m_messages;
    QLineEdit* m_find = nullptr;
    QLineEdit* m_replace = nullptr;
    QWidget* m_replaceRow = nullptr;
    QLabel* m_state = nullptr;
};

} // namespace search
