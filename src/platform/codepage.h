#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Records, settings, the language file, comments and the error log are 8-bit text in Windows-1251,
// the code page such collections were written in. Every conversion goes through here.
namespace cp1251 {

QString decode(QByteArrayView bytes);
// Characters the code page cannot hold become '?'; *lossless (when given) says whether any did.
QByteArray encode(QStringView text, bool* lossless = nullptr);
bool canEncode(QStringView text);
// The byte a character has in the code page, or '?' when it has none.
unsigned char byteOf(QChar c);

// Text from outside the collection (files given by the user): valid UTF-8 is UTF-8 (a byte-order
// mark dropped), anything else is the collection's own code page.
QString utf8OrDecode(QByteArrayView bytes);
// Whether the bytes (a byte-order mark aside) are valid UTF-8.
bool isUtf8(QByteArrayView bytes);

} // namespace cp1251
