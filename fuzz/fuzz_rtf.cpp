// The page reader takes any bytes without crashing or hanging; what the writer makes of the result
// always reads back cleanly, passes the check every save makes, and shows the same words in order.
#include "rtf/rtfreader.h"
#include "rtf/rtfwriter.h"

#include "guiapp.h"

#include <QTextDocument>

#include <cstdint>
#include <cstdio>

namespace {

QStringList visibleWords(const QTextDocument& doc)
{
    // Split by hand: a lone surrogate (a \\u escape may make one) stops a regular expression.
    QStringList words;
    QString word;
    for (const QChar c : doc.toPlainText()) {
        if (c == QChar::ObjectReplacementCharacter) // pictures and kept groups stand as one character
            continue;
        if (c.isSpace() || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            if (!word.isEmpty())
                words << word;
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
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
        auto shown = [](const QStringList& words) { // code points, as a lone surrogate prints as nothing
            QByteArray out;
            for (const QChar c : words.join(u' '))
                out += c.isPrint() && c.unicode() < 0x80 ? QByteArray(1, static_cast<char>(c.unicode()))
                                                          : "<" + QByteArray::number(c.unicode(), 16) + ">";
            return out;
        };
        std::fprintf(stderr, "the words changed on a save:\n  %s\n  %s\n", shown(before).constData(),
                     shown(after).constData());
        __builtin_trap();
    }
    return 0;
}
