#include "editor/ruler.h"

#include "editor/editor.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {

// An indent marker: a small triangle pointing at the line from above or from below.
class Marker : public QWidget {
public:
    Marker(const QString& name, bool pointsDown, QWidget* parent) : QWidget(parent), m_down(pointsDown)
    {
        setObjectName(name);
        setFixedSize(11, 7);
        setCursor(Qt::SizeHorCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(palette().color(QPalette::WindowText));
        p.setBrush(palette().color(QPalette::Button));
        const QPolygonF shape = m_down
                                    ? QPolygonF({QPointF(0.5, 0.5), QPointF(10.5, 0.5), QPointF(5.5, 6.5)})
                                    : QPolygonF({QPointF(5.5, 0.5), QPointF(10.5, 6.5), QPointF(0.5, 6.5)});
        p.drawPolygon(shape);
    }

private:
    bool m_down;
};

// The guide line: one dotted pixel column over the editor's text, never in the way of the mouse.
class GuideLine : public QWidget {
public:
    explicit GuideLine(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("GuideLine"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        for (int y = 0; y < height(); y += 2)
            p.fillRect(0, y, 1, 1, palette().color(QPalette::WindowText));
    }
};

} // namespace

Ruler::Ruler(PageEditor* editor, QWidget* parent)
    : QFrame(parent), m_editor(editor), m_guide(new GuideLine(editor->viewport()))
{
    setObjectName(QStringLiteral("Ruler"));
    setFixedHeight(kHeight);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // A bar mark at every default tab stop, built once.
    for (int i = 0; i < 100; ++i)
        m_caption += QStringLiteral("\t|");
    RulerLine = new QFrame(this);
    RulerLine->setObjectName(QStringLiteral("RulerLine"));
    RulerLine->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    RulerLine->setGeometry(4, 12, 100, 2);
    FirstInd = new Marker(QStringLiteral("FirstInd"), true, this);
    LeftInd = new Marker(QStringLiteral("LeftInd"), false, this);
    RightInd = new Marker(QStringLiteral("RightInd"), false, this);
    FirstInd->move(0, 5);
    LeftInd->move(0, 14);
    RightInd->move(0, 14);
    for (QWidget* m : {FirstInd, LeftInd, RightInd})
        m->installEventFilter(this);
    // The text's width follows the editor's; the markers follow the text.
    m_viewport = m_editor->viewport();
    m_viewport->installEventFilter(this);
}

int Ruler::toEditorX(int rulerX) const
{
    return m_editor->viewport()->mapFromGlobal(mapToGlobal(QPoint(rulerX, 0))).x();
}

int Ruler::fromEditorX(int editorX) const
{
    return mapFromGlobal(m_editor->viewport()->mapToGlobal(QPoint(editorX, 0))).x();
}

int Ruler::indentToRuler(double points, bool rightSide) const
{
    const int d = static_cast<int>(points * 4 / 3); // towards zero
    const QRect text = m_editor->textRect();
    return fromEditorX(rightSide ? text.x() + text.width() - d : text.x() + d);
}

int Ruler::rulerToIndent(int x, bool rightSide) const
{
    const int ex = toEditorX(x);
    const QRect text = m_editor->textRect();
    const int distance = rightSide ? text.x() + text.width() - ex : ex - text.x();
    return static_cast<int>(distance / kPixelsPerPoint);
}

void Ruler::placeMarkers()
{
    if (m_dragging)
        return; // the marker under the mouse stays where the user has it
    const PageEditor::Indents in = m_editor->indents();
    FirstInd->move(indentToRuler(in.first, false) - FirstInd->width() / 2, FirstInd->y());
    LeftInd->move(indentToRuler(in.first + in.left, false) - LeftInd->width() / 2, LeftInd->y());
    RightInd->move(indentToRuler(in.right, true) - RightInd->width() / 2, RightInd->y());
}

void Ruler::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    RulerLine->setGeometry(4, 12, contentsRect().width() - 8, 2);
    placeMarkers();
}

