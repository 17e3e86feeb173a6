#include "rtf/rtfcodepage.h"

#include "platform/codepage.h"

#include <QHash>
#include <QStringDecoder>

#include <memory>

namespace rtfcodepage {

int fromCharset(int charset, int documentCodePage)
{
    switch (charset) {
    case 0:
        return 1252;
    case 1:
        return documentCodePage; // "default"
    case 2:
        return 1252; // symbol fonts: their bytes are shown as they are
    case 77: // the Macintosh character sets
        return 10000;
    case 78:
        return 10001;
    case 79:
        return 10003;
    case 80:
        return 10008;
    case 81:
        return 10002;
    case 83:
        return 10005;
    case 84:
        return 10004;
    case 85:
        return 10006;
    case 86:
        return 10081;
    case 87:
        return 10021;
    case 88:
        return 10029;
    case 89:
        return 10007;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return documentCodePage;
    }
}

bool isLeadByte(int codePage, unsigned char b)
{
    switch (doubleByteBase(codePage)) {
    case 932:
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
        return b >= 0x81 && b <= 0xFE;
    default:
        return false;
    }
}

int pendingLead(QByteArrayView bytes, int codePage)
{
    if (!isDoubleByte(codePage))
        return 0;
    qsizetype i = 0;
    while (i < bytes.size())
        i += isLeadByte(codePage, static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    return i > bytes.size() ? 1 : 0;
}

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
const char16_t k1252High[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

QString decode1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *o++ = (b >= 0x80 && b < 0xA0) ? QChar(k1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return out;
}

// The converter's name: Macintosh pages by their own names (the Far East ones by the Windows pages
// they match), the others as windows-N.
QByteArray converterName(int codePage)
{
    switch (codePage) {
    case 10000:
        return "macintosh";
    case 10001:
        return "Shift_JIS";
    case 10002:
        return "Big5";
    case 10003:
        return "EUC-KR";
    case 10008:
        return "GB2312";
    case 10006:
        return "x-mac-greek";
    case 10007:
        return "x-mac-cyrillic";
    case 10021:
        return "windows-874";
    case 10029:
        return "x-mac-centraleurroman";
    case 10081:
        return "x-mac-turkish";
    case 437:
    case 850:
        return "IBM" + QByteArray::number(codePage);
    default:
        return "windows-" + QByteArray::number(codePage);
    }
}

} // namespace

QString decode(QByteArrayView bytes, int codePage)
{
    if (codePage == 1251)
        return cp1251::decode(bytes);
    if (codePage == 1252 || codePage <= 0)
        return decode1252(bytes);
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    // Other code pages through Qt's converters (ICU); one decoder per code page, kept.
    thread_local QHash<int, std::shared_ptr<QStringDecoder>> decoders;
    auto it = decoders.find(codePage);
    if (it == decoders.end()) {
        // Stateless: a run is decoded whole, and nothing of it may leak into the next run.
        auto d = std::make_shared<QStringDecoder>(converterName(codePage).constData(), QStringDecoder::Flag::Stateless);
        if (!d->isValid())
            d = std::make_shared<QStringDecoder>(QByteArray("cp" + QByteArray::number(codePage)).constData(),
                                                 QStringDecoder::Flag::Stateless);
        it = decoders.insert(codePage, d->isValid() ? d : nullptr);
    }
    if (!*it)
        return decode1252(bytes);
    return (*it)->decode(bytes);
}

} // namespace rtfcodepage
