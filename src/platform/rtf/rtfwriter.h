#pragma once

#include <QByteArray>

class QTextDocument;

// Writes a document as RTF in the shape Windows rich-edit controls write: code page 1251, a font
// table with charsets, a colour table, \pard paragraphs; characters outside the code page as \uN?,
// pictures as \pngblip (or their original bytes), links as HYPERLINK fields, lists and tables.
class RtfWriter {
public:
    static QByteArray write(const QTextDocument& document);
};
