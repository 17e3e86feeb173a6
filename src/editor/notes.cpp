#include "editor/notes.h"

#include "i18n/messages.h"
#include "platform/paths.h"
#include "store/collection.h"
#include "store/inifile.h"

namespace notes {

QString heading(const MessageTable& messages)
{
    return messages.text(QStringLiteral("k22"));
}

QString prepareGroup(const QString& programFolder, QString* logLine, IoStatus* status)
{
    const QString folder = paths::fixed(collection::myPlants(programFolder), paths::kNotes);
    paths::makePath(folder);
    const QString record = collection::groupRecordPath(folder);
    if (!paths::exists(record)) {
        IniFile ini(record);
        ini.writeInteger(u"Group", u"Color", 10484657); // a light green
        ini.writeInteger(u"Group", u"ImageIndex", 1);
        const IoStatus s = ini.updateFile();
        if (!s.ok())
            *logLine = QStringLiteral("Error msg: ") + s.text + QStringLiteral(" ((BitBtn1Click) args: ") +
                       record + u')';
        if (status)
            *status = s;
    }
    return folder;
}

} // namespace notes
