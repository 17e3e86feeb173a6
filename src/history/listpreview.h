#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QPushButton;
class QTextEdit;
class QTreeWidget;

// Both history dialogs are a list beside a read-only preview, with a restore button and Close below.
struct ListPreviewControls {
    QTreeWidget* list = nullptr;
    QTextEdit* preview = nullptr;
    QPushButton* restore = nullptr;
    QPushButton* close = nullptr;
};

struct ListPreviewSpec {
    QString listName, listLabel;
    int listKey = 0;
    QStringList headers;
    QString previewName, previewLabel;
    int previewKey = 0;
    QString restoreName, restoreText;
    int restoreKey = 0;
    int listStretch = 1, previewStretch = 1;
};

ListPreviewControls buildListPreview(QDialog* dialog, const ListPreviewSpec& spec);
