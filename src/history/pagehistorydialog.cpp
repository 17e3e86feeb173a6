#include "history/pagehistorydialog.h"

#include "editor/pagefile.h"
#include "i18n/messages.h"
#include "i18n/translate.h"
#include "platform/messagesink.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

PageHistoryDialog::PageHistoryDialog(const QString& pagePath, const QString& caption,
                                     const MessageTable& messages, MessageSink& sink, QWidget* parent)
    : QDialog(parent), m_page(pagePath), m_messages(messages), m_sink(sink)
{
    setObjectName(QStringLiteral("PageHistoryForm"));
    setWindowTitle(messages.text(QStringLiteral("k1")) + QStringLiteral(" - ") + caption);
    resize(760, 460);
    auto* listLabel = new QLabel(QStringLiteral("Versions of this page:"), this);
    setTextKey(listLabel, 205);
    VersionList = new QTreeWidget(this);
    VersionList->setObjectName(QStringLiteral("VersionList"));
    VersionList->setRootIsDecorated(false);
    VersionList->setHeaderLabels({messages.text(QStringLiteral("k3")), messages.text(QStringLiteral("k4")),
                                  messages.text(QStringLiteral("k5"))});
    auto* previewLabel = new QLabel(QStringLiteral("Preview:"), this);
    setTextKey(previewLabel, 206);
    VersionPreview = new QTextEdit(this);
    VersionPreview->setObjectName(QStringLiteral("VersionPreview"));
    VersionPreview->setReadOnly(true);
    RestoreButton = new QPushButton(QStringLiteral("Restore this version"), this);
    RestoreButton->setObjectName(QStringLiteral("RestoreVersionButton"));
    setTextKey(RestoreButton, 202);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    setTextKey(CloseButton, 203);

    auto* left = new QVBoxLayout;
    left->addWidget(listLabel);
    left->addWidget(VersionList);
    auto* right = new QVBoxLayout;
    right->addWidget(previewLabel);
    right->addWidget(VersionPreview);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(RestoreButton);
    buttons->addWidget(CloseButton);
    auto* all = new QVBoxLayout(this);
    all->addLayout(columns);
    all->addLayout(buttons);

    const QLocale locale;
    m_versions = versions::list(pagePath);
    for (const versions::Version& v : m_versions) {
        const QDateTime local = v.time.toLocalTime();
        auto* item = new QTreeWidgetItem(
            VersionList, {locale.toString(local.date(), QLocale::ShortFormat),
                          local.time().toString(QStringLiteral("HH:mm:ss")),
                          locale.toString(v.bytes) + u' ' + messages.text(QStringLiteral("k21"))});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    VersionList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(VersionList, &QTreeWidget::currentItemChanged, this, &PageHistoryDialog::showVersion);
    connect(RestoreButton, &QPushButton::clicked, this, &PageHistoryDialog::restoreVersion);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    i18n::translateWithCurrent(this);
    if (m_versions.isEmpty()) {
        VersionPreview->setPlainText(messages.text(QStringLiteral("k6")));
        RestoreButton->setEnabled(false);
    } else {
        VersionList->setCurrentItem(VersionList->topLevelItem(0));
    }
    VersionList->setFocus();
}

void PageHistoryDialog::showVersion()
{
    const int row = VersionList->indexOfTopLevelItem(VersionList->currentItem());
    if (row < 0 || row >= m_versions.size())
        return;
    const pagefile::LoadResult r = pagefile::load(m_versions[row].path, VersionPreview->document());
    RestoreButton->setEnabled(r.ok());
    if (!r.ok())
        VersionPreview->setPlainText(m_messages.textWithName(QStringLiteral("k7"), r.status.text));
}

void PageHistoryDialog::restoreVersion()
{
    const int row = VersionList->indexOfTopLevelItem(VersionList->currentItem());
    if (row < 0 || row >= m_versions.size())
        return;
    const IoStatus s = versions::restore(m_page, m_versions[row].id);
    if (!s.ok()) {
        m_sink.warning(m_messages.text(QStringLiteral("k20")) + u' ' + s.text);
        return;
    }
    m_restored = m_versions[row].id;
    accept();
}
