#pragma once

#include <QByteArrayView>
#include <QString>

// Turns the 8-bit text of an RTF run into characters by the code page in force: \ansicpg, a font's
// \cpg, or its \fcharset. Code pages Qt cannot decode fall back to 1252.
namespace rtfcodepage {

int fromCharset(int charset, int documentCodePage);
// Whether b starts a two-byte character in codePage (932, 936, 949, 950); false for 8-bit pages.
bool isLeadByte(int codePage, unsigned char b);
inline bool isDoubleByte(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}
// How many bytes at the end of bytes are a lead byte still waiting for its trail byte (0 or 1).
int pendingLead(QByteArrayView bytes, int codePage);
QString decode(QByteArrayView bytes, int codePage);

} // namespace rtfcodepage
