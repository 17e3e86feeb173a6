#include "tempprogramfolder.h"

#include "platform/codepage.h"
#include "platform/paths.h"
#include "store/inifile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

TempProgramFolder::TempProgramFolder()
{
    EXPECT_TRUE(m_dir.isValid());
}

TempProgramFolder::~TempProgramFolder()
{
    paths::removeTreeNative(QFile::encodeName(m_dir.path()));
}

void TempProgramFolder::writeRecord(const QString& relative, const QString& text) const
{
    QString crlf = text;
    crlf.replace(u"\r\n"_s, u"\n"_s).replace(u'\n', u"\r\n"_s);
    write(relative, cp1251::encode(crlf));
}

bool TempProgramFolder::exists(const QString& relative) const
{
    return QFileInfo::exists(file(relative));
}

void TempProgramFolder::layOut(const QStringList& groups, const QStringList& nodes) const
{
    for (int n = 0; n < groups.size(); ++n)
        writeRecord(u"MyPlants/"_s + groups[n] + u"/group.ini"_s, u"[Group]\nImageOrder=%1\n"_s.arg(n + 1));
    for (const QString& node : nodes)
        writeRecord(u"MyPlants/"_s + node.section(u'=', 0, 0) + u"/plant.ini"_s,
                    u"[Main]\nCond="_s + node.section(u'=', 1) + u'\n');
    writeRecord(u"main.ini"_s, u"[Options]\nLastGroup="_s + groups.value(0) + u'\n');
}

int TempProgramFolder::number(const QString& relative, QStringView section, QStringView key) const
{
    return IniFile(file(relative)).readInteger(section, key, -99);
}

QByteArray testData(const QString& relative)
{
    QFile f(QStringLiteral(VERDARIUM_TEST_DATA "/") + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QMap<QString, QByteArray> filesUnder(const QString& root, const QStringList& skip, bool folders)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        const bool folder = it.fileInfo().isDir();
        // The collection's lock is the program's, not the user's: it is empty whenever nobody writes.
        if ((folder && !folders) || it.fileName() == u".verdarium-lock" ||
            std::any_of(skip.begin(), skip.end(), [&](const QString& s) { return relative.contains(s); }))
            continue;
        QFile f(path);
        files.insert(relative,
                     folder ? QByteArray("<dir>")
                            : (f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>")));
    }
    return files;
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
