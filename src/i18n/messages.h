#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>

class LanguageFile;

// The message table: every message-box text by its key, with a fixed English default. A language
// section of lang.INI replaces the texts (keys compared without regard to case).
class MessageTable {
public:
    MessageTable();
    QString text(const QString& key) const;
    // The text of key with "%1" standing for name (texts without it are shown as they are).
    QString textWithName(const QString& key, const QString& name) const;
    // Fills the table from section of the language file; missing keys take their English default.
    void apply(const LanguageFile& lang, const QString& section);
    static QString englishDefault(const QString& key);
    static QStringList keys(); // every message key, in the table's order

private:
    QHash<QString, QString> m_texts;
};

// Every translated control carries its help-context number N; its text key is "s" + N.
inline constexpr const char* kHelpContextProperty = "helpContext";
inline void setTextKey(QObject* o, int helpContext)
{
    o->setProperty(kHelpContextProperty, helpContext);
}
inline int textKeyOf(const QObject* o)
{
    return o->property(kHelpContextProperty).toInt();
}
