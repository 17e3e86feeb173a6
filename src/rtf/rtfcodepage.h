#pragma once

#include <QByteArrayView>
#include <QString>

// Turns the 8-bit text of an RTF run into characters by the code page in force: \ansicpg, a font's
// \cpg, or its \fcharset. Code pages Qt cannot decode fall back to 1252.
namespace rtfcodepage {

int fromCharset(int charset, int documentCodePage);
// The Windows code page a Macintosh one reads as where it has two bytes a character (Mac Japanese,
// Chinese and Korean), else codePage itself.
inline int doubleByteBase(int codePage)
{
    switch (codePage) {
    case 10001:
        return 932;
    case 10002:
        return 950;
    case 10003:
        return 949;
    case 10008:
        return 936;
    default:
        return codePage;
    }
}
// Whether b starts a two-byte character in codePage (932, 936, 949, 950 and the Macintosh pages of
// the same scripts); false for 8-bit pages.
bool isLeadByte(int codePage, unsigned char b);
inline bool isDoubleByte(int codePage)
{
    const int base = doubleByteBase(codePage);
    return base == 932 || base == 936 || base == 949 || base == 950;
}
// How many bytes at the end of bytes are a lead byte still waiting for its trail byte (0 or 1).
int pendingLead(QByteArrayView bytes, int codePage);
QString decode(QByteArrayView bytes, int codePage);

} // namespace rtfcodepage
