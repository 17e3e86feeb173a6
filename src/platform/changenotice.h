#pragma once

#include <QString>

#include <functional>

// One place where the program's own changes to the collection are announced: every file written
// through atomicfile and every node renamed, removed or moved. A listener (the window's search index)
// follows them at once; without one, nothing happens.
namespace changenotice {

using Listener = std::function<void(const QString& path)>;
// Replaces the listener; an empty one removes it.
void setListener(Listener listener);
void notify(const QString& path);

} // namespace changenotice
