#include "app/mainform.h"
#include "app/signalclose.h"
#include "platform/programfolder.h"
#include "platform/singleinstance.h"

#include "i18n/langfile.h"
#include "i18n/messages.h"
#include "platform/fsname.h"
#include "store/inifile.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <csignal>
#include <cstdio>

namespace {

// The message, in the interface's language, for a start refused while the companion holds the lock.
QString startRefusal(const QString& programFolder, const QString& appDir, qint64 pid)
{
    const IniFile settings(programFolder + QStringLiteral("main.ini"));
    const QString section = settings.readString(u"Options", u"Language", QStringLiteral("Russian"));
    MessageTable messages;
    messages.apply(LanguageFile::load(programfolder::langFile(programFolder, appDir)), section);
    return messages.text(QStringLiteral("k24")).arg(pid);
}

} // namespace

int main(int argc, char** argv)
{
    // One instance per user; a second window ends at once, silently, before any window exists. While
    // the companion changes the collection the window says so, rather than vanish without a word.
    SingleInstance guard;
    if (guard.anotherInstance() && !guard.holderApp().contains(QLatin1String("cli")))
        return 0;
    if (guard.anotherInstance()) {
        QApplication app(argc, argv);
        const QString pf = programfolder::choose(QApplication::applicationDirPath());
        const QString text = startRefusal(pf, QApplication::applicationDirPath(), guard.holderPid());
        std::fprintf(stderr, "%s\n", qPrintable(text));
        QMessageBox::warning(nullptr, QStringLiteral("My Verdarium"), text);
        return 1;
    }
    // A write past a file-size limit fails with an error the copy reports, instead of killing us.
    std::signal(SIGXFSZ, SIG_IGN);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("My Verdarium"));
    QApplication::setApplicationDisplayName(QStringLiteral("My Verdarium"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));
    // The menu entry the desktop shows for this window, with its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.myverdarium.Verdarium"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.myverdarium.Verdarium")));
    // Arguments are bytes: a file named in Windows-1251 is reached by its own bytes, as in the collection.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << fsname::decodePath(argv[i]);
    TMainForm form(programfolder::choose(QApplication::applicationDirPath()), args);
    closeOnTerminationSignals(&form);
    form.show();
    return QApplication::exec();
}
