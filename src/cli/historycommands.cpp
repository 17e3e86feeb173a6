#include "cli/clicommon.h"

#include "history/removed.h"
#include "history/versions.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "tree/nodefiles.h"

namespace {

QString isoTime(const QDateTime& t)
{
    return t.toLocalTime().toString(Qt::ISODate);
}

// The page file of a node named on the command line; empty after an error line.
QString pageOf(const cli::Args& a, QTextStream& err)
{
    const QString& page = a.positional[2];
    if (page != u"description" && page != u"care" && page != u"diary") {
        cli::fail(err,
                  QStringLiteral("no page \"") + page + QStringLiteral("\": description, care or diary"));
        return QString();
    }
    const std::optional<cli::Node> n =
        cli::findNode(a.programFolder, a.positional[0], a.positional[1], err, true);
    return n ? pagePath(n->folder, QString(page + QStringLiteral(".rtf"))) : QString();
}

} // namespace

namespace cli {

int removedItems(const Args& a, QTextStream& out, QTextStream& err)
{
    if (!paths::isDir(collection::myPlants(a.programFolder)))
        return fail(err, QStringLiteral("no collection (MyPlants) in ") + a.programFolder);
    for (const removed::Item& it : removed::scan(a.programFolder))
        out << it.relative << '\t' << it.name << '\t' << isoTime(it.removedAt) << '\n';
    return kDone;
}

int restoreItem(const Args& a, QTextStream& out, QTextStream& err)
{
    const std::optional<removed::Item> it = removed::find(a.programFolder, a.positional[0]);
    if (!it)
        return fail(err, QStringLiteral("no removed item \"") + a.positional[0] +
                             QStringLiteral("\" (verdarium-cli removed lists them)"));
    const removed::RestoreResult r = removed::restore(a.programFolder, *it);
    if (!r.ok)
        return fail(err, it->name + QStringLiteral(" could not be restored: ") + r.error);
    out << r.name << '\n';
    return kDone;
}

int history(const Args& a, QTextStream& out, QTextStream& err)
{
    const QString page = pageOf(a, err);
    if (page.isEmpty())
        return kFailed;
    for (const versions::Version& v : versions::list(page))
        out << v.id << '\t' << isoTime(v.time) << '\t' << v.bytes << '\n';
    return kDone;
}

int restorePage(const Args& a, QTextStream&, QTextStream& err)
{
    const QString page = pageOf(a, err);
    if (page.isEmpty())
        return kFailed;
    const IoStatus s = versions::restore(page, a.positional[3]);
    return s.ok() ? kDone : fail(err, s.text);
}

} // namespace cli
