#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Splits RTF bytes into groups, control words and symbols, text runs, \'hh bytes and \bin data.
// Parameters are clamped to the 32-bit range; \bin never reaches past the bytes actually present.
class RtfTokenizer {
public:
    enum class Kind { GroupStart, GroupEnd, Word, Symbol, Text, Hex, Bin, End };
    struct Token {
        Kind kind = Kind::End;
        QByteArrayView word; // control word name, or the text of a run
        bool hasParam = false;
        int param = 0;
        char symbol = 0;        // \~ \- \_ \{ \} \\ and friends
        unsigned char byte = 0; // \'hh
        QByteArrayView data;    // \bin payload
    };

    explicit RtfTokenizer(QByteArrayView bytes) : m_bytes(bytes) {}
    Token next();
    // Set when a \bin asked for more bytes than the file holds or a \'hh escape was not hex.
    bool damaged() const { return m_damaged; }
    qsizetype position() const { return m_pos; }
    // In a double-byte code page a raw lead byte takes the byte after it, even a \\, { or }.
    void setCodePage(int codePage) { m_codePage = codePage; }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    qsizetype m_pendingBin = -1;
    bool m_damaged = false;
    int m_codePage = 0;
};
