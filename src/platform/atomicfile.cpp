#include "platform/atomicfile.h"

#include "platform/changenotice.h"
#include "platform/fsname.h"
#include "platform/linkguard.h"
#include "platform/owntag.h"
#include "platform/sysio.h"

#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

IoStatus IoStatus::fromErrno(int err)
{
    return failure(err, QString::fromLocal8Bit(std::strerror(err)));
}

namespace atomicfile {

IoStatus readAll(const QString& path, QByteArray* out, bool* missing, qint64 maxBytes)
{
    out->clear();
    if (missing)
        *missing = false;
    const QByteArray native = fsname::encodePath(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT && missing) {
            *missing = true;
            return IoStatus::success();
        }
        return IoStatus::fromErrno(err);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return IoStatus::fromErrno(err);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return IoStatus::fromErrno(EISDIR);
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        return IoStatus::fromErrno(EFBIG);
    }
    out->resize(static_cast<qsizetype>(st.st_size));
    qsizetype done = 0;
    for (;;) {
        if (done == out->size()) {
            // The file may have grown since fstat; read on in small steps up to the limit.
            if (out->size() >= maxBytes)
                break;
            out->resize(out->size() + 4096);
        }
        const ssize_t n = ::read(fd, out->data() + done, static_cast<size_t>(out->size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            out->clear();
            return IoStatus::fromErrno(err);
        }
        if (n == 0)
            break;
        done += n;
    }
    out->resize(done);
    ::close(fd);
    return IoStatus::success();
}

QByteArray temporaryPattern(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    return target.left(slash + 1) + '.' + target.mid(slash + 1) + ".vdtmp-" + owntag::tag() + "-XXXXXX";
}

bool isLeftover(const QString& fileName)
{
    // Only a name that carries this computer's id and a process that no longer runs is provably ours:
    // anything else beside a page (a user's "description.rtf.backup", another computer's save in
    // progress) is left alone.
    static const QRegularExpression ours(
        QStringLiteral("^\\..+\\.vdtmp-([0-9a-f]{8}-[0-9]+)-[A-Za-z0-9]{6}$"));
    const QRegularExpressionMatch m = ours.match(fileName);
    return m.hasMatch() && owntag::isAbandoned(m.captured(1).toLatin1());
}

namespace {

enum class Replace { Yes, No };

// Puts the new content into the open temporary file; 0 or an errno.
using Producer = std::function<int(int fd)>;

IoStatus writeFile(const QString& path, const Producer& produce, Replace replace)
{
    const QByteArray native = fsname::encodePath(path);
    if (const QByteArray link = linkguard::linkOnTheWay(native); !link.isEmpty())
        return IoStatus::failure(EROFS, linkguard::refusal(link));
    mode_t mode = 0666;
    struct stat st {};
    if (::stat(native.constData(), &st) == 0) {
        if (replace == Replace::No)
            return IoStatus::fromErrno(EEXIST);
        if (S_ISDIR(st.st_mode))
            return IoStatus::fromErrno(EISDIR);
        // A read-only file stays as the user made it, as it would on the collection's first home.
        // The write bits are the file's read-only attribute, whoever we run as.
        if ((st.st_mode & 0222) == 0)
            return IoStatus::fromErrno(EACCES);
        if (::access(native.constData(), W_OK) != 0)
            return IoStatus::fromErrno(errno == EROFS ? EROFS : EACCES);
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    QByteArray temp = temporaryPattern(native);
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return IoStatus::fromErrno(errno);
    int err = 0;
    err = produce(fd);
    if (err == 0 && (::fchmod(fd, mode) != 0 || sysio::fsync(fd) != 0))
        err = errno ? errno : EIO;
    if (::close(fd) != 0 && err == 0)
        err = errno ? errno : EIO;
    if (err == 0) {
        const int r = replace == Replace::Yes ? sysio::rename(temp.constData(), native.constData())
                                              : sysio::renameNoReplace(temp.constData(), native.constData());
        if (r != 0)
            err = errno ? errno : EIO;
    }
    if (err != 0) {
        ::unlink(temp.constData());
        return IoStatus::fromErrno(err);
    }
    // The new name must reach the disk too, or a crash could bring back the old file (or none).
    const qsizetype slash = native.lastIndexOf('/');
    if (slash > 0 && sysio::fsyncDir(native.left(slash).constData()) != 0)
        return IoStatus::fromErrno(errno ? errno : EIO);
    changenotice::notify(path);
    return IoStatus::success();
}

Producer bytesOf(const QByteArray& data)
{
    return [&data](int fd) {
        if (sysio::writeAll(fd, data.constData(), static_cast<size_t>(data.size())) < 0)
            return errno ? errno : EIO;
        return 0;
    };
}

} // namespace

bool canReplace(const QString& path)
{
    const QByteArray native = fsname::encodePath(path);
    if (!linkguard::linkOnTheWay(native).isEmpty())
        return false;
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? native.left(slash) : QByteArray(".");
    struct stat st {};
    if (::stat(native.constData(), &st) == 0 &&
        ((st.st_mode & 0222) == 0 || ::access(native.constData(), W_OK) != 0))
        return false;
    return ::access(folder.constData(), W_OK) == 0;
}

IoStatus write(const QString& path, const QByteArray& data)
{
    return writeFile(path, bytesOf(data), Replace::Yes);
}

IoStatus writeNew(const QString& path, const QByteArray& data)
{
    return writeFile(path, bytesOf(data), Replace::No);
}

IoStatus copyNew(const QString& source, const QString& target)
{
    const int in = ::open(fsname::encodePath(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return IoStatus::fromErrno(errno);
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno ? errno : EINVAL;
        ::close(in);
        return IoStatus::fromErrno(err);
    }
    const IoStatus s = writeFile(
        target,
        [in](int fd) {
            std::vector<char> buffer(64 * 1024);
            for (;;) {
                const ssize_t n = ::read(in, buffer.data(), buffer.size());
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    return errno;
                if (n == 0)
                    return 0;
                if (sysio::writeAll(fd, buffer.data(), static_cast<size_t>(n)) < 0)
                    return errno ? errno : EIO;
            }
        },
        Replace::No);
    ::close(in);
    return s;
}

} // namespace atomicfile
