#pragma once

#include <QString>

// The desktop's programs for kinds of files, as the freedesktop.org tools know them.
namespace desktopopen {

// Whether the desktop names a program for files of this MIME type. Without the tools to ask, the
// answer is no: opening such a file would then fail without a word.
bool hasProgramFor(const QString& mimeType);

} // namespace desktopopen
