#include "../support/companion.h"
#include "../support/windowevents.h"
#include "care/caretodaydialog.h"
#include "care/reminder.h"
#include "care/scheduledialog.h"
#include "tree/planttree.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QProcess>
#include <QSpinBox>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QTreeWidgetItem* rowOf(QTreeWidget* list, const QString& plant)
{
    for (QTreeWidgetItemIterator it(list); *it; ++it)
        if ((*it)->text(3) == plant)
            return *it;
    return nullptr;
}

void click(QTreeWidget* list, QTreeWidgetItem* row, Qt::KeyboardModifiers keys = {})
{
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, keys, list->visualItemRect(row).center());
}

bool overdue(TMainForm& form, const QString& plant)
{
    const auto found = form.TreeView1->findItems(plant, Qt::MatchExactly | Qt::MatchRecursive);
    return !found.isEmpty() && planttree::isOverdue(found.front());
}

// The desktop's notification service, as a notification daemon offers it on the session bus.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList shown; // summary and body of each
public Q_SLOTS:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body, const QStringList&,
                const QVariantMap&, int)
    {
        shown << summary + u'|' + body;
        return static_cast<uint>(shown.size());
    }
};

} // namespace

TEST(CareWindow, TheStartRemindsThroughTheDesktopsNotificationServiceWhenOneRuns)
{
    // A session bus of the test's own, so that nothing reaches the desktop of whoever runs the tests.
    QProcess bus;
    bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
    if (!bus.waitForStarted(5000))
        GTEST_SKIP() << "dbus-daemon is not installed (Debian: dbus-daemon)";
    ASSERT_TRUE(QTest::qWaitFor([&] { return bus.canReadLine(); }, 5000));
    const QByteArray address = bus.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    // No notification service: nothing is shown, nothing fails.
    EXPECT_FALSE(care::notifyDesktop(u"Care today"_s, u"x"_s));

    NotificationService service;
    QDBusConnection daemon = QDBusConnection::connectToBus(QString::fromLatin1(address), u"notifications"_s);
    ASSERT_TRUE(daemon.isConnected());
    ASSERT_TRUE(daemon.registerObject(u"/org/freedesktop/Notifications"_s, &service, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(daemon.registerService(u"org.freedesktop.Notifications"_s));
    TempProgramFolder pf;
    pf.layOut({u"Кактусы"_s}, {u"Кактусы/Эхинопсис=0"_s, u"Кактусы/Маммиллярия=0"_s});
    Companion cli;
    ASSERT_EQ(cli({u"schedule"_s, pf.path(), u"Кактусы"_s, u"Эхинопсис"_s, u"--task"_s, u"Полив"_s, u"--every"_s,
                   u"7d"_s, u"--start"_s, u"2026-01-05"_s})
                  .code,
              0);
    RecordingSink sink;
    {
        ShownForm form(pf.path(), &sink);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !service.shown.isEmpty(); }, 5000));
    }
    ASSERT_EQ(service.shown.size(), 1);
    EXPECT_EQ(service.shown.front(), u"Care today|Care tasks due today: 1, of them overdue: 1."_s);
    daemon.unregisterService(u"org.freedesktop.Notifications"_s);
    QDBusConnection::disconnectFromBus(u"notifications"_s);
    bus.kill();
    bus.waitForFinished();
}

TEST(CareWindow, DoneOnTwoSelectedRowsWritesTheirDiariesAndTakesTheirDropsAway)
{
    TempProgramFolder pf;
    pf.layOut({u"Кактусы"_s}, {u"Кактусы/Эхинопсис=2"_s, u"Кактусы/Окно=1"_s, u"Кактусы/Окно/Маммиллярия=0"_s,
                              u"Кактусы/Окно/Ребуция=3"_s});
    Companion cli;
    ASSERT_EQ(cli({u"schedule"_s, pf.path(), u"Кактусы"_s, u"--task"_s, u"Полив"_s, u"--every"_s, u"7d"_s, u"--start"_s,
                   u"2026-01-05"_s})
                  .code,
              0);
    pf.writeRecord(u"MyPlants/Кактусы/Окно/plant.ini"_s, u"[Main]\nCond=1\nExpanded=1\n"_s); // shown open
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    // The drop stands beside the condition mark, which stays.
    for (const QString& plant : {u"Эхинопсис"_s, u"Маммиллярия"_s, u"Ребуция"_s})
        EXPECT_TRUE(overdue(form, plant)) << plant.toStdString();
    EXPECT_FALSE(overdue(form, u"Окно"_s));
    EXPECT_EQ(planttree::imageOf(form.TreeView1->findItems(u"Ребуция"_s, Qt::MatchExactly | Qt::MatchRecursive).front()), 3);
    auto* button = form.findChild<QToolButton*>(u"CareButton"_s);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(button->text(), u"Care today: 3"_s); // what is due counted
    shoot(&form, "care-tree.png");

    bool acted = false;
    whenModal<CareTodayDialog>([&](CareTodayDialog* d) {
        acted = true;
        EXPECT_FALSE(d->DoneButton->isEnabled()); // nothing chosen yet
        click(d->CareList, rowOf(d->CareList, u"Эхинопсис"_s));
        click(d->CareList, rowOf(d->CareList, u"Окно / Ребуция"_s), Qt::ControlModifier);
        EXPECT_EQ(d->CareList->selectedItems().size(), 2);
        shoot(d, "care-today.png");
        QTest::mouseClick(d->DoneButton, Qt::LeftButton);
        // Done rows leave the overdue ones (they may come again within the week); the third stays.
        auto late = [d](const QString& plant) {
            const QTreeWidgetItem* row = rowOf(d->CareList, plant);
            return row && row->parent() && row->parent()->text(0) == u"Overdue"_s;
        };
        EXPECT_FALSE(late(u"Эхинопсис"_s));
        EXPECT_FALSE(late(u"Окно / Ребуция"_s));
        EXPECT_TRUE(late(u"Окно / Маммиллярия"_s));
        QTest::mouseClick(d->CloseButton, Qt::LeftButton);
    });
    menuBarItem(form, "File1", "CareTodayItem");
    ASSERT_TRUE(QTest::qWaitFor([&] { return acted && !QApplication::activeModalWidget(); }));
    EXPECT_TRUE(sink.warnings.isEmpty()) << sink.said();
    for (const QString& plant : {u"Эхинопсис"_s, u"Окно/Ребуция"_s}) {
        const CliOutcome page = cli({u"page"_s, pf.path(), u"Кактусы"_s, plant, u"diary"_s});
        EXPECT_TRUE(page.out.trimmed().endsWith(u" \u2014 Полив"_s)) << page.out.toStdString();
    }
    EXPECT_FALSE(cli({u"page"_s, pf.path(), u"Кактусы"_s, u"Окно/Маммиллярия"_s, u"diary"_s}).out.contains(u"Полив"_s));
    EXPECT_FALSE(overdue(form, u"Эхинопсис"_s));
    EXPECT_FALSE(overdue(form, u"Ребуция"_s));
    EXPECT_TRUE(overdue(form, u"Маммиллярия"_s));
    // Ctrl+T opens it from wherever the keyboard is.
    bool again = false;
    whenModal<CareTodayDialog>([&](CareTodayDialog* d) {
        again = true;
        QTest::mouseClick(d->CloseButton, Qt::LeftButton);
    });
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.Editor->setFocus();
    QTest::keyClick(form.Editor, Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return again && !QApplication::activeModalWidget(); }, 2000));
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    EXPECT_TRUE(pf.read(u"MyPlants/Кактусы/Эхинопсис/plant.ini"_s).contains(QByteArray(QByteArray("done ") + today.toLatin1())));
}

