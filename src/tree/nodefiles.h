#pragma once

#include "platform/iostatus.h"

#include <QString>

// Makes sure a selected node has its folder, three pages and record on disk, creating only what is
// missing: a plant's pages start as copies of its group's templates, a folder's (and every page in the
// notes group) start empty. Existing files are never overwritten.
struct NodeFiles {
    QString nodeFolder;
    QString error;   // "Cannot create " + path when a folder could not be made; the node is then not ready
    QString logLine; // set when the record could not be written (logged, not shown)
    QString recordError; // the system's text for that
    bool throughLink = false; // the node is reached through a link: shown, never written into
    bool ok() const { return error.isEmpty(); }
};

// parent: the folder node's text for a node inside a folder, else empty.
NodeFiles prepareNodeFiles(const QString& programFolder, const QString& group, const QString& parent,
                           const QString& node, bool folder);

// The notes group's folder name, matched without regard to letter case.
bool isNotesGroup(const QString& group);

// The full path of page (description.rtf, care.rtf, diary.rtf) in a node folder, in whatever letter
// case it has on disk.
QString pagePath(const QString& nodeFolder, QStringView page);
