#include "../support/tempprogramfolder.h"
#include "photos/album.h"
#include "platform/jpegcodec.h"
#include "platform/picturefile.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

using namespace Qt::StringLiterals;

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage filled(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(c);
    return img;
}

} // namespace

TEST(Album, PhotosAndTheirCommentFiles)
{
    TempProgramFolder pf;
    for (const char* name : {"b.JPG", "a.bmp", "c.jpeg", "d.gif", "notes.txt", "Ä.jpg", "z.jpg"})
        pf.write(u"node/"_s + QString::fromUtf8(name), "x");
    pf.mkdir(u"node/folder.jpg"_s);
    const QStringList photos = album::listPhotos(pf.file(u"node"_s));
    EXPECT_EQ(photos, QStringList({u"a.bmp"_s, u"Ä.jpg"_s, u"b.JPG"_s, u"d.gif"_s, u"z.jpg"_s}))
        << "case-insensitive, by the locale's collation; folders and other extensions are not photos";

    // The comment file: the whole photo name + .txt, Windows-1251, CR LF between lines, none at the end.
    // (The window's tests make, keep and fail to write comments.)
    const QString rose = pf.file(u"node/rose.jpg"_s);
    ASSERT_TRUE(album::writeComment(rose, u"цветёт\nв мае"_s).ok());
    EXPECT_EQ(pf.read(u"node/rose.jpg.txt"_s), QByteArray("\xf6\xe2\xe5\xf2\xb8\xf2\r\n\xe2 \xec\xe0\xe5"));
    pf.write(u"node/rose.jpg.txt"_s, "one\rtwo\nthree\r\nfour");
    QString text;
    ASSERT_TRUE(album::readComment(rose, &text).ok());
    EXPECT_EQ(text, u"one\ntwo\nthree\nfour"_s);
}

TEST(Album, PhotosThatCannotBeShownSaySoAndLargeOnesAreDecodedSmaller)
{
    TempProgramFolder pf;
    const QByteArray jpeg = jpegcodec::encode(filled(4000, 3000, QColor(30, 160, 60)), 80);
    pf.write(u"big.jpg"_s, jpeg);
    QString error;
    QSize full;
    const QImage shown = picturefile::read(pf.file(u"big.jpg"_s), QSize(1920, 1200), &error, &full);
    EXPECT_EQ(full, QSize(4000, 3000));
    EXPECT_EQ(shown.size(), QSize(2000, 1500)) << "half scale still covers the panel";
    EXPECT_EQ(picturefile::read(pf.file(u"big.jpg"_s), QSize(), &error).size(), QSize(4000, 3000));

    pf.write(u"bmp.jpg"_s, encoded(filled(30, 20, Qt::red), "BMP")); // a bitmap named .jpg
    EXPECT_EQ(picturefile::read(pf.file(u"bmp.jpg"_s), QSize(), &error).size(), QSize(30, 20));

    struct Bad {
        const char* name;
        QByteArray bytes;
        const char* says;
    };
    QByteArray hugeBmp = encoded(filled(4, 4, Qt::green), "BMP");
    const qint32 side = 100000;
    memcpy(hugeBmp.data() + 18, &side, 4);
    memcpy(hugeBmp.data() + 22, &side, 4);
    for (const Bad& bad : {Bad{"empty.jpg", QByteArray(), "empty"},
                           Bad{"broken.jpg", QByteArray("\xff\xd8\xff\xe0 no", 7), "cannot be shown"},
                           Bad{"huge.bmp", hugeBmp, "100000 x 100000"},
                           Bad{"text.gif", QByteArray("hello"), "cannot be shown"}}) {
        pf.write(QString::fromLatin1(bad.name), bad.bytes);
        error.clear();
        EXPECT_TRUE(
            picturefile::read(pf.file(QString::fromLatin1(bad.name)), QSize(800, 600), &error).isNull())
            << bad.name;
        EXPECT_TRUE(error.contains(QString::fromLatin1(bad.says))) << bad.name << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromLatin1(bad.name))) << "the message names the photo";
    }
    // A truncated JPEG shows what it holds.
    pf.write(u"cut.jpg"_s, jpeg.left(jpeg.size() / 2));
    EXPECT_EQ(picturefile::read(pf.file(u"cut.jpg"_s), QSize(), &error).size(), QSize(4000, 3000));
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
