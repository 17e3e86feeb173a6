#pragma once

#include "search/searchindex.h"

#include <QDialog>

class MessageTable;
class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace search {

class SearchService;

// Find in the collection: the words, a condition-mark filter, and the nodes holding every word with
// where they matched and a piece of text, updated as the user types. Choosing a result (click or
// Enter) hands it to the window.
class SearchPanel : public QDialog {
    Q_OBJECT
public:
    SearchPanel(SearchService& service, const MessageTable& messages, QWidget* parent = nullptr);

    QLineEdit* words() const { return m_words; }
    QComboBox* marks() const { return m_marks; }
    QTreeWidget* results() const { return m_results; }
    QLabel* state() const { return m_state; }
    // Shows the panel with the words field focused (and given text, when not empty).
    void openWith(const QString& text = QString());
    // The texts again, in the language now in force.
    void retranslate();

Q_SIGNALS:
    void chosen(const search::Hit& hit, const QStringList& words);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void ask();
    void showHits(int id, const std::vector<Hit>& hits, const QStringList& words);
    void showProgress(int done, int total);
    void choose(QTreeWidgetItem* item);
    QString fieldName(int field) const;

    SearchService& m_service;
    const MessageTable& m_messages;
    QLineEdit* m_words = nullptr;
    QComboBox* m_marks = nullptr;
    QLabel* m_state = nullptr;
    QTreeWidget* m_results = nullptr;
    QTimer* m_typing = nullptr;
    std::vector<Hit> m_hits;
    QStringList m_foundWords;
    QString m_indexing;
    QString m_reading;
    int m_asked = 0;
};

} // namespace search
