#include "editor/toolicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace toolicons {

namespace {

void alignLines(QPainter& p, Kind kind)
{
    const int lengths[] = {14, 10, 14, 8, 14};
    for (int i = 0; i < 5; ++i) {
        const int full = 14;
        const int len = kind == Kind::Justify ? (i == 4 ? 8 : full) : lengths[i];
        int x = 1;
        if (kind == Kind::AlignCenter)
            x = 1 + (full - len) / 2;
        else if (kind == Kind::AlignRight)
            x = 1 + full - len;
        p.fillRect(x, 2 + i * 3, len, 1, p.pen().color());
    }
}

} // namespace

QIcon icon(Kind kind)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x30, 0x30, 0x30);
    p.setPen(QPen(ink, 1));
    switch (kind) {
    case Kind::Print:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(0xB0, 0xB0, 0xB0));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    case Kind::Cut:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 10.5, 4, 4));
        p.drawEllipse(QRectF(10.5, 10.5, 4, 4));
        p.drawLine(QPointF(5, 11), QPointF(11.5, 1.5));
        p.drawLine(QPointF(11, 11), QPointF(4.5, 1.5));
        break;
    case Kind::Copy:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
        break;
    case Kind::Paste:
        p.setBrush(QColor(0xD8, 0xB0, 0x70));
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7.5, 6.5, 7, 8));
        p.setBrush(QColor(0x80, 0x80, 0x80));
        p.drawRect(QRectF(4.5, 1.5, 4, 2));
        break;
    case Kind::Undo: {
        p.setPen(QPen(ink, 1.6));
        QPainterPath arc;
        arc.moveTo(4, 6);
        arc.cubicTo(8, 2.5, 15, 4, 13, 11);
        p.drawPath(arc);
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(1, 6.5), QPointF(6.5, 2.5), QPointF(6.5, 9)}));
        break;
    }
    default:
        alignLines(p, kind);
        break;
    }
    return QIcon(pm);
}

} // namespace toolicons
