// Times the plant tree and node selection in the real main window (offscreen).
//   bench_tree make PROGRAM_FOLDER    a group "Big" of 2,000 plants in 50 folders; plants carry a
//                                     30 KB description and those of the first folder a 2 MB diary
//   bench_tree time PROGRAM_FOLDER [N]
//                                     loads the tree N times, then changes node N times on the
//                                     Description page and on the Diary page; prints medians
//   bench_tree bar PROGRAM_FOLDER [N] makes 50 groups (when there are none) and times the bar build
//   bench_tree move PROGRAM_FOLDER    sends plant "Big" of group "From" to group "To" through the
//                                     window, counting the timer ticks the window handled meanwhile
#include "app/mainform.h"
#include "editor/editor.h"
#include "samplepage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
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

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QByteArray mode = argc > 2 ? argv[1] : "";
    const QString folder = argc > 2 ? QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + u'/' : QString();
    if (mode == "make") {
        const QByteArray page = sampleDiary(155, 0);
        const QByteArray diary = sampleDiary(10500, 0);
        std::printf("page %lld bytes, diary %lld bytes\n", static_cast<long long>(page.size()),
                    static_cast<long long>(diary.size()));
        bool ok = put(folder + QStringLiteral("MyPlants/Big/group.ini"), "[Group]\r\nImageOrder=1\r\n\r\n") &&
                  put(folder + QStringLiteral("main.ini"), "[Options]\r\nLastGroup=Big\r\n\r\n");
        for (int f = 0; f < 50 && ok; ++f) {
            const QString base = folder + QStringLiteral("MyPlants/Big/") +
                                 (f % 2 ? QString::fromUtf8("Папка %1") : QStringLiteral("Folder %1"))
                                     .arg(f, 2, 10, QLatin1Char('0'));
            ok = put(base + QStringLiteral("/plant.ini"), "[Main]\r\nCond=1\r\nExpanded=1\r\n\r\n");
            for (int p = 0; p < 40 && ok; ++p) {
                const QString plant =
                    base + (p % 2 ? QString::fromUtf8("/Роза %1") : QStringLiteral("/Rose %1"))
                               .arg(p, 2, 10, QLatin1Char('0'));
                ok =
                    put(plant + QStringLiteral("/plant.ini"),
                        QStringLiteral("[Main]\r\nCond=%1\r\n\r\n").arg(p % 6 == 1 ? 0 : p % 6).toLatin1()) &&
                    put(plant + QStringLiteral("/description.rtf"), page) &&
                    put(plant + QStringLiteral("/care.rtf"), QByteArray()) &&
                    (f > 0 || put(plant + QStringLiteral("/diary.rtf"), diary));
                if (ok && f > 0)
                    ok = put(plant + QStringLiteral("/diary.rtf"), QByteArray());
            }
        }
        return ok ? 0 : 1;
    }
    if (mode == "time") {
        const int n = argc > 3 ? std::max(1, atoi(argv[3])) : 9;
        TMainForm form(folder, {});
        form.resize(1200, 800);
        form.show();
        QApplication::processEvents();
        std::vector<double> loads, pages, diaries;
        for (int i = 0; i < n; ++i) {
            const auto t0 = Clock::now();
            form.loadTree(QStringLiteral("Big"));
            QApplication::processEvents(); // painted
            loads.push_back(msSince(t0));
        }
        QTreeWidgetItem* folder0 = form.TreeView1->topLevelItem(0);
        auto change = [&](std::vector<double>& into) {
            for (int i = 0; i < n; ++i) {
                const auto t0 = Clock::now();
                form.TreeView1->setCurrentItem(folder0->child(i % 2 ? 1 : 2));
                QApplication::processEvents();
                into.push_back(msSince(t0));
            }
        };
        change(pages);
        form.Button7Click();
        change(diaries);
        std::printf("tree of %d folders and %d plants: %.1f ms (median of %d)\n",
                    form.TreeView1->topLevelItemCount(),
                    form.TreeView1->topLevelItemCount() * folder0->childCount(), median(loads), n);
        std::printf("node change, 30 KB page: %.1f ms; 2 MB diary: %.1f ms (medians)\n", median(pages),
                    median(diaries));
        form.Editor->document()->setModified(false);
        return 0;
    }
    if (mode == "bar") {
        const int n = argc > 3 ? std::max(1, atoi(argv[3])) : 9;
        for (int g = 1; g <= 50; ++g)
            put(folder + QStringLiteral("MyPlants/Group %1/group.ini").arg(g, 2, 10, QLatin1Char('0')),
                QStringLiteral("[Group]\r\nColor=%1\r\nImageIndex=%2\r\nImageOrder=%3\r\n\r\n")
                    .arg(0x9FFBB1)
                    .arg(g % 24 + 1)
                    .arg(51 - g)
                    .toLatin1());
        TMainForm form(folder, {});
        form.show();
        QApplication::processEvents();
        std::vector<double> builds;
        for (int i = 0; i < n; ++i) {
            const auto t0 = Clock::now();
            form.buildGroupBar();
            QApplication::processEvents();
            builds.push_back(msSince(t0));
        }
        std::printf("group bar of %d groups built and shown: %.1f ms (median of %d)\n", form.groupCount,
                    median(builds), n);
        return 0;
    }
    if (mode == "move") {
        TMainForm form(folder, {});
        form.show();
        QApplication::processEvents();
        form.showGroup(QStringLiteral("From"), QStringLiteral("From"));
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(50);
        const auto t0 = Clock::now();
        form.N9Click(QStringLiteral("To"));
        const double ms = msSince(t0);
        std::printf(
            "moved in %.0f ms; the window handled %d timer ticks of 50 ms meanwhile (%.0f expected)\n", ms,
            ticks, ms / 50);
        form.Editor->document()->setModified(false);
        return 0;
    }
    std::fprintf(stderr, "usage: bench_tree make PROGRAM_FOLDER | time PROGRAM_FOLDER [N] | bar "
                         "PROGRAM_FOLDER [N] | move PROGRAM_FOLDER\n");
    return 2;
}
