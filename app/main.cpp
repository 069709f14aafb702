#include "panel/program.h"
#include "platform/clock.h"
#include "platform/qtwindowsystem.h"
#include "platform/settingsstore.h"

#include <QApplication>
#include <cstdio>

namespace {
// The shortest interval a timer really ticks at; shorter ones are the platform's to stretch.
constexpr std::chrono::milliseconds kShortestTick{10};
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

    kx::QtClock clock(kShortestTick);
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
