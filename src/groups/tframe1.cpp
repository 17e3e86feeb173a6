#include "groups/tframe1.h"
#include "i18n/translate.h"

#include "groups/groupops.h"
#include "platform/paths.h"
#include "platform/picturefile.h"
#include "platform/rounding.h"
#include "store/collection.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QScrollBar>

namespace {

constexpr int kPictureSide = 65;
constexpr int kFirstTop = 3;
constexpr int kCaptionGap = 67;

int centred(int panelWidth, int width)
{
    return static_cast<int>(roundHalfEven(panelWidth / 2.0 - width / 2.0));
}

} // namespace

GroupPicture::GroupPicture(int slot, QWidget* parent) : QLabel(parent), m_slot(slot)
{
    setObjectName(QStringLiteral("gr%1").arg(slot));
    setFixedSize(kPictureSide, kPictureSide);
    setAlignment(Qt::AlignLeft | Qt::AlignTop); // drawn at its own size from the corner, clipped
    setAcceptDrops(true);
    // The keyboard reaches the groups too: arrow keys go along the bar, Enter or Space selects.
    setFocusPolicy(Qt::TabFocus);
}

void GroupPicture::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        Q_EMIT stepped(m_slot, -1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        Q_EMIT stepped(m_slot, 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Q_EMIT pressed(m_slot, Qt::NoButton);
        break;
    default:
        QLabel::keyPressEvent(e);
        return;
    }
    e->accept();
}

void GroupPicture::focusInEvent(QFocusEvent* e)
{
    QLabel::focusInEvent(e);
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(w)) {
            area->ensureWidgetVisible(this, 0, 0);
            break;
        }
}

void GroupPicture::paintEvent(QPaintEvent* e)
{
    QLabel::paintEvent(e);
    if (!hasFocus())
        return;
    QPainter p(this);
    QPen pen(palette().color(QPalette::Highlight), 2, Qt::DotLine);
    p.setPen(pen);
    p.drawRect(rect().adjusted(1, 1, -1, -1));
}

void GroupPicture::mousePressEvent(QMouseEvent* e)
{
    m_armed = e->button() == Qt::LeftButton;
    Q_EMIT pressed(m_slot, e->button());
    e->accept();
}

void GroupPicture::mouseMoveEvent(QMouseEvent* e)
{
    // A drag starts with the first move of the held button, without a threshold.
    if (!m_armed || !(e->buttons() & Qt::LeftButton))
        return;
    m_armed = false;
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kMimeType), QByteArray::number(m_slot));
    drag->setMimeData(data);
    if (!pixmap().isNull())
        drag->setPixmap(pixmap().scaled(40, 40, Qt::KeepAspectRatio));
    drag->exec(Qt::MoveAction);
}

void GroupPicture::dragEnterEvent(QDragEnterEvent* e)
{
    dragMoveEvent(e); // entering is the first move over the picture
}

