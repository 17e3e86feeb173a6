#pragma once

#include "rtf/rtfwriter.h"

#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

// A diary page as keepers write them: dated Cyrillic and Latin entries, bold dates, and (when
// pictures > 0) 160 x 120 photos spread evenly through it. Returned as our writer saves it.
// Brief entries are short Latin lines, about 100 bytes a paragraph.
inline QByteArray sampleDiary(int paragraphs, int pictures, bool brief = false)
{
    QTextDocument d;
    QTextCursor c(&d);
    QTextCharFormat plain, bold;
    bold.setFontWeight(QFont::Bold);
    for (int i = 0; i < paragraphs; ++i) {
        if (i)
            c.insertBlock();
        if (brief) {
            c.insertText(QStringLiteral("%1.05").arg(i % 31 + 1), bold);
            c.insertText(QStringLiteral(" watered and fed, one new leaf; turned to the light."), plain);
            continue;
        }
        c.insertText(QStringLiteral("%1 мая: ").arg(i % 31 + 1), bold);
        c.insertText(QString::fromUtf8("полив, подкормка, новый лист; watered and fed, one new leaf."),
                     plain);
        if (pictures > 0 && i % (paragraphs / pictures + 1) == 0) {
            QImage image(160, 120, QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y, qRgb((x * 7 + i) & 255, (y * 5) & 255, (x * y + i) & 255));
            const QString name = QStringLiteral("p%1").arg(i);
            d.addResource(QTextDocument::ImageResource, QUrl(name), image);
            QTextImageFormat f;
            f.setName(name);
            c.insertImage(f);
        }
    }
    return RtfWriter::write(d);
}
