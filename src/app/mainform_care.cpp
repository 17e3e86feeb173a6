// The window's side of the care schedule (src/care): File › Care today... and Export care calendar...,
// the menu bar's button, the tree menu's Care schedule..., the drops on overdue plants and the reminder
// at start-up.
#include "app/mainform.h"

#include "care/careschedule.h"
#include "care/caretodaydialog.h"
#include "care/reminder.h"
#include "care/scheduledialog.h"
#include "platform/atomicfile.h"
#include "tree/nodefiles.h"
#include "tree/planttree.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QStandardPaths>
#include <QStatusBar>
#include <QMenuBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

void TMainForm::buildCareItems(QMenu* file)
{
    m_careToday = new QAction(planttree::dropIcon(), QStringLiteral("Care today..."), this);
    m_careToday->setObjectName(QStringLiteral("CareTodayItem"));
    setTextKey(m_careToday, 250);
    m_careToday->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(m_careToday, &QAction::triggered, this, &TMainForm::showCareToday);
    auto* calendar = new QAction(QStringLiteral("Export care calendar..."), this);
    calendar->setObjectName(QStringLiteral("CareCalendarItem"));
    setTextKey(calendar, 251);
    connect(calendar, &QAction::triggered, this, &TMainForm::exportCareCalendar);
    // Above Removed items...
    file->insertAction(m_removedItems, m_careToday);
    file->insertAction(m_removedItems, calendar);
    file->insertSeparator(m_removedItems);

    // The button sits at the right end of the menu bar: always in sight, and no row of its own taken
    // from the pages.
    m_careButton = new QToolButton(menuBar());
    m_careButton->setObjectName(QStringLiteral("CareButton"));
    m_careButton->setDefaultAction(m_careToday);
    m_careButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_careButton->setAutoRaise(true);
    menuBar()->setCornerWidget(m_careButton, Qt::TopRightCorner);
    addAction(m_careToday); // its key works wherever the keyboard is in the window

    PopupMenu1->addSeparator();
    m_careSchedule = PopupMenu1->addAction(QStringLiteral("Care schedule..."));
    m_careSchedule->setObjectName(QStringLiteral("CareScheduleItem"));
    setTextKey(m_careSchedule, 252);
    connect(m_careSchedule, &QAction::triggered, this, &TMainForm::showCareSchedule);
    connect(PopupMenu1, &QMenu::aboutToShow, this,
            [this] { m_careSchedule->setEnabled(!isNotesGroup(currentGroupName) && !currentGroupName.isEmpty()); });
}

void TMainForm::markOverdue()
{
    if (isNotesGroup(currentGroupName) || currentGroupName.isEmpty())
        return;
    const QDate today = QDate::currentDate();
    const care::Survey s = care::survey(m_programFolder, today.addDays(-1), currentGroupName);
    QSet<QString> late;
    for (const care::Due& d : s.due)
        late.insert(d.nodeFolder);
    const QString tip = m_messages.text(QStringLiteral("t28"));
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it)
        planttree::setOverdue(*it, !planttree::isFolder(*it) && late.contains(nodeFolderOf(*it)), tip);
    TreeView1->viewport()->update();
}

void TMainForm::countCareToday(bool remind)
{
    const QDate today = QDate::currentDate();
    const care::Survey s = care::survey(m_programFolder, today);
    care::logDamaged(m_programFolder, s);
    const auto overdue = std::count_if(s.due.begin(), s.due.end(), [&](const care::Due& d) { return d.date < today; });
    const QString text = m_messages.text(QStringLiteral("t15")).arg(s.due.size()).arg(overdue);
    // The button says how many, the menu item stays as it is.
    m_careToday->setIconText(m_messages.text(QStringLiteral("t1")) +
                             (s.due.empty() ? QString() : QStringLiteral(": ") + QString::number(s.due.size())));
    m_careToday->setToolTip(s.due.empty() ? m_careToday->iconText() : text);
    if (remind && !s.due.empty()) {
        StatusBar->showMessage(text, 15000);
        care::notifyDesktop(m_messages.text(QStringLiteral("t1")), text);
    }
}

void TMainForm::careChanged(const QStringList& folders)
{
    markOverdue();
    countCareToday(false);
    // The diary on show got its line: shown anew (its edits were saved before).
    for (const QString& f : folders)
        if (editorFileName.startsWith(f + u'/'))
            FileOpen();
}

void TMainForm::showCareToday()
{
    if (!FileSave())
        return;
    CareTodayDialog dialog(m_programFolder, m_messages, *m_sink, this);
    dialog.exec();
    if (!dialog.changedFolders().isEmpty())
        careChanged(dialog.changedFolders());
}

void TMainForm::showCareSchedule()
{
    if (isNotesGroup(currentGroupName) || currentGroupName.isEmpty() || !FileSave())
        return;
    // The selected node's schedule; from the menu over empty space, the group's.
    QTreeWidgetItem* node = m_topLevelAdd ? nullptr : TreeView1->currentItem();
    if (node && !node->isSelected())
        node = nullptr;
    QString parent = node && node->parent() ? node->parent()->text(0) : QString();
    QString folder = node ? nodeFolderOf(node) : QString();
    if (node) {
        const NodeFiles f = prepareNodeFiles(m_programFolder, currentGroupName, parent, node->text(0),
                                             planttree::isFolder(node));
        if (!f.ok()) {
            showError(f.error);
            return;
        }
    }
    ScheduleDialog dialog(m_programFolder, currentGroupName, parent, node ? node->text(0) : QString(), folder,
                          m_messages, *m_sink, this);
    dialog.exec();
    if (dialog.changed())
        careChanged({});
}

void TMainForm::exportCareCalendar()
{
    const QString proposed = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                             QStringLiteral("/my-verdarium-care.ics");
    const QString path =
        askCalendarPath ? askCalendarPath(proposed)
                        : QFileDialog::getSaveFileName(this, m_messages.text(QStringLiteral("t35")), proposed,
                                                       m_messages.text(QStringLiteral("t17")) +
                                                           QStringLiteral(" (*.ics)"));
    if (path.isEmpty())
        return;
    const care::Survey s = care::survey(m_programFolder);
    care::logDamaged(m_programFolder, s);
    if (const IoStatus st = atomicfile::write(path, care::calendar(s, m_caption)); !st.ok()) {
        showError(m_messages.text(QStringLiteral("t16")).arg(path + QStringLiteral(": ") + st.text));
        return;
    }
    StatusBar->showMessage(m_messages.text(QStringLiteral("t29")).arg(path), 10000);
}
