#include "care/careschedule.h"

#include "editor/pagefile.h"
#include "groups/grouplist.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "store/errorlog.h"
#include "store/inifile.h"
#include "tree/nodefiles.h"
#include "tree/treeloader.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextList>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace care {

namespace {

constexpr int kMaxCount = 3650; // ten years of days: more is a typing slip

bool digitsOnly(QStringView t)
{
    return !t.isEmpty() && std::all_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString dateText(const QDate& d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

qint64 monthsOf(const Interval& i)
{
    return i.unit == Unit::Year ? 12LL * i.count : i.count;
}

qint64 daysOf(const Interval& i)
{
    return i.unit == Unit::Week ? 7LL * i.count : i.count;
}

bool byMonths(const Interval& i)
{
    return i.unit == Unit::Month || i.unit == Unit::Year;
}

} // namespace

bool Season::contains(int month) const
{
    if (allYear())
        return true;
    return from <= to ? month >= from && month <= to : month >= from || month <= to;
}

std::optional<Interval> parseInterval(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.size() < 2)
        return std::nullopt;
    Interval i;
    switch (t.back().toLower().unicode()) {
    case u'd':
        i.unit = Unit::Day;
        break;
    case u'w':
        i.unit = Unit::Week;
        break;
    case u'm':
        i.unit = Unit::Month;
        break;
    case u'y':
        i.unit = Unit::Year;
        break;
    default:
        return std::nullopt;
    }
    const QStringView n = t.first(t.size() - 1);
    if (!digitsOnly(n) || n.size() > 5)
        return std::nullopt;
    i.count = n.toInt();
    if (i.count <= 0 || daysOf(i) > kMaxCount || (byMonths(i) && monthsOf(i) > kMaxCount / 30))
        return std::nullopt;
    return i;
}

QString intervalText(const Interval& i)
{
    static const char16_t units[] = {u'd', u'w', u'm', u'y'};
    return QString::number(i.count) + QChar(units[static_cast<int>(i.unit)]);
}

std::optional<Season> parseSeason(QStringView text)
{
    const QStringView t = text.trimmed();
    const qsizetype dash = t.indexOf(u'-');
    const QStringView a = (dash < 0 ? t : t.first(dash)).trimmed();
    const QStringView b = (dash < 0 ? t : t.mid(dash + 1)).trimmed();
    if (!digitsOnly(a) || !digitsOnly(b) || a.size() > 2 || b.size() > 2)
        return std::nullopt;
    Season s{a.toInt(), b.toInt()};
    if (s.from < 1 || s.from > 12 || s.to < 1 || s.to > 12)
        return std::nullopt;
    return s;
}

QString seasonText(const Season& s)
{
    return s.allYear() ? QString() : QString::number(s.from) + u'-' + QString::number(s.to);
}

std::optional<QDate> parseDate(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.size() != 10 || t[4] != u'-' || t[7] != u'-' || !digitsOnly(t.first(4)) ||
        !digitsOnly(t.mid(5, 2)) || !digitsOnly(t.mid(8, 2)))
        return std::nullopt;
    const QDate d(t.first(4).toInt(), t.mid(5, 2).toInt(), t.mid(8, 2).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

QString nameProblem(const QString& name)
{
    const QString t = name.trimmed();
    if (t.isEmpty())
        return QStringLiteral("a task needs a name");
    if (name.contains(u'\n') || name.contains(u'\r'))
        return QStringLiteral("a task's name cannot hold a line break");
    if (name.contains(u'='))
        return QStringLiteral("a task's name cannot hold \"=\"");
    if (t.startsWith(u';') || t.startsWith(u'['))
        return QStringLiteral("a task's name cannot begin with \";\" or \"[\"");
    for (const QChar c : t)
        if (c.unicode() < 0x20)
            return QStringLiteral("a task's name cannot hold control characters");
    if (!cp1251::canEncode(t))
        return QStringLiteral("the task's name \"") + t +
               QStringLiteral("\" has characters a record (Windows-1251) cannot hold");
    return QString();
}

bool parseEntry(const QString& name, const QString& value, Entry* entry)
{
    Entry e;
    e.name = name;
    Rule rule;
    bool hasEvery = false;
    bool hasFrom = false;
    for (const QStringView part : QStringView(value).split(u';', Qt::SkipEmptyParts)) {
        const QStringView p = part.trimmed();
        if (p.isEmpty())
            continue;
        const qsizetype space = p.indexOf(u' ');
        if (space < 0)
            return false;
        const QStringView word = p.first(space);
        const QStringView rest = p.mid(space + 1).trimmed();
        if (word == u"every") {
            const auto i = parseInterval(rest);
            if (!i || hasEvery)
                return false;
            rule.every = *i;
            hasEvery = true;
        } else if (word == u"season") {
            const auto s = parseSeason(rest);
            if (!s)
                return false;
            rule.season = *s;
        } else {
            const auto d = parseDate(rest);
            if (!d)
                return false;
            if (word == u"from") {
                rule.start = *d;
                hasFrom = true;
            } else if (word == u"done") {
                e.progress.done = *d;
            } else if (word == u"through") {
                e.progress.through = *d;
            } else {
                return false;
            }
        }
    }
    if (hasEvery != hasFrom) // a rule needs both
        return false;
    if (!hasEvery && (!rule.season.allYear() || e.progress.empty()))
        return false;
    if (hasEvery)
        e.rule = rule;
    *entry = std::move(e);
    return true;
}

QString entryValue(const Entry& e)
{
    QStringList parts;
    if (e.rule) {
        parts << QStringLiteral("every ") + intervalText(e.rule->every)
              << QStringLiteral("from ") + dateText(e.rule->start);
        if (!e.rule->season.allYear())
            parts << QStringLiteral("season ") + seasonText(e.rule->season);
    }
    if (e.progress.done.isValid())
        parts << QStringLiteral("done ") + dateText(e.progress.done);
    if (e.progress.through.isValid())
        parts << QStringLiteral("through ") + dateText(e.progress.through);
    return parts.join(QStringLiteral("; "));
}

std::vector<Entry> entriesOf(const IniFile& record, QStringList* damaged)
{
    std::vector<Entry> out;
    if (!record.sectionExists(kSection))
        return out;
    for (const QString& key : record.keys(kSection)) {
        const QString value = record.readString(kSection, key, QString());
        Entry e;
        if (nameProblem(key).isEmpty() && parseEntry(key, value, &e)) {
            // A name twice is read once, as the record's readers do.
            if (std::none_of(out.begin(), out.end(),
                             [&](const Entry& x) { return x.name.compare(key, Qt::CaseInsensitive) == 0; }))
                out.push_back(std::move(e));
        } else if (damaged) {
            *damaged << key + u'=' + value;
        }
    }
    return out;
}

QDate occurrence(const Rule& rule, qint64 k)
{
    if (byMonths(rule.every)) {
        const qint64 months = k * monthsOf(rule.every);
        return months > 12 * 10000 ? QDate() : rule.start.addMonths(static_cast<int>(months));
    }
    return rule.start.addDays(k * daysOf(rule.every));
}

QDate nextDue(const Rule& rule, const Progress& progress)
{
    if (!rule.start.isValid() || rule.every.count <= 0)
        return {};
    QDate after = progress.done;
    if (progress.through.isValid() && (!after.isValid() || progress.through > after))
        after = progress.through;
    // The first k whose date comes after the settled one, found from an estimate a step short.
    qint64 k = 0;
    if (after.isValid() && after >= rule.start) {
        if (byMonths(rule.every)) {
            const qint64 months = (after.year() - rule.start.year()) * 12LL + after.month() - rule.start.month();
            k = std::max<qint64>(0, months / monthsOf(rule.every) - 1);
        } else {
            k = rule.start.daysTo(after) / daysOf(rule.every);
        }
    }
    QDate d = occurrence(rule, k);
    for (int guard = 0; d.isValid() && after.isValid() && d <= after && guard < 100; ++guard)
        d = occurrence(rule, ++k);
    // Then the first in its season: a yearly task outside its season never falls due.
    for (int guard = 0; d.isValid() && !rule.season.contains(d.month()); ++guard) {
        if (guard > 1000)
            return {};
        d = occurrence(rule, ++k);
    }
    return d;
}

QByteArray withLine(const QByteArray& record, const QString& name, const QString& value)
{
    // The record's lines as they are, line ends included.
    std::vector<QByteArray> lines;
    for (qsizetype at = 0; at < record.size();) {
        qsizetype nl = record.indexOf('\n', at);
        nl = nl < 0 ? record.size() : nl + 1;
        lines.push_back(record.mid(at, nl - at));
        at = nl;
    }
    const QString key = name.trimmed();
    const QByteArray line = value.isEmpty() ? QByteArray() : cp1251::encode(QString(key + u'=' + value + u"\r\n"));
    qsizetype header = -1;  // the first care section's header
    qsizetype lastOwn = -1; // its last entry
    bool inCare = false;
    bool inFirst = false;
    bool written = false;
    std::vector<QByteArray> out;
    for (const QByteArray& l : lines) {
        const QString t = cp1251::decode(l).trimmed();
        if (t.startsWith(u'[') && t.endsWith(u']')) {
            inCare = t.mid(1, t.size() - 2).trimmed().compare(kSection, Qt::CaseInsensitive) == 0;
            inFirst = inCare && header < 0;
            if (inFirst)
                header = lastOwn = static_cast<qsizetype>(out.size());
        } else if (inCare && !t.isEmpty() && !t.startsWith(u';')) {
            const qsizetype eq = t.indexOf(u'=');
            if ((eq < 0 ? t : t.left(eq)).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
                if (!written && !line.isEmpty())
                    out.push_back(line); // in the line's own place
                written = true;
                continue;
            }
            if (inFirst)
                lastOwn = static_cast<qsizetype>(out.size());
        }
        out.push_back(l);
    }
    if (!written && !line.isEmpty()) {
        if (header >= 0) {
            if (!out[static_cast<size_t>(lastOwn)].endsWith('\n'))
                out[static_cast<size_t>(lastOwn)] += "\r\n";
            out.insert(out.begin() + lastOwn + 1, line);
        } else {
            if (!out.empty() && !out.back().endsWith('\n'))
                out.back() += "\r\n";
            if (!out.empty() && cp1251::decode(out.back()).trimmed().size() > 0)
                out.push_back("\r\n");
            out.push_back('[' + cp1251::encode(kSection.toString()) + "]\r\n");
            out.push_back(line);
            out.push_back("\r\n");
        }
    }
    QByteArray joined;
    joined.reserve(record.size() + line.size() + 16);
    for (const QByteArray& l : out)
        joined += l;
    return joined;
}

QString recordPath(const QString& programFolder, const QString& group, const QString& nodeFolder)
{
    return nodeFolder.isEmpty() ? collection::groupRecordPath(collection::groupFolder(programFolder, group))
                                : collection::plantRecordPath(nodeFolder);
}

QString nodeRecord(const QString& programFolder, const QString& group, const QString& parent, const QString& node,
                   bool folder, QString* error)
{
    if (node.isEmpty())
        return recordPath(programFolder, group, QString());
    const NodeFiles f = prepareNodeFiles(programFolder, group, parent, node, folder);
    if (!f.ok()) {
        *error = f.error;
        return QString();
    }
    return recordPath(programFolder, group, f.nodeFolder);
}

namespace {

const Entry* findEntry(const std::vector<Entry>& entries, const QString& name)
{
    for (const Entry& e : entries)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

// The rules a plant follows, by name: the group's, then its folder's, then its own.
struct Followed {
    QString name;
    Rule rule;
    Origin origin;
};
void follow(std::vector<Followed>* rules, const std::vector<Entry>& entries, Origin origin)
{
    for (const Entry& e : entries) {
        if (!e.rule)
            continue;
        auto same = std::find_if(rules->begin(), rules->end(),
                                 [&](const Followed& f) { return f.name.compare(e.name, Qt::CaseInsensitive) == 0; });
        if (same != rules->end())
            *same = Followed{e.name, *e.rule, origin};
        else
            rules->push_back(Followed{e.name, *e.rule, origin});
    }
}

} // namespace

Survey survey(const QString& programFolder, const QDate& last, const QString& onlyGroup)
{
    Survey s;
    QStringList groups;
    if (onlyGroup.isEmpty()) {
        for (const GroupEntry& g : scanGroups(programFolder, false).slots)
            groups << g.name;
    } else {
        groups << onlyGroup;
    }
    for (const QString& group : groups) {
        if (isNotesGroup(group))
            continue;
        QHash<QString, std::vector<Entry>> care; // node folder ("" for the group) -> its entries
        QStringList damaged;
        const LoadedTree tree =
            loadTreeFromDisk(programFolder, group, group, [&](const QString& folder, const IniFile& record) {
                QStringList bad;
                std::vector<Entry> entries = entriesOf(record, &bad);
                for (const QString& b : std::as_const(bad))
                    damaged << record.fileName() + QStringLiteral(": ") + b;
                if (!entries.empty())
                    care.insert(folder, std::move(entries));
            });
        if (tree.group != group)
            continue;
        s.damaged << damaged;
        const QString groupFolder = collection::groupFolder(programFolder, group);
        const std::vector<Entry> none;
        auto entriesAt = [&](const QString& folder) -> const std::vector<Entry>& {
            const auto it = care.constFind(folder);
            return it == care.cend() ? none : *it;
        };
        auto define = [&](const QString& parent, const QString& node, Origin origin, const std::vector<Entry>& es) {
            for (const Entry& e : es)
                if (e.rule)
                    s.defined.push_back(Defined{group, parent, node, origin, e});
        };
        std::vector<Followed> groupRules;
        follow(&groupRules, entriesAt(QString()), Origin::Group);
        define(QString(), QString(), Origin::Group, entriesAt(QString()));
        auto plant = [&](const QString& parent, const QString& name, const QString& folder,
                         std::vector<Followed> rules) {
            const std::vector<Entry>& own = entriesAt(folder);
            follow(&rules, own, Origin::Plant);
            define(parent, name, Origin::Plant, own);
            for (const Followed& f : rules) {
                const Entry* mine = findEntry(own, f.name);
                Due d;
                d.progress = mine ? mine->progress : Progress{};
                d.date = nextDue(f.rule, d.progress);
                if (!d.date.isValid() || (last.isValid() && d.date > last))
                    continue;
                d.group = group;
                d.parent = parent;
                d.node = name;
                d.nodeFolder = folder;
                d.task = f.name;
                d.rule = f.rule;
                d.origin = f.origin;
                s.due.push_back(std::move(d));
            }
        };
        for (const TreeNode& n : tree.nodes) {
            const QString folder = paths::join(groupFolder, n.text);
            if (!n.isFolder()) {
                plant(QString(), n.text, folder, groupRules);
                continue;
            }
            std::vector<Followed> folderRules = groupRules;
            follow(&folderRules, entriesAt(folder), Origin::Folder);
            define(QString(), n.text, Origin::Folder, entriesAt(folder));
            for (const TreeNode& c : n.children)
                plant(n.text, c.text, paths::join(folder, c.text), folderRules);
        }
    }
    std::stable_sort(s.due.begin(), s.due.end(), [](const Due& a, const Due& b) { return a.date < b.date; });
    return s;
}

void logDamaged(const QString& programFolder, const Survey& s)
{
    for (const QString& d : s.damaged)
        errorlog::WriteErrorLog(programFolder,
                                QStringLiteral("Care task skipped, its line could not be read: ") + d);
}

DueCount countDue(const QString& programFolder, const QDate& today)
{
    const Survey s = survey(programFolder, today);
    logDamaged(programFolder, s);
    DueCount c;
    c.due = static_cast<int>(s.due.size());
    c.overdue = static_cast<int>(std::count_if(s.due.begin(), s.due.end(), [&](const Due& d) { return d.date < today; }));
    return c;
}

QSet<QString> overdueFolders(const QString& programFolder, const QString& group, const QDate& today)
{
    QSet<QString> late;
    for (const Due& d : survey(programFolder, today.addDays(-1), group).due)
        late.insert(d.nodeFolder);
    return late;
}

namespace {

// Rewrites the line of name in a record through change, which gets the entry (empty when the record
// has none) and says whether there is anything to write.
bool changeLine(const QString& record, const QString& name, QString* error,
                const std::function<bool(Entry*)>& change)
{
    QByteArray bytes;
    bool missing = false;
    if (const IoStatus st = atomicfile::readAll(record, &bytes, &missing); !st.ok() || missing) {
        *error = QStringLiteral("cannot read ") + record + QStringLiteral(": ") +
                 (missing ? QStringLiteral("there is no such file") : st.text);
        return false;
    }
    const IniFile ini = IniFile::fromBytes(record, bytes);
    Entry entry;
    entry.name = name.trimmed();
    if (ini.valueExists(kSection, entry.name)) {
        const QString value = ini.readString(kSection, entry.name, QString());
        if (!parseEntry(entry.name, value, &entry)) {
            *error = QStringLiteral("the line \"") + entry.name + u'=' + value + QStringLiteral("\" of ") + record +
                     QStringLiteral(" could not be read; it was left as it is");
            return false;
        }
        // The name stays as the record spells it.
        for (const QString& key : ini.keys(kSection))
            if (key.compare(entry.name, Qt::CaseInsensitive) == 0)
                entry.name = key;
    }
    if (!change(&entry))
        return false;
    const QByteArray after = withLine(bytes, entry.name, entryValue(entry));
    if (after == bytes)
        return true;
    if (const IoStatus st = atomicfile::write(record, after); !st.ok()) {
        *error = QStringLiteral("cannot write ") + record + QStringLiteral(": ") + st.text;
        return false;
    }
    return true;
}

} // namespace

bool setTask(const QString& record, const QString& name, const Rule& rule, QString* error)
{
    return changeLine(record, name, error, [&](Entry* e) {
        e->rule = rule;
        return true;
    });
}

bool removeTask(const QString& record, const QString& name, QString* error)
{
    return changeLine(record, name, error, [&](Entry* e) {
        if (!e->rule) {
            *error = QStringLiteral("there is no task \"") + name.trimmed() + QStringLiteral("\" in ") + record;
            return false;
        }
        e->rule.reset();
        return true;
    });
}

namespace {

bool settle(const Due& due, const QDate& done, QString* error)
{
    return changeLine(collection::plantRecordPath(due.nodeFolder), due.task, error, [&](Entry* e) {
        if (done.isValid() && (!e->progress.done.isValid() || done > e->progress.done))
            e->progress.done = done;
        if (!e->progress.through.isValid() || due.date > e->progress.through)
            e->progress.through = due.date;
        return true;
    });
}

} // namespace

bool markDone(const Due& due, const QDate& date, const QString& line, QString* error)
{
    const QString path = pagePath(due.nodeFolder, u"diary.rtf");
    QTextDocument doc;
    pagefile::LoadResult loaded;
    const bool exists = paths::isFile(path);
    if (exists) {
        loaded = pagefile::load(path, &doc);
        if (!loaded.ok()) {
            *error = QStringLiteral("cannot read the diary ") + path + QStringLiteral(": ") + loaded.status.text +
                     QStringLiteral("; nothing was changed");
            return false;
        }
        // What the page cannot show is kept beside it, as the editor keeps it.
        if (!loaded.lossy.isEmpty()) {
            IoStatus st;
            pagefile::keepOriginal(path, &st);
            if (!st.ok()) {
                *error = QStringLiteral("cannot keep the diary as it was beside it: ") + st.text +
                         QStringLiteral("; nothing was changed");
                return false;
            }
        }
    }
    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::End);
    // A paragraph of its own after what the diary ends with, in the look of its last words.
    QTextCharFormat look = cursor.charFormat();
    look.setAnchor(false);
    look.setAnchorHref(QString());
    if (doc.isEmpty()) { // as the editor types into a new page
        look.setFontFamilies({QStringLiteral("Times New Roman")});
        look.setFontPointSize(12);
    }
    if (!cursor.block().text().isEmpty() || cursor.block().textList())
        cursor.insertBlock(QTextBlockFormat(), look);
    else
        cursor.setCharFormat(look);
    cursor.insertText(line, look);
    const IoStatus saved = pagefile::save(path, doc, exists && !loaded.problem.isEmpty(),
                                          pagefile::Form{loaded.kind, loaded.crlf, loaded.bom});
    if (!saved.ok()) {
        *error = QStringLiteral("cannot write the diary ") + path + QStringLiteral(": ") + saved.text +
                 QStringLiteral("; nothing was changed");
        return false;
    }
    if (!settle(due, date, error)) {
        *error += QStringLiteral(" (the diary has its line)");
        return false;
    }
    return true;
}

bool skip(const Due& due, QString* error)
{
    return settle(due, QDate(), error);
}

QString diaryLine(const QDate& date, const QString& task, const QString& dateFormat)
{
    return QLocale().toString(date, dateFormat) + QStringLiteral(" \u2014 ") + task;
}

namespace {

// A text value of iCalendar: backslash, semicolon, comma and line breaks escaped.
QString icsText(QString t)
{
    t.replace(u'\\', QStringLiteral("\\\\"));
    t.replace(u';', QStringLiteral("\\;"));
    t.replace(u',', QStringLiteral("\\,"));
    t.replace(u'\n', QStringLiteral("\\n"));
    t.remove(u'\r');
    return t;
}

// A content line folded at 75 octets, never inside a UTF-8 sequence.
void icsLine(QByteArray* out, const QString& line)
{
    const QByteArray u = line.toUtf8();
    qsizetype at = 0;
    qsizetype room = 75;
    while (u.size() - at > room) {
        qsizetype cut = at + room;
        while (cut > at && (static_cast<unsigned char>(u[cut]) & 0xC0) == 0x80)
            --cut;
        *out += u.mid(at, cut - at) + "\r\n ";
        at = cut;
        room = 74;
    }
    *out += u.mid(at) + "\r\n";
}

QString ruleText(const Rule& r)
{
    static const char* freq[] = {"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
    QString t = QStringLiteral("FREQ=") + QLatin1String(freq[static_cast<int>(r.every.unit)]) +
                QStringLiteral(";INTERVAL=") + QString::number(r.every.count);
    const int day = r.start.day();
    if (r.every.unit == Unit::Month && day > 28) {
        // The last day of a shorter month, as the schedule counts.
        QStringList days;
        for (int d = 28; d <= day; ++d)
            days << QString::number(d);
        t += QStringLiteral(";BYMONTHDAY=") + days.join(u',') + QStringLiteral(";BYSETPOS=-1");
    } else if (r.every.unit == Unit::Year && r.start.month() == 2 && day == 29) {
        return t + QStringLiteral(";BYMONTH=2;BYMONTHDAY=28,29;BYSETPOS=-1");
    }
    if (!r.season.allYear() && r.every.unit != Unit::Year) {
        QStringList months;
        for (int m = 1; m <= 12; ++m)
            if (r.season.contains(m))
                months << QString::number(m);
        t += QStringLiteral(";BYMONTH=") + months.join(u',');
    }
    return t;
}

} // namespace

QByteArray calendar(const Survey& s, const QString& collectionName)
{
    QByteArray out;
    icsLine(&out, QStringLiteral("BEGIN:VCALENDAR"));
    icsLine(&out, QStringLiteral("VERSION:2.0"));
    icsLine(&out, QStringLiteral("PRODID:-//My Verdarium//Care schedule//EN"));
    icsLine(&out, QStringLiteral("CALSCALE:GREGORIAN"));
    icsLine(&out, QStringLiteral("X-WR-CALNAME:") + icsText(collectionName));
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    for (const Defined& d : s.defined) {
        const Rule& r = *d.entry.rule;
        const QDate first = nextDue(r, {});
        if (!first.isValid())
            continue;
        QString where = d.group;
        if (!d.parent.isEmpty())
            where += QStringLiteral(" / ") + d.parent;
        if (!d.node.isEmpty())
            where += QStringLiteral(" / ") + d.node;
        // The same task of the same node has the same UID in every export, so a calendar updates it.
        const QByteArray id = QCryptographicHash::hash(
                                  (d.group + u'\n' + d.parent + u'\n' + d.node + u'\n' + d.entry.name.toLower()).toUtf8(),
                                  QCryptographicHash::Sha1)
                                  .toHex();
        icsLine(&out, QStringLiteral("BEGIN:VEVENT"));
        icsLine(&out, QStringLiteral("UID:") + QLatin1String(id) + QStringLiteral("@my-verdarium"));
        icsLine(&out, QStringLiteral("DTSTAMP:") + stamp);
        icsLine(&out, QStringLiteral("DTSTART;VALUE=DATE:") + first.toString(QStringLiteral("yyyyMMdd")));
        icsLine(&out, QStringLiteral("RRULE:") + ruleText(r));
        icsLine(&out, QStringLiteral("SUMMARY:") +
                          icsText(d.entry.name + QStringLiteral(" \u2014 ") + (d.node.isEmpty() ? d.group : d.node)));
        icsLine(&out, QStringLiteral("DESCRIPTION:") + icsText(where));
        icsLine(&out, QStringLiteral("CATEGORIES:") + icsText(d.group));
        icsLine(&out, QStringLiteral("TRANSP:TRANSPARENT"));
        icsLine(&out, QStringLiteral("END:VEVENT"));
    }
    icsLine(&out, QStringLiteral("END:VCALENDAR"));
    return out;
}

IoStatus writeCalendar(const QString& programFolder, const QString& path, const QString& collectionName)
{
    const Survey s = survey(programFolder);
    logDamaged(programFolder, s);
    return atomicfile::write(path, calendar(s, collectionName));
}

} // namespace care
