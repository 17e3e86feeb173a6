#pragma once

#include "platform/iostatus.h"

#include <QString>
#include <QStringList>

#include <vector>

// A record file (plant.ini, group.ini, main.ini): INI text in Windows-1251, read whole when opened,
// changed in memory, written back whole by updateFile(). A file never flushed is never changed.
class IniFile {
public:
    explicit IniFile(const QString& path);
    // Parses text already in memory (the file name is kept for a later flush).
    static IniFile fromBytes(const QString& path, const QByteArray& bytes);

    const QString& fileName() const { return m_path; }
    // Why the file could not be read; ok for a file that is missing (it reads as empty).
    const IoStatus& readStatus() const { return m_readStatus; }
    bool existed() const { return m_existed; }
    // The file held bytes no record holds (NUL bytes, lines that are neither sections, entries nor
    // comments): the first flush keeps it beside itself as NAME.damaged.
    bool damaged() const { return !m_original.isNull(); }

    QString readString(QStringView section, QStringView key, const QString& def) const;
    // Decimal, or hexadecimal with a leading "$" or "0x"; anything else gives def.
    int readInteger(QStringView section, QStringView key, int def) const;
    bool readBool(QStringView section, QStringView key, bool def) const;
    bool sectionExists(QStringView section) const;
    bool valueExists(QStringView section, QStringView key) const;
    QStringList sections() const;
    QStringList keys(QStringView section) const;

    void writeString(QStringView section, QStringView key, const QString& value);
    void writeInteger(QStringView section, QStringView key, int value);
    void writeBool(QStringView section, QStringView key, bool value);

    // The bytes a flush writes: every section, its entries, one empty line; CR LF line ends.
    QByteArray serialize() const;
    // Writes the file through a temporary file and a rename. A file that could not be read is not
    // overwritten, so an unreadable record is never replaced by an empty one; a damaged one is kept
    // beside itself (once) before it is replaced.
    IoStatus updateFile() const;

    static bool parseInteger(QStringView text, int* value);

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    IniFile() = default;
    void parse(const QByteArray& bytes);
    const Section* findSection(QStringView name) const;
    Section* findSection(QStringView name);
    const Entry* findEntry(QStringView section, QStringView key) const;

    QString m_path;
    IoStatus m_readStatus;
    bool m_existed = false;
    QByteArray m_original; // the bytes of a damaged file; null when the file was sound
    std::vector<Section> m_sections;
};
