#include "editor/formatbar.h"

#include "editor/editor.h"
#include "editor/toolicons.h"
#include "i18n/messages.h"
#include "i18n/translate.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QIntValidator>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QScopeGuard>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kMaxSize = 1638;

struct NamedColor {
    const char* key; // its name, a message key
    QRgb rgb;
};

constexpr NamedColor kStandardColors[] = {
    {"u30", 0x000000}, // Black
    {"u31", 0x800000}, // Maroon
    {"u32", 0x008000}, // Green
    {"u33", 0x808000}, // Olive
    {"u34", 0x000080}, // Navy
    {"u35", 0x800080}, // Purple
    {"u36", 0x008080}, // Teal
    {"u37", 0x808080}, // Gray
    {"u38", 0xC0C0C0}, // Silver
    {"u39", 0xFF0000}, // Red
    {"u40", 0x00FF00}, // Lime
    {"u41", 0xFFFF00}, // Yellow
    {"u42", 0x0000FF}, // Blue
    {"u43", 0xFF00FF}, // Fuchsia
    {"u44", 0x00FFFF}, // Aqua
    {"u45", 0xFFFFFF}, // White
};

QIcon swatch(const QColor& c)
{
    QPixmap pm(12, 12);
    pm.fill(c);
    QPainter p(&pm);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, 11, 11);
    return QIcon(pm);
}

// The alignment buttons' numbers: left 0, right 1, centre 2, justify 3.
Qt::Alignment alignmentOf(int number)
{
    switch (number) {
    case 1:
        return Qt::AlignRight;
    case 2:
        return Qt::AlignHCenter;
    case 3:
        return Qt::AlignJustify;
    default:
        return Qt::AlignLeft;
    }
}

int numberOf(Qt::Alignment a)
{
    a &= Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignJustify)
        return 3;
    if (a & Qt::AlignHCenter)
        return 2;
    if (a & Qt::AlignRight)
        return 1;
    return 0;
}

} // namespace

UpDown::UpDown(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("UpDown1"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    up = new QToolButton(this);
    down = new QToolButton(this);
    up->setObjectName(QStringLiteral("Up"));
    down->setObjectName(QStringLiteral("Down"));
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
        b->setFixedSize(14, 11);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        column->addWidget(b);
    }
    connect(up, &QToolButton::clicked, this, [this] { Q_EMIT stepped(1); });
    connect(down, &QToolButton::clicked, this, [this] { Q_EMIT stepped(-1); });
}

ColorBox::ColorBox(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("ColorBox1"));
    setFocusPolicy(Qt::TabFocus);
    for (const NamedColor& c : kStandardColors)
        addItem(swatch(QColor(c.rgb)), QString(), QColor(c.rgb));
    addItem(QString()); // Custom...
    retranslate(MessageTable()); // English until a language is applied
    askColor = [this](const QColor& initial) { return QColorDialog::getColor(initial, window()); };
    connect(this, &QComboBox::activated, this, &ColorBox::chosen);
    view()->setMinimumWidth(120); // the list names the colours; the box shows only the colour
}

void ColorBox::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionComboBox o;
    initStyleOption(&o);
    o.currentText.clear();
    o.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, o);
    // The sample fills the box up to its arrow (a style's text field can be narrower than a swatch).
    const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxArrow, this);
    const QRect sample(5, 5, std::max(6, arrow.left() - 8), height() - 10);
    p.fillRect(sample, color().isValid() ? color() : QColor(Qt::black));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(sample.adjusted(0, 0, -1, -1));
}

int ColorBox::customIndex() const
{
    return count() - 1;
}

QColor ColorBox::color() const
{
    return currentData().value<QColor>();
}

void ColorBox::setColor(const QColor& c)
{
    for (int i = 0; i < customIndex(); ++i)
        if (itemData(i).value<QColor>().rgb() == c.rgb()) {
            setCurrentIndex(i);
            return;
        }
    // One place for a colour of the user's own, just above "Custom...".
    const int own = std::size(kStandardColors);
    if (customIndex() == own)
        insertItem(own, QString());
    setItemIcon(own, swatch(c));
    setItemText(own, c.name());
    setItemData(own, c);
    setCurrentIndex(own);
}

