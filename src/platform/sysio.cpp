#include "platform/sysio.h"

#include "platform/linkguard.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace sysio {

namespace {

struct Fault {
    int every = 0;
    int err = 0;
    int count = 0;
    bool once = false;
};
std::array<Fault, 3> g_faults;

// True (errno set) when the injected fault says this call fails.
bool injected(Op op)
{
    Fault& f = g_faults[static_cast<size_t>(op)];
    ++f.count;
    if (f.every > 0 && (f.once ? f.count == f.every : f.count % f.every == 0)) {
        errno = f.err;
        return true;
    }
    return false;
}

} // namespace

ssize_t writeAll(int fd, const void* data, size_t n)
{
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < n) {
        if (injected(Op::Write))
            return -1;
        const ssize_t w = ::write(fd, p + done, n - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0)
            return -1;
        if (w == 0) {
            errno = ENOSPC;
            return -1;
        }
        done += static_cast<size_t>(w);
    }
    return static_cast<ssize_t>(done);
}

int fsync(int fd)
{
    if (injected(Op::Fsync))
        return -1;
    return ::fsync(fd);
}

int fsyncDir(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    int r = sysio::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (r != 0 && (err == EINVAL || err == EROFS || err == EBADF))
        r = 0;
    errno = err;
    return r;
}

int rename(const char* from, const char* to)
{
    // Nothing is renamed through a link inside the collection (see linkguard).
    if (injected(Op::Rename) || linkguard::refused(from) || linkguard::refused(to))
        return -1;
    return std::rename(from, to);
}

int exchange(const char* a, const char* b)
{
    if (injected(Op::Rename) || linkguard::refused(a) || linkguard::refused(b))
        return -1;
    return ::renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE);
}

int renameNoReplace(const char* from, const char* to)
{
    if (injected(Op::Rename) || linkguard::refused(from) || linkguard::refused(to))
        return -1;
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // File systems without the flag: a hard link never replaces anything either.
    if (::link(from, to) == 0)
        return ::unlink(from);
    if (errno != EPERM && errno != EXDEV)
        return -1;
    if (::access(to, F_OK) == 0) {
        errno = EEXIST;
        return -1;
    }
    return std::rename(from, to);
}

void failEvery(Op op, int n, int err, bool once)
{
    Fault& f = g_faults[static_cast<size_t>(op)];
    f.every = n;
    f.err = err;
    f.count = 0;
    f.once = once;
}

void clearFaults()
{
    g_faults = {};
}

int calls(Op op)
{
    return g_faults[static_cast<size_t>(op)].count;
}

} // namespace sysio
