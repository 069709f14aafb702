// Times drawing the artwork at the scales of desktops. For the caliper pictures it also times the
// window outline that follows each new picture: a caliper moved to a monitor of another scale is
// re-drawn and re-shaped, and both together should take well under 5 ms.

#include "art/art.h"
#include "shaped/regionfrompicture.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double medianMilliseconds(int runs, const std::function<void()>& work) {
    std::vector<double> times(runs);
    for (double& time : times) {
        const auto start = std::chrono::steady_clock::now();
        work();
        time = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

struct Caliper {
    const char* name;
    QImage (*draw)(double);
};

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // the banner's letters need the font machinery
    constexpr int kRuns = 50;
    const Caliper calipers[] = {{"P11 horizontal beam", kx::art::horizontalBeam},
                                {"P12 horizontal slider", kx::art::horizontalSlider},
                                {"P13 vertical beam", kx::art::verticalBeam},
                                {"P14 vertical slider", kx::art::verticalSlider}};
    for (double scale : {1.0, 1.5, 2.0, 3.0}) {
        for (const Caliper& c : calipers) {
            QImage picture;
            const double draw = medianMilliseconds(kRuns, [&] { picture = c.draw(scale); });
            int rects = 0;
            const double both = medianMilliseconds(
                kRuns, [&] { rects = kx::RegionFromPicture(c.draw(scale)).value_or(QRegion()).rectCount(); });
            std::printf("%s at %gx (%dx%d): drawn in %.2f ms, drawn and outlined (%d rects) in %.2f ms, "
                        "median of %d\n",
                        c.name, scale, picture.width(), picture.height(), draw, rects, both, kRuns);
        }
    }
    for (double scale : {1.0, 2.0}) {
        const double frames = medianMilliseconds(10, [&] {
            for (int n = 0; n < kx::art::kRulerFrameCount; ++n)
                kx::art::rulerFrame(n, scale);
        });
        const double rest = medianMilliseconds(10, [&] {
            kx::art::horizontalCaliperIcon(scale);
            kx::art::verticalCaliperIcon(scale);
            kx::art::magnifierIcon(scale);
            kx::art::setSquareIcon(scale);
            kx::art::crossIcon(scale);
            kx::art::questionMarkIcon(scale);
            kx::art::rulerStrip(scale);
            kx::art::banner(QStringLiteral("https://www.example.org/kalibrix"), scale);
            kx::art::bannerUpsideDown(QStringLiteral("https://www.example.org/kalibrix"), scale);
            kx::art::nudgeButtonFace(scale);
            kx::art::pointingHandCursor(scale);
            kx::art::openHandCursor(scale);
            kx::art::grabbingHandCursor(scale);
        });
        std::printf("at %gx: the six folding-rule frames in %.1f ms, the icons, cursors, banners and ruler "
                    "strip in %.1f ms, median of 10\n",
                    scale, frames, rest);
    }
    return 0;
}