void GroupPicture::dragMoveEvent(QDragMoveEvent* e)
{
    if (m_accepts && m_accepts(e->mimeData(), e->source()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void GroupPicture::dropEvent(QDropEvent* e)
{
    if (!m_accepts || !m_accepts(e->mimeData(), e->source())) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    Q_EMIT dropped(m_slot, e->mimeData(), e->source());
}

TFrame1::TFrame1(QWidget* parent) : QScrollArea(parent)
{
    setObjectName(QStringLiteral("Frame11"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    setFrameShape(QFrame::StyledPanel);
    setMinimumWidth(kMinimumWidth);
    setFocusPolicy(Qt::NoFocus); // the pictures take the keyboard, not the frame around them

    Panel5 = new QWidget;
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->resize(71, 3);
    Shape1 = new QFrame(Panel5);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setStyleSheet(QStringLiteral("QFrame#Shape1 { background: white; border: 1px solid navy; }"));
    Shape1->setGeometry(1, 1, 69, 0);
    Shape1->hide(); // shown once a group is framed
    setWidget(Panel5);
}

QString TFrame1::wrapped(const QString& name, const QFontMetrics& fm)
{
    // Words join a line only while it stays narrower than a short word.
    const int limit = fm.horizontalAdvance(QStringLiteral("Wwww"));
    QStringList lines;
    for (const QString& word : name.split(u' ', Qt::SkipEmptyParts)) {
        if (!lines.isEmpty() && fm.horizontalAdvance(lines.back() + u' ' + word) <= limit)
            lines.back() += u' ' + word;
        else
            lines << word;
    }
    return lines.isEmpty() ? name : lines.join(u'\n');
}

GroupPicture* TFrame1::picture(int slot) const
{
    return slot >= 1 && slot <= count() ? m_pictures[static_cast<size_t>(slot - 1)] : nullptr;
}

QLabel* TFrame1::caption(int slot) const
{
    return slot >= 1 && slot <= count() ? m_captions[static_cast<size_t>(slot - 1)] : nullptr;
}

void TFrame1::build(const std::vector<GroupEntry>& slots, const QString& programFolder)
{
    m_programFolder = programFolder;
    m_slots = slots; // every group on disk is shown; only adding stops at the limit
    makeWidgets();
}

void TFrame1::makeWidgets()
{
    for (QWidget* w : m_pictures)
        delete w;
    for (QWidget* w : m_captions)
        delete w;
    m_pictures.clear();
    m_captions.clear();
    const int panelWidth = Panel5->width();
    for (int n = 1; n <= count(); ++n) {
        const GroupEntry& g = m_slots[static_cast<size_t>(n - 1)];
        auto* pic = new GroupPicture(n, Panel5);
        pic->setToolTip(g.name);
        pic->move(centred(panelWidth, kPictureSide), 0);
        QPixmap pm;
        if (g.picture == groupops::kOwnPicture) {
            QString why;
            pm = QPixmap::fromImage(picturefile::read(
                paths::fixed(collection::groupFolder(m_programFolder, g.name), paths::kGroupImage), QSize(),
                &why));
        } else if (g.picture >= 1 && g.picture <= groupops::kBuiltInPictures)
            pm = QPixmap::fromImage(groupops::builtInPicture(g.picture));
        else if (g.picture > 0) // a number that names no picture shows the first one
            pm = QPixmap::fromImage(groupops::builtInPicture(1));
        pic->setPixmap(pm);
        pic->setVisible(g.picture > 0);
        pic->m_accepts = [this](const QMimeData* d, QObject* s) { return accepts && accepts(d, s); };
        if (g.picture > 0) {
            connect(pic, &GroupPicture::pressed, this, &TFrame1::groupPressed);
            connect(pic, &GroupPicture::dropped, this, &TFrame1::groupDropped);
            connect(pic, &GroupPicture::stepped, this, &TFrame1::step);
        } else {
            pic->setAcceptDrops(false);
        }
        auto* cap = new QLabel(Panel5);
        cap->setObjectName(QStringLiteral("dgr%1").arg(n));
        i18n::markNotTranslated(cap); // a group's own name
        cap->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        cap->setText(wrapped(g.name, cap->fontMetrics()));
        cap->setToolTip(g.name);
        cap->adjustSize();
        cap->setVisible(g.picture > 0);
        m_pictures.push_back(pic);
        m_captions.push_back(cap);
    }
    layOut();
}

void TFrame1::layOut()
{
    const int panelWidth = Panel5->width();
    int top = kFirstTop;
    for (int n = 1; n <= count(); ++n) {
        GroupPicture* pic = picture(n);
        QLabel* cap = caption(n);
        pic->move(centred(panelWidth, pic->width()), top);
        cap->move(static_cast<int>(roundHalfEven((panelWidth - cap->width()) / 2.0)), top + kCaptionGap);
        top += kCaptionGap + cap->height();
        pic->raise();
        cap->raise();
    }
    Panel5->resize(Panel5->width(), top);
    fitScrollBar();
}

void TFrame1::fitScrollBar()
{
    // The bar widens by its scroll bar rather than let the bar cover the pictures.
    const bool scrolls = Panel5->height() > height() - 2 * frameWidth();
    const int least = kMinimumWidth + (scrolls ? verticalScrollBar()->sizeHint().width() : 0);
    if (minimumWidth() != least)
        setMinimumWidth(least);
}

void TFrame1::step(int slot, int by)
{
    // Hidden groups are passed over.
    for (int n = slot + by; n >= 1 && n <= count(); n += by)
        if (picture(n)->isVisibleTo(Panel5)) {
            picture(n)->setFocus(Qt::TabFocusReason);
            return;
        }
}

void TFrame1::exchange(int a, int b)
{
    if (a < 1 || b < 1 || a > count() || b > count() || a == b)
        return;
    std::swap(m_slots[static_cast<size_t>(a - 1)], m_slots[static_cast<size_t>(b - 1)]);
    makeWidgets();
}

void TFrame1::frameSlot(int slot)
{
    if (!picture(slot)) {
        Shape1->hide();
        return;
    }
    Shape1->setGeometry(1, picture(slot)->y() - 2, Panel5->width() - 2, caption(slot)->height() + 69);
    Shape1->show();
    Shape1->lower();
    ensureWidgetVisible(Shape1, 0, 0);
}

void TFrame1::resizeEvent(QResizeEvent* e)
{
    QScrollArea::resizeEvent(e);
    fitScrollBar();
    FrameResize();
}

void TFrame1::FrameResize()
{
    // The viewport already leaves room for a vertical scroll bar when one is shown.
    int w = viewport()->width();
    if (w < 71)
        w = 71;
    Panel5->resize(w, Panel5->height());
    Shape1->setGeometry(1, Shape1->y(), w - 2, Shape1->height());
    for (int n = 1; n <= count(); ++n) {
        picture(n)->move(centred(w, picture(n)->width()), picture(n)->y());
        caption(n)->move(centred(w, caption(n)->width()), caption(n)->y());
    }
}