TEST(CareWindow, APlantsScheduleIsSetFromItsMenu)
{
    TempProgramFolder pf;
    pf.layOut({u"Кактусы"_s}, {u"Кактусы/Эхинопсис=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    bool acted = false;
    whenModal<ScheduleDialog>([&](ScheduleDialog* d) {
        acted = true;
        QTest::mouseClick(d->TaskName, Qt::LeftButton);
        typeText(d->TaskName, u"Опрыскивание"_s);
        d->EveryCount->setFocus();
        QTest::keyClick(d->EveryCount, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(d->EveryCount, u"3"_s);
        QTest::mouseClick(d->SeasonBox, Qt::LeftButton);
        QTest::mouseClick(d->SetButton, Qt::LeftButton);
        EXPECT_EQ(d->TaskList->topLevelItemCount(), 1);
        // A name a record cannot keep is refused with a message.
        d->TaskName->selectAll();
        QTest::keyClicks(d->TaskName, u"a=b"_s);
        QTest::mouseClick(d->SetButton, Qt::LeftButton);
        QTest::mouseClick(d->CloseButton, Qt::LeftButton);
    });
    treeMenu(form, u"Эхинопсис"_s, "CareScheduleItem");
    ASSERT_TRUE(QTest::qWaitFor([&] { return acted && !QApplication::activeModalWidget(); }));
    const QByteArray record = pf.read(u"MyPlants/Кактусы/Эхинопсис/plant.ini"_s);
    const QByteArray line = QByteArray("\xCE\xEF\xF0\xFB\xF1\xEA\xE8\xE2\xE0\xED\xE8\xE5=every 3d; from ") +
                            QDate::currentDate().toString(Qt::ISODate).toLatin1() + QByteArray("; season 4-9\r\n");
    EXPECT_TRUE(record.contains(line))
        << record.constData();
    EXPECT_FALSE(record.contains("a=b"));
    ASSERT_EQ(sink.warnings.size(), 1);
}

#include "test_carewindow.moc"

TEST(CareWindow, TheMenuOverEmptySpaceSetsTheGroupsSchedule)
{
    TempProgramFolder pf;
    pf.layOut({u"Кактусы"_s}, {u"Кактусы/Эхинопсис=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    clickNode(form, u"Эхинопсис"_s); // selected, but the menu is opened below the nodes
    bool acted = false;
    whenModal<ScheduleDialog>([&](ScheduleDialog* d) {
        acted = true;
        EXPECT_TRUE(d->windowTitle().endsWith(u"Кактусы"_s)) << d->windowTitle().toStdString();
        QTest::mouseClick(d->TaskName, Qt::LeftButton);
        typeText(d->TaskName, u"Полив"_s);
        QTest::mouseClick(d->SetButton, Qt::LeftButton);
        QTest::mouseClick(d->CloseButton, Qt::LeftButton);
    });
    const QPoint empty(20, form.TreeView1->viewport()->height() - 10);
    QTest::mouseClick(form.TreeView1->viewport(), Qt::RightButton, {}, empty);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, empty, form.TreeView1->viewport()->mapToGlobal(empty));
    QApplication::sendEvent(form.TreeView1->viewport(), &menu);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.PopupMenu1->isVisible(); }));
    chooseItem(form.PopupMenu1, "CareScheduleItem");
    ASSERT_TRUE(QTest::qWaitFor([&] { return acted && !QApplication::activeModalWidget(); }));
    EXPECT_TRUE(pf.read(u"MyPlants/Кактусы/group.ini"_s).contains("\r\n[Care]\r\n\xCF\xEE\xEB\xE8\xE2=every 7d; from "));
    EXPECT_FALSE(pf.read(u"MyPlants/Кактусы/Эхинопсис/plant.ini"_s).contains("[Care]"));
}
