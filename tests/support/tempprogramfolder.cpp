#include "tempprogramfolder.h"

#include "platform/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TempProgramFolder::TempProgramFolder()
{
    EXPECT_TRUE(m_dir.isValid());
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
