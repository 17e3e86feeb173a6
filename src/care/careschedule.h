#pragma once

#include "platform/iostatus.h"

#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class IniFile;

// Recurring care: tasks kept in the "Care" section of a plant's, folder's or group's own record.
// One line a task, its name the key:
//     Полив=every 7d; from 2026-04-01; season 4-9; done 2026-06-02; through 2026-06-01
// A folder's and a group's tasks apply to their plants; a plant's own line of the same name overrides
// them. A plant keeps its progress (done, through) in its own line, also for a task it inherits, so
// such a line may hold progress only. The rest of the record is never touched.
namespace care {

inline constexpr QStringView kSection = u"Care";

enum class Unit { Day, Week, Month, Year };
struct Interval {
    int count = 0;
    Unit unit = Unit::Day;
    bool operator==(const Interval&) const = default;
};
// The months a task applies in, from..to, across the year's end when from > to; 0 means all year.
struct Season {
    int from = 0;
    int to = 0;
    bool allYear() const { return from == 0; }
    bool contains(int month) const;
    bool operator==(const Season&) const = default;
};
struct Rule {
    Interval every;
    QDate start;
    Season season;
    bool operator==(const Rule&) const = default;
};
// What a plant has done of a task: when last, and the last date it falls due that is settled (done
// or skipped).
struct Progress {
    QDate done;
    QDate through;
    bool empty() const { return !done.isValid() && !through.isValid(); }
};
struct Entry {
    QString name;
    std::optional<Rule> rule; // none: the line keeps progress only
    Progress progress;
};

// The words of the companion and the schedule dialog. Each gives std::nullopt for text it cannot take.
std::optional<Interval> parseInterval(QStringView text); // "7d", "2w", "1m", "1y"
QString intervalText(const Interval& i);
std::optional<Season> parseSeason(QStringView text);     // "4-9", "10-3", "5"
QString seasonText(const Season& s);
std::optional<QDate> parseDate(QStringView text);        // "2026-12-07", a date that exists
// Why a task name cannot be kept in a record (empty when it can): empty, a line break, "=", a first
// character a record reads as a comment or a section, or a character Windows-1251 has not.
QString nameProblem(const QString& name);

// A record line's value; false when it is damaged (the line is then left as it is and not used).
bool parseEntry(const QString& name, const QString& value, Entry* entry);
QString entryValue(const Entry& entry);
// Every sound entry of a record's care section; damaged (when given) gets "NAME=VALUE" of the others.
std::vector<Entry> entriesOf(const IniFile& record, QStringList* damaged = nullptr);

// The k-th date of a rule counted from its start: months and years from the start itself, so a task
// from 31 January falls on the last day of shorter months and on the 31st again after them.
QDate occurrence(const Rule& rule, qint64 k);
// The first date the task falls due that progress has not settled: the first date of the rule in its
// season after the later of done and through (from its start when neither). Invalid when never.
QDate nextDue(const Rule& rule, const Progress& progress);

// Record bytes with the care line of name replaced by NAME=value (removed when value is empty), the
// section added at the end when the record had none; every other byte stays as it was.
QByteArray withLine(const QByteArray& record, const QString& name, const QString& value);

// Where a task a plant follows was set.
enum class Origin { Plant, Folder, Group };

// One task of one plant and when it falls due.
struct Due {
    QDate date;
    QString group;
    QString parent;     // the folder holding the plant, empty at the top of the group
    QString node;       // the plant
    QString nodeFolder; // its folder on disk
    QString task;
    Rule rule;
    Origin origin = Origin::Plant;
    Progress progress;
    QString path() const { return parent.isEmpty() ? node : parent + u'/' + node; }
};

// A task as set on a plant, folder or group, for the calendar and the schedule dialog.
struct Defined {
    QString group;
    QString parent;
    QString node; // empty for a group's task; a folder's name for a folder's
    Origin origin = Origin::Plant;
    Entry entry;
};

struct Survey {
    std::vector<Due> due;         // every plant's tasks, by date, then group and tree order
    std::vector<Defined> defined; // every task as set, in group and tree order
    QStringList damaged;          // "record: NAME=VALUE" of care lines that could not be read
};
// Reads the care of every group's plants (of one group when group is given), as their trees show them.
// due holds the tasks falling due up to last (all when last is invalid).
Survey survey(const QString& programFolder, const QDate& last = {}, const QString& group = {});
// Logs damaged lines, once per survey, to the error log.
void logDamaged(const QString& programFolder, const Survey& s);

// The record a task of a node is kept in: node empty for the group's own record.
QString recordPath(const QString& programFolder, const QString& group, const QString& nodeFolder);
// The same for a node of the tree (node empty: the group), its files made first as its first selection
// makes them (a folder gets its record then); empty with error set when they cannot be.
QString nodeRecord(const QString& programFolder, const QString& group, const QString& parent, const QString& node,
                   bool folder, QString* error);

// What falls due up to today, overdue ones among them; damaged lines are logged.
struct DueCount {
    int due = 0;
    int overdue = 0;
};
DueCount countDue(const QString& programFolder, const QDate& today);
// The folders of a group's plants with a task overdue on today.
QSet<QString> overdueFolders(const QString& programFolder, const QString& group, const QDate& today);

// Sets (or changes) a task in a record, keeping the progress its line had. error gets one line.
bool setTask(const QString& record, const QString& name, const Rule& rule, QString* error);
// Takes a task out of a record: its rule goes, a plant's progress stays. False when it had none.
bool removeTask(const QString& record, const QString& name, QString* error);

// Marks a plant's task done on date: a dated line appended to its Diary through the page writer (the
// page as it was kept in its history), then the date in the plant's record. diaryLine is the whole
// line to append. False with error when nothing could be done; the record is not changed then.
bool markDone(const Due& due, const QDate& date, const QString& diaryLine, QString* error);
// Settles the date a task falls due without doing it.
bool skip(const Due& due, QString* error);

// The diary line of a task done on date: "7 Dec 2026 — Полив" with dateFormat a QLocale form.
QString diaryLine(const QDate& date, const QString& task, const QString& dateFormat);

// The care calendar: RFC 5545 iCalendar text, one event per task as set, with its recurrence rule.
QByteArray calendar(const Survey& s, const QString& collectionName);
// The whole collection's calendar written to path.
IoStatus writeCalendar(const QString& programFolder, const QString& path, const QString& collectionName);

} // namespace care
