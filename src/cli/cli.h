#pragma once

#include <QStringList>
#include <QTextStream>

// verdarium-cli: the collection without a window, for scripts, backups and tests. Every command is a
// small function over the same logic the window calls. args are the arguments after the program
// name; writing commands take the collection's lock the window takes.
// Returns the process exit code: 0 done, 1 refused or failed (one line on err), 2 wrong usage.
int runCli(const QStringList& args, QTextStream& out, QTextStream& err);
