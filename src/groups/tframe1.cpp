#include "groups/tframe1.h"

#include "platform/rounding.h"

#include <QFrame>
#include <QResizeEvent>

TFrame1::TFrame1(QWidget* parent) : QScrollArea(parent)
{
    setObjectName(QStringLiteral("Frame11"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    setFrameShape(QFrame::StyledPanel);
    setMinimumWidth(kMinimumWidth);

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

void TFrame1::resizeEvent(QResizeEvent* e)
{
    QScrollArea::resizeEvent(e);
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
    // Pictures and captions are re-centred by the bar build; the panel keeps them centred by width.
    for (QObject* child : Panel5->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && widget != Shape1)
            widget->move(static_cast<int>(roundHalfEven(w / 2.0 - widget->width() / 2.0)), widget->y());
    }
}
