#include "search/searchtext.h"

#include "platform/codepage.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtftokenizer.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cstring>

namespace searchtext {

namespace {

// Destinations whose text is not part of the page.
bool skippedDestination(QByteArrayView w)
{
    static constexpr std::array<const char*, 22> kSkipped = {"fonttbl",    "colortbl",
                                                             "stylesheet", "info",
                                                             "pict",       "object",
                                                             "header",     "headerl",
                                                             "headerr",    "headerf",
                                                             "footer",     "footerl",
                                                             "footerr",    "footerf",
                                                             "fldinst",    "themedata",
                                                             "listtable",  "listoverridetable",
                                                             "datastore",  "latentstyles",
                                                             "xmlnstbl",   "colorschememapping"};
    for (const char* s : kSkipped)
        if (w == QByteArrayView(s, qsizetype(std::strlen(s))))
            return true;
    return false;
}

struct State {
    int codePage = 1252;
    int ucSkip = 1;
    bool skip = false;
    bool fontTable = false;
};

class Extractor {
public:
    explicit Extractor(QByteArrayView bytes) : m_tok(bytes) {}

    QString run()
    {
        std::vector<State> stack{State{}};
        bool groupOpened = false;
        for (;;) {
            const RtfTokenizer::Token t = m_tok.next();
            State& s = stack.back();
            const bool firstInGroup = groupOpened;
            groupOpened = false;
            switch (t.kind) {
            case RtfTokenizer::Kind::End:
                flush(s);
                return m_out;
            case RtfTokenizer::Kind::GroupStart:
                flush(s);
                if (stack.size() < 4096)
                    stack.push_back(s);
                else
                    ++m_overflow;
                groupOpened = true;
                break;
            case RtfTokenizer::Kind::GroupEnd:
                flush(s);
                if (m_overflow > 0)
                    --m_overflow;
                else if (stack.size() > 1)
                    stack.pop_back();
                m_pendingSkip = 0;
                break;
            case RtfTokenizer::Kind::Symbol:
                if (t.symbol == '*' && firstInGroup) {
                    s.skip = true;
                } else if (!s.skip) {
                    if (t.symbol == '~')
                        text(s, QStringView(u" "));
                    else if (t.symbol == '_')
                        text(s, QStringView(u"-"));
                    else if (t.symbol == '\\' || t.symbol == '{' || t.symbol == '}')
                        byte(s, static_cast<unsigned char>(t.symbol));
                    // "\-" (optional hyphen) stands inside a word and adds nothing
                }
                groupOpened = false;
                break;
            case RtfTokenizer::Kind::Word:
                word(stack, t, firstInGroup);
                break;
            case RtfTokenizer::Kind::Text:
                if (s.fontTable || s.skip)
                    break;
                {
                    QByteArrayView run = t.word;
                    while (m_pendingSkip > 0 && !run.isEmpty()) {
                        run = run.sliced(1);
                        --m_pendingSkip;
                    }
                    if (!run.isEmpty()) {
                        flush(s);
                        m_out += rtfcodepage::decode(run, s.codePage);
                    }
                }
                break;
            case RtfTokenizer::Kind::Hex:
                if (s.skip || s.fontTable)
                    break;
                if (m_pendingSkip > 0) {
                    --m_pendingSkip;
                    break;
                }
                byte(s, t.byte);
                break;
            case RtfTokenizer::Kind::Bin:
                break;
            }
        }
    }

private:
    void byte(const State& s, unsigned char b)
    {
        if (m_pendingCodePage != s.codePage)
            flush(s);
        m_pendingCodePage = s.codePage;
        m_pending.append(char(b));
    }
    void flush(const State&)
    {
        if (m_pending.isEmpty())
            return;
        m_out += rtfcodepage::decode(m_pending, m_pendingCodePage);
        m_pending.clear();
    }
    void text(const State& s, QStringView t)
    {
        flush(s);
        m_out += t;
    }

    void word(std::vector<State>& stack, const RtfTokenizer::Token& t, bool firstInGroup)
    {
        State& s = stack.back();
        const QByteArrayView w = t.word;
        if (firstInGroup && skippedDestination(w)) {
            if (w == "fonttbl")
                s.fontTable = true;
            else
                s.skip = true;
            return;
        }
        if (w == "ansicpg" && t.hasParam) {
            m_docCodePage = t.param;
            s.codePage = t.param;
            return;
        }
        if (s.fontTable) {
            if (w == "f" && t.hasParam)
                m_font = t.param;
            else if (w == "fcharset" && t.hasParam)
                m_fonts.insert(m_font, rtfcodepage::fromCharset(t.param, m_docCodePage));
            else if (w == "cpg" && t.hasParam)
                m_fonts.insert(m_font, t.param);
            return;
        }
        if (w == "f" && t.hasParam) {
            flush(s);
            s.codePage = m_fonts.value(t.param, m_docCodePage);
            return;
        }
        if (w == "uc" && t.hasParam) {
            s.ucSkip = std::clamp(t.param, 0, 8);
            return;
        }
        if (s.skip)
            return;
        if (w == "u" && t.hasParam) {
            const int v = t.param < 0 ? t.param + 65536 : t.param;
            text(s, QString(QChar(char16_t(std::clamp(v, 0, 0xFFFF)))));
            m_pendingSkip = s.ucSkip;
            return;
        }
        static const QHash<QByteArray, QString> kChars = {{"par", QStringLiteral("\n")},
                                                          {"line", QStringLiteral("\n")},
                                                          {"sect", QStringLiteral("\n")},
                                                          {"page", QStringLiteral("\n")},
                                                          {"row", QStringLiteral("\n")},
                                                          {"cell", QStringLiteral(" ")},
                                                          {"tab", QStringLiteral(" ")},
                                                          {"emdash", QStringLiteral("\u2014")},
                                                          {"endash", QStringLiteral("\u2013")},
                                                          {"bullet", QStringLiteral("\u2022")},
                                                          {"lquote", QStringLiteral("\u2018")},
                                                          {"rquote", QStringLiteral("\u2019")},
                                                          {"ldblquote", QStringLiteral("\u201C")},
                                                          {"rdblquote", QStringLiteral("\u201D")},
                                                          {"emspace", QStringLiteral(" ")},
                                                          {"enspace", QStringLiteral(" ")}};
        if (const auto it = kChars.constFind(w.toByteArray()); it != kChars.constEnd())
            text(s, *it);
    }

