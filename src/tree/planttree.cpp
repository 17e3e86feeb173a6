#include "tree/planttree.h"

#include "platform/bgrcolor.h"

#include <QApplication>
#include <QDrag>
#include <QEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace planttree {

namespace {

constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kOverdueRole = Qt::UserRole + 2;
constexpr int kDropWidth = 16;

void drawDrop(QPainter& p, const QRectF& r)
{
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath drop;
    const qreal cx = r.center().x();
    drop.moveTo(cx, r.top() + 1);
    drop.cubicTo(cx + 2, r.top() + 5, cx + 6, r.top() + 8, cx + 6, r.bottom() - 5);
    drop.arcTo(QRectF(cx - 6, r.bottom() - 11, 12, 11), 0, -180);
    drop.cubicTo(cx - 6, r.top() + 8, cx - 2, r.top() + 5, cx, r.top() + 1);
    p.setPen(QPen(QColor(0x15, 0x57, 0x9e), 1));
    p.setBrush(QColor(0x3d, 0x8e, 0xe6));
    p.drawPath(drop);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(cx - 3.5, r.bottom() - 8, 7, 6), -100 * 16, -60 * 16);
}

// Draws the row as always, narrowed by the drop where care is overdue, then the drop.
class MarkDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!index.data(kOverdueRole).toBool()) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        // The row's background (a selection's too) reaches under the drop.
        QStyleOptionViewItem whole(option);
        initStyleOption(&whole, index);
        whole.text.clear();
        whole.icon = QIcon();
        QStyle* style = whole.widget ? whole.widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &whole, p, whole.widget);
        QStyleOptionViewItem narrow(option);
        narrow.rect.setRight(option.rect.right() - kDropWidth);
        QStyledItemDelegate::paint(p, narrow, index);
        p->save();
        drawDrop(*p, QRectF(option.rect.right() - kDropWidth + 1, option.rect.center().y() - 7.5, kDropWidth - 2, 15));
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        if (index.data(kOverdueRole).toBool())
            s.rwidth() += kDropWidth;
        return s;
    }
};

void drawFolder(QPainter& p)
{
    p.setPen(QPen(QColor(0x8a, 0x6a, 0x1c), 1));
    p.setBrush(QColor(0xf2, 0xc9, 0x4c));
    QPainterPath tab;
    tab.moveTo(1.5, 3.5);
    tab.lineTo(6.5, 3.5);
    tab.lineTo(8.0, 5.0);
    tab.lineTo(14.5, 5.0);
    tab.lineTo(14.5, 13.5);
    tab.lineTo(1.5, 13.5);
    tab.closeSubpath();
    p.drawPath(tab);
    p.setBrush(QColor(0xfb, 0xe0, 0x8a));
    p.drawRect(QRectF(1.5, 6.5, 13, 7));
}

void drawLeaf(QPainter& p)
{
    // A plain leaf on its stalk: a plant with no mark.
    p.setPen(QPen(QColor(0x2e, 0x6b, 0x22), 1));
    p.setBrush(QColor(0x7c, 0xc4, 0x5a));
    QPainterPath leaf;
    leaf.moveTo(3, 13);
    leaf.cubicTo(2, 6, 7, 2, 14, 2);
    leaf.cubicTo(14, 9, 10, 13, 3, 13);
    p.drawPath(leaf);
    p.drawLine(QPointF(3, 13), QPointF(10, 6));
}

// A badge: a shape of its own for each mark, so the marks differ without colour too.
void drawBadge(QPainter& p, int mark)
{
    p.setPen(Qt::NoPen);
    QPen white(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (mark) {
    case 2: // ideal condition: a round badge with a tick
        p.setBrush(QColor(0x2e, 0x9d, 0x3a));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(white);
        p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5)}));
        break;
    case 3: // urgently to replace: a triangle with "!"
        p.setBrush(QColor(0xd3, 0x2f, 0x2f));
        p.drawPolygon(QPolygonF({QPointF(8, 0.5), QPointF(15.5, 14.5), QPointF(0.5, 14.5)}));
        p.setPen(white);
        p.drawLine(QPointF(8, 5), QPointF(8, 9.5));
        p.drawPoint(QPointF(8, 12.5));
        break;
    case 4: // to replace: a square with an arrow out of it
        p.setBrush(QColor(0xef, 0x8a, 0x17));
        p.drawRoundedRect(QRectF(1, 1, 14, 14), 2, 2);
        p.setPen(white);
        p.drawLine(QPointF(8, 12), QPointF(8, 4));
        p.drawPolyline(QPolygonF({QPointF(4.5, 7.5), QPointF(8, 4), QPointF(11.5, 7.5)}));
        break;
    case 5: // to treat: a diamond with a cross
        p.setBrush(QColor(0x1e, 0x6f, 0xc8));
        p.drawPolygon(QPolygonF({QPointF(8, 0.5), QPointF(15.5, 8), QPointF(8, 15.5), QPointF(0.5, 8)}));
        p.setPen(white);
        p.drawLine(QPointF(8, 4.5), QPointF(8, 11.5));
        p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
        break;
    default:
        break;
    }
}

