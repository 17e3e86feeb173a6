#include "care/caretodaydialog.h"

#include "i18n/messages.h"
#include "i18n/translate.h"
#include "platform/messagesink.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kIndexRole = Qt::UserRole + 1; // the row's place in m_due
constexpr int kAhead = 7;                    // days shown after today

QPushButton* button(QDialog* d, const char* name, const char* text, int key)
{
    auto* b = new QPushButton(QString::fromLatin1(text), d);
    b->setObjectName(QString::fromLatin1(name));
    setTextKey(b, key);
    return b;
}

} // namespace

CareTodayDialog::CareTodayDialog(const QString& programFolder, const MessageTable& messages, MessageSink& sink,
                                 QWidget* parent)
    : QDialog(parent), m_programFolder(programFolder), m_messages(messages), m_sink(sink),
      m_today(QDate::currentDate())
{
    setObjectName(QStringLiteral("CareTodayForm"));
    setWindowTitle(messages.text(QStringLiteral("t1")));
    resize(760, 440);
    CareList = new QTreeWidget(this);
    CareList->setObjectName(QStringLiteral("CareList"));
    CareList->setHeaderLabels({messages.text(QStringLiteral("t6")), messages.text(QStringLiteral("t2")),
                               messages.text(QStringLiteral("t3")), messages.text(QStringLiteral("t4")),
                               messages.text(QStringLiteral("t5"))});
    CareList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    CareList->setRootIsDecorated(false);
    CareList->setAllColumnsShowFocus(true);
    DoneButton = button(this, "DoneButton", "Done", 253);
    DoneOnButton = button(this, "DoneOnButton", "Done on...", 254);
    SkipButton = button(this, "SkipButton", "Skip", 255);
    CloseButton = button(this, "CloseButton", "Close", 256);
    DoneButton->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(DoneButton);
    buttons->addWidget(DoneOnButton);
    buttons->addWidget(SkipButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CareList, 1);
    layout->addLayout(buttons);
    connect(DoneButton, &QPushButton::clicked, this, [this] { settle(true, QDate::currentDate()); });
    connect(DoneOnButton, &QPushButton::clicked, this, &CareTodayDialog::doneOn);
    connect(SkipButton, &QPushButton::clicked, this, [this] { settle(false, QDate()); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CareList, &QTreeWidget::itemSelectionChanged, this, &CareTodayDialog::updateButtons);
    i18n::translateWithCurrent(this);
    fill();
    CareList->setFocus();
}

void CareTodayDialog::fill()
{
    m_today = QDate::currentDate();
    care::Survey s = care::survey(m_programFolder, m_today.addDays(kAhead));
    care::logDamaged(m_programFolder, s);
    m_due = std::move(s.due);
    CareList->clear();
    const QLocale locale;
    QTreeWidgetItem* headings[3] = {};
    const char* headingKeys[3] = {"t7", "t8", "t9"};
    for (size_t i = 0; i < m_due.size(); ++i) {
        const care::Due& d = m_due[i];
        const qint64 late = d.date.daysTo(m_today);
        const int part = late > 0 ? 0 : late == 0 ? 1 : 2;
        if (!headings[part]) {
            headings[part] = new QTreeWidgetItem(CareList, {m_messages.text(QString::fromLatin1(headingKeys[part]))});
            headings[part]->setFlags(Qt::ItemIsEnabled);
            headings[part]->setFirstColumnSpanned(true);
            QFont bold = headings[part]->font(0);
            bold.setBold(true);
            headings[part]->setFont(0, bold);
        }
        const QString when = late > 0    ? m_messages.text(QStringLiteral("t10")).arg(late)
                             : late == 0 ? m_messages.text(QStringLiteral("t11"))
                                         : m_messages.text(QStringLiteral("t12")).arg(-late);
        auto* row = new QTreeWidgetItem(headings[part], {when, locale.toString(d.date, QLocale::ShortFormat), d.group,
                                                         d.parent.isEmpty() ? d.node : d.parent + QStringLiteral(" / ") + d.node,
                                                         d.task});
        row->setData(0, kIndexRole, static_cast<qulonglong>(i));
        if (late > 0)
            row->setForeground(0, QColor(0xB0, 0x20, 0x20));
    }
    CareList->expandAll();
    if (m_due.empty()) {
        auto* none = new QTreeWidgetItem(CareList, {m_messages.text(QStringLiteral("t13"))});
        none->setFlags(Qt::ItemIsEnabled);
        none->setFirstColumnSpanned(true);
    }
    for (int c = 0; c < CareList->columnCount(); ++c)
        CareList->resizeColumnToContents(c);
    updateButtons();
}

std::vector<care::Due> CareTodayDialog::selectedTasks() const
{
    std::vector<care::Due> out;
    for (QTreeWidgetItem* item : CareList->selectedItems()) {
        const QVariant i = item->data(0, kIndexRole);
        if (i.isValid() && i.toULongLong() < m_due.size())
            out.push_back(m_due[i.toULongLong()]);
    }
    return out;
}

void CareTodayDialog::updateButtons()
{
    const bool any = !selectedTasks().empty();
    DoneButton->setEnabled(any);
    DoneOnButton->setEnabled(any);
    SkipButton->setEnabled(any);
}

void CareTodayDialog::settle(bool done, const QDate& date)
{
    QStringList problems;
    for (const care::Due& d : selectedTasks()) {
        QString error;
        const bool ok = done ? care::markDone(d, date, care::diaryLine(date, d.task, m_messages.text(QStringLiteral("t14"))),
                                              &error)
                             : care::skip(d, &error);
        if (!ok)
            problems << error;
        if (!m_changed.contains(d.nodeFolder))
            m_changed << d.nodeFolder;
    }
    if (!problems.isEmpty())
        m_sink.warning(m_messages.text(QStringLiteral("t16")).arg(problems.join(u'\n')));
    fill();
}

void CareTodayDialog::doneOn()
{
    QDialog ask(this);
    ask.setObjectName(QStringLiteral("DoneOnForm"));
    ask.setWindowTitle(m_messages.text(QStringLiteral("t1")));
    auto* label = new QLabel(m_messages.text(QStringLiteral("t27")), &ask);
    auto* calendar = new QCalendarWidget(&ask);
    calendar->setObjectName(QStringLiteral("DoneOnCalendar"));
    calendar->setMaximumDate(QDate::currentDate());
    calendar->setSelectedDate(QDate::currentDate());
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
    auto* layout = new QVBoxLayout(&ask);
    layout->addWidget(label);
    layout->addWidget(calendar);
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    connect(calendar, &QCalendarWidget::activated, &ask, &QDialog::accept);
    if (ask.exec() == QDialog::Accepted)
        settle(true, calendar->selectedDate());
}
