#pragma once

#include <QByteArray>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// lang.INI: one section per language, entries text key "=" text. Windows-1251 text (UTF-8 when the
// file begins with a byte-order mark, as modern editors write it). Keys and section names are
// compared without regard to case; the text is the rest of the line after the first "=", trimmed.
// Empty lines and lines beginning with ";" are ignored. Read only, never written.
class LanguageFile {
public:
    static LanguageFile load(const QString& path); // a missing or unreadable file is an empty one
    static LanguageFile parse(const QByteArray& bytes);

    // Section names in file order; a name given twice is listed once, where it first stands.
    QStringList sections() const;
    bool hasSection(const QString& section) const;
    // The entry's text; none when the section or the key is missing. A key given twice keeps its
    // first text.
    std::optional<QString> entry(const QString& section, const QString& key) const;
    QString text(const QString& section, const QString& key, const QString& fallback) const
    {
        return entry(section, key).value_or(fallback);
    }
    // The forms of dates and numbers of a section: its "locale" entry ("ru", "en_GB"), else the
    // language its name names ("Russian"); English when neither is known.
    QLocale locale(const QString& section) const;

private:
    struct Section {
        QString name;
        QHash<QString, QString> entries; // by lower-case key
    };
    const Section* find(const QString& section) const;
    std::vector<Section> m_sections;
};
