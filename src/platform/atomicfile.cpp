#include "platform/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const QByteArray native = QFile::encodeName(path);
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

IoStatus write(const QString& path, const QByteArray& data)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return IoStatus::fromErrno(EISDIR);
        // A read-only file stays as the user made it, as it would on the collection's first home.
        // The write bits are the file's read-only attribute, whoever we run as.
        if ((st.st_mode & 0222) == 0)
            return IoStatus::fromErrno(EACCES);
        if (::access(native.constData(), W_OK) != 0)
            return IoStatus::fromErrno(errno == EROFS ? EROFS : EACCES);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return IoStatus::failure(EIO, file.errorString());
    if (file.write(data) != data.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return IoStatus::failure(ENOSPC, why);
    }
    if (!file.commit())
        return IoStatus::failure(EIO, file.errorString());
    return IoStatus::success();
}

} // namespace atomicfile
