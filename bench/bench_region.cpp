// Times the window outline of every picture the program shapes (the caliper beams and sliders, the
// folding-rule frames) at the scales of desktops, and of a worst case, a checkerboard where every
// solid pixel is a run of its own. For each it prints the median time of RegionFromPicture and the
// number of rectangles the window system receives. The folding rule builds one outline per 30 ms
// frame.

#include "art/art.h"
#include "shaped/regionfrompicture.h"

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double medianMicroseconds(int runs, const std::function<void()>& work) {
    std::vector<double> times(runs);
    for (double& time : times) {
        const auto start = std::chrono::steady_clock::now();
        work();
        time = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

QImage checkerboard(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (x + y) % 2 == 0 ? 0xffffffff : 0xff000000);
    return image;
}

void measure(const char* name, double scale, const QImage& picture, int runs) {
    const int rects = kx::RegionFromPicture(picture).value_or(QRegion()).rectCount();
    const double us = medianMicroseconds(runs, [&] { (void)kx::RegionFromPicture(picture); });
    std::printf("%-22s %3gx %4dx%-4d %7.1f us %6d rects\n", name, scale, picture.width(), picture.height(),
                us, rects);
}

struct Picture {
    const char* name;
    std::function<QImage(double)> draw;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // a bitmap is a pixmap, which needs the GUI
    std::vector<Picture> pictures{{"P11 horizontal beam", kx::art::horizontalBeam},
                                  {"P12 horizontal slider", kx::art::horizontalSlider},
                                  {"P13 vertical beam", kx::art::verticalBeam},
                                  {"P14 vertical slider", kx::art::verticalSlider}};
    static const char* const frames[] = {"F0 folding rule", "F1 folding rule", "F2 folding rule",
                                         "F3 folding rule", "F4 folding rule", "F5 folding rule"};
    for (int n = 0; n < kx::art::kRulerFrameCount; ++n)
        pictures.push_back({frames[n], [n](double scale) { return kx::art::rulerFrame(n, scale); }});
    std::printf("median of 1000 runs (checkerboards: 100)\n");
    for (double scale : {1.0, 1.5, 2.0, 3.0})
        for (const Picture& p : pictures)
            measure(p.name, scale, p.draw(scale), 1000);
    for (double scale : {1.0, 2.0})
        measure("checkerboard", scale, checkerboard(int(378 * scale), int(189 * scale)), 100);
    return 0;
}
