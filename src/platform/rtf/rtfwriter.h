#pragma once

#include <QByteArray>

class QTextDocument;

// Writes a document as RTF in the shape Windows rich-edit controls write: code page 1251, a font
// table with charsets, a colour table, \pard paragraphs; characters outside the code page as \uN?,
// pictures as \pngblip (or their original bytes), links and other fields as fields, lists as Word lists
// (\listtable), tables with their borders and column widths (nested ones too), and the groups the reader
// kept, where they stood.
class RtfWriter {
public:
    static QByteArray write(const QTextDocument& document);
};
