#pragma once

#include "history/versions.h"

#include <QDialog>

class MessageSink;
class MessageTable;
class QPushButton;
class QTextEdit;
class QTreeWidget;

// "Page history...": the versions of one page with date, time and size, a read-only preview of the
// one chosen, and "Restore this version" (the page as it is becomes a version itself).
class PageHistoryDialog : public QDialog {
    Q_OBJECT
public:
    PageHistoryDialog(const QString& pagePath, const QString& caption, const MessageTable& messages,
                      MessageSink& sink, QWidget* parent = nullptr);

    QTreeWidget* VersionList = nullptr;
    QTextEdit* VersionPreview = nullptr;
    QPushButton* RestoreButton = nullptr;
    QPushButton* CloseButton = nullptr;

    // The version put back, empty when none was.
    const QString& restoredId() const { return m_restored; }

private:
    void showVersion();
    void restoreVersion();

    QString m_page;
    const MessageTable& m_messages;
    MessageSink& m_sink;
    QList<versions::Version> m_versions;
    QString m_restored;
};
