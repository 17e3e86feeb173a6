#pragma once

#include "care/careschedule.h"

#include <QObject>
#include <QString>

#include <functional>

class MessageSink;
class MessageTable;
class QAction;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The window's care commands: File › Care today... (Ctrl+T, also the menu bar's button) and Export care
// calendar..., the tree menu's Care schedule..., the drops on overdue plants and the reminder at the
// start. The window puts the actions where they belong and answers through the hooks.
class CareCommands : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> saveFirst;                      // the page on show written; false stops
        std::function<void(const QStringList& folders)> changed; // diaries and records changed there
        std::function<void(const QString& text)> say;         // a line in the status bar
        std::function<void(const QString& text)> warn;        // a problem the window shows
    };
    // calendarName names the exported calendar (the program's name).
    CareCommands(const QString& programFolder, const QString& calendarName, const MessageTable& messages,
                 MessageSink& sink, QWidget* window, Hooks hooks);

    QAction* today() const { return m_today; }
    QAction* calendar() const { return m_calendar; }
    QAction* schedule() const { return m_schedule; }

    // Care schedule... of a node of group's tree (node empty: the group itself).
    void editSchedule(const QString& group, const QString& parent, const QString& node, bool folder);
    // Draws the drops on a group's tree (none in the notes); nodeFolder gives an item's folder.
    void markOverdue(QTreeWidget* tree, const QString& group,
                     const std::function<QString(const QTreeWidgetItem*)>& nodeFolder) const;
    // Counts what falls due today for the button; at the start also says it and asks the desktop to
    // remind.
    void count(bool remind);
    // The button's words again in the language now in force, from the last count.
    void retranslate();

    // The calendar's save dialog (tests answer it): the proposed path in, the chosen one out.
    std::function<QString(const QString& proposed)> askCalendarPath;

private:
    void showToday();
    void exportCalendar();

    QString m_programFolder;
    QString m_calendarName;
    const MessageTable& m_messages;
    MessageSink& m_sink;
    QWidget* m_window;
    Hooks m_hooks;
    care::DueCount m_count;
    QAction* m_today = nullptr;
    QAction* m_calendar = nullptr;
    QAction* m_schedule = nullptr;
};
