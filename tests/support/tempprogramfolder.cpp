#include "tempprogramfolder.h"

#include "platform/codepage.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TempProgramFolder::TempProgramFolder()
{
    EXPECT_TRUE(m_dir.isValid());
}

TempProgramFolder::~TempProgramFolder()
{
    paths::removeTreeNative(QFile::encodeName(m_dir.path()));
}

void TempProgramFolder::write(const QString& relative, const QByteArray& bytes) const
{
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << full.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

void TempProgramFolder::writeRecord(const QString& relative, const QString& text) const
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\n', QStringLiteral("\r\n"));
    write(relative, cp1251::encode(crlf));
}

QByteArray TempProgramFolder::read(const QString& relative) const
{
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void TempProgramFolder::mkdir(const QString& relative) const
{
    QDir().mkpath(file(relative));
}

bool TempProgramFolder::exists(const QString& relative) const
{
    return QFileInfo::exists(file(relative));
}

void TempProgramFolder::mkdirBytes(const QByteArray& relative) const
{
    const QByteArray full = native(relative);
    for (qsizetype slash = full.indexOf('/', 1); slash > 0; slash = full.indexOf('/', slash + 1))
        ::mkdir(full.left(slash).constData(), 0777);
    ::mkdir(full.constData(), 0777);
    struct stat st {};
    ASSERT_EQ(::stat(full.constData(), &st), 0) << full.constData();
}

void TempProgramFolder::writeBytes(const QByteArray& relative, const QByteArray& bytes) const
{
    const qsizetype slash = relative.lastIndexOf('/');
    if (slash > 0)
        mkdirBytes(relative.left(slash));
    const int fd = ::open(native(relative).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    ASSERT_GE(fd, 0) << relative.constData();
    ASSERT_EQ(::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())), bytes.size());
    ::close(fd);
}

bool TempProgramFolder::existsBytes(const QByteArray& relative) const
{
    struct stat st {};
    return ::lstat(native(relative).constData(), &st) == 0;
}

QByteArray TempProgramFolder::readBytes(const QByteArray& relative) const
{
    QByteArray out;
    const int fd = ::open(native(relative).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    ::close(fd);
    return out;
}

QList<QByteArray> TempProgramFolder::listBytes(const QByteArray& relative) const
{
    QList<QByteArray> names;
    if (DIR* d = ::opendir(native(relative).constData())) {
        while (dirent* e = ::readdir(d))
            if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                names << QByteArray(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}
