#pragma once

#include "tree/treeloader.h"

#include <QIcon>
#include <QTreeWidget>

// The plant tree widget's side of the tree: items, their icons and order.
namespace planttree {

// The icon of a condition mark (0..5); 1 is the folder.
QIcon conditionIcon(int mark);

// An item's image index: 1 for a folder, the condition mark for a plant.
int imageOf(const QTreeWidgetItem* item);
void setImage(QTreeWidgetItem* item, int image);
inline bool isFolder(const QTreeWidgetItem* item)
{
    return item && imageOf(item) == 1;
}

// A plant with care overdue shows a drop at the right end of its row, beside its name, so its
// condition icon stays as it is. showMarks makes the tree draw them.
void showMarks(QTreeWidget* tree);
void setOverdue(QTreeWidgetItem* item, bool overdue, const QString& tip);
bool isOverdue(const QTreeWidgetItem* item);
// The drop, for the care commands' buttons too.
QIcon dropIcon();

// The tree order of two items: folders first, then names in the byte order of Windows-1251.
int compare(const QTreeWidgetItem* a, const QTreeWidgetItem* b);

// Replaces the widget's items with the loaded tree, opens the folders marked as open, and paints
// the background in the group's colour (0x00BBGGRR).
void fill(QTreeWidget* tree, const LoadedTree& loaded);

// A line of help in the middle of the tree while it has no item ("EmptyHint"); it lets clicks through
// to the tree, so the right click it speaks of opens the tree's menu.
void setEmptyHint(QTreeWidget* tree, const QString& text);
// A node's place in the tree as one text: "Folder\\Plant" inside a folder, the node's own text at
// the top level ("\\" cannot be part of a name).
QString pathOf(const QTreeWidgetItem* item);
// The node at such a place; null when there is none any more.
QTreeWidgetItem* itemAt(const QTreeWidget* tree, const QString& path);

} // namespace planttree

// The plant tree widget. A drag only carries the node: the window moves it on disk and then
// changes the tree itself, so the drag never takes rows out of the tree on its own (after a move
// the selection is already another node, which must stay).
class PlantTreeWidget : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    void startDrag(Qt::DropActions supported) override;
};
