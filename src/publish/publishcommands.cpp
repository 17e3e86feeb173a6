#include "publish/publishcommands.h"

#include "i18n/messages.h"
#include "publish/publish.h"
#include "publish/publishdialog.h"

#include <QAction>
#include <QFileDialog>
#include <QStandardPaths>

PublishCommands::PublishCommands(const QString& programFolder, const MessageTable& messages, MessageSink& sink,
                                 QWidget* window, Hooks hooks)
    : QObject(window), m_programFolder(programFolder), m_messages(messages), m_sink(sink), m_window(window),
      m_hooks(std::move(hooks))
{
    auto action = [this](const char* name, const char* text, int key) {
        auto* a = new QAction(QString::fromLatin1(text), m_window);
        a->setObjectName(QString::fromLatin1(name));
        setTextKey(a, key);
        return a;
    };
    m_site = action("PublishItem", "Publish as website...", 270);
    m_list = action("PlantListItem", "Export plant list...", 271);
    connect(m_site, &QAction::triggered, this, &PublishCommands::publishSite);
    connect(m_list, &QAction::triggered, this, &PublishCommands::exportPlantList);
}

void PublishCommands::publishSite()
{
    if (!m_hooks.saveFirst())
        return;
    const QString proposed = m_lastSite.isEmpty()
                                 ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                                       QStringLiteral("/my-verdarium-site")
                                 : m_lastSite;
    PublishDialog dialog(m_programFolder, proposed, m_messages, m_sink, m_window);
    dialog.exec();
    if (!dialog.published().isEmpty())
        m_lastSite = dialog.published();
}

void PublishCommands::exportPlantList()
{
    if (!m_hooks.saveFirst())
        return;
    const QString proposed = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                             QStringLiteral("/my-verdarium-plants.csv");
    const QString path =
        askPlantListPath ? askPlantListPath(proposed)
                         : QFileDialog::getSaveFileName(m_window, m_messages.text(QStringLiteral("b6")), proposed,
                                                        m_messages.text(QStringLiteral("b7")) + QStringLiteral(" (*.csv)"));
    if (path.isEmpty())
        return;
    if (const IoStatus st = publish::writePlantList(m_programFolder, path, publish::textsFrom(m_messages)); !st.ok()) {
        m_hooks.warn(m_messages.text(QStringLiteral("b8")).arg(path + QStringLiteral(": ") + st.text));
        return;
    }
    m_hooks.say(m_messages.text(QStringLiteral("b29")).arg(path));
}