    RtfTokenizer m_tok;
    QString m_out;
    QByteArray m_pending;
    int m_pendingCodePage = 1252;
    int m_pendingSkip = 0;
    int m_overflow = 0;
    int m_docCodePage = 1252;
    int m_font = 0;
    QHash<int, int> m_fonts;
};

bool startsWord(QStringView text, qsizetype at)
{
    return at == 0 || !isWordChar(text[at - 1]);
}

} // namespace

QString fromRtf(QByteArrayView bytes)
{
    return Extractor(bytes).run();
}

QString fromPage(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\r' || bytes[i] == '\n' || bytes[i] == '\t'))
        ++i;
    if (bytes.sliced(i).startsWith("{\\rtf"))
        return fromRtf(bytes);
    return cp1251::utf8OrDecode(bytes);
}

QString fold(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            *o++ = (c.unicode() >= 'A' && c.unicode() <= 'Z') ? QChar(char16_t(c.unicode() + 32)) : c;
        else if (c == u'ё' || c == u'Ё')
            *o++ = u'е';
        else if (c.isSurrogate())
            *o++ = c;
        else
            *o++ = c.toLower();
    }
    return out;
}

QStringList queryWords(QStringView typed)
{
    const QString folded = fold(typed);
    QStringList words;
    qsizetype i = 0;
    while (i < folded.size() && words.size() < kMaxWords) {
        while (i < folded.size() && !isWordChar(folded[i]))
            ++i;
        const qsizetype start = i;
        while (i < folded.size() && isWordChar(folded[i]))
            ++i;
        if (i > start) {
            const QString w = folded.mid(start, std::min<qsizetype>(i - start, kMaxWordLength));
            if (!words.contains(w))
                words << w;
        }
    }
    return words;
}

std::vector<Span> findWords(QStringView foldedText, const QStringList& words, int limit)
{
    std::vector<Span> spans;
    for (const QString& w : words) {
        qsizetype at = 0;
        while ((at = foldedText.indexOf(w, at)) >= 0 && int(spans.size()) < limit) {
            if (startsWord(foldedText, at))
                spans.push_back({int(at), int(w.size())});
            at += w.size();
        }
    }
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.start < b.start; });
    return spans;
}

bool containsAny(QStringView foldedText, const QStringList& words)
{
    for (const QString& w : words) {
        qsizetype at = 0;
        while ((at = foldedText.indexOf(w, at)) >= 0) {
            if (startsWord(foldedText, at))
                return true;
            at += w.size();
        }
    }
    return false;
}

bool containsAll(const QStringList& foldedTexts, const QStringList& words)
{
    for (const QString& w : words) {
        const QStringList one{w};
        if (std::none_of(foldedTexts.begin(), foldedTexts.end(),
                         [&](const QString& t) { return containsAny(t, one); }))
            return false;
    }
    return !words.isEmpty();
}

Snippet snippet(const QString& text, const QStringList& words, int around)
{
    const QString folded = fold(text);
    const std::vector<Span> all = findWords(folded, words, 200);
    if (all.empty())
        return {};
    const Span first = all.front();
    qsizetype from = std::max<qsizetype>(0, first.start - around);
    qsizetype to = std::min<qsizetype>(text.size(), first.start + first.length + 2 * around);
    while (from > 0 && from > first.start - around - 15 && isWordChar(text[from - 1]))
        --from;
    while (to < text.size() && to < first.start + 3 * around + 15 && isWordChar(text[to]))
        ++to;
    Snippet s;
    const QString prefix = from > 0 ? QStringLiteral("…") : QString();
    s.text = prefix + text.mid(from, to - from) + (to < text.size() ? QStringLiteral("…") : QString());
    for (QChar& c : s.text)
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    for (const Span& m : all)
        if (m.start >= from && m.start + m.length <= to)
            s.marks.push_back({int(m.start - from + prefix.size()), m.length});
    return s;
}

} // namespace searchtext
