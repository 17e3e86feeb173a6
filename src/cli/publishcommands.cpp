#include "cli/clicommon.h"

#include "i18n/messages.h"
#include "platform/paths.h"
#include "publish/publish.h"
#include "store/collection.h"

#include <QDir>

namespace cli {

int publishSite(const Args& a, QTextStream& out, QTextStream& err)
{
    publish::Options o;
    o.outDir = a.positional[0];
    o.group = a.group;
    o.withDiary = a.withDiary;
    o.fullPhotos = a.fullPhotos;
    o.withNotes = a.withNotes;
    o.texts = publish::textsFrom(interfaceMessages(a.programFolder));
    const publish::Result r = publish::publishSite(a.programFolder, o);
    for (const QString& p : r.problems)
        err << "verdarium-cli: " << p << '\n';
    if (!r.ok)
        return fail(err, r.error);
    out << r.plants << (r.plants == 1 ? " plant, " : " plants, ") << r.written << " files written, " << r.kept
        << " kept as they were\n";
    return kDone;
}

int exportCsv(const Args& a, QTextStream&, QTextStream& err)
{
    if (!paths::isDir(collection::myPlants(a.programFolder)))
        return fail(err, QStringLiteral("no collection (MyPlants) in ") + a.programFolder);
    const QString target = QDir(a.positional[0]).absolutePath();
    if (const IoStatus st =
            publish::writePlantList(a.programFolder, target, publish::textsFrom(interfaceMessages(a.programFolder)));
        !st.ok())
        return fail(err, QStringLiteral("cannot write ") + target + QStringLiteral(": ") + st.text);
    return kDone;
}

} // namespace cli
