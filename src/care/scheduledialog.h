#pragma once

#include "care/careschedule.h"

#include <QDialog>

class MessageSink;
class MessageTable;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

// The care schedule of one plant, folder or (node empty) group: the tasks it follows, those set on
// its folder or group shown beside its own, and the fields to set or change one of its own.
class ScheduleDialog : public QDialog {
    Q_OBJECT
public:
    ScheduleDialog(const QString& programFolder, const QString& group, const QString& parent, const QString& node,
                   const QString& nodeFolder, const MessageTable& messages, MessageSink& sink,
                   QWidget* parent_ = nullptr);

    bool changed() const { return m_changed; }

    QTreeWidget* TaskList = nullptr;
    QLineEdit* TaskName = nullptr;
    QSpinBox* EveryCount = nullptr;
    QComboBox* EveryUnit = nullptr;
    QDateEdit* StartDate = nullptr;
    QCheckBox* SeasonBox = nullptr;
    QSpinBox* SeasonFrom = nullptr;
    QSpinBox* SeasonTo = nullptr;
    QPushButton* SetButton = nullptr;
    QPushButton* RemoveButton = nullptr;
    QPushButton* CloseButton = nullptr;

private:
    struct Row {
        QString name;
        care::Rule rule;
        care::Origin origin;
        bool own = false;
        care::Progress progress;
        QDate next;
    };
    void fill();
    void showRow();
    void setTask();
    void removeTask();

    QString m_programFolder, m_group, m_parent, m_node, m_nodeFolder, m_record;
    const MessageTable& m_messages;
    MessageSink& m_sink;
    std::vector<Row> m_rows;
    bool m_changed = false;
};
