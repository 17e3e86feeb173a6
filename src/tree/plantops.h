#pragma once

#include "platform/iostatus.h"

#include <QString>

class FileCopier;

// What the tree's menu and drags do on disk. Nothing is ever deleted: a removed node's folder gets a
// removed name; a moved folder is copied file by file and its source taken away only once empty.
namespace plantops {

// The first of name, name + " 1", name + " 2", ... that names nothing in parentFolder.
QString freeName(const QString& parentFolder, const QString& name);

// Renames parentFolder/from to the first free form of to; the name given, or empty (errno) on failure.
QString renameNode(const QString& parentFolder, const QString& from, const QString& to);

// Renames parentFolder/name to a free removed name; its path, or empty (errno) on failure.
QString removeNode(const QString& parentFolder, const QString& name);

struct MoveResult {
    bool moved = false; // the node is at its target; the source is gone or hidden
    bool targetExists = false;
    QString leftBehind; // removed name of a source that still held files that did not copy
    QString error;      // what failed when nothing could be done
};

// Moves the folder source to target (which must not exist) through the copier with delete source.
// A source that cannot be emptied is given a removed name. A folder without any file (never
// selected) is made at the target, so it does not vanish from both places.
MoveResult moveNode(FileCopier& copier, const QString& source, const QString& target);

} // namespace plantops
