#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QObject>
#include <QTextObjectInterface>

class QTextDocument;

// Groups the page cannot show but must not lose (footnotes, comments, headers and footers) are kept
// as RTF and written back where they stood. In the text they stand as one object character that
// draws its mark (a footnote's number).
namespace rtfkept {

inline constexpr int kObjectType = QTextFormat::UserObject + 24;
// The mark a comment shows (a footnote shows its number).
inline constexpr char16_t kCommentMark = 0x270E;

// The group rewritten so it reads the same in any file: its text as ASCII and \uN, without the
// font, colour, style and list numbers of the file it came from. fontCodePages maps \fN to code pages.
QByteArray portableGroup(QByteArrayView group, const QHash<int, int>& fontCodePages, int codePage);

// Text as portable RTF: ASCII, \uN? for the rest, "\\", "\{" and "\}" escaped, tabs and line breaks as words.
QByteArray escapedText(const QString& text);

// Lets document draw the marks of kept groups.
void registerHandler(QTextDocument* document);

class Handler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;
    QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                    const QTextFormat& format) override;
};

} // namespace rtfkept
