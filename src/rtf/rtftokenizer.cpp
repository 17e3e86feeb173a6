#include "rtf/rtftokenizer.h"

#include "rtf/rtfcodepage.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Bytes that end a run of text.
constexpr auto kStops = [] {
    std::array<bool, 256> a{};
    for (const unsigned char c : {'\\', '{', '}', '\r', '\n'})
        a[c] = true;
    return a;
}();

} // namespace

RtfTokenizer::Token RtfTokenizer::next()
{
    Token t;
    const qsizetype n = m_bytes.size();
    if (m_pendingBin >= 0) {
        const qsizetype len = std::min(m_pendingBin, n - m_pos);
        if (len < m_pendingBin)
            m_damaged = true;
        t.kind = Kind::Bin;
        t.data = m_bytes.sliced(m_pos, len);
        m_pos += len;
        m_pendingBin = -1;
        return t;
    }
    while (m_pos < n) {
        const char c = m_bytes[m_pos];
        if (c == '\r' || c == '\n') { // line ends in RTF source carry no meaning
            ++m_pos;
            continue;
        }
        if (c == '{') {
            ++m_pos;
            t.kind = Kind::GroupStart;
            return t;
        }
        if (c == '}') {
            ++m_pos;
            t.kind = Kind::GroupEnd;
            return t;
        }
        if (c == '\\') {
            if (m_pos + 1 >= n) {
                ++m_pos;
                return t;
            }
            const char d = m_bytes[m_pos + 1];
            if (isAlpha(d)) {
                qsizetype p = m_pos + 1;
                while (p < n && isAlpha(m_bytes[p]) && p - m_pos <= 32)
                    ++p;
                t.kind = Kind::Word;
                t.word = m_bytes.sliced(m_pos + 1, p - m_pos - 1);
                bool negative = false;
                if (p < n && m_bytes[p] == '-' && p + 1 < n && isDigit(m_bytes[p + 1])) {
                    negative = true;
                    ++p;
                }
                if (p < n && isDigit(m_bytes[p])) {
                    long long v = 0;
                    while (p < n && isDigit(m_bytes[p])) {
                        if (v < std::numeric_limits<int>::max())
                            v = v * 10 + (m_bytes[p] - '0');
                        ++p;
                    }
                    if (negative)
                        v = -v;
                    v = std::clamp<long long>(v, std::numeric_limits<int>::min(),
                                              std::numeric_limits<int>::max());
                    t.hasParam = true;
                    t.param = static_cast<int>(v);
                }
                if (p < n && m_bytes[p] == ' ')
                    ++p; // the delimiting space belongs to the control word
                m_pos = p;
                if (t.word == "bin" && t.hasParam)
                    m_pendingBin = std::max(0, t.param);
                return t;
            }
            if (d == '\'') {
                m_pos += 2;
                const int hi = m_pos < n ? hexValue(m_bytes[m_pos]) : -1;
                const int lo = m_pos + 1 < n ? hexValue(m_bytes[m_pos + 1]) : -1;
                if (hi < 0 || lo < 0) {
                    m_damaged = true;
                    continue; // an invalid escape is dropped, the text after it is kept
                }
                m_pos += 2;
                t.kind = Kind::Hex;
                t.byte = static_cast<unsigned char>(hi * 16 + lo);
                return t;
            }
            if (d == '\r' || d == '\n') { // "\" before a line end is a paragraph mark
                m_pos += 2;
                t.kind = Kind::Word;
                t.word = "par";
                return t;
            }
            m_pos += 2;
            t.kind = Kind::Symbol;
            t.symbol = d;
            return t;
        }
        qsizetype p = m_pos;
        const char* bytes = m_bytes.data();
        if (rtfcodepage::isDoubleByte(m_codePage)) {
            // A trail byte may be \\, { or }; but a lead byte before an escape ("\\'5c", "\\\\") is
            // completed by that escape, and the reader joins the two.
            auto takesTrail = [&](qsizetype at) {
                if (at + 1 >= n || bytes[at + 1] == '\r' || bytes[at + 1] == '\n')
                    return false;
                if (bytes[at + 1] != '\\' || at + 2 >= n)
                    return true;
                const char after = bytes[at + 2];
                return after != '\'' && after != '\\' && after != '{' && after != '}';
            };
            while (p < n && !kStops[static_cast<unsigned char>(bytes[p])])
                p +=
                    rtfcodepage::isLeadByte(m_codePage, static_cast<unsigned char>(bytes[p])) && takesTrail(p)
                        ? 2
                        : 1;
        } else {
            while (p < n && !kStops[static_cast<unsigned char>(bytes[p])])
                ++p;
        }
        t.kind = Kind::Text;
        t.word = m_bytes.sliced(m_pos, p - m_pos);
        m_pos = p;
        return t;
    }
    t.kind = Kind::End;
    return t;
}
