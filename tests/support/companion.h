#pragma once

#include "cli/cli.h"
#include "tempprogramfolder.h"

#include <QStringList>
#include <QTextStream>

struct CliOutcome {
    int code;
    QString out;
    QString err;
};

// verdarium-cli in this process, with a lock of its own, so that a window running on the machine
// does not matter.
struct Companion {
    TempProgramFolder runtime;
    CliOutcome operator()(const QStringList& args) const
    {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int code = runCli(args, o, e, runtime.file(QStringLiteral("MyPelmo.lock")));
        o.flush();
        e.flush();
        return {code, out, err};
    }
};
