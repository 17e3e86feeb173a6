#include "cli/clicommon.h"

#include "convert/convert.h"
#include "platform/messagesink.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "store/copyfolder.h"
#include "store/inifile.h"

namespace {

// The boxes the window would show become lines on standard error; the first is kept for the
// closing line when the conversion stops.
class StderrSink : public MessageSink {
public:
    explicit StderrSink(QTextStream& err) : m_err(err) {}
    void warning(const QString& text) override
    {
        const QString line = QString(text).replace(u'\r', u' ');
        if (first.isEmpty())
            first = line;
        m_err << "verdarium-cli: " << line << '\n';
        m_err.flush();
    }
    bool question(const QString&) override { return true; }
    QString first;

private:
    QTextStream& m_err;
};

} // namespace

namespace cli {

int convertOlder(const Args& a, QTextStream&, QTextStream& err)
{
    const QString& pf = a.programFolder;
    if (!::convert::pending(pf))
        return fail(err, QStringLiteral("no older layout in ") + pf +
                             QStringLiteral(" (no group1.ini); nothing was converted"));
    const IniFile settings(paths::fixed(pf, paths::kMainIni));
    if (!settings.readStatus().ok())
        return fail(err, settings.fileName() + QStringLiteral(" cannot be read: ") +
                             settings.readStatus().text + QStringLiteral("; nothing was converted"));
    if (!paths::makePath(collection::myPlants(pf)))
        return fail(err, QStringLiteral("cannot create ") + collection::myPlants(pf) +
                             QStringLiteral("; nothing was converted"));
    StderrSink sink(err);
    FileCopier copier(pf, sink);
    ::convert::Hooks hooks;
    hooks.step = [&err](const QString& line) {
        err << "converting " << line << '\n';
        err.flush();
    };
    const ::convert::Outcome o = ::convert::convertOlderLayout(pf, settings, copier, hooks);
    if (!o.done)
        return fail(err,
                    QStringLiteral("the conversion stopped after ") + QString::number(copier.filesCopied) +
                        QStringLiteral(" files; the older layout is as it was, run it again when the disk "
                                       "has room"));
    err << copier.filesCopied << " files copied\n";
    for (const auto& [from, to] : o.renamed)
        err << "converted \"" << from << "\" as \"" << to << "\"\n";
    for (const QString& line : o.refusedLines)
        err << "not converted (names no folder in plants): " << line << '\n';
    for (const QString& name : o.missingPlants)
        err << "not converted (listed, but plants holds no such folder): " << name << '\n';
    for (const QString& name : o.unlistedFolders)
        err << "not converted (in no group's list; left in plants): " << name << '\n';
    for (const QString& list : o.listsWithoutGroup)
        err << "not converted (a list of no group in main.ini): " << list << '\n';
    // Without its list a group is not whole: group1.ini stays, so the keeper can put the list back
    // and convert again (the copies already made are copied over).
    if (!o.groupsWithoutList.isEmpty())
        return fail(err, QStringLiteral("no readable list of plants for ") +
                             o.groupsWithoutList.join(QStringLiteral(", ")) +
                             QStringLiteral("; the rest is converted, group1.ini stays for another run"));
    if (const IoStatus s = ::convert::setAside(pf); !s.ok())
        return fail(err,
                    QStringLiteral("converted, but group1.ini cannot be renamed to group1.bak: ") + s.text);
    return kDone;
}

} // namespace cli
