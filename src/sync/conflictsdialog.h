#pragma once

#include "sync/conflicts.h"

#include <QDialog>

class MessageSink;
class MessageTable;
class QPushButton;
class QTextEdit;
class QTreeWidget;

// "Conflicts...": every conflict copy a sync engine left, the file's text beside the copy's, and
// "Keep this one" under each; the text not kept goes to the page's history (or the trash).
class ConflictsDialog : public QDialog {
    Q_OBJECT
public:
    ConflictsDialog(const QString& programFolder, const MessageTable& messages, MessageSink& sink,
                    QWidget* parent = nullptr);

    QTreeWidget* ConflictList = nullptr;
    QTextEdit* PageText = nullptr;
    QTextEdit* CopyText = nullptr;
    QPushButton* KeepPageButton = nullptr;
    QPushButton* KeepCopyButton = nullptr;
    QPushButton* CloseButton = nullptr;

    // Whether a conflict was resolved (the window then shows its pages anew).
    bool changed() const { return m_changed; }

private:
    void fill();
    void showCopy();
    void keep(bool copy);
    QString whatText(const QString& what) const;

    QString m_programFolder;
    const MessageTable& m_messages;
    MessageSink& m_sink;
    QList<conflicts::Copy> m_copies;
    bool m_changed = false;
};
