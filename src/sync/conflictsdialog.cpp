#include "sync/conflictsdialog.h"

#include "editor/pagefile.h"
#include "i18n/messages.h"
#include "i18n/translate.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/messagesink.h"
#include "platform/paths.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A page as the editor would show it; a record or a comment as its text.
void showFile(QTextEdit* view, const QString& path)
{
    const QString name = paths::fileNameOf(path).toLower();
    if (name.endsWith(u".rtf")) {
        pagefile::load(path, view->document());
        return;
    }
    QByteArray bytes;
    atomicfile::readAll(path, &bytes);
    view->setPlainText(cp1251::decode(bytes));
}

QWidget* column(QDialog* dialog, const QString& label, int key, QTextEdit* view, QPushButton* keep)
{
    auto* title = new QLabel(label, dialog);
    setTextKey(title, key);
    auto* box = new QWidget(dialog);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(view);
    layout->addWidget(keep, 0, Qt::AlignLeft);
    return box;
}

} // namespace

ConflictsDialog::ConflictsDialog(const QString& programFolder, const MessageTable& messages,
                                 MessageSink& sink, QWidget* parent)
    : QDialog(parent), m_programFolder(programFolder), m_messages(messages), m_sink(sink)
{
    setObjectName(QStringLiteral("ConflictsForm"));
    setWindowTitle(messages.text(QStringLiteral("c1")));
    resize(900, 560);
    auto* listLabel = new QLabel(QStringLiteral("Conflict copies left by a sync engine:"), this);
    setTextKey(listLabel, 241);
    ConflictList = new QTreeWidget(this);
    ConflictList->setObjectName(QStringLiteral("ConflictList"));
    ConflictList->setRootIsDecorated(false);
    ConflictList->setHeaderLabels({messages.text(QStringLiteral("k14")), messages.text(QStringLiteral("c2")),
                                   messages.text(QStringLiteral("c3")), messages.text(QStringLiteral("c4"))});
    auto makeView = [this](const char* name) {
        auto* view = new QTextEdit(this);
        view->setObjectName(QLatin1String(name));
        view->setReadOnly(true);
        return view;
    };
    PageText = makeView("PageText");
    CopyText = makeView("CopyText");
    KeepPageButton = new QPushButton(QStringLiteral("Keep this one"), this);
    KeepPageButton->setObjectName(QStringLiteral("KeepPageButton"));
    setTextKey(KeepPageButton, 244);
    KeepCopyButton = new QPushButton(QStringLiteral("Keep this one"), this);
    KeepCopyButton->setObjectName(QStringLiteral("KeepCopyButton"));
    setTextKey(KeepCopyButton, 244);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    setTextKey(CloseButton, 203);

    auto* sides = new QHBoxLayout;
    sides->addWidget(column(this, QStringLiteral("The file now:"), 242, PageText, KeepPageButton));
    sides->addWidget(column(this, QStringLiteral("The conflict copy:"), 243, CopyText, KeepCopyButton));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    auto* all = new QVBoxLayout(this);
    all->addWidget(listLabel);
    all->addWidget(ConflictList, 1);
    all->addLayout(sides, 3);
    all->addLayout(buttons);

    connect(ConflictList, &QTreeWidget::currentItemChanged, this, &ConflictsDialog::showCopy);
    connect(KeepPageButton, &QPushButton::clicked, this, [this] { keep(false); });
    connect(KeepCopyButton, &QPushButton::clicked, this, [this] { keep(true); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    i18n::translateWithCurrent(this);
    fill();
    ConflictList->setFocus();
}

void ConflictsDialog::fill()
{
    ConflictList->clear();
    m_copies = conflicts::scan(m_programFolder);
    for (const conflicts::Copy& c : m_copies) {
        const QString group = c.group.compare(paths::kNotes, Qt::CaseInsensitive) == 0
                                  ? m_messages.text(QStringLiteral("k22"))
                                  : c.group;
        new QTreeWidgetItem(ConflictList, {group, c.node, whatText(c.what), paths::fileNameOf(c.file)});
    }
    ConflictList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    const bool any = !m_copies.isEmpty();
    KeepPageButton->setEnabled(any);
    KeepCopyButton->setEnabled(any);
    if (any) {
        ConflictList->setCurrentItem(ConflictList->topLevelItem(0));
    } else {
        PageText->setPlainText(m_messages.text(QStringLiteral("c5")));
        CopyText->clear();
    }
}

QString ConflictsDialog::whatText(const QString& what) const
{
    if (what == u"description")
        return m_messages.text(QStringLiteral("f12"));
    if (what == u"care")
        return m_messages.text(QStringLiteral("f13"));
    if (what == u"diary")
        return m_messages.text(QStringLiteral("f14"));
    if (what == u"record")
        return m_messages.text(QStringLiteral("c8"));
    return m_messages.text(QStringLiteral("f15")) + what.mid(what.indexOf(u' '));
}

void ConflictsDialog::showCopy()
{
    const int row = ConflictList->indexOfTopLevelItem(ConflictList->currentItem());
    if (row < 0 || row >= m_copies.size())
        return;
    showFile(PageText, m_copies[row].original);
    showFile(CopyText, m_copies[row].file);
}

void ConflictsDialog::keep(bool copy)
{
    const int row = ConflictList->indexOfTopLevelItem(ConflictList->currentItem());
    if (row < 0 || row >= m_copies.size())
        return;
    const IoStatus s = conflicts::resolve(m_copies[row], copy);
    if (!s.ok())
        m_sink.warning(m_messages.textWithName(QStringLiteral("c6"), paths::fileNameOf(m_copies[row].file)) +
                       u' ' + s.text);
    else
        m_changed = true;
    fill();
}