void ColorBox::retranslate(const MessageTable& messages)
{
    for (int i = 0; i < int(std::size(kStandardColors)); ++i)
        setItemText(i, messages.text(QString::fromLatin1(kStandardColors[i].key)));
    setItemText(customIndex(), messages.text(QStringLiteral("u46")));
}

void ColorBox::chosen(int index)
{
    if (index == customIndex()) {
        const QColor before = color();
        const QColor c = askColor ? askColor(before) : QColor();
        if (!c.isValid()) {
            setColor(before.isValid() ? before : QColor(Qt::black));
            return;
        }
        setColor(c);
    }
    Q_EMIT colorChosen(color());
}

int FormatBar::fontBoxWidth() const
{
    // Wide enough for the common family names ("Times New Roman") beside the list's arrow.
    QStyleOptionComboBox o;
    o.initFrom(FontName);
    o.editable = true;
    o.rect = QRect(0, 0, 200, FontName->sizeHint().height());
    const int field = FontName->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField,
                                                       FontName).width();
    return 200 - field + FontName->fontMetrics().horizontalAdvance(QStringLiteral("Times New Roman")) + 4;
}

void FormatBar::resizeEvent(QResizeEvent* e)
{
    // Where the page area is too narrow for every button, the font box gives up room first (not
    // below 90 pixels), so no button folds away behind the toolbar's arrow.
    const int ideal = fontBoxWidth();
    const int others = sizeHint().width() - FontName->width();
    const int room = std::clamp(e->size().width() - others - 12, 90, ideal); // the bar folds a little before its hint says
    if (room != FontName->width())
        FontName->setFixedWidth(room);
    QToolBar::resizeEvent(e);
}

QAction* FormatBar::addCommand(const QString& name, const char* caption, const char* hint)
{
    QAction* a = addAction(QString());
    a->setObjectName(name);
    i18n::setTextMessage(a, caption);
    i18n::setHintMessage(a, hint);
    return a;
}

QAction* FormatBar::addStyle(const QString& name, const char* letter, const char* hint)
{
    QAction* a = addAction(QString());
    a->setObjectName(name);
    a->setCheckable(true);
    i18n::setTextMessage(a, letter);
    i18n::setHintMessage(a, hint);
    return a;
}

QAction* FormatBar::addAlignment(const QString& name, int number, const char* hint)
{
    static const toolicons::Kind pictures[] = {toolicons::Kind::AlignLeft, toolicons::Kind::AlignRight,
                                               toolicons::Kind::AlignCenter, toolicons::Kind::Justify};
    QAction* a = addAction(toolicons::icon(pictures[number]), QString());
    a->setObjectName(name);
    a->setCheckable(true);
    a->setData(number);
    i18n::setTextMessage(a, hint);
    i18n::setHintMessage(a, hint);
    connect(a, &QAction::triggered, this, [this, number] {
        if (m_updating)
            return;
        if (!m_editor->isReadOnly())
            m_editor->setAlignment(alignmentOf(number));
        selectionChanged(); // a page that cannot change shows its own alignment again
    });
    return a;
}

