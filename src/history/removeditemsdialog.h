#pragma once

#include "history/removed.h"

#include <QDialog>

class MessageSink;
class MessageTable;
class QPushButton;
class QTextEdit;
class QTreeWidget;

// "Removed items...": every removed group, folder and plant with its original name, where it was and
// when it was removed, a preview of its Description, and "Restore". Nothing is ever emptied here.
class RemovedItemsDialog : public QDialog {
    Q_OBJECT
public:
    RemovedItemsDialog(const QString& programFolder, const MessageTable& messages, MessageSink& sink,
                       QWidget* parent = nullptr);

    QTreeWidget* RemovedList = nullptr;
    QTextEdit* DescriptionPreview = nullptr;
    QPushButton* RestoreButton = nullptr;
    QPushButton* CloseButton = nullptr;

    // What was restored (ok set), for the window to show it.
    const removed::RestoreResult& restored() const { return m_restored; }
    const removed::Item& restoredItem() const { return m_restoredItem; }

private:
    void showItem();
    void restoreItem();

    QString m_programFolder;
    const MessageTable& m_messages;
    MessageSink& m_sink;
    QList<removed::Item> m_items;
    removed::RestoreResult m_restored;
    removed::Item m_restoredItem;
};
