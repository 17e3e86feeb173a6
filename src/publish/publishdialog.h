#pragma once

#include "publish/publish.h"

#include <QDialog>

class MessageSink;
class MessageTable;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// File › Publish as website...: where, which groups, what goes in; the gauge while it works.
class PublishDialog : public QDialog {
    Q_OBJECT
public:
    PublishDialog(const QString& programFolder, const QString& proposedFolder, const MessageTable& messages,
                  MessageSink& sink, QWidget* parent = nullptr);

    // Where the last publish went (empty before one succeeded).
    const QString& published() const { return m_published; }

    QLineEdit* FolderEdit = nullptr;
    QPushButton* BrowseButton = nullptr;
    QComboBox* GroupBox = nullptr;
    QCheckBox* DiaryBox = nullptr;
    QCheckBox* FullPhotosBox = nullptr;
    QCheckBox* NotesBox = nullptr;
    QProgressBar* Gauge = nullptr;
    QLabel* ResultLabel = nullptr; // where the site went, once it is there
    QPushButton* PublishButton = nullptr;
    QPushButton* CloseButton = nullptr;

private:
    void run();

    QString m_programFolder;
    const MessageTable& m_messages;
    MessageSink& m_sink;
    QString m_published;
};
