// The page reader takes any bytes without crashing or hanging; what the writer makes of the result
// always reads back cleanly, passes the check every save makes, and shows the same words in order.
#include "platform/rtf/rtfreader.h"
#include "platform/rtf/rtfwriter.h"

#include "guiapp.h"

#include <QRegularExpression>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>

namespace {

QStringList visibleWords(const QTextDocument& doc)
{
    QString text = doc.toPlainText();
    text.remove(QChar::ObjectReplacementCharacter); // pictures and kept groups stand as one character
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return text.split(space, Qt::SkipEmptyParts);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureGuiApplication("fuzz_rtf");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument doc;
    RtfReader::read(bytes, &doc);
    const QByteArray out = RtfWriter::write(doc);
    QTextDocument again;
    const RtfReader::Result r = RtfReader::read(out, &again);
    if (!r.ok || !RtfWriter::readBackProblem(out, out.size()).isEmpty()) {
        std::fprintf(stderr, "the saved page does not read back: %s\n", qPrintable(r.problem));
        __builtin_trap();
    }
    const QStringList before = visibleWords(doc), after = visibleWords(again);
    if (before != after) {
        for (qsizetype i = 0; i < std::max(before.size(), after.size()); ++i)
            if (before.value(i) != after.value(i)) {
                std::fprintf(stderr, "word %lld: \"%s\" became \"%s\"\n", static_cast<long long>(i),
                             qPrintable(before.value(i)), qPrintable(after.value(i)));
                break;
            }
        __builtin_trap();
    }
    return 0;
}
