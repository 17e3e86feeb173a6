#pragma once

#include "platform/messagesink.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real program folder in a temporary directory, with helpers to lay out a collection in it.
class TempProgramFolder {
public:
    TempProgramFolder();
    // The same helpers over a folder made elsewhere (a small disk's mount point, ending with "/").
    explicit TempProgramFolder(const QString& root) : m_root(root) {}
    // Qt cannot reach names that are not UTF-8, so the folder is taken away by its bytes.
    ~TempProgramFolder();
    QString path() const { return m_root.isEmpty() ? m_dir.path() + u'/' : m_root; }
    QString file(const QString& relative) const { return path() + relative; }

    // Writes bytes to relative (folders created); the bytes go to disk exactly as given.
    void write(const QString& relative, const QByteArray& bytes) const
    {
        writeBytes(QFile::encodeName(relative), bytes);
    }
    // A record in Windows-1251 with CR LF lines.
    void writeRecord(const QString& relative, const QString& text) const;
    QByteArray read(const QString& relative) const { return readBytes(QFile::encodeName(relative)); }
    void mkdir(const QString& relative) const { mkdirBytes(QFile::encodeName(relative)); }
    bool exists(const QString& relative) const;
    // A collection: the groups in bar order (each record holds its ImageOrder), a record for each
    // node given as "Group/Path=Cond", and main.ini opening the first group.
    void layOut(const QStringList& groups, const QStringList& nodes) const;
    // A number in a record (-99 when there is none), and one in a group's record.
    int number(const QString& relative, QStringView section, QStringView key) const;
    int groupValue(const QString& group, QStringView key) const
    {
        return number(QStringLiteral("MyPlants/") + group + QStringLiteral("/group.ini"), u"Group", key);
    }

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
    QString m_root;
};

// A file of tests/data by its path below that folder (empty when there is none).
QByteArray testData(const QString& relative);

// Text in UTF-8 source, for names and arguments kept as char strings.
inline QString u8(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Every file below root by its path below it, with its bytes; folders too (as "<dir>") when asked.
// Paths containing one of skip are left out, and so is the collection's lock.
QMap<QString, QByteArray> filesUnder(const QString& root, const QStringList& skip = {}, bool folders = false);

// Records the message boxes logic asked for.
class RecordingSink : public MessageSink {
public:
    void warning(const QString& text) override { warnings << text; }
    bool question(const QString& text) override
    {
        questions << text;
        return answer;
    }
    // Everything said, for a failure's message.
    std::string said() const { return (warnings + questions).join(u'\n').toStdString(); }
    QStringList warnings;
    QStringList questions;
    bool answer = true;
};
