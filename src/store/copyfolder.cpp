#include "store/copyfolder.h"

#include "platform/atomicfile.h"
#include "platform/fsname.h"
#include "platform/messagesink.h"
#include "platform/paths.h"
#include "platform/rounding.h"
#include "platform/sysio.h"
#include "store/errorlog.h"

#include <QDir>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString withSlash(QString p)
{
    if (!p.endsWith(u'/'))
        p += u'/';
    return p;
}

QByteArray withSlashBytes(QByteArray p)
{
    if (!p.endsWith('/'))
        p += '/';
    return p;
}

QByteArray parentBytes(const QByteArray& native)
{
    const qsizetype slash = native.lastIndexOf('/');
    return slash <= 0 ? native.left(slash + 1) : native.left(slash);
}

bool matchesMask(const QString& name, const QString& mask)
{
    if (mask == u"*.*" || mask == u"*")
        return true;
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(mask),
                                QRegularExpression::CaseInsensitiveOption);
    return re.match(name).hasMatch();
}

bool diskFull(int err)
{
    return err == ENOSPC || err == EDQUOT;
}

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

FileCopier::FileCopier(const QString& programFolder, MessageSink& sink)
    : m_programFolder(programFolder), m_sink(sink)
{
}

int FileCopier::progressDivisor(qint64 count)
{
    int divisor = 1;
    if (count > 100)
        divisor = 10;
    if (count > 10000)
        divisor = 100;
    if (count > 1000000)
        divisor = 1000;
    return divisor;
}

void FileCopier::pump()
{
    if (progress.pump)
        progress.pump();
}

bool FileCopier::copyTree(const QString& from, const QString& to, bool deleteSource)
{
    if (m_busy) {
        lastErrorText = QStringLiteral("Another copy is still running.");
        return false;
    }
    const QString src = withSlash(QDir::cleanPath(from));
    const QString dst = withSlash(QDir::cleanPath(to));
    if (dst.startsWith(src)) {
        lastErrorText = QStringLiteral("A folder cannot be copied into itself.");
        return false;
    }
    gl_FromPath = src;
    gl_ToPath = dst;
    copyAbort = false;
    CopyFolder(gl_FromPath, QStringLiteral("*.*"), deleteSource);
    return true;
}

void FileCopier::CopyFolder(const QString& folder, const QString& mask, bool deleteSource)
{
    if (m_busy)
        return; // one copy at a time: the globals above belong to the running one
    m_busy = true;
    m_madeFolder.clear();
    const QString target = gl_ToPath + withSlash(folder).mid(gl_FromPath.size());
    copyFolderRecursive(withSlash(folder), withSlashBytes(fsname::encodePath(folder)),
                        withSlashBytes(fsname::encodePath(target)), mask, deleteSource);
    m_madeFolder.clear();
    m_busy = false;
}

void FileCopier::copyFolderRecursive(const QString& folder, const QByteArray& src, const QByteArray& dst,
                                     const QString& mask, bool deleteSource)
{
    if (copyAbort)
        return;
    pump();
    const QString relative = folder.mid(gl_FromPath.size());

    DIR* dir = ::opendir(src.constData());
    if (!dir)
        return;
    std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, ::closedir);
    while (dirent* e = ::readdir(dir)) {
        const QByteArray bytes(e->d_name);
        if (bytes == "." || bytes == "..")
            continue;
        const QString name = fsname::decodeName(bytes);
        if (!matchesMask(name, mask))
            continue;
        const QString path = folder + name;
        const QByteArray from = src + bytes;
        const QByteArray to = dst + bytes;
        // The entry's type comes with the listing on most file systems; ask only when it does not.
        mode_t type = e->d_type == DT_REG   ? S_IFREG
                      : e->d_type == DT_DIR ? S_IFDIR
                      : e->d_type == DT_LNK ? S_IFLNK
                                            : 0;
        if (type == 0) {
            struct stat st {};
            if (::lstat(from.constData(), &st) != 0)
                continue;
            type = st.st_mode & S_IFMT;
        }
        if (S_ISLNK(type)) {
            // A link stays a link: following it could copy, or delete, what lies outside the folder.
            const bool copied = copyLink(path, gl_ToPath + relative + name, from, to);
            if (deleteSource && copied)
                ::unlink(from.constData());
        } else if (S_ISREG(type)) {
            const qint64 r = copyFile(path, gl_ToPath + relative + name, from, to);
            if (copyAbort)
                return;
            if (deleteSource && r >= 0)
                ::unlink(from.constData());
        } else if (S_ISDIR(type)) {
            copyFolderRecursive(path + u'/', from + '/', to + '/', mask, deleteSource);
            if (copyAbort)
                return;
            if (deleteSource)
                ::rmdir(from.constData()); // stays when not empty
        }
    }
}

qint64 FileCopier::FCopyFile(const QString& source, const QString& destination)
{
    return copyFile(source, destination, fsname::encodePath(source), fsname::encodePath(destination));
}

