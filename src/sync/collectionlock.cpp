#include "sync/collectionlock.h"

#include "platform/owntag.h"
#include "platform/paths.h"
#include "store/collection.h"

#include <QFile>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

QString bootId()
{
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().trimmed()) : QString();
}

QString userName()
{
    const passwd* pw = ::getpwuid(::getuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(::getuid());
}

QByteArray readFd(int fd)
{
    QByteArray bytes;
    char buffer[1024];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0 && bytes.size() < 65536;)
        bytes.append(buffer, n);
    return bytes;
}

CollectionLock::Holder parse(const QByteArray& bytes)
{
    CollectionLock::Holder h;
    for (const QByteArray& line : bytes.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QString value = QString::fromUtf8(line.mid(eq + 1).trimmed());
        if (key == "host")
            h.host = value;
        else if (key == "hostid")
            h.hostId = value;
        else if (key == "pid")
            h.pid = value.toLongLong();
        else if (key == "boot")
            h.bootId = value;
        else if (key == "user")
            h.user = value;
        else if (key == "program")
            h.program = value;
        else if (key == "since")
            h.since = QDateTime::fromString(value, Qt::ISODate);
    }
    return h;
}

bool running(qint64 pid)
{
    return pid > 0 && pid <= 0x7fffffff && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

} // namespace

QString CollectionLock::lockPath(const QString& programFolder)
{
    return paths::join(collection::myPlants(programFolder), u".verdarium-lock");
}

CollectionLock::CollectionLock(const QString& programFolder, const QString& program, bool force)
{
    paths::makePath(collection::myPlants(programFolder));
    const QByteArray path = paths::native(lockPath(programFolder));
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (m_fd < 0)
        return; // a collection on a read-only medium: nobody writes it
    bool osLock = true;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            m_holder = parse(readFd(m_fd));
            m_state = State::HeldHere;
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        osLock = false; // a file system without locks: what the file says is all there is
    }
    const Holder was = parse(readFd(m_fd));
    const bool someone = was.pid > 0 || !was.hostId.isEmpty();
    if (someone && !force) {
        if (was.hostId != QString::fromLatin1(owntag::hostId())) {
            m_holder = was;
            m_state = State::HeldElsewhere;
        } else if (!osLock && was.bootId == bootId() && running(was.pid) && was.pid != ::getpid()) {
            m_holder = was;
            m_state = State::HeldHere;
        }
        if (m_state != State::Unavailable) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
    }
    // Ours: a process of this computer that is gone, or an earlier boot, leaves its lock to be taken.
    const QByteArray text =
        "host=" + QSysInfo::machineHostName().toUtf8() + "\nhostid=" + owntag::hostId() +
        "\npid=" + QByteArray::number(static_cast<qint64>(::getpid())) + "\nboot=" + bootId().toLatin1() +
        "\nuser=" + userName().toUtf8() + "\nprogram=" + program.toUtf8() +
        "\nsince=" + QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1() + '\n';
    if (::ftruncate(m_fd, 0) != 0 || ::pwrite(m_fd, text.constData(), static_cast<size_t>(text.size()), 0) !=
                                         static_cast<ssize_t>(text.size())) {
        ::close(m_fd);
        m_fd = -1;
        return; // unwritable: as a read-only medium
    }
    ::fsync(m_fd);
    m_state = State::Held;
}

CollectionLock::~CollectionLock()
{
    if (m_fd < 0)
        return;
    // An empty lock is a free one, here and on every computer the file travels to.
    if (m_state == State::Held && ::ftruncate(m_fd, 0) == 0)
        ::fsync(m_fd);
    ::close(m_fd);
}

QString CollectionLock::describeHolder() const
{
    const QString who = m_holder.program.isEmpty() ? QStringLiteral("My Verdarium") : m_holder.program;
    const QString since = m_holder.since.isValid()
                              ? m_holder.since.toLocalTime().toString(QStringLiteral("d MMM yyyy HH:mm"))
                              : QStringLiteral("?");
    return QStringLiteral("%1 (process %2) is open on %3 since %4")
        .arg(who)
        .arg(m_holder.pid)
        .arg(m_holder.host.isEmpty() ? QStringLiteral("another computer") : m_holder.host, since);
}
