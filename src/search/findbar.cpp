#include "search/findbar.h"

#include "i18n/messages.h"
#include "i18n/translate.h"
#include "search/searchtext.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QVBoxLayout>

namespace search {

namespace {

QList<QTextEdit::ExtraSelection> highlights(QTextEdit* editor, const QList<QPair<int, int>>& spans)
{
    QList<QTextEdit::ExtraSelection> out;
    for (const auto& [start, length] : spans) {
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(editor->document());
        s.cursor.setPosition(start);
        s.cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        s.format.setBackground(QColor(0xff, 0xe0, 0x66));
        out << s;
    }
    return out;
}

} // namespace

FindBar::FindBar(QTextEdit* editor, const MessageTable& messages, QWidget* parent)
    : QWidget(parent), m_editor(editor), m_messages(messages)
{
    setObjectName(QStringLiteral("FindBar"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto button = [this](const QString& name, const QString& text, int key) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
        setTextKey(b, key);
        return b;
    };
    auto label = [this](const QString& text, int key) {
        auto* l = new QLabel(text, this);
        setTextKey(l, key);
        return l;
    };
    auto* findRow = new QHBoxLayout;
    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("FindText"));
    m_find->setClearButtonEnabled(true);
    QPushButton* next = button(QStringLiteral("FindNext"), QStringLiteral("Next"), 227);
    QPushButton* prev = button(QStringLiteral("FindPrevious"), QStringLiteral("Previous"), 228);
    QPushButton* closeButton = button(QStringLiteral("FindClose"), QStringLiteral("Close"), 231);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("FindState"));
    i18n::markNotTranslated(m_state);
    findRow->addWidget(label(QStringLiteral("Find:"), 225));
    findRow->addWidget(m_find, 1);
    findRow->addWidget(next);
    findRow->addWidget(prev);
    findRow->addWidget(m_state);
    findRow->addWidget(closeButton);
    rows->addLayout(findRow);
    m_replaceRow = new QWidget(this);
    auto* replaceRow = new QHBoxLayout(m_replaceRow);
    replaceRow->setContentsMargins(0, 0, 0, 0);
    m_replace = new QLineEdit(m_replaceRow);
    m_replace->setObjectName(QStringLiteral("ReplaceText"));
    QPushButton* one = button(QStringLiteral("ReplaceOne"), QStringLiteral("Replace"), 229);
    QPushButton* all = button(QStringLiteral("ReplaceAll"), QStringLiteral("Replace all"), 230);
    one->setParent(m_replaceRow);
    all->setParent(m_replaceRow);
    auto* replaceLabel = label(QStringLiteral("Replace with:"), 226);
    replaceLabel->setParent(m_replaceRow);
    replaceRow->addWidget(replaceLabel);
    replaceRow->addWidget(m_replace, 1);
    replaceRow->addWidget(one);
    replaceRow->addWidget(all);
    rows->addWidget(m_replaceRow);

    connect(m_find, &QLineEdit::textChanged, this, [this] {
        highlight();
        // Typing finds the first place from where the caret was.
        QTextCursor c = m_editor->textCursor();
        if (!selectFrom(c.selectionStart(), true))
            m_editor->setTextCursor(QTextCursor(c.document()));
    });
    connect(m_find, &QLineEdit::returnPressed, this, &FindBar::findNext);
    connect(m_replace, &QLineEdit::returnPressed, this, &FindBar::replaceOne);
    connect(next, &QPushButton::clicked, this, &FindBar::findNext);
    connect(prev, &QPushButton::clicked, this, &FindBar::findPrevious);
    connect(one, &QPushButton::clicked, this, &FindBar::replaceOne);
    connect(all, &QPushButton::clicked, this, &FindBar::replaceAll);
    connect(closeButton, &QPushButton::clicked, this, &FindBar::close);
    connect(m_editor, &QTextEdit::textChanged, this, [this] {
        if (isVisible())
            highlight();
    });
    for (QLineEdit* e : {m_find, m_replace})
        e->installEventFilter(this);
    hide();
}

void FindBar::showFind()
{
    m_replaceRow->hide();
    show();
    const QString selected = m_editor->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        m_find->setText(selected);
    m_find->setFocus();
    m_find->selectAll();
    highlight();
}

void FindBar::showReplace()
{
    showFind();
    m_replaceRow->setVisible(!m_editor->isReadOnly());
}

void FindBar::close()
{
    hide();
    m_editor->setExtraSelections({});
    m_editor->setFocus();
}

