// Times SmoothResize beside QImage::scaled(..., Qt::SmoothTransformation) on the same pictures in
// the same run: a 4000 x 3000 photo to 400 x 300 and a 140 x 130 picture to 70 x 65.
#include "groups/smoothresize.h"

#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

QImage photo(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        uchar* row = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            row[3 * x] = uchar(x * 7 + y);
            row[3 * x + 1] = uchar(y * 3 ^ x);
            row[3 * x + 2] = uchar((x * y) >> 4);
        }
    }
    return img;
}

template <typename F> double medianSeconds(int rounds, F f)
{
    std::vector<double> t;
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

void run(int sw, int sh, int w, int h, int rounds)
{
    const QImage src = photo(sw, sh);
    volatile int sink = 0;
    const double ours = medianSeconds(rounds, [&] { sink = sink + SmoothResize(src, w, h).width(); });
    const double qt = medianSeconds(rounds, [&] {
        sink = sink + src.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).width();
    });
    const double mp = double(sw) * sh / 1e6;
    std::printf(
        "%d x %d -> %d x %d: SmoothResize %.3f ms (%.0f source MP/s), QImage::scaled %.3f ms; ratio %.2f\n",
        sw, sh, w, h, ours * 1e3, mp / ours, qt * 1e3, ours / qt);
}

} // namespace

int main()
{
    run(4000, 3000, 400, 300, 15);
    run(140, 130, 70, 65, 2001);
    return 0;
}
