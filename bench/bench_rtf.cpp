// The page codec from the command line, for timing it and for checking our output in other programs.
//   bench_rtf text FILE.rtf         prints the page's text
//   bench_rtf resave IN.rtf OUT.rtf reads a page and writes it back as we save pages
//   bench_rtf time FILE.rtf [N]     reads and writes the page N times, prints MB/s of each
//   bench_rtf show FILE.rtf         opens the page in the page editor and prints the time to its first paint
//   bench_rtf make FILE.rtf PARAGRAPHS PICTURES
//                                   writes a diary of that many formatted paragraphs and pictures
//   bench_rtf make-brief FILE.rtf PARAGRAPHS PICTURES
//                                   the same with short entries, about 100 bytes a paragraph
#include "editor/editor.h"
#include "rtf/rtfreader.h"
#include "rtf/rtfwriter.h"
#include "samplepage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <chrono>
#include <cstdio>

namespace {

QByteArray load(const char* path)
{
    QFile f(QString::fromLocal8Bit(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QByteArray mode = argc > 2 ? argv[1] : "";
    if (mode == "text") {
        QTextDocument d;
        const RtfReader::Result r = RtfReader::read(load(argv[2]), &d);
        std::fputs(d.toPlainText().toUtf8().constData(), stdout);
        std::fputs("\n", stdout);
        return r.ok ? 0 : 1;
    }
    if (mode == "resave" && argc == 4) {
        QTextDocument d;
        RtfReader::read(load(argv[2]), &d);
        QFile out(QString::fromLocal8Bit(argv[3]));
        const QByteArray bytes = RtfWriter::write(d);
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? 0 : 1;
    }
    if (mode == "time") {
        const QByteArray bytes = load(argv[2]);
        const int n = argc > 3 ? std::max(1, atoi(argv[3])) : 5;
        using clock = std::chrono::steady_clock;
        double readS = 0, writeS = 0;
        qsizetype written = 0;
        for (int i = 0; i < n; ++i) {
            QTextDocument d;
            auto t0 = clock::now();
            RtfReader::read(bytes, &d);
            auto t1 = clock::now();
            written = RtfWriter::write(d).size();
            auto t2 = clock::now();
            readS += std::chrono::duration<double>(t1 - t0).count();
            writeS += std::chrono::duration<double>(t2 - t1).count();
        }
        const double mb = bytes.size() / 1e6;
        std::printf("read %.2f MB in %.4f s (%.1f MB/s); write %.2f MB in %.4f s (%.1f MB/s)\n", mb,
                    readS / n, mb * n / readS, written / 1e6, writeS / n, written / 1e6 * n / writeS);
        return 0;
    }
    if (mode == "show") {
        // The window is up with an empty page, as at start-up; then the page is opened.
        PageEditor editor;
        editor.resize(900, 700);
        editor.show();
        QApplication::processEvents();
        QElapsedTimer timer;
        struct Painted : QObject {
            QElapsedTimer* timer = nullptr;
            qint64 at = -1; // ms to the first paint
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (at < 0 && e->type() == QEvent::Paint)
                    at = timer->elapsed();
                return false;
            }
        } painted;
        painted.timer = &timer;
        editor.viewport()->installEventFilter(&painted);
        timer.start();
        const IoStatus s = editor.loadDocument(QString::fromLocal8Bit(argv[2]));
        const qint64 loaded = timer.elapsed();
        editor.viewport()->update();
        while (painted.at < 0)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        std::printf("first paint after %lld ms, read whole and shown in %lld ms (%d paragraphs)\n",
                    static_cast<long long>(painted.at), static_cast<long long>(loaded),
                    editor.document()->blockCount());
        return s.ok() ? 0 : 1;
    }
    if ((mode == "make" || mode == "make-brief") && argc == 5) {
        QFile out(QString::fromLocal8Bit(argv[2]));
        const QByteArray bytes = sampleDiary(atoi(argv[3]), std::max(1, atoi(argv[4])), mode == "make-brief");
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? 0 : 1;
    }
    std::fprintf(stderr, "usage: bench_rtf text FILE | resave IN OUT | time FILE [N]\n");
    return 2;
}
