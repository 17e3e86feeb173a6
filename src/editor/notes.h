#pragma once

#include "platform/iostatus.h"

#include <QString>

class MessageTable;

// The collection's notes group: a reserved group folder "!Notes" that the bar never shows, opened
// by the Note button. Its items are plants and folders like any other, whose pages start empty.
namespace notes {

// The heading above the tree while the notes group is shown, in the interface's language.
QString heading(const MessageTable& messages);

// Makes MyPlants/!Notes (with its parents) and, only when it has none, its record (Color 10484657,
// ImageIndex 1; never ImageOrder, never overwritten). Returns the notes group's folder as it stands
// on disk; *logLine gets the error-log line and *status the failure when the record could not be
// written.
QString prepareGroup(const QString& programFolder, QString* logLine, IoStatus* status = nullptr);

} // namespace notes
