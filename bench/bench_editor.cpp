// Times what the page editor does at every key on a long page: the caret's line and column for the
// status bar (counted from the paragraph asked about last, against a count from the page's top),
// and the cost of a page with indents at opening and saving.
#include "editor/editor.h"
#include "samplepage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// The caret's line as a plain count from the top would give it.
int linesFromTop(const PageEditor& e)
{
    int line = 0;
    const QTextBlock caret = e.textCursor().block();
    for (QTextBlock b = e.document()->begin(); b.isValid() && b != caret; b = b.next())
        line += std::max(1, b.layout()->lineCount());
    return line;
}

template <class F> double medianMs(int runs, F&& f)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        t.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int paragraphs = argc > 1 ? std::atoi(argv[1]) : 20000;
    const QString dir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/tmp");
    const QString path = dir + QStringLiteral("/diary.rtf");
    QByteArray page = sampleDiary(paragraphs, 0);
    const bool indented = argc <= 3 || std::strcmp(argv[3], "plain") != 0;
    if (indented) // every paragraph indented, as Word writes lists
        page.replace("\\pard", "\\pard\\fi-360\\li720");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(page) != page.size())
        return 1;
    f.close();
    PageEditor e;
    e.resize(600, 400);
    e.show();
    QElapsedTimer timer;
    timer.start();
    if (!e.loadDocument(path).ok())
        return 1;
    app.processEvents();
    std::printf("%d %s paragraphs, %lld KB: open %.0f ms\n", paragraphs, indented ? "indented" : "plain",
                static_cast<long long>(page.size() / 1024), timer.nsecsElapsed() / 1e6);
    e.moveCursor(QTextCursor::End);
    app.processEvents();
    const double cached = medianMs(15, [&] {
        e.insertPlainText(QStringLiteral("x"));
        (void)e.caretPosition();
    });
    const double fromTop = medianMs(15, [&] {
        e.insertPlainText(QStringLiteral("x"));
        (void)linesFromTop(e);
    });
    std::printf("a key at the end with the caret's place: %.2f ms (counted from the top: %.2f ms)\n", cached,
                fromTop);
    std::printf("save: %.0f ms\n", medianMs(3, [&] { (void)e.saveDocument(path); }));
    return 0;
}
