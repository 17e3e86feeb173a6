#include "care/carecommands.h"

#include "care/caretodaydialog.h"
#include "care/reminder.h"
#include "care/scheduledialog.h"
#include "i18n/messages.h"
#include "platform/paths.h"
#include "tree/nodefiles.h"
#include "tree/planttree.h"

#include <QAction>
#include <QFileDialog>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

CareCommands::CareCommands(const QString& programFolder, const QString& calendarName, const MessageTable& messages,
                           MessageSink& sink, QWidget* window, Hooks hooks)
    : QObject(window), m_programFolder(programFolder), m_calendarName(calendarName), m_messages(messages), m_sink(sink), m_window(window),
      m_hooks(std::move(hooks))
{
    auto action = [this](const QIcon& icon, const char* name, const char* text, int key) {
        auto* a = new QAction(icon, QString::fromLatin1(text), m_window);
        a->setObjectName(QString::fromLatin1(name));
        setTextKey(a, key);
        return a;
    };
    m_today = action(planttree::dropIcon(), "CareTodayItem", "Care today...", 250);
    m_today->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m_calendar = action(QIcon(), "CareCalendarItem", "Export care calendar...", 251);
    m_schedule = action(QIcon(), "CareScheduleItem", "Care schedule...", 252);
    connect(m_today, &QAction::triggered, this, &CareCommands::showToday);
    connect(m_calendar, &QAction::triggered, this, &CareCommands::exportCalendar);
}

void CareCommands::showToday()
{
    if (!m_hooks.saveFirst())
        return;
    CareTodayDialog dialog(m_programFolder, m_messages, m_sink, m_window);
    dialog.exec();
    if (!dialog.changedFolders().isEmpty()) {
        count(false);
        m_hooks.changed(dialog.changedFolders());
    }
}

void CareCommands::editSchedule(const QString& group, const QString& parent, const QString& node, bool folder)
{
    if (!m_hooks.saveFirst())
        return;
    QString error;
    const QString record = care::nodeRecord(m_programFolder, group, parent, node, folder, &error);
    if (record.isEmpty()) {
        m_hooks.warn(error);
        return;
    }
    ScheduleDialog dialog(m_programFolder, group, parent, node, node.isEmpty() ? QString() : paths::parentOf(record),
                          m_messages, m_sink, m_window);
    dialog.exec();
    if (dialog.changed()) {
        count(false);
        m_hooks.changed({});
    }
}

void CareCommands::markOverdue(QTreeWidget* tree, const QString& group,
                               const std::function<QString(const QTreeWidgetItem*)>& nodeFolder) const
{
    if (group.isEmpty() || isNotesGroup(group))
        return;
    const QSet<QString> late = care::overdueFolders(m_programFolder, group, QDate::currentDate());
    const QString tip = m_messages.text(QStringLiteral("t28"));
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        planttree::setOverdue(*it, !planttree::isFolder(*it) && late.contains(nodeFolder(*it)), tip);
    tree->viewport()->update();
}

void CareCommands::count(bool remind)
{
    m_count = care::countDue(m_programFolder, QDate::currentDate());
    retranslate();
    if (remind && m_count.due > 0) {
        m_hooks.say(m_today->toolTip());
        care::notifyDesktop(m_messages.text(QStringLiteral("t1")), m_today->toolTip());
    }
}

void CareCommands::retranslate()
{
    // The button says how many; the menu item stays as it is.
    m_today->setIconText(m_messages.text(QStringLiteral("t1")) +
                         (m_count.due == 0 ? QString() : QStringLiteral(": ") + QString::number(m_count.due)));
    m_today->setToolTip(m_count.due == 0 ? m_today->iconText()
                                         : m_messages.text(QStringLiteral("t15")).arg(m_count.due).arg(m_count.overdue));
}

void CareCommands::exportCalendar()
{
    const QString proposed = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                             QStringLiteral("/my-verdarium-care.ics");
    const QString path =
        askCalendarPath ? askCalendarPath(proposed)
                        : QFileDialog::getSaveFileName(m_window, m_messages.text(QStringLiteral("t35")), proposed,
                                                       m_messages.text(QStringLiteral("t17")) + QStringLiteral(" (*.ics)"));
    if (path.isEmpty())
        return;
    if (const IoStatus st = care::writeCalendar(m_programFolder, path, m_calendarName); !st.ok()) {
        m_hooks.warn(m_messages.text(QStringLiteral("t16")).arg(path + QStringLiteral(": ") + st.text));
        return;
    }
    m_hooks.say(m_messages.text(QStringLiteral("t29")).arg(path));
}
