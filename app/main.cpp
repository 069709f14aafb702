#include "panel/program.h"
#include "platform/clock.h"
#include "platform/qtwindowsystem.h"
#include "platform/settingsstore.h"

#include <QApplication>
#include <cstdio>

namespace {
// Every timer ticks on this grid, which is also the shortest interval a timer really ticks at: the
// fastest timers (tracking, the panel's mirror) then wake the program 40 times a second, and the
// 50 ms readouts, the 150 ms repeats and the 300 ms hide fall on the same wake-ups.
constexpr std::chrono::milliseconds kTimerGrid{25};
constexpr int kNoDisplayExitCode = 2;
} // namespace

int main(int argc, char** argv) {
    if (const QString problem = kx::displayProblem(); !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return kNoDisplayExitCode;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalibrix"));
    QApplication::setQuitOnLastWindowClosed(false);

    kx::QtClock clock(kTimerGrid);
    kx::QtScreen screen;
    kx::QtWindowSystem windows;
    kx::NativeSettingsStore settings;
    kx::DesktopShell shell;
    kx::Program program({clock, screen, windows, settings, shell});
    program.app().onLastUnloaded = [] { QCoreApplication::quit(); };
    // Ending the session or a termination request still saves the calibration.
    QObject::connect(&qapp, &QCoreApplication::aboutToQuit, [&program] { program.shutDown(); });
    program.start();
    return QApplication::exec();
}
