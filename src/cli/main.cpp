#include "cli/cli.h"

#include "platform/fsname.h"

#include <QGuiApplication>

#include <cstdio>
#include <memory>

namespace {

// Commands that build or lay out no page start without the GUI machinery and its fonts: a core
// application is enough for records, the index and pictures (libjpeg-turbo and QImage).
bool needsGui(const QStringList& args)
{
    static const QStringList light = {QStringLiteral("groups"),     QStringLiteral("tree"),
                                      QStringLiteral("search"),     QStringLiteral("export-web"),
                                      QStringLiteral("resize"),     QStringLiteral("history"),
                                      QStringLiteral("removed"),    QStringLiteral("conflicts"),
                                      QStringLiteral("due"),        QStringLiteral("schedule"),
                                      QStringLiteral("unschedule"), QStringLiteral("calendar"),
                                      QStringLiteral("help"),
                                      QStringLiteral("--help"),     QStringLiteral("-h")};
    return !args.isEmpty() && !light.contains(args.first());
}

} // namespace

int main(int argc, char** argv)
{
    // Arguments are bytes: a file named in Windows-1251 is reached by its own bytes, as in the collection.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << fsname::decodePath(argv[i]);
    // Pages are read into documents, which need the GUI library but never a screen.
    const bool gui = needsGui(args);
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes (a missing runtime folder and the like) are not this program's output.
    if (qEnvironmentVariableIsEmpty("VERDARIUM_QT_MESSAGES"))
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtFatalMsg)
                std::fputs(qPrintable(text), stderr);
        });
    const std::unique_ptr<QCoreApplication> app =
        gui ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    return runCli(args, out, err);
}