void Ruler::paintEvent(QPaintEvent* e)
{
    QFrame::paintEvent(e);
    QPainter p(this);
    QFont f = font();
    f.setPixelSize(8);
    p.setFont(f);
    p.setPen(palette().color(QPalette::Mid));
    // The page's own tab stops, measured from the text's left edge.
    QTextOption o(Qt::AlignLeft | Qt::AlignVCenter);
    o.setTabStopDistance(m_editor->document()->defaultTextOption().tabStopDistance());
    o.setWrapMode(QTextOption::NoWrap);
    const int left = fromEditorX(m_editor->textRect().x());
    const QRect band(left, 4, std::max(0, contentsRect().right() - left), 18);
    p.setClipRect(contentsRect());
    // "|" sits to the right of its tab stop; the mark is drawn centred on it.
    p.save();
    p.translate(-p.fontMetrics().horizontalAdvance(u'|') / 2, 0);
    p.drawText(QRectF(band), m_caption, o);
    p.restore();
    // Numbers above the line at every centimetre (every inch where the interface's country measures
    // in inches), from the text's left edge, in the screen pixels the page is laid out in.
    const double unit = m_editor->logicalDpiX() / (QLocale().measurementSystem() == QLocale::MetricSystem ? 2.54 : 1.0);
    p.setPen(palette().color(QPalette::WindowText));
    for (int n = 1; left + n * unit < contentsRect().right(); ++n) {
        const int x = left + int(std::lround(n * unit));
        p.drawText(QRect(x - 10, 1, 20, 10), Qt::AlignCenter, QString::number(n));
    }
}

bool Ruler::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_viewport) {
        if (e->type() == QEvent::Resize) {
            placeMarkers();
            update();
        }
        return false;
    }
    auto* marker = qobject_cast<QWidget*>(watched);
    if (marker != FirstInd && marker != LeftInd && marker != RightInd)
        return QFrame::eventFilter(watched, e);
    const QEvent::Type type = e->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonDblClick)
        return false;
    const auto* me = static_cast<QMouseEvent*>(e);
    const int x = me->position().toPoint().x();
    if (type == QEvent::MouseMove)
        markerMoved(marker, x);
    else if (me->button() == Qt::LeftButton && type == QEvent::MouseButtonRelease)
        markerReleased(marker);
    else if (me->button() == Qt::LeftButton)
        markerPressed(marker, x);
    return true;
}

void Ruler::drawGuide()
{
    m_guideVisible = !m_guideVisible;
    if (m_guideVisible) {
        m_guide->setGeometry(m_guideX, 0, 1, m_editor->viewport()->height());
        m_guide->raise();
        m_guide->show();
    } else {
        m_guide->hide();
    }
}

void Ruler::markerPressed(QWidget* marker, int x)
{
    if (m_editor->isReadOnly())
        return; // a page that cannot be changed keeps its indents
    m_dragOffset = marker->width() / 2;
    marker->move(std::max(0, marker->x() + x - m_dragOffset), marker->y());
    m_guideX = toEditorX(marker->x()) + m_dragOffset;
    drawGuide();
    m_dragging = true;
}

void Ruler::markerMoved(QWidget* marker, int x)
{
    if (!m_dragging)
        return;
    drawGuide();
    marker->move(
        std::min(std::max(0, marker->x() + x - m_dragOffset), contentsRect().width() - 2 * m_dragOffset),
        marker->y());
    m_guideX = toEditorX(marker->x()) + m_dragOffset;
    drawGuide();
}

void Ruler::markerReleased(QWidget* marker)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    if (m_guideVisible)
        drawGuide();
    PageEditor::Indents in = m_editor->indents();
    if (marker == RightInd) {
        in.right = std::max(0, rulerToIndent(RightInd->x() + m_dragOffset, true));
    } else {
        // The other lines start where they did when only the first line's marker moved (read back
        // from the ruler, their place would creep by the rounding of each drag).
        const double body =
            marker == FirstInd ? in.first + in.left : rulerToIndent(LeftInd->x() + m_dragOffset, false);
        if (marker == FirstInd)
            in.first = std::max(0, rulerToIndent(FirstInd->x() + m_dragOffset, false));
        in.left = std::max(-in.first, body - in.first);
    }
    m_editor->setIndents(in); // the editor says so, and the markers follow
    placeMarkers();
}
