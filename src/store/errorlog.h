#pragma once

#include "platform/iostatus.h"

#include <QString>

// errorlog.txt in the program folder: one line per event, "date time: message", CR LF, Windows-1251.
// It is only ever appended to.
namespace errorlog {

// "Error msg: " + text + " ((" + routine + ") args: " + args + ")"
QString message(const QString& lastErrorText, const QString& routine, const QString& args);
// "Error msg: " + text + " (args: " + path + ")"
QString message(const QString& lastErrorText, const QString& path);

// The line as written, without its CR LF.
QString line(const QString& message);

// Appends one line. The log is rewritten through a temporary file, so a full disk never damages the
// lines already in it.
IoStatus WriteErrorLog(const QString& programFolder, const QString& message);

} // namespace errorlog

// Creates path, or truncates an existing file, to zero length.
IoStatus CreateEmptyFile(const QString& path);
