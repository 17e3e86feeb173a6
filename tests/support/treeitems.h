#pragma once

#include <QStringList>
#include <QTreeWidget>

// The tree's item of that text, at any level; null when there is none.
inline QTreeWidgetItem* item(QTreeWidget* tree, const QString& text)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

// The texts of the tree's top level, in order.
inline QStringList topNames(QTreeWidget* tree)
{
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        names << tree->topLevelItem(i)->text(0);
    return names;
}
