#pragma once

#include <QString>
#include <QTemporaryDir>

// A real, small file system (tmpfs) mounted on a temporary folder, for tests of a full disk. It
// needs root (CI runs as root); elsewhere why() says why there is none.
class SmallDisk {
public:
    explicit SmallDisk(int kilobytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    QString why() const { return m_why; }
    // The mount point, ending with "/".
    QString path() const { return m_dir.path() + u'/'; }
    // Fills the disk with one file until nothing more fits.
    void fill() const;
    // Mounts it again read-only, as a write-protected medium is.
    bool makeReadOnly() const;

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_why;
};
