#pragma once

#include "platform/iostatus.h"

#include <QString>

class FileCopier;

// What the tree's menu and drags do on disk. Nothing is ever deleted: a removed node's folder gets a
// removed name; a move is whole or nothing as the user sees it.
namespace plantops {

// The first of name, name + " 1", name + " 2", ... that names nothing in parentFolder.
QString freeName(const QString& parentFolder, const QString& name);

// Renames parentFolder/from to the first free form of to; the name given, or empty (errno) on failure.
QString renameNode(const QString& parentFolder, const QString& from, const QString& to);

// Renames parentFolder/name to a free removed name; its path, or empty (errno) on failure.
QString removeNode(const QString& parentFolder, const QString& name, QString* attempted = nullptr);

struct MoveResult {
    bool moved = false; // the node is at its target; the source is gone or hidden
    bool targetExists = false;
    QString leftBehind; // removed name of a source that still held files that did not copy
    QString error;      // what failed when nothing could be done
};

// Moves the folder source to target (which must not exist). On one file system that is a single
// rename. Across file systems the copier copies it to a hidden working name beside target, which is
// renamed into place only when every file is there; only then is the source taken away (hidden
// first, then deleted). A stop at any moment leaves the node whole in at least one place.
MoveResult moveNode(FileCopier& copier, const QString& source, const QString& target);

} // namespace plantops