QList<int> FindBar::matches() const
{
    QList<int> out;
    const QString needle = searchtext::fold(m_find->text());
    if (needle.isEmpty())
        return out;
    const QString text = searchtext::fold(m_editor->document()->toPlainText());
    for (qsizetype at = 0; (at = text.indexOf(needle, at)) >= 0; at += needle.size())
        out << int(at);
    return out;
}

void FindBar::retranslate()
{
    if (!m_state->text().isEmpty())
        highlight();
}

void FindBar::highlight()
{
    QList<QPair<int, int>> spans;
    const QList<int> found = matches();
    for (int start : found)
        spans << qMakePair(start, int(m_find->text().size()));
    m_editor->setExtraSelections(highlights(m_editor, spans));
    m_state->setText(found.isEmpty() && !m_find->text().isEmpty() ? m_messages.text(QStringLiteral("f17"))
                                                                  : QString());
    QPalette p = m_find->palette();
    p.setColor(QPalette::Base, found.isEmpty() && !m_find->text().isEmpty()
                                   ? QColor(0xff, 0xd0, 0xd0)
                                   : palette().color(QPalette::Base));
    m_find->setPalette(p);
}

bool FindBar::selectFrom(int position, bool forward)
{
    const QList<int> found = matches();
    if (found.isEmpty())
        return false;
    int pick = -1;
    if (forward) {
        for (int s : found)
            if (s >= position) {
                pick = s;
                break;
            }
        if (pick < 0)
            pick = found.front(); // round to the top
    } else {
        for (auto it = found.crbegin(); it != found.crend(); ++it)
            if (*it < position) {
                pick = *it;
                break;
            }
        if (pick < 0)
            pick = found.back();
    }
    QTextCursor c(m_editor->document());
    c.setPosition(pick);
    c.setPosition(pick + int(m_find->text().size()), QTextCursor::KeepAnchor);
    m_editor->setTextCursor(c);
    m_editor->ensureCursorVisible();
    return true;
}

bool FindBar::findNext()
{
    const QTextCursor c = m_editor->textCursor();
    return selectFrom(c.hasSelection() && selectionIsMatch() ? c.selectionStart() + 1 : c.position(), true);
}

bool FindBar::findPrevious()
{
    return selectFrom(m_editor->textCursor().selectionStart(), false);
}

bool FindBar::selectionIsMatch() const
{
    const QTextCursor c = m_editor->textCursor();
    return c.hasSelection() && !m_find->text().isEmpty() &&
           searchtext::fold(c.selectedText()) == searchtext::fold(m_find->text());
}

bool FindBar::replaceOne()
{
    if (m_editor->isReadOnly())
        return false;
    if (!selectionIsMatch()) {
        findNext();
        return false;
    }
    QTextCursor c = m_editor->textCursor();
    c.insertText(m_replace->text());
    m_editor->setTextCursor(c);
    findNext();
    return true;
}

int FindBar::replaceAll()
{
    if (m_editor->isReadOnly())
        return 0;
    const QList<int> found = matches();
    if (found.isEmpty())
        return 0;
    const int length = int(m_find->text().size());
    QTextCursor c(m_editor->document());
    c.beginEditBlock(); // one undo step
    for (auto it = found.crbegin(); it != found.crend(); ++it) {
        c.setPosition(*it);
        c.setPosition(*it + length, QTextCursor::KeepAnchor);
        c.insertText(m_replace->text());
    }
    c.endEditBlock();
    m_state->setText(m_messages.textWithName(QStringLiteral("f18"), QString::number(found.size())));
    return int(found.size());
}

bool FindBar::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        if (watched == m_find && (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
            (k->modifiers() & Qt::ShiftModifier)) {
            findPrevious();
            return true;
        }
        if (k->key() == Qt::Key_F3) {
            (k->modifiers() & Qt::ShiftModifier) ? findPrevious() : findNext();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

bool FindBar::selectWords(QTextEdit* editor, const QStringList& words)
{
    const QString text = searchtext::fold(editor->document()->toPlainText());
    const std::vector<searchtext::Span> spans = searchtext::findWords(text, words);
    if (spans.empty())
        return false;
    QList<QPair<int, int>> all;
    for (const searchtext::Span& s : spans)
        all << qMakePair(s.start, s.length);
    editor->setExtraSelections(highlights(editor, all));
    QTextCursor c(editor->document());
    c.setPosition(spans.front().start);
    c.setPosition(spans.front().start + spans.front().length, QTextCursor::KeepAnchor);
    editor->setTextCursor(c);
    editor->ensureCursorVisible();
    return true;
}

} // namespace search
