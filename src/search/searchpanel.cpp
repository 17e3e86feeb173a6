#include "search/searchpanel.h"

#include "editor/notes.h"
#include "i18n/messages.h"
#include "i18n/translate.h"
#include "search/searchservice.h"
#include "tree/nodefiles.h"

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>

namespace search {

namespace {

constexpr int kHitRole = Qt::UserRole;
constexpr int kMarksRole = Qt::UserRole + 1;

// Draws a result's piece of text with the words found in it in bold on a yellow ground.
class SnippetDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
        QTextDocument doc;
        doc.setDefaultFont(o.font);
        doc.setDocumentMargin(1);
        QString html;
        const QVariantList marks = index.data(kMarksRole).toList();
        int at = 0;
        for (const QVariant& m : marks) {
            const QPoint span = m.toPoint();
            if (span.x() < at)
                continue;
            html += text.mid(at, span.x() - at).toHtmlEscaped() +
                    QStringLiteral("<span style=\"background:#ffe066;font-weight:bold\">") +
                    text.mid(span.x(), span.y()).toHtmlEscaped() + QStringLiteral("</span>");
            at = span.x() + span.y();
        }
        html += text.mid(at).toHtmlEscaped();
        doc.setHtml(QStringLiteral("<span style=\"white-space:pre\">") + html + QStringLiteral("</span>"));
        painter->save();
        painter->translate(o.rect.topLeft() + QPoint(2, (o.rect.height() - int(doc.size().height())) / 2));
        painter->setClipRect(QRect(QPoint(0, 0), o.rect.size()));
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.palette.setColor(QPalette::Text, o.state & QStyle::State_Selected
                                                 ? o.palette.color(QPalette::HighlightedText)
                                                 : o.palette.color(QPalette::Text));
        doc.documentLayout()->draw(painter, ctx);
        painter->restore();
    }
};

} // namespace

SearchPanel::SearchPanel(SearchService& service, const MessageTable& messages, QWidget* parent)
    : QDialog(parent), m_service(service), m_messages(messages)
{
    setObjectName(QStringLiteral("SearchPanel"));
    auto* grid = new QGridLayout(this);
    auto* wordsLabel = new QLabel(QStringLiteral("Words:"), this);
    wordsLabel->setObjectName(QStringLiteral("Label223"));
    setTextKey(wordsLabel, 223);
    m_words = new QLineEdit(this);
    m_words->setObjectName(QStringLiteral("SearchWords"));
    m_words->setClearButtonEnabled(true);
    wordsLabel->setBuddy(m_words);
    auto* marksLabel = new QLabel(QStringLiteral("Mark:"), this);
    marksLabel->setObjectName(QStringLiteral("Label224"));
    setTextKey(marksLabel, 224);
    m_marks = new QComboBox(this);
    m_marks->setObjectName(QStringLiteral("SearchMarks"));
    // The marks by their numbers in the plant record.
    for (const int mark : {-1, 0, 2, 3, 4, 5})
        m_marks->addItem(QString(), mark);
    marksLabel->setBuddy(m_marks);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("SearchState"));
    i18n::markNotTranslated(m_state);
    m_results = new QTreeWidget(this);
    m_results->setObjectName(QStringLiteral("SearchResults"));
    m_results->setRootIsDecorated(false);
    m_results->setUniformRowHeights(true);
    m_results->setAllColumnsShowFocus(true);
    m_results->setItemDelegateForColumn(3, new SnippetDelegate(m_results));
    m_results->header()->setStretchLastSection(true);
    m_results->setColumnWidth(0, 150);
    m_results->setColumnWidth(1, 170);
    m_results->setColumnWidth(2, 150);
    grid->addWidget(wordsLabel, 0, 0);
    grid->addWidget(m_words, 0, 1);
    grid->addWidget(marksLabel, 0, 2);
    grid->addWidget(m_marks, 0, 3);
    grid->addWidget(m_results, 1, 0, 1, 4);
    grid->addWidget(m_state, 2, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    resize(820, 420);

    m_typing = new QTimer(this);
    m_typing->setSingleShot(true);
    m_typing->setInterval(120);
    connect(m_typing, &QTimer::timeout, this, &SearchPanel::ask);
    connect(m_words, &QLineEdit::textChanged, m_typing, qOverload<>(&QTimer::start));
    connect(m_marks, &QComboBox::currentIndexChanged, this, &SearchPanel::ask);
    // Enter in the words opens the first result; arrows go down into the list.
    connect(m_words, &QLineEdit::returnPressed, this, [this] {
        if (m_typing->isActive())
            ask();
        if (QTreeWidgetItem* first = m_results->topLevelItem(0))
            choose(first);
    });
    m_words->installEventFilter(this);
    connect(m_results, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { choose(item); });
    connect(m_results, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { choose(item); });
    connect(&m_service, &SearchService::found, this, &SearchPanel::showHits);
    connect(&m_service, &SearchService::progress, this, &SearchPanel::showProgress);
    connect(&m_service, &SearchService::readingFiles, this, [this](const QString& problem) {
        m_reading = m_messages.textWithName(QStringLiteral("f16"), problem);
        m_state->setText(m_reading);
    });
    retranslate();
}

