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

// verdarium-cli in this process; writing commands take the collection's lock as the program does.
struct Companion {
    CliOutcome operator()(const QStringList& args) const
    {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int code = runCli(args, o, e);
        o.flush();
        e.flush();
        return {code, out, err};
    }
};
