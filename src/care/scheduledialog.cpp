#include "care/scheduledialog.h"

#include "i18n/messages.h"
#include "i18n/translate.h"
#include "platform/messagesink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

template <typename W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* label(QWidget* parent, const char* text, int key)
{
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    setTextKey(l, key);
    return l;
}

} // namespace

ScheduleDialog::ScheduleDialog(const QString& programFolder, const QString& group, const QString& parent,
                               const QString& node, const QString& nodeFolder, const MessageTable& messages,
                               MessageSink& sink, QWidget* parent_)
    : QDialog(parent_), m_programFolder(programFolder), m_group(group), m_parent(parent), m_node(node),
      m_nodeFolder(nodeFolder), m_record(care::recordPath(programFolder, group, nodeFolder)), m_messages(messages),
      m_sink(sink)
{
    setObjectName(QStringLiteral("ScheduleForm"));
    setWindowTitle(messages.text(QStringLiteral("t18")).arg(node.isEmpty() ? group : node));
    resize(720, 420);
    auto* listLabel = label(this, "Care tasks:", 264);
    TaskList = named(new QTreeWidget(this), "TaskList");
    TaskList->setRootIsDecorated(false);
    TaskList->setHeaderLabels({messages.text(QStringLiteral("t5")), messages.text(QStringLiteral("t30")),
                               messages.text(QStringLiteral("t31")), messages.text(QStringLiteral("t23")),
                               messages.text(QStringLiteral("t33")), messages.text(QStringLiteral("t34"))});
    TaskName = named(new QLineEdit(this), "TaskName");
    EveryCount = named(new QSpinBox(this), "EveryCount");
    EveryCount->setRange(1, 999);
    EveryCount->setValue(7);
    EveryUnit = named(new QComboBox(this), "EveryUnit");
    for (const char* key : {"t19", "t20", "t21", "t22"})
        EveryUnit->addItem(messages.text(QString::fromLatin1(key)));
    StartDate = named(new QDateEdit(QDate::currentDate(), this), "StartDate");
    StartDate->setCalendarPopup(true);
    SeasonBox = named(new QCheckBox(QStringLiteral("Only in the months"), this), "SeasonBox");
    setTextKey(SeasonBox, 262);
    SeasonFrom = named(new QSpinBox(this), "SeasonFrom");
    SeasonTo = named(new QSpinBox(this), "SeasonTo");
    SeasonFrom->setRange(1, 12);
    SeasonTo->setRange(1, 12);
    SeasonFrom->setValue(4);
    SeasonTo->setValue(9);
    SetButton = named(new QPushButton(QStringLiteral("Set"), this), "SetButton");
    RemoveButton = named(new QPushButton(QStringLiteral("Remove"), this), "RemoveButton");
    CloseButton = named(new QPushButton(QStringLiteral("Close"), this), "CloseButton");
    setTextKey(SetButton, 257);
    setTextKey(RemoveButton, 258);
    setTextKey(CloseButton, 256);

    auto* fields = new QGridLayout;
    fields->addWidget(label(this, "Task:", 259), 0, 0);
    fields->addWidget(TaskName, 0, 1, 1, 3);
    fields->addWidget(label(this, "Every:", 260), 1, 0);
    fields->addWidget(EveryCount, 1, 1);
    fields->addWidget(EveryUnit, 1, 2);
    fields->addWidget(label(this, "From:", 261), 2, 0);
    fields->addWidget(StartDate, 2, 1, 1, 2);
    auto* season = new QHBoxLayout;
    season->addWidget(SeasonBox);
    season->addWidget(SeasonFrom);
    season->addWidget(label(this, "to", 263));
    season->addWidget(SeasonTo);
    season->addStretch(1);
    fields->addLayout(season, 3, 0, 1, 4);
    fields->setColumnStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SetButton);
    buttons->addWidget(RemoveButton);
    buttons->addStretch(1);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listLabel);
    layout->addWidget(TaskList, 1);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    auto seasonOn = [this](bool on) {
        SeasonFrom->setEnabled(on);
        SeasonTo->setEnabled(on);
    };
    connect(SeasonBox, &QCheckBox::toggled, this, seasonOn);
    seasonOn(false);
    connect(TaskList, &QTreeWidget::currentItemChanged, this, &ScheduleDialog::showRow);
    connect(SetButton, &QPushButton::clicked, this, &ScheduleDialog::setTask);
    connect(RemoveButton, &QPushButton::clicked, this, &ScheduleDialog::removeTask);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(TaskName, &QLineEdit::returnPressed, this, &ScheduleDialog::setTask);
    i18n::translateWithCurrent(this);
    fill();
    TaskName->setFocus();
}

