#pragma once

#include <QByteArrayView>
#include <QString>

// Turns the 8-bit text of an RTF run into characters by the code page in force: \ansicpg, a font's
// \cpg, or its \fcharset. Code pages Qt cannot decode fall back to 1252.
namespace rtfcodepage {

int fromCharset(int charset, int documentCodePage);
QString decode(QByteArrayView bytes, int codePage);

} // namespace rtfcodepage
