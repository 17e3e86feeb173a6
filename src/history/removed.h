#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// Removed groups, folders and plants: folders renamed to "!deleted_" + name + "_" + N, never
// deleted. Here they are found again and renamed back.
namespace removed {

enum class Kind { Group, Folder, Plant };

struct Item {
    Kind kind = Kind::Plant;
    QString path;               // the removed folder
    QString relative;           // its path under MyPlants, as shown ("Succulents/!deleted_Aloe_12")
    QString name;               // the original name, recovered from the removed name
    QString group;              // the group folder it is in (for a removed group: its original name)
    QString parent;             // the folder node it is in, empty at the top level of its group
    bool parentRemoved = false; // that folder is removed too: it comes back first
    QDateTime removedAt;        // when the folder got its removed name
};

// The name a removed name was made from: "!deleted_Rose_12" gives "Rose". A removed name without the
// number ("!deleted_x") gives what follows the prefix; empty when it is no removed name.
QString originalName(const QString& removedName);

// Every removed group, folder and plant of the collection (items inside a removed group come back
// with it and are not listed), newest first.
QList<Item> scan(const QString& programFolder);

// The item whose path under MyPlants is relative.
std::optional<Item> find(const QString& programFolder, const QString& relative);

struct RestoreResult {
    bool ok = false;
    QString name;   // the name it got: its original name, or "Rose 1", "Rose 2", ... when that was taken
    QString group;  // the group it is in now (a restored group: its name)
    QString parent; // the folder node it is in now, empty at the top level
    QString error;
};

// Renames the item back in its place, keeping the bytes its name has on disk; a plant of a removed
// folder brings the folder back first.
RestoreResult restore(const QString& programFolder, const Item& item);

} // namespace removed
