// Times what flushing to the disk costs where the user feels it: 200 key releases in the photo
// comment box (each writes the comment file) and 200 page saves, in the real window (offscreen).
//   bench_flush PROGRAM_FOLDER    (a folder on the disk to measure, not a tmpfs)
#include "app/mainform.h"
#include "editor/editor.h"
#include "photos/photopanel.h"
#include "platform/jpegcodec.h"
#include "samplepage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

bool put(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

void report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.2f ms, 90th %.2f ms, worst %.2f ms (%zu)\n", what, ms[ms.size() / 2],
                ms[ms.size() * 9 / 10], ms.back(), ms.size());
}

template <typename F> double timed(F f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_flush PROGRAM_FOLDER\n");
        return 2;
    }
    const QString pf = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + u'/';
    QImage photo(1600, 1200, QImage::Format_RGB888);
    photo.fill(qRgb(40, 150, 60));
    put(pf + QStringLiteral("MyPlants/G/group.ini"), "[Group]\r\nImageOrder=1\r\n\r\n");
    put(pf + QStringLiteral("MyPlants/G/P/plant.ini"), "[Main]\r\nCond=0\r\n\r\n");
    put(pf + QStringLiteral("MyPlants/G/P/description.rtf"), sampleDiary(150, 0));
    put(pf + QStringLiteral("MyPlants/G/P/p1.jpg"), jpegcodec::encode(photo, 90));
    put(pf + QStringLiteral("main.ini"), "[Options]\r\nLastGroup=G\r\n\r\n");

    TMainForm form(pf, {});
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    form.TreeView1->setCurrentItem(form.TreeView1->topLevelItem(0));
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    QTextEdit* memo = form.Panel6->Memo1;
    std::vector<double> keys;
    for (int i = 0; i < 200; ++i)
        keys.push_back(timed([&] { QTest::keyClick(memo, static_cast<char>('a' + i % 26)); }));
    report("comment key (press and release, which writes the comment)", keys);

    QTest::mouseClick(form.Button4, Qt::LeftButton);
    std::vector<double> saves;
    for (int i = 0; i < 200; ++i) {
        QTest::keyClick(form.Editor, 'x');
        saves.push_back(timed([&] { form.FileSave(); }));
    }
    std::printf(
        "page of %lld bytes\n",
        static_cast<long long>(QFileInfo(pf + QStringLiteral("MyPlants/G/P/description.rtf")).size()));
    report("page save", saves);
    form.close();
    return 0;
}
