#include "cli/cli.h"

#include "platform/fsname.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Pages are read into documents, which need the GUI library but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes (a missing runtime folder and the like) are not this program's output.
    if (qEnvironmentVariableIsEmpty("VERDARIUM_QT_MESSAGES"))
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtFatalMsg)
                std::fputs(qPrintable(text), stderr);
        });
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    // Arguments are bytes: a file named in Windows-1251 is reached by its own bytes, as in the collection.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << fsname::decodePath(argv[i]);
    return runCli(args, out, err);
}
