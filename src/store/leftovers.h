#pragma once

#include <QString>

// What an interrupted save or move leaves behind: our own temporary files beside the collection's
// files, part copies of a move and sources already moved whole. Removed at start-up; nothing else
// is touched, and no link is followed.
namespace leftovers {

// The number of entries removed.
int clean(const QString& programFolder);

} // namespace leftovers
