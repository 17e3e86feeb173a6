#include "platform/owntag.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace owntag {

QByteArray hostId()
{
    static const QByteArray id = [] {
        QByteArray machine;
        for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
            QFile f(QString::fromLatin1(path));
            if (f.open(QIODevice::ReadOnly))
                machine = f.readAll().trimmed();
            if (!machine.isEmpty())
                break;
        }
        if (machine.isEmpty())
            machine = QSysInfo::machineHostName().toUtf8();
        return QCryptographicHash::hash(machine, QCryptographicHash::Sha1).toHex().left(8);
    }();
    return id;
}

QByteArray tag()
{
    return hostId() + '-' + QByteArray::number(static_cast<qint64>(::getpid()));
}

bool isAbandoned(QByteArrayView text)
{
    const QByteArray host = hostId();
    if (!text.startsWith(host) || text.size() < host.size() + 2 || text[host.size()] != '-')
        return false;
    qsizetype end = host.size() + 1;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    bool ok = false;
    const qint64 pid = text.sliced(host.size() + 1, end - host.size() - 1).toLongLong(&ok);
    if (!ok || pid <= 0 || pid > 0x7fffffff)
        return false;
    if (pid == ::getpid())
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

} // namespace owntag
