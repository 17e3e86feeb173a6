#pragma once

#include "platform/messagesink.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real program folder in a temporary directory, with helpers to lay out a collection in it.
class TempProgramFolder {
public:
    TempProgramFolder();
    // Qt cannot reach names that are not UTF-8, so the folder is taken away by its bytes.
    ~TempProgramFolder();
    QString path() const { return m_dir.path() + u'/'; }
    QString file(const QString& relative) const { return path() + relative; }

    // Writes bytes to relative (folders created); the bytes go to disk exactly as given.
    void write(const QString& relative, const QByteArray& bytes) const;
    // A record in Windows-1251 with CR LF lines.
    void writeRecord(const QString& relative, const QString& text) const;
    QByteArray read(const QString& relative) const;
    void mkdir(const QString& relative) const;
    bool exists(const QString& relative) const;

    // The same with names given as bytes, made and read with plain system calls, for collections
    // copied from Windows whose names are Windows-1251 bytes. Folders on the way are made.
    QByteArray native(const QByteArray& relative) const { return QFile::encodeName(path()) + relative; }
    void writeBytes(const QByteArray& relative, const QByteArray& bytes) const;
    void mkdirBytes(const QByteArray& relative) const;
    bool existsBytes(const QByteArray& relative) const;
    QByteArray readBytes(const QByteArray& relative) const;
    // The names in a folder as bytes, sorted.
    QList<QByteArray> listBytes(const QByteArray& relative) const;

private:
    QTemporaryDir m_dir;
};

// Records the message boxes logic asked for.
class RecordingSink : public MessageSink {
public:
    void warning(const QString& text) override { warnings << text; }
    bool question(const QString& text) override
    {
        questions << text;
        return answer;
    }
    QStringList warnings;
    QStringList questions;
    bool answer = true;
};