qint64 FileCopier::copyFile(const QString& source, const QString& destinationIn, const QByteArray& src,
                            QByteArray dst)
{
    qint64 result = -1;
    QString destination = destinationIn;
    const QString destFolder = paths::parentOf(destination);
    const QByteArray destFolderBytes = parentBytes(dst);
    if (conversion) {
        // The older layout named these pages so.
        const QString lower = paths::fileNameOf(source).toLower();
        if (lower == u"kultura.rtf" || lower == u"uhod.rtf") {
            const QStringView page = lower == u"kultura.rtf" ? u"diary.rtf" : u"care.rtf";
            destination = paths::join(destFolder, page);
            dst = destFolderBytes + '/' + page.toUtf8();
        }
    }

    QByteArray temp;
    Fd in;
    Fd out;
    int err = 0;
    bool aborted = false;
    auto fail = [&](int e) {
        err = e ? e : EIO;
        return false;
    };
    auto run = [&]() -> bool {
        struct stat st {};
        in.fd = ::open(src.constData(), O_RDONLY | O_CLOEXEC);
        if (in.fd < 0)
            return fail(errno);
        if (::fstat(in.fd, &st) != 0)
            return fail(errno);
        if (!m_busy || destFolderBytes != m_madeFolder) {
            if (!paths::makePathNative(destFolderBytes))
                return fail(errno ? errno : EACCES);
            m_madeFolder = destFolderBytes;
        }
        temp = atomicfile::temporaryPattern(dst);
        out.fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (out.fd < 0) {
            temp.clear();
            return fail(errno);
        }
        m_dst = out.fd;
        const qint64 wanted = st.st_size;
        int streamErr = 0;
        // The source was just opened at its start, so its known size is the same as "the whole file".
        result = CopyStream(in.fd, wanted, &streamErr);
        m_dst = -1;
        if (streamErr != 0) {
            result = -1;
            return fail(streamErr);
        }
        if (m_written != wanted) {
            result = -1;
            if (copyAbort) {
                aborted = true; // stopped by the user: the partial copy goes, nothing to report
                return false;
            }
            return fail(EIO);
        }
        ++filesCopied;
        if (conversion && progress.counter)
            progress.counter(filesCopied);
        // The copy keeps the source's permissions (its read-only state) and modification time.
        if (::fchmod(out.fd, st.st_mode & 07777) != 0)
            return fail(errno);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::futimens(out.fd, times) != 0)
            return fail(errno);
        if (sysio::fsync(out.fd) != 0)
            return fail(errno);
        const int fd = out.fd;
        out.fd = -1;
        if (::close(fd) != 0)
            return fail(errno);
        if (sysio::rename(temp.constData(), dst.constData()) != 0)
            return fail(errno);
        temp.clear();
        return true;
    };
    if (!run()) {
        result = -1;
        if (out.fd >= 0) {
            ::close(out.fd);
            out.fd = -1;
        }
        if (!temp.isEmpty())
            ::unlink(temp.constData());
        if (!aborted)
            reportFailure(err, source, destination);
    }
    return result;
}

qint64 FileCopier::CopyStream(int src, qint64 count, int* err)
{
    *err = 0;
    if (count == 0) {
        if (::lseek(src, 0, SEEK_SET) < 0) {
            *err = errno;
            return 0;
        }
        struct stat st {};
        if (::fstat(src, &st) != 0) {
            *err = errno;
            return 0;
        }
        count = st.st_size;
    }
    const int divisor = progressDivisor(count);
    int gaugeMax = 0;
    if (conversion) {
        gaugeMax = static_cast<int>(roundHalfEven(static_cast<double>(count) / divisor));
        if (progress.gaugeMax)
            progress.gaugeMax(gaugeMax);
    }
    const qint64 result = count;
    m_written = 0;
    const qint64 block = std::min(count, kBlockSize);
    if (!m_buffer)
        m_buffer = std::make_unique<char[]>(static_cast<size_t>(kBlockSize));
    char* const buffer = m_buffer.get();
    while (count != 0) {
        const qint64 n = std::min(count, block);
        qint64 got = 0;
        while (got < n) {
            const ssize_t r = ::read(src, buffer + got, static_cast<size_t>(n - got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0) {
                *err = r < 0 ? errno : EIO; // the file is shorter than it said: a short read
                return result;
            }
            got += r;
        }
        if (sysio::writeAll(m_dst, buffer, static_cast<size_t>(n)) < 0) {
            *err = errno ? errno : ENOSPC;
            return result;
        }
        m_written += n;
        count -= n;
        if (conversion && progress.gaugeProgress)
            progress.gaugeProgress(gaugeMax -
                                   static_cast<int>(roundHalfEven(static_cast<double>(count) / divisor)));
        pump();
        if (copyAbort)
            count = 0;
    }
    return result;
}

bool FileCopier::copyLink(const QString& source, const QString& destination, const QByteArray& src,
                          const QByteArray& dst)
{
    QByteArray target(4096, '\0');
    const ssize_t n = ::readlink(src.constData(), target.data(), target.size() - 1);
    int err = 0;
    if (n < 0)
        err = errno;
    else if (!paths::makePathNative(parentBytes(dst)))
        err = errno ? errno : EACCES;
    else if (::symlink(target.left(n).constData(), dst.constData()) != 0)
        err = errno;
    if (err == 0)
        return true;
    reportFailure(err, source, destination);
    return false;
}

void FileCopier::reportFailure(int err, const QString& source, const QString& destination)
{
    lastErrorText = QString::fromLocal8Bit(std::strerror(err));
    failedSources << source;
    m_sink.warning(QStringLiteral("Error ") + QString::number(err) + QStringLiteral(" - ") + lastErrorText +
                   u'\r' + QStringLiteral("args: ") + source);
    errorlog::WriteErrorLog(
        m_programFolder,
        errorlog::message(lastErrorText, QStringLiteral("FCopyFile"),
                          QStringLiteral("infile: ") + source + QStringLiteral("; outfile: ") + destination));
    if (diskFull(err)) {
        m_sink.warning(QString::fromUtf8("In Russian: Освободите место на диске и запустите программу "
                                         "заново.\rIn English: Make more free space on a disk and start "
                                         "the program again."));
        copyAbort = true;
    }
    ++copyErrors;
}
