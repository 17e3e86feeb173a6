#include "app/mainform.h"
#include "app/signalclose.h"
#include "platform/linkguard.h"
#include "platform/programfolder.h"
#include "sync/collectionlock.h"

#include "i18n/langfile.h"
#include "i18n/messages.h"
#include "platform/fsname.h"
#include "store/inifile.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <csignal>
#include <cstdio>
#include <optional>

namespace {

// The messages in the interface's language, before the window exists.
MessageTable translatedMessages(const QString& programFolder, const QString& appDir)
{
    const IniFile settings(programFolder + QStringLiteral("main.ini"));
    const QString section = settings.readString(u"Options", u"Language", QStringLiteral("Russian"));
    MessageTable messages;
    messages.apply(LanguageFile::load(programfolder::langFile(programFolder, appDir)), section);
    return messages;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString programFolder = programfolder::choose(QApplication::applicationDirPath());
    // One writer a collection, from any session: a second window ends at once, silently. While the
    // companion changes the collection, or the lock names another computer, the window says so.
    std::optional<CollectionLock> lock(std::in_place, programFolder, QStringLiteral("verdarium"));
    const MessageTable messages = translatedMessages(programFolder, QApplication::applicationDirPath());
    if (lock->state() == CollectionLock::State::HeldHere) {
        if (lock->holder().program != u"verdarium-cli")
            return 0;
        const QString text = messages.text(QStringLiteral("k24")).arg(lock->holder().pid);
        std::fprintf(stderr, "%s\n", qPrintable(text));
        QMessageBox::warning(nullptr, QStringLiteral("My Verdarium"), text);
        return 1;
    }
    if (lock->state() == CollectionLock::State::HeldElsewhere) {
        const CollectionLock::Holder holder = lock->holder();
        const QString since = holder.since.toLocalTime().toString(QStringLiteral("d MMM yyyy HH:mm"));
        const QString text = messages.text(QStringLiteral("k25")).arg(holder.host, since);
        std::fprintf(stderr, "%s\n", qPrintable(text));
        QMessageBox box(QMessageBox::Question, QStringLiteral("My Verdarium"), text,
                        QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        if (box.exec() == QMessageBox::Yes) {
            lock.reset();
            lock.emplace(programFolder, QStringLiteral("verdarium"), true);
        } else {
            linkguard::setReadOnly(messages.text(QStringLiteral("k26")).arg(holder.host, since));
        }
    }
    // A write past a file-size limit fails with an error the copy reports, instead of killing us.
    std::signal(SIGXFSZ, SIG_IGN);

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
    TMainForm form(programFolder, args);
    closeOnTerminationSignals(&form);
    form.show();
    return QApplication::exec();
}
