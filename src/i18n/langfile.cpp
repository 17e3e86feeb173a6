#include "i18n/langfile.h"

#include "platform/atomicfile.h"
#include "platform/codepage.h"

LanguageFile LanguageFile::load(const QString& path)
{
    QByteArray bytes;
    bool missing = false;
    if (!atomicfile::readAll(path, &bytes, &missing, 64 * 1024 * 1024).ok() || missing)
        return LanguageFile();
    return parse(bytes);
}

LanguageFile LanguageFile::parse(const QByteArray& bytes)
{
    LanguageFile f;
    const QString text =
        bytes.startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(bytes.mid(3)) : cp1251::decode(bytes);
    Section* current = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.mid(1, line.size() - 2).trimmed().toString();
            current = const_cast<Section*>(f.find(name));
            if (!current) {
                f.m_sections.push_back(Section{name, {}});
                current = &f.m_sections.back();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq < 0)
            continue;
        const QString key = line.left(eq).trimmed().toString().toLower();
        if (!current->entries.contains(key))
            current->entries.insert(key, line.mid(eq + 1).trimmed().toString());
    }
    return f;
}

const LanguageFile::Section* LanguageFile::find(const QString& section) const
{
    for (const Section& s : m_sections)
        if (s.name.compare(section, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

QStringList LanguageFile::sections() const
{
    QStringList names;
    for (const Section& s : m_sections)
        names << s.name;
    return names;
}

bool LanguageFile::hasSection(const QString& section) const
{
    return find(section) != nullptr;
}

std::optional<QString> LanguageFile::entry(const QString& section, const QString& key) const
{
    const Section* s = find(section);
    if (!s)
        return std::nullopt;
    const auto it = s->entries.constFind(key.toLower());
    if (it == s->entries.constEnd())
        return std::nullopt;
    return *it;
}

QLocale LanguageFile::locale(const QString& section) const
{
    const QString code = text(section, QStringLiteral("locale"), QString()).trimmed();
    if (!code.isEmpty())
        return QLocale(code);
    for (int l = QLocale::C + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = static_cast<QLocale::Language>(l);
        if (QLocale::languageToString(language).compare(section, Qt::CaseInsensitive) == 0)
            return QLocale(language);
    }
    return QLocale(QLocale::English);
}