QIcon makeIcon(int mark)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (mark == 1)
        drawFolder(p);
    else if (mark >= 2 && mark <= 5)
        drawBadge(p, mark);
    else
        drawLeaf(p);
    p.end();
    return QIcon(pm);
}

} // namespace

QIcon conditionIcon(int mark)
{
    static QIcon icons[6];
    const int i = mark >= 0 && mark <= 5 ? mark : 0;
    if (icons[i].isNull())
        icons[i] = makeIcon(i);
    return icons[i];
}

void showMarks(QTreeWidget* tree)
{
    tree->setItemDelegate(new MarkDelegate(tree));
}

void setOverdue(QTreeWidgetItem* item, bool overdue, const QString& tip)
{
    if (item->data(0, kOverdueRole).toBool() == overdue)
        return;
    item->setData(0, kOverdueRole, overdue ? QVariant(true) : QVariant());
    item->setData(0, Qt::StatusTipRole, overdue ? tip : QString());
}

bool isOverdue(const QTreeWidgetItem* item)
{
    return item && item->data(0, kOverdueRole).toBool();
}

QIcon dropIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    drawDrop(p, QRectF(1, 0.5, 14, 15));
    p.end();
    return QIcon(pm);
}

int imageOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kImageRole).toInt() : -1;
}

void setImage(QTreeWidgetItem* item, int image)
{
    item->setData(0, kImageRole, image);
    item->setIcon(0, conditionIcon(image));
    // Plants can be dragged (into a folder, onto a group); folders cannot.
    item->setFlags(image == 1 ? item->flags() & ~Qt::ItemIsDragEnabled
                              : item->flags() | Qt::ItemIsDragEnabled);
}

int compare(const QTreeWidgetItem* a, const QTreeWidgetItem* b)
{
    TreeNode x, y;
    x.text = a->text(0);
    x.image = imageOf(a);
    y.text = b->text(0);
    y.image = imageOf(b);
    return TreeView1Compare(x, y);
}

void fill(QTreeWidget* tree, const LoadedTree& loaded)
{
    tree->clear();
    QPalette pal = tree->palette();
    pal.setColor(QPalette::Base, bgrcolor::toColor(loaded.color));
    tree->setPalette(pal);
    QList<QTreeWidgetItem*> top;
    top.reserve(static_cast<qsizetype>(loaded.nodes.size()));
    for (const TreeNode& n : loaded.nodes) {
        auto* item = new QTreeWidgetItem(QStringList{n.text});
        setImage(item, n.image);
        for (const TreeNode& c : n.children) {
            auto* child = new QTreeWidgetItem(item, QStringList{c.text});
            setImage(child, c.image);
        }
        top << item;
    }
    tree->addTopLevelItems(top);
    for (qsizetype i = 0; i < top.size(); ++i)
        if (loaded.nodes[static_cast<size_t>(i)].expandedMark)
            top[i]->setExpanded(true);
}

namespace {

// Follows the tree: shown while it is empty, as large as its viewport.
class EmptyHint : public QLabel {
public:
    explicit EmptyHint(QTreeWidget* tree) : QLabel(tree->viewport()), m_tree(tree)
    {
        setObjectName(QStringLiteral("EmptyHint"));
        setProperty("notTranslated", true); // the text comes from the message table
        setAlignment(Qt::AlignCenter);
        setWordWrap(true);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setForegroundRole(QPalette::PlaceholderText);
        tree->viewport()->installEventFilter(this);
        for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
            connect(tree->model(), signal, this, &EmptyHint::follow);
        connect(tree->model(), &QAbstractItemModel::modelReset, this, &EmptyHint::follow);
    }
    void follow()
    {
        setGeometry(m_tree->viewport()->rect().adjusted(8, 8, -8, -8));
        setVisible(m_tree->topLevelItemCount() == 0);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Resize)
            follow();
        return QLabel::eventFilter(watched, e);
    }

private:
    QTreeWidget* m_tree;
};

} // namespace

void setEmptyHint(QTreeWidget* tree, const QString& text)
{
    auto* hint = tree->viewport()->findChild<EmptyHint*>(QStringLiteral("EmptyHint"));
    if (!hint)
        hint = new EmptyHint(tree);
    hint->setText(text);
    hint->follow();
}

QString pathOf(const QTreeWidgetItem* item)
{
    return item->parent() ? item->parent()->text(0) + u'\\' + item->text(0) : item->text(0);
}

QTreeWidgetItem* itemAt(const QTreeWidget* tree, const QString& path)
{
    if (path.isEmpty())
        return nullptr;
    const QString top = path.section(u'\\', 0, 0), child = path.section(u'\\', 1);
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree->topLevelItem(i);
        if (item->text(0) != top)
            continue;
        if (child.isEmpty())
            return item;
        for (int j = 0; j < item->childCount(); ++j)
            if (item->child(j)->text(0) == child)
                return item->child(j);
    }
    return nullptr;
}

} // namespace planttree

void PlantTreeWidget::startDrag(Qt::DropActions supported)
{
    const QModelIndexList rows = selectedIndexes();
    if (rows.isEmpty())
        return;
    QMimeData* data = model()->mimeData(rows);
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    if (const QTreeWidgetItem* node = currentItem())
        drag->setPixmap(node->icon(0).pixmap(iconSize()));
    drag->exec(supported, Qt::MoveAction);
}
