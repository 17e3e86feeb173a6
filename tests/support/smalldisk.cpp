#include "smalldisk.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

SmallDisk::SmallDisk(int kilobytes)
{
    if (::geteuid() != 0) {
        m_why = QStringLiteral("a small file system can only be mounted as root");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
    if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) != 0) {
        m_why = QStringLiteral("mounting a tmpfs failed: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    m_mounted = true;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

void SmallDisk::fill() const
{
    const int fd = ::open(QFile::encodeName(path() + QStringLiteral("filler")).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    char block[4096] = {};
    while (::write(fd, block, sizeof block) > 0) {
    }
    // The last partial page too, so that even a byte more does not fit.
    while (::write(fd, block, 1) > 0) {
    }
    ::close(fd);
}

bool SmallDisk::makeReadOnly() const
{
    return m_mounted && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                                MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
