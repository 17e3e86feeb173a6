#include "app/mainform.h"
#include "app/signalclose.h"
#include "platform/singleinstance.h"

#include "platform/fsname.h"

#include <QApplication>

#include <csignal>

int main(int argc, char** argv)
{
    // One instance per user; a second start ends at once, silently, before any window exists.
    SingleInstance guard;
    if (guard.anotherInstance())
        return 0;
    // A write past a file-size limit fails with an error the copy reports, instead of killing us.
    std::signal(SIGXFSZ, SIG_IGN);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("My Verdarium"));
    QApplication::setApplicationDisplayName(QStringLiteral("My Verdarium"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));
    // Arguments are bytes: a file named in Windows-1251 is reached by its own bytes, as in the collection.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << fsname::decodePath(argv[i]);
    TMainForm form(QApplication::applicationDirPath(), args);
    closeOnTerminationSignals(&form);
    form.show();
    return QApplication::exec();
}
