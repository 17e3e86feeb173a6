#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One group of the bar as the build reads it from MyPlants.
struct GroupEntry {
    QString name;        // the folder name, which is the group's name
    int picture = 1;     // ImageIndex in force: 100 own picture, 1..99 built-in, 0 or less hidden
    int imageOrder = -1; // the ordering value (the scan number when the record had none)
    int color = 0;
    bool hasOwnPicture = false;
};

struct GroupScan {
    std::vector<GroupEntry> slots; // in bar order
    QString firstGroupName;        // the first group folder met by the scan, before ordering
    QStringList errors;            // error-log messages for records that could not be read or written
};

// Scans MyPlants for group folders (skipping names that begin with "!") and orders them by
// ImageOrder. With writeRecords, a missing ImageOrder is written as the scan number and every
// record is saved back (as the bar build does); without it nothing on disk changes.
GroupScan scanGroups(const QString& programFolder, bool writeRecords);

// The bar's ordering: for each position, the later position holding the smallest value in 1..100
// (the last of equals) changes places with it. Values outside 1..100 never move forward.
void orderSlots(std::vector<GroupEntry>& slots);
