#include "history/listpreview.h"

#include "i18n/messages.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

ListPreviewControls buildListPreview(QDialog* dialog, const ListPreviewSpec& spec)
{
    ListPreviewControls c;
    auto* listLabel = new QLabel(spec.listLabel, dialog);
    setTextKey(listLabel, spec.listKey);
    c.list = new QTreeWidget(dialog);
    c.list->setObjectName(spec.listName);
    c.list->setRootIsDecorated(false);
    c.list->setHeaderLabels(spec.headers);
    auto* previewLabel = new QLabel(spec.previewLabel, dialog);
    setTextKey(previewLabel, spec.previewKey);
    c.preview = new QTextEdit(dialog);
    c.preview->setObjectName(spec.previewName);
    c.preview->setReadOnly(true);
    c.restore = new QPushButton(spec.restoreText, dialog);
    c.restore->setObjectName(spec.restoreName);
    setTextKey(c.restore, spec.restoreKey);
    c.close = new QPushButton(QStringLiteral("Close"), dialog);
    c.close->setObjectName(QStringLiteral("CloseButton"));
    setTextKey(c.close, 203);

    auto* left = new QVBoxLayout;
    left->addWidget(listLabel);
    left->addWidget(c.list);
    auto* right = new QVBoxLayout;
    right->addWidget(previewLabel);
    right->addWidget(c.preview);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, spec.listStretch);
    columns->addLayout(right, spec.previewStretch);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(c.restore);
    buttons->addWidget(c.close);
    auto* all = new QVBoxLayout(dialog);
    all->addLayout(columns);
    all->addLayout(buttons);
    QObject::connect(c.close, &QPushButton::clicked, dialog, &QDialog::reject);
    return c;
}
