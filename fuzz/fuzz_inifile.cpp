// The record reader takes any bytes: parse, read typed values, write one back and serialize again.
#include "store/inifile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniFile ini = IniFile::fromBytes(QStringLiteral("fuzz.ini"), bytes);
    for (const QString& section : ini.sections()) {
        for (const QString& key : ini.keys(section)) {
            (void)ini.readInteger(section, key, -1);
            (void)ini.readBool(section, key, false);
        }
    }
    const QByteArray once = ini.serialize();
    // A flushed record reads back to the same record.
    IniFile again = IniFile::fromBytes(QStringLiteral("fuzz.ini"), once);
    if (again.serialize() != once)
        __builtin_trap();
    ini.writeInteger(u"Main", u"Cond", 3);
    if (ini.readInteger(u"Main", u"Cond", 0) != 3)
        __builtin_trap();
    return 0;
}
