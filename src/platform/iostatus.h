#pragma once

#include <QString>

// The outcome of one piece of file work: ok, or the system's error code and its message text.
struct IoStatus {
    int code = 0;
    QString text;

    bool ok() const { return code == 0 && text.isEmpty(); }
    static IoStatus success() { return {}; }
    static IoStatus failure(int code, const QString& text) { return {code == 0 ? -1 : code, text}; }
    // Failure from the current errno.
    static IoStatus fromErrno(int err);
};
