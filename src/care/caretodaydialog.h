#pragma once

#include "care/careschedule.h"

#include <QDialog>
#include <QStringList>

class MessageSink;
class MessageTable;
class QPushButton;
class QTreeWidget;

// "Care today": every plant's task that is overdue, due today or in the next 7 days, by date. Done
// (today or on a chosen day) and Skip work on every selected row at once.
class CareTodayDialog : public QDialog {
    Q_OBJECT
public:
    CareTodayDialog(const QString& programFolder, const MessageTable& messages, MessageSink& sink,
                    QWidget* parent = nullptr);

    // The folders of the plants whose diary or record the dialog changed.
    const QStringList& changedFolders() const { return m_changed; }

    QTreeWidget* CareList = nullptr;
    QPushButton* DoneButton = nullptr;
    QPushButton* DoneOnButton = nullptr;
    QPushButton* SkipButton = nullptr;
    QPushButton* CloseButton = nullptr;

private:
    void fill();
    std::vector<care::Due> selectedTasks() const;
    void settle(bool done, const QDate& date);
    void doneOn();
    void updateButtons();

    QString m_programFolder;
    const MessageTable& m_messages;
    MessageSink& m_sink;
    QDate m_today;
    std::vector<care::Due> m_due;
    QStringList m_changed;
};
