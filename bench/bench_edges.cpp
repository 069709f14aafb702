// Times closing the horizontal caliper's jaws on an object 40 pixels wide from a span of 1000 pixels:
// from the command to the jaws placed, the copy of the screen included. First with the synthetic
// screen on the offscreen platform, then, when a display is available, in a second run of this
// program on that display with the real screen copy and real windows.

#include "caliper/beam.h"
#include "caliper/slider.h"
#include "model/formnames.h"
#include "panel/program.h"
#include "panel/start.h"
#include "platform/fake/fakeplatform.h"
#include "platform/qt/qtscreen.h"
#include "platform/qt/qtwindowsystem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kCloses = 100;
constexpr int kSpan = 1000;
constexpr int kObjectAt = 400;  // pixels past the fixed jaw
constexpr int kObjectWidth = 40;
const QPoint kBeamAt(13, 400);  // clear of the control panel
const char* const kRealScreenArgument = "--real-screen";
constexpr int kSettled = 200; // ms: longer than a command waits after the caliper has moved

// Runs the event loop until done() or for at most `ms`.
void waitFor(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Shows the horizontal caliper with its jaws kSpan pixels apart; `drawObject` puts a black bar of
// kObjectWidth pixels across the measuring line, kObjectAt pixels past the fixed jaw.
void timeCloses(const char* label, kx::ManualClock& clock, kx::forms::Environment& env, int settle,
                const std::function<void(const kx::MeasuringLine&)>& drawObject) {
    kx::Program program(env);
    program.start();
    kx::forms::Application& app = program.app();
    auto& start = app.form<kx::Start>(kx::names::Start);
    start.Check1->setValue(1);
    auto& beam = app.form<kx::Beam>(kx::names::Form1);
    auto& slider = app.form<kx::Slider>(kx::names::Form2);
    beam.move(kBeamAt);
    kx::Module1& m = program.model();
    m.SliderOffsetX = kx::Variant::fromDouble(m.ZeroX.toDouble() + kSpan * m.PixelTwipsX.toDouble());
    waitFor([&] {
        const auto p = env.windows.placement(&beam);
        return p && p->showCmd == kx::ShowState::Normal && p->left == kBeamAt.x() && p->top == kBeamAt.y();
    });
    slider.Timer1_Timer();
    const std::optional<kx::MeasuringLine> line = slider.jaws().line(std::nullopt);
    if (!line) {
        std::printf("close on an object: %s: the caliper did not come up\n", label);
        return;
    }
    drawObject(*line);
    waitFor([] { return false; }, 500); // lets the object and the caliper be painted
    clock.advance(std::chrono::milliseconds(kSettled));
    std::vector<double> times;
    bool exact = true;
    for (int i = 0; i < kCloses; ++i) {
        const auto begin = std::chrono::steady_clock::now();
        slider.jaws().run(kx::JawCommands::Command::Close, std::nullopt);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
        const double pixels = (m.SliderOffsetX.toDouble() - m.ZeroX.toDouble()) / m.PixelTwipsX.toDouble();
        exact = exact && std::lround(pixels) == kObjectWidth;
        slider.jaws().undo();
        // Untimed: the caliper back on the screen, and what it uncovered painted again; a command
        // waits as long after a move.
        waitFor([] { return false; }, settle);
        clock.advance(std::chrono::milliseconds(kSettled));
    }
    std::sort(times.begin(), times.end());
    std::printf("close on an object from a %d-pixel span, %s (median of %d): %.3f ms (max %.3f ms)%s\n", kSpan,
                label, kCloses, times[times.size() / 2], times.back(),
                exact ? "" : " -- the reading was not the object's width");
    std::fflush(stdout);
    program.shutDown();
}

} // namespace

int main(int argc, char** argv) {
    const bool realScreen = argc > 1 && qstrcmp(argv[1], kRealScreenArgument) == 0;
    if (!realScreen) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kx::ManualClock clock;
    kx::MemorySettingsStore settings;
    kx::FakeShell shell;

    if (realScreen) {
        kx::QtScreen screen(settings);
        kx::QtWindowSystem windows;
        kx::forms::Environment env{clock, screen, windows, settings, shell};
        // White under the whole span, with the black object in it.
        QWidget backdrop(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
        backdrop.setStyleSheet(QStringLiteral("background: white"));
        QWidget object(&backdrop);
        object.setStyleSheet(QStringLiteral("background: black"));
        timeCloses(qPrintable(QStringLiteral("real screen on %1").arg(QGuiApplication::platformName())), clock, env, 200,
                   [&](const kx::MeasuringLine& line) {
                       backdrop.setGeometry(line.fixed - 50, line.across - 60, kSpan + 100, 120);
                       object.setGeometry(50 + kObjectAt, 0, kObjectWidth, 120);
                       backdrop.show();
                   });
        return 0;
    }

    kx::FakeScreen screen;
    kx::FakeWindowSystem windows;
    kx::forms::Environment env{clock, screen, windows, settings, shell};
    timeCloses("synthetic screen, offscreen platform", clock, env, 0, [&](const kx::MeasuringLine& line) {
        QImage desktop(screen.desktop().size(), QImage::Format_RGB32);
        desktop.fill(Qt::white);
        QPainter(&desktop).fillRect(line.fixed + kObjectAt, line.across - 60, kObjectWidth, 120, Qt::black);
        screen.setDesktop(desktop);
    });

    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::printf("close on an object, real screen: not measured (no DISPLAY)\n");
        return 0;
    }
    // The real screen needs the display's platform, which one process cannot switch to any more.
    QProcess child;
    QProcessEnvironment childEnv = QProcessEnvironment::systemEnvironment();
    childEnv.remove(QStringLiteral("QT_QPA_PLATFORM"));
    child.setProcessEnvironment(childEnv);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kRealScreenArgument)});
    if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        std::printf("close on an object, real screen: the run on the display failed\n");
    return 0;
}
