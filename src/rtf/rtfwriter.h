#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Writes a document as RTF in the shape Windows rich-edit controls write: code page 1251, a font
// table with charsets, a colour table, \pard paragraphs; characters outside the code page as \uN?,
// pictures as \pngblip (or their original bytes), links and other fields as fields, lists as Word lists
// (\listtable), tables with their borders and column widths (nested ones too), and the groups the reader
// kept, where they stood.
class RtfWriter {
public:
    static QByteArray write(const QTextDocument& document);

    // Why bytes meant for a page would not read back cleanly (a group left open or closed twice, text
    // after the document's end, damaged escapes, and for pages up to fullReadBytes what a whole
    // reading finds); empty when they read back as written. A save checks this before any file changes.
    static QString readBackProblem(const QByteArray& bytes, qsizetype fullReadBytes = 2 * 1024 * 1024);
};
