// Times one frame of the folding rule as the animation ticks show it: the outline is removed, the
// frame becomes Picture1's picture and the outline is rebuilt from it. Runs on the offscreen platform
// with the recording window system, so the figure is the program's own work (picture change and
// region build), not the window system's.

#include "art/art.h"
#include "shaped/regionfrompicture.h"
#include "tests/support/testprogram.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kCycles = 200;

struct Figures {
    double median = 0, max = 0;
    int samples = 0;
};

Figures summarise(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back(), static_cast<int>(times.size())};
}

double microseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

// Times the ticks of one animation timer that show a frame; the ticks that only reset the counter
// are left out.
Figures timeTicks(kx::Zollstock& z, void (kx::Zollstock::*tick)(), std::int16_t (kx::Zollstock::*counter)() const,
                  std::int16_t resetAt) {
    std::vector<double> times;
    for (int i = 0; i < kCycles * 6; ++i) {
        const bool shows = (z.*counter)() != resetAt;
        const double us = microseconds([&] { (z.*tick)(); });
        if (shows) times.push_back(us);
    }
    return summarise(times);
}

void print(const char* label, const Figures& f) {
    std::printf("%s (median of %d): %.1f us (max %.1f us)\n", label, f.samples, f.median, f.max);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kx::test::TestProgram p;
    p.start();
    kx::Zollstock& z = p.zollstock();

    print("folding rule: unfold tick showing one frame with its new outline",
          timeTicks(z, &kx::Zollstock::Timer1_Timer, &kx::Zollstock::unfoldFrame, 6));
    print("folding rule: fold tick showing one frame with its new outline",
          timeTicks(z, &kx::Zollstock::Timer2_Timer, &kx::Zollstock::foldFrame, -1));

    for (int n : {0, 3, 5}) {
        const QImage frame = kx::art::rulerFrame(n);
        std::vector<double> times;
        for (int i = 0; i < kCycles; ++i) times.push_back(microseconds([&] { (void)kx::RegionFromPicture(frame); }));
        const QByteArray label = QStringLiteral("folding rule: outline of F%1 alone").arg(n).toLatin1();
        print(label.constData(), summarise(times));
    }
    return 0;
}
