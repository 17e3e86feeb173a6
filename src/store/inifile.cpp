#include "store/inifile.h"

#include "platform/atomicfile.h"
#include "platform/codepage.h"

#include "platform/paths.h"

namespace {

// Trimming as the records were always trimmed: every character up to and including blank goes.
QStringView trimmed(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s[b].unicode() <= 0x20)
        ++b;
    while (e > b && s[e - 1].unicode() <= 0x20)
        --e;
    return s.mid(b, e - b);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::IniFile(const QString& path) : m_path(path)
{
    QByteArray bytes;
    bool missing = false;
    m_readStatus = atomicfile::readAll(path, &bytes, &missing);
    m_existed = !missing && m_readStatus.ok();
    if (m_readStatus.ok())
        parse(bytes);
}

IniFile IniFile::fromBytes(const QString& path, const QByteArray& bytes)
{
    IniFile ini;
    ini.m_path = path;
    ini.m_existed = true;
    ini.parse(bytes);
    return ini;
}

void IniFile::parse(const QByteArray& bytes)
{
    const QString text = cp1251::decode(bytes);
    bool junk = false;
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n')
            junk = true;
    Section* current = nullptr;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        const QStringView line = trimmed(QStringView(text).mid(start, end - start));
        start = end + 1;
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']') && line.size() >= 2) {
            const QString name = trimmed(line.mid(1, line.size() - 2)).toString();
            current = findSection(name);
            if (!current) {
                m_sections.push_back(Section{name, {}});
                current = &m_sections.back();
            }
            continue;
        }
        if (!current) {
            junk = true; // lines before the first section are not part of any record
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        Entry entry;
        if (eq < 0) {
            junk = true;
            entry.key = line.toString();
        } else {
            entry.key = trimmed(line.left(eq)).toString();
            entry.value = trimmed(line.mid(eq + 1)).toString();
        }
        current->entries.push_back(std::move(entry));
    }
    if (junk)
        m_original = bytes.isNull() ? QByteArray("") : bytes;
}

const IniFile::Section* IniFile::findSection(QStringView name) const
{
    for (const Section& s : m_sections)
        if (sameName(s.name, name))
            return &s;
    return nullptr;
}

IniFile::Section* IniFile::findSection(QStringView name)
{
    for (Section& s : m_sections)
        if (sameName(s.name, name))
            return &s;
    return nullptr;
}

const IniFile::Entry* IniFile::findEntry(QStringView section, QStringView key) const
{
    const Section* s = findSection(section);
    if (!s)
        return nullptr;
    for (const Entry& e : s->entries)
        if (sameName(e.key, key))
            return &e;
    return nullptr;
}

QString IniFile::readString(QStringView section, QStringView key, const QString& def) const
{
    const Entry* e = findEntry(section, key);
    return e ? e->value : def;
}

bool IniFile::parseInteger(QStringView text, int* value)
{
    QStringView t = text;
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.startsWith(u'-');
        t = t.mid(1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t = t.mid(1);
    } else if (t.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        t = t.mid(2);
    }
    if (t.isEmpty())
        return false;
    quint64 v = 0;
    for (QChar c : t) {
        int d;
        if (c >= u'0' && c <= u'9')
            d = c.unicode() - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            d = c.unicode() - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            d = c.unicode() - u'A' + 10;
        else
            return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFull)
            return false;
    }
    qint64 r;
    if (base == 16) {
        // Hexadecimal spans all 32 bits: $FFFFFFFF is -1, as colour values were always written.
        r = static_cast<qint32>(static_cast<quint32>(v));
    } else {
        r = static_cast<qint64>(v);
        if (r > (negative ? 2147483648LL : 2147483647LL))
            return false;
    }
    if (negative)
        r = -r;
    *value = static_cast<int>(r);
    return true;
}

int IniFile::readInteger(QStringView section, QStringView key, int def) const
{
    const Entry* e = findEntry(section, key);
    int v = def;
    if (!e || !parseInteger(e->value, &v))
        return def;
    return v;
}

bool IniFile::readBool(QStringView section, QStringView key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::sectionExists(QStringView section) const
{
    return findSection(section) != nullptr;
}

bool IniFile::valueExists(QStringView section, QStringView key) const
{
    return findEntry(section, key) != nullptr;
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const Section& s : m_sections)
        out << s.name;
    return out;
}

QStringList IniFile::keys(QStringView section) const
{
    QStringList out;
    if (const Section* s = findSection(section))
        for (const Entry& e : s->entries)
            out << e.key;
    return out;
}

void IniFile::writeString(QStringView section, QStringView key, const QString& value)
{
    Section* s = findSection(section);
    if (!s) {
        m_sections.push_back(Section{section.toString(), {}});
        s = &m_sections.back();
    }
    for (Entry& e : s->entries) {
        if (sameName(e.key, key)) {
            e.value = value;
            return;
        }
    }
    s->entries.push_back(Entry{key.toString(), value});
}

void IniFile::writeInteger(QStringView section, QStringView key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(QStringView section, QStringView key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QByteArray IniFile::serialize() const
{
    QString text;
    for (const Section& s : m_sections) {
        text += u'[' + s.name + u"]\r\n";
        for (const Entry& e : s.entries)
            text += e.key + u'=' + e.value + u"\r\n";
        text += u"\r\n";
    }
    return cp1251::encode(text);
}

IoStatus IniFile::updateFile() const
{
    if (!m_readStatus.ok())
        return m_readStatus;
    if (damaged()) {
        const QString kept = m_path + QStringLiteral(".damaged");
        if (!paths::exists(kept)) {
            const IoStatus s = atomicfile::writeNew(kept, m_original);
            if (!s.ok())
                return s;
        }
    }
    return atomicfile::write(m_path, serialize());
}