void SearchPanel::retranslate()
{
    setWindowTitle(m_messages.text(QStringLiteral("f1")));
    // The marks by their numbers in the plant record.
    static const char* const kMarkKeys[] = {"f2", "f3", "f20", "f21", "f22", "f23"};
    for (int i = 0; i < m_marks->count(); ++i)
        m_marks->setItemText(i, m_messages.text(QString::fromLatin1(kMarkKeys[i])));
    m_results->setHeaderLabels({m_messages.text(QStringLiteral("f4")), m_messages.text(QStringLiteral("f5")),
                                m_messages.text(QStringLiteral("f6")),
                                m_messages.text(QStringLiteral("f7"))});
    i18n::translateWithCurrent(this);
}

bool SearchPanel::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_words && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if ((key == Qt::Key_Down || key == Qt::Key_PageDown) && m_results->topLevelItemCount() > 0) {
            m_results->setFocus();
            m_results->setCurrentItem(m_results->topLevelItem(0));
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void SearchPanel::openWith(const QString& text)
{
    if (!text.isEmpty()) { // words from the field under the tree: found whatever their mark
        m_words->setText(text);
        const QSignalBlocker quiet(m_marks);
        m_marks->setCurrentIndex(0);
    }
    QDialog::show();
    raise();
    activateWindow();
    m_words->setFocus();
    m_words->selectAll();
    m_service.refresh();
    if (!m_words->text().isEmpty())
        ask();
}

void SearchPanel::ask()
{
    m_typing->stop();
    const int mark = m_marks->currentData().toInt();
    m_service.search(++m_asked, m_words->text(), mark < 0 ? std::nullopt : std::optional<int>(mark));
}

QString SearchPanel::fieldName(int field) const
{
    static const char* const kKeys[] = {"f11", "f12", "f13", "f14", "f15", "f24"};
    return field >= 0 && field < FieldCount ? m_messages.text(QString::fromLatin1(kKeys[field])) : QString();
}

void SearchPanel::showHits(int id, const std::vector<Hit>& hits, const QStringList& words)
{
    if (id != m_asked)
        return;
    m_hits = hits;
    m_foundWords = words;
    m_results->clear();
    QList<QTreeWidgetItem*> items;
    for (size_t i = 0; i < m_hits.size(); ++i) {
        const Hit& h = m_hits[i];
        QStringList where;
        for (int f = 0; f < FieldCount; ++f)
            if (h.fields & (1u << f))
                where << fieldName(f);
        const QString group = isNotesGroup(h.group) ? notes::heading(m_messages) : h.group;
        auto* item = new QTreeWidgetItem({group, h.node(), where.join(QStringLiteral(", ")), h.snippet.text});
        item->setToolTip(2, item->text(2));
        item->setData(0, kHitRole, qulonglong(i));
        QVariantList marks;
        for (const searchtext::Span& s : h.snippet.marks)
            marks << QPoint(s.start, s.length);
        item->setData(3, kMarksRole, marks);
        if (h.shownField == Comments)
            item->setToolTip(3, h.photo);
        items << item;
    }
    m_results->addTopLevelItems(items);
    const bool none = m_hits.empty() && (!words.isEmpty() || m_marks->currentData().toInt() >= 0);
    const QString count = none
                              ? m_messages.text(QStringLiteral("f10"))
                              : m_messages.textWithName(QStringLiteral("f9"), QString::number(m_hits.size()));
    m_state->setText(m_indexing.isEmpty() ? (m_reading.isEmpty() ? count : m_reading + u' ' + count)
                                          : count + QStringLiteral(" — ") + m_indexing);
}

void SearchPanel::showProgress(int done, int total)
{
    m_indexing = done < total
                     ? m_messages.textWithName(QStringLiteral("f8"),
                                               QString::number(done * 100 / std::max(1, total)) + u'%')
                     : QString();
    if (!m_indexing.isEmpty())
        m_state->setText(m_indexing);
    else if (done == total && total > 0)
        ask(); // what was being indexed is searched now
}

void SearchPanel::choose(QTreeWidgetItem* item)
{
    const qulonglong i = item->data(0, kHitRole).toULongLong();
    if (i < m_hits.size())
        Q_EMIT chosen(m_hits[i], m_foundWords);
}

} // namespace search
