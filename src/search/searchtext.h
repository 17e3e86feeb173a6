#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

// Text as search sees it: the words of a page file, folded so that letter case and "ё"/"е" do not
// matter, and the word-prefix matching the whole search shares.
namespace searchtext {

// The text of a page file: RTF (formatting inside a word never splits it; hidden destinations such
// as the font table, pictures and field instructions are left out), or plain text (UTF-8 when valid,
// else Windows-1251). Damaged RTF gives whatever could be read.
QString fromPage(QByteArrayView bytes);
QString fromRtf(QByteArrayView bytes);

// Lower case and "ё" as "е", one character for one, so positions in the folded text are positions in
// the original.
QString fold(QStringView text);
inline bool isWordChar(QChar c)
{
    return c.isLetterOrNumber();
}

// The folded words of what the user typed: quotes, operators, '*' and other punctuation only
// separate words. At most kMaxWords words of at most kMaxWordLength characters.
inline constexpr int kMaxWords = 16;
inline constexpr int kMaxWordLength = 64;
QStringList queryWords(QStringView typed);

struct Span {
    int start = 0;
    int length = 0;
};
// Where any of words (folded) begins a word of folded text, in text order.
std::vector<Span> findWords(QStringView foldedText, const QStringList& words, int limit = 1000);
// Whether each of words begins some word of one of texts (folded).
bool containsAll(const QStringList& foldedTexts, const QStringList& words);
bool containsAny(QStringView foldedText, const QStringList& words);

// A short piece of text around its first match, with the matches inside it; empty when none.
struct Snippet {
    QString text;
    std::vector<Span> marks;
};
Snippet snippet(const QString& text, const QStringList& words, int around = 50);

} // namespace searchtext
