#include "app/tgauge.h"

#include <QPainter>

#include <cmath>
#include <limits>

TGauge::TGauge(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Gauge"));
    resize(100, 100);
}

bool TGauge::setMinValue(int v, QString* error)
{
    if (v == m_min)
        return true;
    if (v > m_max) {
        if (error)
            *error =
                QStringLiteral("Value must be between %1 and %2").arg(-2147483647).arg(qint64(m_max) - 1);
        return false;
    }
    m_min = v;
    if (m_progress < v)
        m_progress = v;
    update();
    return true;
}

bool TGauge::setMaxValue(int v, QString* error)
{
    if (v == m_max)
        return true;
    if (v < m_min) {
        if (error)
            *error = QStringLiteral("Value must be between %1 and %2").arg(qint64(m_min) + 1).arg(2147483647);
        return false;
    }
    m_max = v;
    if (m_progress > v)
        m_progress = v;
    update();
    return true;
}

void TGauge::setProgress(int v)
{
    const int before = percentDone();
    v = std::clamp(v, m_min, m_max);
    if (v == m_progress)
        return;
    m_progress = v;
    if (percentDone() != before) {
        ++m_repaints;
        update();
    }
}

void TGauge::setKind(Kind k)
{
    if (k != m_kind) {
        m_kind = k;
        update();
    }
}

void TGauge::setShowText(bool on)
{
    if (on != m_showText) {
        m_showText = on;
        update();
    }
}

void TGauge::setBorder(bool single)
{
    if (single != m_border) {
        m_border = single;
        update();
    }
}

void TGauge::setForeColor(const QColor& c)
{
    if (c != m_fore) {
        m_fore = c;
        update();
    }
}

void TGauge::setBackColor(const QColor& c)
{
    if (c != m_back) {
        m_back = c;
        update();
    }
}

int TGauge::percentDone() const
{
    if (m_max == m_min)
        return 0;
    return static_cast<int>(std::trunc((double(m_progress) - m_min) * 100.0 / (double(m_max) - m_min)));
}

QImage TGauge::render() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    const QRect paint = m_border ? rect().adjusted(1, 1, -1, -1) : rect();
    QImage shape(size(), QImage::Format_RGB32);
    shape.fill(Qt::black);
    {
        QPainter p(&shape);
        const double done = percentDone() * 0.01;
        const int w = paint.width();
        const int h = paint.height();
        switch (m_kind) {
        case Text:
            p.fillRect(paint, m_back);
            break;
        case HorizontalBar: {
            p.fillRect(paint, m_back);
            const int x = std::min(static_cast<int>(w * done), w);
            if (x > 0)
                p.fillRect(QRect(paint.left(), paint.top(), x, h), m_fore);
            break;
        }
        case VerticalBar: {
            p.fillRect(paint, m_back);
            int y = static_cast<int>(h * done);
            if (y >= h)
                y = h - 1;
            if (y > 0)
                p.fillRect(QRect(paint.left(), paint.top() + h - y, w, y), m_fore);
            break;
        }
        case Pie:
        case Needle: {
            p.fillRect(paint, palette().color(QPalette::Window));
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(m_fore);
            p.setBrush(m_back);
            if (m_kind == Pie) {
                p.drawEllipse(paint);
                if (percentDone() >= 1) {
                    p.setBrush(m_fore);
                    p.drawPie(paint, 90 * 16, -static_cast<int>(std::lround(done * 360 * 16)));
                }
            } else {
                p.drawChord(QRect(paint.left(), paint.top(), w, 2 * h), 0, 180 * 16);
                p.drawLine(paint.bottomLeft(), paint.bottomRight());
                if (percentDone() >= 1) {
                    const double a = done * M_PI;
                    p.drawLine(QPointF(paint.left() + w / 2.0, paint.bottom()),
                               QPointF(paint.left() + (1 - std::cos(a)) * w / 2,
                                       paint.top() + (1 - std::sin(a)) * (h - 1)));
                }
            }
            break;
        }
        }
    }
    {
        QPainter p(&image);
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.drawImage(0, 0, shape);
    }
    if (m_showText) {
        // White text on black, combined by exclusive-or, so it reads inverted over both parts.
        QImage text(size(), QImage::Format_RGB32);
        text.fill(Qt::black);
        {
            QPainter p(&text);
            p.setFont(font());
            p.setPen(Qt::white);
            p.drawText(paint, Qt::AlignCenter, QStringLiteral("%1%").arg(percentDone()));
        }
        QPainter p(&image);
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.drawImage(0, 0, text);
    }
    return image;
}

void TGauge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, render());
}
