#include "cli/clicommon.h"

#include "platform/paths.h"
#include "sync/conflicts.h"

namespace cli {

int conflictCopies(const Args& a, QTextStream& out, QTextStream&)
{
    for (const conflicts::Copy& c : conflicts::scan(a.programFolder))
        out << c.group << '\t' << c.node << '\t' << c.what << '\t' << paths::fileNameOf(c.file) << '\n';
    return kDone;
}

int resolveConflict(const Args& a, QTextStream&, QTextStream& err)
{
    if (a.keep != u"page" && a.keep != u"copy")
        return fail(err, QStringLiteral("--keep page or --keep copy says which text stays"));
    for (const conflicts::Copy& c : conflicts::scan(a.programFolder)) {
        if (c.group != a.positional[0] || c.node != a.positional[1] ||
            paths::fileNameOf(c.file) != a.positional[2])
            continue;
        const IoStatus s = conflicts::resolve(c, a.keep == u"copy");
        return s.ok() ? kDone : fail(err, s.text);
    }
    return fail(err, QStringLiteral("no conflict copy \"") + a.positional[2] + QStringLiteral("\" of ") +
                         a.positional[0] + u'/' + a.positional[1] +
                         QStringLiteral(" (verdarium-cli conflicts lists them)"));
}

} // namespace cli
