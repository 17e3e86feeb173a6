#pragma once

#include <QStringList>
#include <QTextStream>

// verdarium-cli: the collection without a window, for scripts, backups and tests. It reads only.
// args are the arguments after the program name. Returns the process exit code.
int runCli(const QStringList& args, QTextStream& out, QTextStream& err);
