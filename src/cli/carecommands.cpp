#include "cli/clicommon.h"

#include "care/careschedule.h"
#include "i18n/langfile.h"
#include "i18n/messages.h"
#include "platform/paths.h"
#include "platform/programfolder.h"
#include "store/collection.h"
#include "store/inifile.h"
#include "tree/nodefiles.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// The record a task of GROUP [NODE] is kept in; empty after an error line.
QString taskRecord(const cli::Args& a, QTextStream& err)
{
    const QString& group = a.positional[0];
    if (isNotesGroup(group))
        return cli::fail(err, QStringLiteral("notes have no care tasks")), QString();
    if (a.positional.size() < 2)
        return cli::findGroup(a.programFolder, group, err) ? care::recordPath(a.programFolder, group, QString())
                                                            : QString();
    const std::optional<cli::Node> n = cli::findNode(a.programFolder, group, a.positional[1], err);
    if (!n)
        return QString();
    QString error;
    const QString record = care::nodeRecord(a.programFolder, n->group, n->parent, n->name, n->isFolder, &error);
    if (record.isEmpty())
        cli::fail(err, error + QStringLiteral("; nothing was changed"));
    return record;
}

bool checkName(const QString& name, QTextStream& err)
{
    if (const QString why = care::nameProblem(name); !why.isEmpty())
        return cli::fail(err, why + QStringLiteral("; nothing was changed")), false;
    return true;
}

// A --date, today when none was given; false after an error line.
bool dateOption(const cli::Args& a, QDate* date, QTextStream& err)
{
    *date = QDate::currentDate();
    if (a.date.isEmpty())
        return true;
    const auto d = care::parseDate(a.date);
    if (!d)
        return cli::fail(err, QStringLiteral("\"") + a.date +
                                  QStringLiteral("\" is not a date that exists (YYYY-MM-DD); nothing was changed")),
               false;
    *date = *d;
    return true;
}

// The diary line in the program's interface language, as the window writes it.
QString diaryLine(const QString& programFolder, const QDate& date, const QString& task)
{
    return care::diaryLine(date, task, cli::interfaceMessages(programFolder).text(QStringLiteral("t14")));
}

} // namespace

namespace cli {

int schedule(const Args& a, QTextStream&, QTextStream& err)
{
    if (a.task.isNull() || a.every.isNull())
        return fail(err, QStringLiteral("schedule needs --task NAME and --every Nd|Nw|Nm|Ny")), kUsage;
    if (!checkName(a.task, err))
        return kFailed;
    care::Rule rule;
    const auto every = care::parseInterval(a.every);
    if (!every)
        return fail(err, QStringLiteral("\"") + a.every +
                             QStringLiteral("\" is not an interval: a whole number above 0 and d, w, m or y (7d, 2w, "
                                            "1m, 1y); nothing was changed"));
    rule.every = *every;
    rule.start = QDate::currentDate();
    if (!a.start.isNull()) {
        const auto d = care::parseDate(a.start);
        if (!d)
            return fail(err, QStringLiteral("\"") + a.start +
                                 QStringLiteral("\" is not a date that exists (YYYY-MM-DD); nothing was changed"));
        rule.start = *d;
    }
    if (!a.season.isNull()) {
        const auto s = care::parseSeason(a.season);
        if (!s)
            return fail(err, QStringLiteral("\"") + a.season +
                                 QStringLiteral("\" is not a season: months 1 to 12 as M-M (4-9, 10-3); nothing was "
                                                "changed"));
        rule.season = *s;
    }
    if (!care::nextDue(rule, {}).isValid())
        return fail(err, QStringLiteral("a task every ") + care::intervalText(rule.every) +
                             QStringLiteral(" from ") + a.start + QStringLiteral(" never falls in the months ") +
                             care::seasonText(rule.season) + QStringLiteral("; nothing was changed"));
    const QString record = taskRecord(a, err);
    if (record.isEmpty())
        return kFailed;
    QString error;
    if (!care::setTask(record, a.task, rule, &error))
        return fail(err, error);
    return kDone;
}

int unschedule(const Args& a, QTextStream&, QTextStream& err)
{
    if (a.task.isNull())
        return fail(err, QStringLiteral("unschedule needs --task NAME")), kUsage;
    if (!checkName(a.task, err))
        return kFailed;
    const QString record = taskRecord(a, err);
    if (record.isEmpty())
        return kFailed;
    QString error;
    if (!care::removeTask(record, a.task, &error))
        return fail(err, error + QStringLiteral("; nothing was changed"));
    return kDone;
}

int due(const Args& a, QTextStream& out, QTextStream& err)
{
    QDate date;
    if (!dateOption(a, &date, err))
        return kFailed;
    int days = 0;
    if (!a.days.isNull()) {
        bool ok = false;
        days = a.days.toInt(&ok);
        if (!ok || days < 0 || days > 36500)
            return fail(err, QStringLiteral("--days takes a whole number from 0 to 36500"));
    }
    if (!paths::isDir(collection::myPlants(a.programFolder)))
        return fail(err, QStringLiteral("no collection (MyPlants) in ") + a.programFolder);
    const care::Survey s = care::survey(a.programFolder, date.addDays(days));
    for (const QString& d : s.damaged)
        err << "verdarium-cli: skipped a care line that could not be read: " << d << '\n';
    for (const care::Due& d : s.due)
        out << d.date.toString(QStringLiteral("yyyy-MM-dd")) << '\t' << d.group << '\t' << d.path() << '\t'
            << d.task << '\n';
    return kDone;
}

int done(const Args& a, QTextStream&, QTextStream& err)
{
    if (a.task.isNull())
        return fail(err, QStringLiteral("done needs --task NAME")), kUsage;
    if (!checkName(a.task, err))
        return kFailed;
    QDate date;
    if (!dateOption(a, &date, err))
        return kFailed;
    if (date > QDate::currentDate())
        return fail(err, QStringLiteral("the date ") + a.date + QStringLiteral(" is still to come; nothing was changed"));
    const std::optional<Node> n = findNode(a.programFolder, a.positional[0], a.positional[1], err);
    if (!n)
        return kFailed;
    const care::Survey s = care::survey(a.programFolder, {}, n->group);
    for (const care::Due& d : s.due) {
        if (d.parent != n->parent || d.node != n->name || d.task.compare(a.task.trimmed(), Qt::CaseInsensitive) != 0)
            continue;
        QString error;
        if (!care::markDone(d, date, diaryLine(a.programFolder, date, d.task), &error))
            return fail(err, error);
        return kDone;
    }
    return fail(err, QStringLiteral("\"") + a.positional[1] + QStringLiteral("\" of group \"") + n->group +
                         QStringLiteral("\" has no care task \"") + a.task.trimmed() +
                         QStringLiteral("\"; nothing was changed"));
}

int exportCalendar(const Args& a, QTextStream&, QTextStream& err)
{
    if (!paths::isDir(collection::myPlants(a.programFolder)))
        return fail(err, QStringLiteral("no collection (MyPlants) in ") + a.programFolder);
    const QString target = QDir(a.positional[0]).absolutePath();
    if (const IoStatus st = care::writeCalendar(a.programFolder, target, QStringLiteral("My Verdarium")); !st.ok())
        return fail(err, QStringLiteral("cannot write ") + target + QStringLiteral(": ") + st.text);
    return kDone;
}

} // namespace cli
