// Times drawing a caliper again for a monitor of another scale: moved from a 100 % monitor onto a 200 %
// one beside it and back, the beam and its slider are laid out, drawn and shaped anew. Runs on the
// offscreen platform with the recording window system, so the figure is the program's own work (layout,
// pictures, outlines), not the window system's.

#include "tests/support/testprogram.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kRoundTrips = 50;
constexpr int kRounds = 3;
const QRect kLeft(0, 0, 1280, 800);
const QRect kRight(1280, 0, 1280, 800);

double median(std::vector<double> times) {
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);

    kx::test::TestProgram t;
    t.screen.setScreens({{QStringLiteral("LEFT"), kLeft, kLeft, 1.0, {}, true, {}},
                         {QStringLiteral("RIGHT"), kRight, kRight, 2.0, {}, false, {}}});
    t.start();
    t.start_().Check1->setValue(1);
    t.start_().Check2->setValue(1);

    std::printf("platform %s, %d rounds of %d round trips between a 100 %% and a 200 %% monitor, beam and slider "
                "together; lowest round's median time elapsed, and median processor time (less disturbed by a busy "
                "machine):\n",
                qPrintable(QGuiApplication::platformName()), kRounds, kRoundTrips);
    for (kx::Beam* beam : {&t.form1(), &t.form31()}) {
        double elapsed[2] = {0, 0};
        std::vector<double> processor[2];
        for (int round = 0; round < kRounds; ++round) {
            std::vector<double> times[2];
            for (int i = 0; i < 2 * kRoundTrips; ++i) {
                // A move that puts the beam's centre on the other monitor draws it again there: [0] for 200 %,
                // [1] for 100 %.
                const int to = i % 2;
                const auto start = std::chrono::steady_clock::now();
                const std::clock_t cpuStart = std::clock();
                beam->move(to == 0 ? kRight.topLeft() + QPoint(220, 100) : QPoint(100, 100));
                processor[to].push_back(1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
                times[to].push_back(
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
                if (beam->scale() != (to == 0 ? 2.0 : 1.0)) {
                    std::printf("%s was not drawn again for the monitor it was moved to\n", qPrintable(beam->formName()));
                    return 1;
                }
            }
            for (int to : {0, 1}) elapsed[to] = round == 0 ? median(times[to]) : std::min(elapsed[to], median(times[to]));
        }
        std::printf("%s caliper drawn again and re-shaped: for 200 %% %.2f ms (processor %.2f ms), for 100 %% %.2f ms "
                    "(processor %.2f ms)\n",
                    beam == &t.form1() ? "horizontal" : "vertical", elapsed[0], median(processor[0]), elapsed[1],
                    median(processor[1]));
    }
    t.program->shutDown();
    return 0;
}
