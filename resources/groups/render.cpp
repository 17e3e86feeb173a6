// Renders the 24 built-in group pictures from Noto Color Emoji (SIL Open Font License 1.1).
#include <QGuiApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QLinearGradient>
#include <cstdio>
int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const char* emoji[24] = {"🪴", "🌵", "🌿", "🍀", "🌱", "🌳", "🌲", "🌴", "🍁", "🍂", "🍃", "🎋",
                             "🌾", "🎍", "☘️", "🍄", "🌷", "🌹", "🌺", "🌸", "🌼", "🌻", "💐", "🥀"};
    const QColor bg[24] = {QColor(0xF4,0xEE,0xD8), QColor(0xE6,0xF2,0xDC), QColor(0xDD,0xF0,0xD8), QColor(0xE2,0xF4,0xE0),
        QColor(0xEE,0xF6,0xDF), QColor(0xDC,0xEE,0xF6), QColor(0xE4,0xEE,0xF0), QColor(0xF6,0xF0,0xD6),
        QColor(0xFA,0xE8,0xD8), QColor(0xF6,0xE6,0xD2), QColor(0xE8,0xF4,0xE6), QColor(0xE4,0xF2,0xE2),
        QColor(0xF6,0xF0,0xDC), QColor(0xEC,0xF2,0xDE), QColor(0xE0,0xF2,0xE0), QColor(0xF2,0xEA,0xE2),
        QColor(0xFC,0xE6,0xEC), QColor(0xFA,0xE2,0xE4), QColor(0xFC,0xE8,0xE0), QColor(0xFC,0xEA,0xF2),
        QColor(0xFA,0xF4,0xDA), QColor(0xFA,0xF0,0xD4), QColor(0xF4,0xE8,0xF4), QColor(0xF0,0xE4,0xE6)};
    QFont f(QStringLiteral("Noto Color Emoji"));
    f.setPixelSize(50);
    for (int i = 0; i < 24; ++i) {
        QImage img(70, 65, QImage::Format_RGB32);
        QPainter p(&img);
        QLinearGradient g(0, 0, 0, 65);
        g.setColorAt(0, bg[i].lighter(106));
        g.setColorAt(1, bg[i].darker(104));
        p.fillRect(img.rect(), g);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setFont(f);
        p.drawText(QRect(0, 0, 70, 65), Qt::AlignCenter, QString::fromUtf8(emoji[i]));
        p.setPen(QColor(0, 0, 0, 40));
        p.drawRect(0, 0, 69, 64);
        p.end();
        img.save(QStringLiteral("%1/im%2.jpg").arg(QString::fromLocal8Bit(argv[1])).arg(i + 1), "JPEG", 92);
    }
    return 0;
}
