// The window's side of publishing (src/publish): File › Publish as website... and Export plant list...
#include "app/mainform.h"

#include "platform/atomicfile.h"
#include "publish/publish.h"
#include "publish/publishdialog.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QStandardPaths>
#include <QStatusBar>

void TMainForm::buildPublishItems(QMenu* file)
{
    auto* site = new QAction(QStringLiteral("Publish as website..."), this);
    site->setObjectName(QStringLiteral("PublishItem"));
    setTextKey(site, 270);
    connect(site, &QAction::triggered, this, &TMainForm::publishSite);
    auto* list = new QAction(QStringLiteral("Export plant list..."), this);
    list->setObjectName(QStringLiteral("PlantListItem"));
    setTextKey(list, 271);
    connect(list, &QAction::triggered, this, &TMainForm::exportPlantList);
    file->insertAction(m_removedItems, site);
    file->insertAction(m_removedItems, list);
    file->insertSeparator(m_removedItems);
}

void TMainForm::publishSite()
{
    if (!FileSave())
        return;
    const QString proposed = m_lastSite.isEmpty()
                                 ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                                       QStringLiteral("/my-verdarium-site")
                                 : m_lastSite;
    PublishDialog dialog(m_programFolder, proposed, m_messages, *m_sink, this);
    dialog.exec();
    if (!dialog.published().isEmpty())
        m_lastSite = dialog.published();
}

void TMainForm::exportPlantList()
{
    if (!FileSave())
        return;
    const QString proposed = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                             QStringLiteral("/my-verdarium-plants.csv");
    const QString path =
        askPlantListPath ? askPlantListPath(proposed)
                         : QFileDialog::getSaveFileName(this, m_messages.text(QStringLiteral("b6")), proposed,
                                                        m_messages.text(QStringLiteral("b7")) + QStringLiteral(" (*.csv)"));
    if (path.isEmpty())
        return;
    if (const IoStatus st = atomicfile::write(path, publish::plantList(m_programFolder, publish::textsFrom(m_messages)));
        !st.ok()) {
        showError(m_messages.text(QStringLiteral("b8")).arg(path + QStringLiteral(": ") + st.text));
        return;
    }
    StatusBar->showMessage(m_messages.text(QStringLiteral("b29")).arg(path), 10000);
}