void ScheduleDialog::fill()
{
    const care::Survey s = care::survey(m_programFolder, {}, m_group);
    m_rows.clear();
    const bool plant = !m_nodeFolder.isEmpty() &&
                       std::any_of(s.due.begin(), s.due.end(), [&](const care::Due& d) { return d.nodeFolder == m_nodeFolder; });
    for (const care::Defined& d : s.defined) {
        // What is set here, and what this node inherits from its group and folder.
        const bool here = d.parent == m_parent && d.node == m_node;
        const bool fromGroup = d.origin == care::Origin::Group && !m_node.isEmpty();
        const bool fromFolder = d.origin == care::Origin::Folder && !m_parent.isEmpty() && d.node == m_parent;
        if (!here && !fromGroup && !fromFolder)
            continue;
        Row r{d.entry.name, *d.entry.rule, d.origin, here, d.entry.progress, care::nextDue(*d.entry.rule, {})};
        // Own tasks replace inherited ones of the same name.
        auto same = std::find_if(m_rows.begin(), m_rows.end(),
                                 [&](const Row& x) { return x.name.compare(r.name, Qt::CaseInsensitive) == 0; });
        if (same != m_rows.end() && (here || !same->own))
            *same = r;
        else if (same == m_rows.end())
            m_rows.push_back(r);
    }
    if (plant)
        for (Row& r : m_rows)
            for (const care::Due& d : s.due)
                if (d.nodeFolder == m_nodeFolder && d.task.compare(r.name, Qt::CaseInsensitive) == 0) {
                    r.progress = d.progress;
                    r.next = d.date;
                }
    const QLocale locale;
    const QString units[] = {m_messages.text(QStringLiteral("t19")), m_messages.text(QStringLiteral("t20")),
                             m_messages.text(QStringLiteral("t21")), m_messages.text(QStringLiteral("t22"))};
    const QString origins[] = {m_messages.text(QStringLiteral("t24")), m_messages.text(QStringLiteral("t25")),
                               m_messages.text(QStringLiteral("t26"))};
    TaskList->clear();
    for (const Row& r : m_rows) {
        auto* item = new QTreeWidgetItem(
            TaskList,
            {r.name, QString::number(r.rule.every.count) + u' ' + units[static_cast<int>(r.rule.every.unit)],
             r.rule.season.allYear() ? m_messages.text(QStringLiteral("t32")) : care::seasonText(r.rule.season),
             origins[static_cast<int>(r.origin)],
             locale.toString(r.progress.done, QLocale::ShortFormat), locale.toString(r.next, QLocale::ShortFormat)});
        if (!r.own)
            item->setForeground(0, palette().color(QPalette::Disabled, QPalette::Text));
    }
    for (int c = 0; c < TaskList->columnCount(); ++c)
        TaskList->resizeColumnToContents(c);
    RemoveButton->setEnabled(false);
}

void ScheduleDialog::showRow()
{
    const int i = TaskList->indexOfTopLevelItem(TaskList->currentItem());
    if (i < 0 || i >= static_cast<int>(m_rows.size())) {
        RemoveButton->setEnabled(false);
        return;
    }
    const Row& r = m_rows[static_cast<size_t>(i)];
    TaskName->setText(r.name);
    EveryCount->setValue(r.rule.every.count);
    EveryUnit->setCurrentIndex(static_cast<int>(r.rule.every.unit));
    StartDate->setDate(r.rule.start);
    SeasonBox->setChecked(!r.rule.season.allYear());
    if (!r.rule.season.allYear()) {
        SeasonFrom->setValue(r.rule.season.from);
        SeasonTo->setValue(r.rule.season.to);
    }
    RemoveButton->setEnabled(r.own);
}

void ScheduleDialog::setTask()
{
    const QString name = TaskName->text().trimmed();
    QString error = care::nameProblem(name);
    care::Rule rule;
    rule.every = care::Interval{EveryCount->value(), static_cast<care::Unit>(EveryUnit->currentIndex())};
    rule.start = StartDate->date();
    if (SeasonBox->isChecked())
        rule.season = care::Season{SeasonFrom->value(), SeasonTo->value()};
    if (error.isEmpty() && !care::nextDue(rule, {}).isValid())
        error = QStringLiteral("the task never falls in its months");
    if (error.isEmpty() && !care::setTask(m_record, name, rule, &error))
        error = error.isEmpty() ? QStringLiteral("?") : error;
    else if (error.isEmpty())
        m_changed = true;
    if (!error.isEmpty()) {
        m_sink.warning(m_messages.text(QStringLiteral("t16")).arg(error));
        return;
    }
    fill();
}

void ScheduleDialog::removeTask()
{
    const int i = TaskList->indexOfTopLevelItem(TaskList->currentItem());
    if (i < 0 || i >= static_cast<int>(m_rows.size()) || !m_rows[static_cast<size_t>(i)].own)
        return;
    QString error;
    if (!care::removeTask(m_record, m_rows[static_cast<size_t>(i)].name, &error)) {
        m_sink.warning(m_messages.text(QStringLiteral("t16")).arg(error));
        return;
    }
    m_changed = true;
    fill();
}
