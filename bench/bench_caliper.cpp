// Times one tick of the slider's tracking and one tick of its readout, on the real forms and window
// layer (offscreen platform unless another one is chosen), with the calipers shown.

#include "caliper/beam.h"
#include "caliper/slider.h"
#include "panel/formnames.h"
#include "panel/program.h"
#include "panel/start.h"
#include "platform/clock.h"
#include "platform/fakeplatform.h"
#include "platform/qtwindowsystem.h"
#include "platform/settingsstore.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 5000;

// Median time of work() in microseconds; prepare() runs before each timed call, untimed.
double medianMicroseconds(const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> times;
    times.reserve(Runs);
    for (int i = 0; i < Runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + Runs / 2, times.end());
    return times[Runs / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);

    kx::QtClock clock;
    kx::QtScreen screen;
    kx::QtWindowSystem windows;
    kx::MemorySettingsStore settings;
    kx::FakeShell shell;
    kx::Program program({clock, screen, windows, settings, shell});
    program.start();
    auto& app = program.app();
    auto& panel = app.form<kx::Start>(kx::names::Start);
    panel.Check1->setValue(1);
    panel.Check2->setValue(1);
    QCoreApplication::processEvents();

    std::printf("platform %s, %d runs each, median per tick:\n", qPrintable(QGuiApplication::platformName()), Runs);
    for (const QString& name : {kx::names::Form2, kx::names::Form42}) {
        auto& slider = app.form<kx::Slider>(name);
        auto& beam = app.form<kx::Beam>(slider.twin().beam);
        const char* axis = slider.twin().axis == kx::Axis::Horizontal ? "horizontal" : "vertical";
        for (int i = 0; i < Runs; ++i) slider.Timer1_Timer(); // warm up
        const double resting = medianMicroseconds([] {}, [&] { slider.Timer1_Timer(); });
        // The slider moves one pixel on every tick, back and forth, as while a nudge button is held.
        int step = 0;
        const double moving = medianMicroseconds(
            [&] { ++step % 2 ? slider.Command1_Click() : slider.Command2_Click(); }, [&] { slider.Timer1_Timer(); });
        // The beam is dragged by a pixel before each tick (the move itself is not timed, but it already
        // puts the slider in place, as the beam's move handling does).
        int drag = 0;
        const double dragged = medianMicroseconds([&] { beam.move(beam.pos() + QPoint(++drag % 2 ? 1 : -1, 0)); },
                                                  [&] { slider.Timer1_Timer(); });
        const double readout = medianMicroseconds([] {}, [&] { slider.Timer2_Timer(); });
        std::printf("%s tracking tick: %.2f us at rest, %.2f us moving the slider, %.2f us after a beam drag "
                    "step; readout tick: %.2f us\n",
                    axis, resting, moving, dragged, readout);
    }
    program.shutDown();
    return 0;
}
