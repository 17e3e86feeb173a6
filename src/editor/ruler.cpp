#include "editor/ruler.h"

#include <QPainter>
#include <QPolygon>
#include <QScreen>

Ruler::Ruler(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Ruler"));
    setFixedHeight(24);
}

void Ruler::setIndents(int firstLine, int left, int right)
{
    m_first = firstLine;
    m_left = left;
    m_right = right;
    update();
}

void Ruler::setTextLeft(int px)
{
    m_textLeft = px;
    update();
}

void Ruler::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect band(m_textLeft, 4, width() - m_textLeft - 6, 14);
    p.fillRect(rect(), palette().window());
    p.fillRect(band, Qt::white);
    p.setPen(palette().mid().color());
    p.drawRect(band.adjusted(0, 0, -1, -1));
    const double pxPerCm = logicalDpiX() / 2.54;
    p.setPen(palette().text().color());
    QFont f = font();
    f.setPixelSize(9);
    p.setFont(f);
    for (int mm = 1;; ++mm) {
        const int x = band.left() + static_cast<int>(mm * pxPerCm / 10.0);
        if (x >= band.right())
            break;
        if (mm % 10 == 0)
            p.drawText(QRect(x - 10, band.top(), 20, band.height()), Qt::AlignCenter,
                       QString::number(mm / 10));
        else
            p.drawLine(x, band.center().y() - (mm % 5 == 0 ? 3 : 1), x,
                       band.center().y() + (mm % 5 == 0 ? 3 : 1));
    }
    // Indent markers: first-line above, left below, right at the far end.
    p.setBrush(palette().button());
    p.setPen(palette().dark().color());
    const int fx = band.left() + m_first;
    const int lx = band.left() + m_left;
    const int rx = band.right() - m_right;
    p.drawPolygon(QPolygon({QPoint(fx - 4, 0), QPoint(fx + 4, 0), QPoint(fx, 5)}));
    p.drawPolygon(QPolygon({QPoint(lx - 4, 23), QPoint(lx + 4, 23), QPoint(lx, 18)}));
    p.drawPolygon(QPolygon({QPoint(rx - 4, 23), QPoint(rx + 4, 23), QPoint(rx, 18)}));
}