FormatBar::FormatBar(PageEditor* editor, QWidget* parent) : QToolBar(parent), m_editor(editor)
{
    setObjectName(QStringLiteral("StandardToolBar"));
    setIconSize(QSize(16, 16));
    setFloatable(false);
    setMovable(false);
    layout()->setSpacing(0); // the whole bar fits the page area of the smallest window

    Print =
        addCommand(QStringLiteral("Print"), "u6", "u7");
    Print->setIcon(toolicons::icon(toolicons::Kind::Print));
    addSeparator();

    FontName = new QComboBox(this);
    FontName->setObjectName(QStringLiteral("FontName"));
    FontName->setEditable(true);
    FontName->setInsertPolicy(QComboBox::NoInsert);
    FontName->setMaxVisibleItems(10);
    FontName->setFixedWidth(fontBoxWidth());
    i18n::setHintMessage(FontName, "u8");
    addWidget(FontName);
    connect(FontName, &QComboBox::activated, this, [this](int index) {
        if (m_updating || index < 0)
            return;
        QTextCharFormat f;
        f.setFontFamilies({FontName->itemText(index)});
        apply(f);
        m_editor->setFocus();
    });

    Cut = addCommand(QStringLiteral("Cut"), "u9", "u10");
    Copy = addCommand(QStringLiteral("Copy"), "u11", "u12");
    Paste = addCommand(QStringLiteral("Paste"), "u13", "u14");
    Undo = addCommand(QStringLiteral("Undo"), "u15", "u16");
    Cut->setIcon(toolicons::icon(toolicons::Kind::Cut));
    Copy->setIcon(toolicons::icon(toolicons::Kind::Copy));
    Paste->setIcon(toolicons::icon(toolicons::Kind::Paste));
    Undo->setIcon(toolicons::icon(toolicons::Kind::Undo));
    connect(Cut, &QAction::triggered, m_editor, &QTextEdit::cut);
    connect(Copy, &QAction::triggered, m_editor, &QTextEdit::copy);
    connect(Paste, &QAction::triggered, m_editor, &QTextEdit::paste);
    connect(Undo, &QAction::triggered, m_editor, &QTextEdit::undo);

    FontSize = new QLineEdit(this);
    FontSize->setObjectName(QStringLiteral("FontSize"));
    FontSize->setFixedWidth(28);
    FontSize->setValidator(new QIntValidator(1, kMaxSize, FontSize));
    i18n::setHintMessage(FontSize, "u17");
    addWidget(FontSize);
    UpDown1 = new UpDown(this);
    addWidget(UpDown1);
    connect(FontSize, &QLineEdit::textEdited, this, &FormatBar::sizeTyped);
    connect(FontSize, &QLineEdit::returnPressed, m_editor, qOverload<>(&QWidget::setFocus));
    connect(UpDown1, &UpDown::stepped, this, &FormatBar::stepSize);

    BoldButton = addStyle(QStringLiteral("BoldButton"), "u18", "u19");
    ItalicButton = addStyle(QStringLiteral("ItalicButton"), "u20", "u21");
    UnderlineButton = addStyle(QStringLiteral("UnderlineButton"), "u22", "u23");
    BoldButton->setShortcut(QKeySequence::Bold);
    ItalicButton->setShortcut(QKeySequence::Italic);
    UnderlineButton->setShortcut(QKeySequence::Underline);
    QFont f = font();
    f.setBold(true);
    BoldButton->setFont(f);
    f.setBold(false);
    f.setItalic(true);
    ItalicButton->setFont(f);
    f.setItalic(false);
    f.setUnderline(true);
    UnderlineButton->setFont(f);
    connect(BoldButton, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat c;
        c.setFontWeight(on ? QFont::Bold : QFont::Normal);
        apply(c);
    });
    connect(ItalicButton, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat c;
        c.setFontItalic(on);
        apply(c);
    });
    connect(UnderlineButton, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat c;
        c.setFontUnderline(on);
        apply(c);
    });
    addSeparator();

    auto* alignments = new QActionGroup(this);
    LeftAlign = addAlignment(QStringLiteral("LeftAlign"), 0, "u24");
    CenterAlign = addAlignment(QStringLiteral("CenterAlign"), 2, "u25");
    RightAlign = addAlignment(QStringLiteral("RightAlign"), 1, "u26");
    Widealign = addAlignment(QStringLiteral("Widealign"), 3, "u27");
    for (QAction* a : {LeftAlign, CenterAlign, RightAlign, Widealign})
        alignments->addAction(a);
    // The keys word processors use for the alignments.
    LeftAlign->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    CenterAlign->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    RightAlign->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    Widealign->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));

    ColorBox1 = new ColorBox(this);
    ColorBox1->setFixedWidth(32);
    i18n::setHintMessage(ColorBox1, "u28");
    addWidget(ColorBox1);
    connect(ColorBox1, &ColorBox::colorChosen, this, [this](const QColor& c) {
        if (m_updating)
            return;
        QTextCharFormat f;
        f.setForeground(c);
        apply(f);
        m_editor->setFocus();
    });

    // Each edit command is enabled only when the editor can carry it out.
    connect(m_editor, &QTextEdit::copyAvailable, this, &FormatBar::updateEditCommands);
    connect(m_editor, &QTextEdit::undoAvailable, this, &FormatBar::updateEditCommands);
    connect(m_editor, &QTextEdit::selectionChanged, this, &FormatBar::updateEditCommands);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &FormatBar::updateEditCommands);
    updateEditCommands();
}

