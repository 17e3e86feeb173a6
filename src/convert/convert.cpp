#include "convert/convert.h"

#include "editor/notes.h"
#include "i18n/messages.h"

#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/fsname.h"
#include "platform/messagesink.h"
#include "platform/names.h"
#include "platform/paths.h"
#include "platform/sysio.h"
#include "store/collection.h"
#include "store/copyfolder.h"
#include "store/errorlog.h"
#include "store/inifile.h"

#include <QSet>

#include <cerrno>
#include <cstring>

namespace convert {

namespace {

constexpr int kGroups = 10;

QString groupListName(int n)
{
    return QStringLiteral("group") + QString::number(n) + QStringLiteral(".ini");
}

// A plant line names a folder directly in "plants"; anything that could reach another folder is
// refused, and an empty name would be "plants" itself.
bool plantNameStaysInPlants(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(u'\\');
}

bool isMarkDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString withSlash(const QString& path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

class Run {
public:
    Run(const QString& programFolder, const IniFile& settings, FileCopier& copier, const Hooks& hooks)
        : m_pf(programFolder), m_settings(settings), m_copier(copier), m_hooks(hooks),
          m_myPlants(collection::myPlants(programFolder)), m_plants(paths::fixed(programFolder, u"plants"))
    {
    }

    Outcome run()
    {
        log(QStringLiteral("Start conversion"));
        m_copier.conversion = true;
        if (m_hooks.started)
            m_hooks.started();
        for (int n = 1; n <= kGroups; ++n)
            if (!group(n))
                return m_out;
        if (!copy(paths::fixed(m_plants, paths::kShablonAll), paths::fixed(m_myPlants, paths::kShablonAll)))
            return m_out;
        if (!notes())
            return m_out;
        leftOut();
        m_copier.conversion = false;
        m_out.done = true;
        return m_out;
    }

private:
    void log(const QString& message) { errorlog::WriteErrorLog(m_pf, message); }

    // A record that could not be written is logged and the conversion goes on; but on a full disk
    // it stops like a copy, or it would end "done" with plants that have no record and never run again.
    void recordFailed(const IoStatus& s, const QString& message)
    {
        log(message);
        if (s.code == ENOSPC || s.code == EDQUOT) {
            m_copier.sink().warning(
                QString::fromUtf8("In Russian: Освободите место на диске и запустите "
                                  "программу заново.\rIn English: Make more free space on "
                                  "a disk and start the program again."));
            m_copier.copyAbort = true;
        }
    }
    void step(const QString& line)
    {
        if (m_hooks.step)
            m_hooks.step(line);
    }

    // False when the copy stopped everything (a full disk).
    bool copy(const QString& from, const QString& to)
    {
        if (!paths::isDir(from))
            return true; // nothing of the kind in the older layout
        m_copier.copyTree(from, to, false);
        return !m_copier.copyAbort;
    }

    QString safeName(const QString& name, const QString& fallback)
    {
        const QString safe = safeFolderName(name, fallback);
        if (safe != name) {
            m_out.renamed.emplace_back(name, safe);
            log(QStringLiteral("Conversion: \"") + name +
                QStringLiteral("\" cannot be a folder name; converted as \"") + safe + u'"');
        }
        return safe;
    }

    // What the older layout holds that no group took: plant folders no list names, lists of groups
    // the settings do not name.
    void leftOut()
    {
        for (const QString& name : paths::subdirectories(m_plants)) {
            const bool templates = name.startsWith(paths::kShablon.toString(), Qt::CaseInsensitive);
            if (!templates && !m_listed.contains(name))
                m_out.unlistedFolders << name;
        }
        for (int n = 1; n <= kGroups; ++n) {
            const QString section = QStringLiteral("Group") + QString::number(n);
            if (m_settings.readString(section, u"Caption", QString()).isEmpty() &&
                paths::isFile(paths::fixed(m_pf, groupListName(n))))
                m_out.listsWithoutGroup << groupListName(n);
        }
    }

    bool group(int n)
    {
        const QString section = QStringLiteral("Group") + QString::number(n);
        const QString caption = m_settings.readString(section, u"Caption", QString());
        if (caption.isEmpty())
            return true;
        const QString name = safeName(caption, QStringLiteral("Group ") + QString::number(n));
        step(QStringLiteral("group ") + QString::number(n) + QStringLiteral(": ") + name);
        const QString groupFolder = paths::join(m_myPlants, name);
        const QString oldTemplates = paths::kShablon.toString() + u'_' + QString::number(n);
        if (!copy(paths::fixed(m_plants, oldTemplates), paths::fixed(groupFolder, paths::kShablon)))
            return false;

        const QString listPath = paths::fixed(m_pf, groupListName(n));
        QByteArray bytes;
        bool missing = false;
        IoStatus read = atomicfile::readAll(listPath, &bytes, &missing);
        if (missing)
            read = IoStatus::failure(ENOENT, QString::fromLocal8Bit(std::strerror(ENOENT)));
        if (!read.ok()) {
            m_out.groupsWithoutList << caption;
            log(errorlog::message(read.text, listPath));
        } else if (!plants(cp1251::decode(bytes), groupFolder)) {
            return false;
        }

        // A group no copy made a folder for gets neither folder nor record.
        if (paths::isDir(groupFolder)) {
            IniFile record(collection::groupRecordPath(groupFolder));
            record.writeInteger(u"Group", u"Color", m_settings.readInteger(section, u"Color", 0));
            record.writeInteger(u"Group", u"ImageIndex", m_settings.readInteger(section, u"ImageIndex", 1));
            const IoStatus s = record.updateFile();
            if (!s.ok())
                recordFailed(s, errorlog::message(s.text, record.fileName()));
        }
        return !m_copier.copyAbort;
    }

    bool plants(const QString& list, const QString& groupFolder)
    {
        QString prefixFolder = groupFolder; // there is no way back to the top after a folder line
        for (QString line : list.split(u'\n')) {
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (line.isEmpty())
                continue;
            const QChar mark = line.front();
            const QString name = line.mid(1);
            if (mark == u'1') {
                prefixFolder = name.isEmpty()
                                   ? groupFolder
                                   : paths::join(groupFolder, safeName(name, QStringLiteral("Folder")));
                continue;
            }
            const QString from = paths::join(m_plants, name);
            const QString to = paths::join(prefixFolder, name);
            const QString args = QStringLiteral("gl_ToPath: ") + withSlash(to) +
                                 QStringLiteral("; gl_FromPath: ") + withSlash(from);
            if (!plantNameStaysInPlants(name) || paths::isLink(from)) {
                m_out.refusedLines << line;
                log(errorlog::message(QStringLiteral("the plant's name leads out of ") + m_plants +
                                          QStringLiteral(": \"") + line + u'"',
                                      args));
                continue;
            }
            m_listed.insert(name);
            if (!paths::isDir(from)) { // listed, but its folder is gone: nothing to convert
                m_out.missingPlants << name;
                continue;
            }
            if (!copy(from, to))
                return false;
            // A plant whose old folder was empty is still a plant.
            paths::makePath(to);
            IniFile record(collection::plantRecordPath(to));
            if (isMarkDigit(mark)) {
                record.writeInteger(u"Main", u"Cond", mark.unicode() - u'0');
            } else {
                // Written without a mark, so that the tree still shows it as a plant.
                record.writeInteger(u"Main", u"Cond", 0);
                log(errorlog::message(QStringLiteral("\"") + QString(mark) +
                                          QStringLiteral("\" is not a condition mark"),
                                      args));
            }
            const IoStatus s = record.updateFile();
            if (!s.ok()) {
                recordFailed(s, errorlog::message(s.text, args));
                if (m_copier.copyAbort)
                    return false;
            }
        }
        return true;
    }

    bool notes()
    {
        // The notes group as the Note button makes it, with the one note the older version had.
        QString logLine;
        IoStatus s;
        const QString notesFolder = notes::prepareGroup(m_pf, &logLine, &s);
        if (!s.ok())
            recordFailed(s, logLine);
        const QString main = paths::join(notesFolder, u"Main");
        paths::makePath(main);
        const QString plantRecord = collection::plantRecordPath(main);
        if (!paths::exists(plantRecord)) {
            if (const IoStatus p = collection::writePlantRecord(main, 0, 0); !p.ok())
                recordFailed(p, errorlog::message(p.text, QStringLiteral("BitBtn1Click"), plantRecord));
        }
        if (m_copier.copyAbort)
            return false;
        const QString oldNotes = paths::fixed(m_plants, u"zametki.rtf");
        if (paths::isFile(oldNotes)) {
            m_copier.FCopyFile(oldNotes, paths::fixed(main, u"description.rtf"));
            // Other failures leave the notes page as it was; a full disk stops like any copy.
            if (m_copier.copyAbort)
                return false;
        }
        return true;
    }

    QString m_pf;
    const IniFile& m_settings;
    FileCopier& m_copier;
    const Hooks& m_hooks;
    QString m_myPlants;
    QString m_plants;
    Outcome m_out;
    QSet<QString> m_listed; // plant names the lists give
};

} // namespace

bool pending(const QString& programFolder)
{
    return paths::isFile(paths::fixed(programFolder, u"group1.ini"));
}

QString question()
{
    return QString::fromUtf8(
        "In Russian: Для продолжения необходимо конвертировать базу растений в новый "
        "формат. Продолжить?\rIn English: It is necessary to convert your old plant base "
        "into new format for continue, OK?");
}

QString safeFolderName(const QString& name, const QString& fallback)
{
    if (names::check(name) == names::Problem::None)
        return name;
    QString safe;
    for (QChar c : name) {
        const bool bad = c.unicode() < 0x20 || c.unicode() == 0x7F ||
                         (c.unicode() >= 0x80 && c.unicode() < 0xA0) ||
                         QStringView(u"/\\<>:\"|?*").contains(c) || !cp1251::canEncode(QStringView(&c, 1));
        safe += bad ? u'_' : c;
    }
    // Neither "." nor "..", nor a reserved "!" name that the bar would never show.
    for (qsizetype i = 0; i < safe.size() && (safe[i] == u'!' || safe[i] == u'.'); ++i)
        safe[i] = u'_';
    while (safe.toUtf8().size() > 255)
        safe.chop(1);
    return names::check(safe) == names::Problem::None ? safe : fallback;
}

QString Outcome::report(const MessageTable& messages) const
{
    QStringList lines;
    auto list = [&](const char* key, const QStringList& names) {
        if (!names.isEmpty())
            lines << messages.textWithName(QString::fromLatin1(key), names.join(QStringLiteral(", ")));
    };
    list("v1", groupsWithoutList);
    for (const auto& [from, to] : renamed)
        lines << messages.text(QStringLiteral("v2")).arg(from, to);
    list("v3", refusedLines);
    list("v4", missingPlants);
    list("v5", unlistedFolders);
    list("v6", listsWithoutGroup);
    return lines.join(u'\r');
}

Outcome convertOlderLayout(const QString& programFolder, const IniFile& settings, FileCopier& copier,
                           const Hooks& hooks)
{
    return Run(programFolder, settings, copier, hooks).run();
}

IoStatus setAside(const QString& programFolder)
{
    const QByteArray from = paths::native(paths::fixed(programFolder, u"group1.ini"));
    const QByteArray to = paths::native(paths::join(programFolder, u"group1.bak"));
    if (sysio::renameNoReplace(from.constData(), to.constData()) != 0)
        return IoStatus::fromErrno(errno);
    return IoStatus::success();
}

} // namespace convert
