#include "cli/clicommon.h"

#include "platform/paths.h"
#include "search/searchindex.h"
#include "store/collection.h"

namespace cli {

int search(const Args& a, QTextStream& out, QTextStream& err)
{
    if (!paths::isDir(collection::myPlants(a.programFolder)))
        return fail(err, QStringLiteral("no collection (MyPlants) in ") + a.programFolder);
    search::Query q;
    q.words = searchtext::queryWords(a.positional.join(u' '));
    if (q.words.isEmpty())
        return fail(err, QStringLiteral("no word to search for (only letters and digits are searched)"));
    search::SearchIndex index(a.programFolder);
    index.update();
    const std::vector<search::Hit> hits = index.search(q);
    for (const search::Hit& h : hits)
        out << h.group << '\t' << h.node() << '\t' << h.where().join(u',') << '\n';
    return hits.empty() ? kFailed : kDone;
}

} // namespace cli
