#include "history/removeditemsdialog.h"

#include "editor/pagefile.h"
#include "history/listpreview.h"
#include "i18n/messages.h"
#include "i18n/translate.h"
#include "platform/messagesink.h"
#include "platform/paths.h"

#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>

namespace {

QString kindText(removed::Kind kind, const MessageTable& messages)
{
    switch (kind) {
    case removed::Kind::Group:
        return messages.text(QStringLiteral("k14"));
    case removed::Kind::Folder:
        return messages.text(QStringLiteral("k13"));
    case removed::Kind::Plant:
        break;
    }
    return messages.text(QStringLiteral("k12"));
}

} // namespace

RemovedItemsDialog::RemovedItemsDialog(const QString& programFolder, const MessageTable& messages,
                                       MessageSink& sink, QWidget* parent)
    : QDialog(parent), m_programFolder(programFolder), m_messages(messages), m_sink(sink)
{
    setObjectName(QStringLiteral("RemovedItemsForm"));
    setWindowTitle(messages.text(QStringLiteral("k2")));
    resize(820, 480);
    const ListPreviewControls c = buildListPreview(
        this, {QStringLiteral("RemovedList"), QStringLiteral("Removed groups, folders and plants:"), 207,
               {messages.text(QStringLiteral("k8")), messages.text(QStringLiteral("k9")),
                messages.text(QStringLiteral("k10")), messages.text(QStringLiteral("k11"))},
               QStringLiteral("DescriptionPreview"), QStringLiteral("Description:"), 208,
               QStringLiteral("RestoreButton"), QStringLiteral("Restore"), 204, 3, 2});
    RemovedList = c.list;
    DescriptionPreview = c.preview;
    RestoreButton = c.restore;
    CloseButton = c.close;

    const QLocale locale;
    m_items = removed::scan(programFolder);
    for (const removed::Item& it : m_items) {
        QString where = it.group.compare(paths::kNotes, Qt::CaseInsensitive) == 0
                            ? messages.text(QStringLiteral("k22"))
                            : it.group;
        if (it.kind == removed::Kind::Group)
            where.clear();
        else if (!it.parent.isEmpty())
            where += QStringLiteral(" / ") + it.parent;
        new QTreeWidgetItem(RemovedList, {it.name, kindText(it.kind, messages), where,
                                          locale.toString(it.removedAt.toLocalTime(), QLocale::ShortFormat)});
    }
    // Kind, place and time are shown whole; a long name gives up its end first.
    RemovedList->header()->setStretchLastSection(false);
    RemovedList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    RemovedList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    connect(RemovedList, &QTreeWidget::currentItemChanged, this, &RemovedItemsDialog::showItem);
    connect(RemovedList, &QTreeWidget::itemDoubleClicked, this, &RemovedItemsDialog::restoreItem);
    connect(RestoreButton, &QPushButton::clicked, this, &RemovedItemsDialog::restoreItem);
    i18n::translateWithCurrent(this);
    if (m_items.isEmpty()) {
        DescriptionPreview->setPlainText(messages.text(QStringLiteral("k15")));
        RestoreButton->setEnabled(false);
    } else {
        RemovedList->setCurrentItem(RemovedList->topLevelItem(0));
    }
    RemovedList->setFocus();
}

void RemovedItemsDialog::showItem()
{
    const int row = RemovedList->indexOfTopLevelItem(RemovedList->currentItem());
    if (row < 0 || row >= m_items.size())
        return;
    const removed::Item& it = m_items[row];
    DescriptionPreview->clear();
    if (it.kind == removed::Kind::Group) {
        // A group has no page of its own: what it holds.
        QStringList names;
        for (const paths::Entry& e : paths::entries(it.path))
            if (e.isDir && !e.name.startsWith(u'!'))
                names << e.name;
        DescriptionPreview->setPlainText(names.join(u'\n'));
        return;
    }
    const QString page = paths::fixed(it.path, u"description.rtf");
    if (paths::isFile(page)) {
        const pagefile::LoadResult r = pagefile::load(page, DescriptionPreview->document());
        if (!r.ok())
            DescriptionPreview->setPlainText(r.status.text);
    }
}

void RemovedItemsDialog::restoreItem()
{
    const int row = RemovedList->indexOfTopLevelItem(RemovedList->currentItem());
    if (row < 0 || row >= m_items.size())
        return;
    const removed::RestoreResult r = removed::restore(m_programFolder, m_items[row]);
    if (!r.ok) {
        m_sink.warning(m_messages.textWithName(QStringLiteral("k16"), m_items[row].name) + u' ' + r.error);
        return;
    }
    m_restored = r;
    m_restoredItem = m_items[row];
    accept();
}