void FormatBar::apply(const QTextCharFormat& f)
{
    if (m_updating)
        return;
    m_editor->mergeAttributes(f);
    selectionChanged(); // a page that cannot change shows its own attributes again
}

void FormatBar::sizeTyped(const QString& text)
{
    if (m_updating)
        return;
    // While the text is no whole number (empty, being typed) the size stays as it was.
    bool ok = false;
    const int size = text.toInt(&ok, 10);
    if (!ok || size < 1 || size > kMaxSize)
        return;
    QTextCharFormat f;
    f.setFontPointSize(size);
    m_editor->mergeAttributes(f);
}

void FormatBar::stepSize(int delta)
{
    bool ok = false;
    int size = FontSize->text().toInt(&ok, 10);
    if (!ok)
        size = static_cast<int>(m_editor->currentAttributes().fontPointSize());
    FontSize->setText(QString::number(std::clamp(size + delta, 1, kMaxSize)));
    sizeTyped(FontSize->text());
}

void FormatBar::fillFontList()
{
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    const bool wasUpdating = std::exchange(m_updating, true);
    FontName->clear();
    FontName->addItems(families);
    m_updating = wasUpdating;
}

void FormatBar::selectionChanged()
{
    const bool wasUpdating = std::exchange(m_updating, true);
    const auto done = qScopeGuard([&] { m_updating = wasUpdating; });
    const QTextCharFormat f = m_editor->currentAttributes();
    BoldButton->setChecked(f.fontWeight() >= QFont::DemiBold);
    ItalicButton->setChecked(f.fontItalic());
    UnderlineButton->setChecked(f.fontUnderline());
    const double size = f.fontPointSize();
    if (!FontSize->hasFocus() || FontSize->text().toDouble() != size)
        FontSize->setText(QString::number(size));
    const QString family = f.fontFamilies().toStringList().value(0);
    const int index = FontName->findText(family, Qt::MatchFixedString);
    FontName->setCurrentIndex(index);
    FontName->setEditText(family);              // a font this desktop lacks is still named as the page has it
    FontName->lineEdit()->setCursorPosition(0); // a long name shows its beginning
    ColorBox1->setColor(f.foreground().color());
    const int number = numberOf(m_editor->alignment());
    for (QAction* a : {LeftAlign, CenterAlign, RightAlign, Widealign})
        a->setChecked(a->data().toInt() == number);
    updateEditCommands();
}

void FormatBar::updateEditCommands()
{
    const bool editable = !m_editor->isReadOnly();
    const bool selected = m_editor->textCursor().hasSelection();
    Cut->setEnabled(editable && selected);
    Copy->setEnabled(selected);
    Paste->setEnabled(editable && m_editor->canPaste());
    Undo->setEnabled(editable && m_editor->document()->isUndoAvailable());
}

void FormatBar::EditFontCmd()
{
    const QTextCharFormat current = m_editor->currentAttributes();
    QFont initial(current.fontFamilies().toStringList().value(0));
    initial.setPointSizeF(current.fontPointSize());
    initial.setBold(current.fontWeight() >= QFont::DemiBold);
    initial.setItalic(current.fontItalic());
    initial.setUnderline(current.fontUnderline());
    initial.setStrikeOut(current.fontStrikeOut());
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, window());
    if (ok) {
        QTextCharFormat f;
        f.setFontFamilies({chosen.family()});
        f.setFontPointSize(chosen.pointSizeF() > 0 ? chosen.pointSizeF() : current.fontPointSize());
        f.setFontWeight(chosen.bold() ? QFont::Bold : QFont::Normal);
        f.setFontItalic(chosen.italic());
        f.setFontUnderline(chosen.underline());
        f.setFontStrikeOut(chosen.strikeOut());
        m_editor->mergeAttributes(f);
    }
    selectionChanged();
    m_editor->setFocus();
}
