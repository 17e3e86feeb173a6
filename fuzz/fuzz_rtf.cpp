// The page reader takes any bytes without crashing or hanging; what the writer makes of the result
// always reads back cleanly.
#include "platform/rtf/rtfreader.h"
#include "platform/rtf/rtfwriter.h"

#include "guiapp.h"

#include <QTextDocument>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureGuiApplication("fuzz_rtf");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument doc;
    RtfReader::read(bytes, &doc);
    const QByteArray out = RtfWriter::write(doc);
    QTextDocument again;
    if (!RtfReader::read(out, &again).ok)
        __builtin_trap();
    return 0;
}
