#include "store/errorlog.h"

#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/paths.h"

#include <QDateTime>
#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace errorlog {

QString message(const QString& lastErrorText, const QString& routine, const QString& args)
{
    return QStringLiteral("Error msg: ") + lastErrorText + QStringLiteral(" ((") + routine +
           QStringLiteral(") args: ") + args + u')';
}

QString message(const QString& lastErrorText, const QString& path)
{
    return QStringLiteral("Error msg: ") + lastErrorText + QStringLiteral(" (args: ") + path + u')';
}

QString line(const QString& message)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    // Short date and long time of the user's regional settings, without a time-zone name.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(u't').replace(QStringLiteral("  "), QStringLiteral(" "));
    return locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(now.time(), timeFormat.trimmed()) + QStringLiteral(": ") + message;
}

IoStatus WriteErrorLog(const QString& programFolder, const QString& msg)
{
    const QString path = paths::fixed(programFolder, paths::kErrorLog);
    QByteArray bytes;
    bool missing = false;
    const IoStatus read = atomicfile::readAll(path, &bytes, &missing, qint64(1) << 40);
    if (!read.ok())
        return read;
    bytes += cp1251::encode(line(msg));
    bytes += "\r\n";
    return atomicfile::write(path, bytes);
}

} // namespace errorlog

IoStatus CreateEmptyFile(const QString& path)
{
    const int fd = ::open(paths::native(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return IoStatus::fromErrno(errno);
    ::close(fd);
    return IoStatus::success();
}
