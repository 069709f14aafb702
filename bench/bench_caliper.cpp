// Times one tick of the slider's tracking and one tick of its readout, on the real forms and window
// layer (offscreen platform unless another one is chosen), with the calipers shown.

#include "caliper/beam.h"
#include "caliper/slider.h"
#include "model/formnames.h"
#include "panel/program.h"
#include "panel/start.h"
#include "platform/fake/fakeplatform.h"
#include "platform/qt/qtclock.h"
#include "platform/qt/qtscreen.h"
#include "platform/qt/qtwindowsystem.h"
#include "settings/settingsstore.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 5000;

// Median time of work() in microseconds; prepare() runs before each timed call, untimed. The lowest
// median of three rounds is kept, so that the first rounds' warm-up does not count.
double medianMicroseconds(const std::function<void()>& prepare, const std::function<void()>& work) {
    double best = 0;
    for (int round = 0; round < 3; ++round) {
        std::vector<double> times;
        times.reserve(Runs);
        for (int i = 0; i < Runs; ++i) {
            prepare();
            const auto start = std::chrono::steady_clock::now();
            work();
            times.push_back(
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        }
        std::nth_element(times.begin(), times.begin() + Runs / 2, times.end());
        best = round == 0 ? times[Runs / 2] : std::min(best, times[Runs / 2]);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);

    kx::QtClock clock;
    kx::QtWindowSystem windows;
    kx::MemorySettingsStore settings;
    kx::QtScreen screen(settings);
    kx::FakeShell shell;
    kx::Program program({clock, screen, windows, settings, shell});
    program.start();
    auto& app = program.app();
    auto& panel = app.form<kx::Start>(kx::names::Start);
    panel.Check1->setValue(1);
    panel.Check2->setValue(1);
    QCoreApplication::processEvents();

    // Half a second of ticks first, so that the processor runs at its working speed.
    {
        auto& slider = app.form<kx::Slider>(kx::names::Form2);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        while (std::chrono::steady_clock::now() < until) slider.Timer1_Timer();
    }
    std::printf("platform %s, lowest median of 3 rounds of %d runs, per tick:\n",
                qPrintable(QGuiApplication::platformName()), Runs);
    for (const QString& name : {kx::names::Form2, kx::names::Form42}) {
        auto& slider = app.form<kx::Slider>(name);
        auto& beam = app.form<kx::Beam>(slider.twin().beam);
        const char* axis = slider.twin().axis == kx::Axis::Horizontal ? "horizontal" : "vertical";
        auto tick = [&] { slider.Timer1_Timer(); };
        auto nothing = [] {};
        // As loaded, the offset is the zero point's text, read as a number on every tick.
        const double restingText = medianMicroseconds(nothing, tick);
        const double readoutText = medianMicroseconds(nothing, [&] { slider.Timer2_Timer(); });
        // One pixel each way on alternate ticks, as while a nudge button is held; the offset is a number
        // from now on.
        int step = 0;
        const double moving =
            medianMicroseconds([&] { ++step % 2 ? slider.Command1_Click() : slider.Command2_Click(); }, tick);
        const double resting = medianMicroseconds(nothing, tick);
        // The beam is dragged a pixel before each tick; the beam's move handling has already put the
        // slider in place, so the tick finds it there.
        int drag = 0;
        const double dragged =
            medianMicroseconds([&] { beam.move(beam.pos() + QPoint(++drag % 2 ? 1 : -1, 0)); }, tick);
        const double readout = medianMicroseconds(nothing, [&] { slider.Timer2_Timer(); });
        // True size: each tick looks up the monitor holding the beam and its density.
        panel.setTrueSize(true);
        const double readoutTrueSize = medianMicroseconds(nothing, [&] { slider.Timer2_Timer(); });
        panel.setTrueSize(false);
        // A new reading on every tick: the readout's font is chosen again each time.
        int nudge = 0;
        const double readoutChanging = medianMicroseconds(
            [&] { ++nudge % 2 ? slider.Command1_Click() : slider.Command2_Click(); }, [&] { slider.Timer2_Timer(); });
        std::printf("%s tracking tick: %.2f us at rest with the loaded text offset, %.2f us at rest with a "
                    "number, %.2f us moving the slider a pixel, %.2f us after a beam drag step\n",
                    axis, restingText, resting, moving, dragged);
        std::printf("%s readout tick: %.2f us with the loaded text offset, %.2f us with a number, %.2f us with a "
                    "new reading, %.2f us with a number in true size\n",
                    axis, readoutText, readout, readoutChanging, readoutTrueSize);
    }
    program.shutDown();
    return 0;
}
