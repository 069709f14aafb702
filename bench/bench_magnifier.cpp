// Times one refresh of the magnifier's 180 x 180 view: pointer query, clearing the view, copying the
// square around the pointer (60 x 60 at 3x, 12 x 12 at 16x), enlarging it and marking the pointer's
// pixel. First on the offscreen platform with the synthetic screen (the program's own share), then,
// when a display is available, in a second run of this program on that display with the real screen
// copy.

#include "art/art.h"
#include "magnifier/magnifier.h"
#include "platform/fake/fakeplatform.h"
#include "platform/qt/qtscreen.h"
#include "platform/qt/qtwindowsystem.h"

#include <QApplication>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRefreshes = 400;
const char* const kRealScreenArgument = "--real-screen";

void timeRefreshes(const char* label, kx::forms::Environment& env) {
    kx::forms::PictureBox view(nullptr, env);
    view.resize(184, 184); // the panel's box: 180 x 180 inside its border
    view.setPicture(kx::art::banner(QStringLiteral("https://www.example.org/kalibrix")));
    kx::Magnifier magnifier(env, view);
    for (int zoomSteps : {0, 6}) { // 3x, then 16x
        magnifier.zoomBy(zoomSteps);
        magnifier.refresh(); // warm-up
        std::vector<double> times;
        for (int i = 0; i < kRefreshes; ++i) {
            const auto start = std::chrono::steady_clock::now();
            magnifier.refresh();
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::sort(times.begin(), times.end());
        std::printf("magnifier: one refresh at %dx, %s (median of %d): %.3f ms (max %.3f ms)\n", magnifier.zoom(),
                    label, kRefreshes, times[times.size() / 2], times.back());
        std::fflush(stdout);
    }
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
        timeRefreshes(qPrintable(QStringLiteral("real screen on %1").arg(QGuiApplication::platformName())), env);
        return 0;
    }

    kx::FakeScreen screen;
    kx::FakeWindowSystem windows;
    windows.setCursorPos(QPoint(640, 400));
    kx::forms::Environment env{clock, screen, windows, settings, shell};
    timeRefreshes("synthetic screen, offscreen platform", env);

    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::printf("magnifier: one refresh, real screen: not measured (no DISPLAY)\n");
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
        std::printf("magnifier: one refresh, real screen: the run on the display failed\n");
    return 0;
}
