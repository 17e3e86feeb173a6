#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

// Pages as other programs give and take them: plain text with list markers, and documents written
// elsewhere (RTF, HTML, Markdown, plain text) read into a page.
namespace pagetext {

// The page as plain text, lines ending in "\n", every list item preceded by its marker as word
// processors' text export writes it ("•" for bullets, "1.", "a.", "IV." for numbered items) and
// indented by four spaces for each level below the first.
QString withListMarkers(const QTextDocument& document);

enum class Format { Rtf, Html, Markdown, Text };

// The format of a document by its content first (RTF begins with "{\rtf"), then by its name's ending
// (.html/.htm, .md, anything else plain text).
Format formatOf(const QString& name, const QByteArray& bytes);

// Reads bytes in the given format into document. Plain text that is valid UTF-8 is UTF-8, anything
// else Windows-1251. Bytes that are no document at all (NUL bytes in text) are refused.
IoStatus read(const QByteArray& bytes, Format format, QTextDocument* document);

} // namespace pagetext
