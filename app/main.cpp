#include "art/art.h"
#include "panel/program.h"
#include "platform/displaysession.h"
#include "platform/qt/desktopshell.h"
#include "platform/qt/qtclock.h"
#include "platform/qt/qtscreen.h"
#include "platform/qt/qtwindowsystem.h"
#include "platform/scaling.h"
#include "platform/singleinstance.h"
#include "platform/termination.h"
#include "settings/settingsstore.h"
#include "startup/commandline.h"
#include "startup/translation.h"

#include <QApplication>
#include <cstdio>
#include <optional>

namespace {
// Timers that ask for the shortest interval the platform allows (the sliders' tracking, the panel's
// mirror of the readings: anything under 25 ms) tick every 50 ms, on the same instants as the 50 ms
// readouts; when a tick finds nothing to do they rest until the next event, so an idle program is not
// woken at all. A slider still follows its beam at once while the beam is dragged: the beam tells it
// when it moves. Other intervals become whole 25 ms steps.
constexpr std::chrono::milliseconds kTimerGrid{25};
constexpr std::chrono::milliseconds kFastestTick{50};
constexpr int kNoDisplayExitCode = 2;
} // namespace

int main(int argc, char** argv) {
    QApplication::setApplicationName(QStringLiteral("Kalibrix"));
    QApplication::setApplicationVersion(QStringLiteral(KALIBRIX_VERSION));
    if (const std::optional<int> exitCode = kx::answerCommandLine(argc, argv)) return *exitCode;
    const bool platformChosen = kx::chooseWindowPlatform();
    std::optional<kx::WindowPlatformStart> platformStart;
    {
        // Said in the user's language: a console application is enough to load the translations.
        QCoreApplication console(argc, argv);
        kx::installTranslations(console);
        if (const QString problem = kx::displayProblem(); !problem.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(problem));
            return kNoDisplayExitCode;
        }
        platformStart.emplace(argc, argv, kNoDisplayExitCode);
    }
    kx::takeOverScaling();
    QApplication qapp(argc, argv);
    platformStart.reset();
    // The windows' class (WM_CLASS "kalibrix", "Kalibrix") and this name are what docks match with the
    // desktop entry (its StartupWMClass); every window and dialog carries the icon in every size.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Kalibrix"));
    QApplication::setWindowIcon(kx::art::applicationIconSet());
    if (platformChosen) kx::forgetChosenPlatform();
    kx::installTranslations(qapp);
    QApplication::setQuitOnLastWindowClosed(false);
    kx::QtClock clock(kTimerGrid, kFastestTick);
    kx::SingleInstance instance(clock);
    if (!instance.claim()) return 0; // the running program comes to the front instead

    kx::NativeSettingsStore settings;
    kx::QtScreen screen(settings);
    kx::QtWindowSystem windows;
    kx::DesktopShell shell;
    kx::Program program({clock, screen, windows, settings, shell});
    // Queued: a close while the panel is still loading (its load lets pending events run) comes before
    // the event loop runs, where quit() alone would be lost and leave a program without windows.
    program.app().onLastUnloaded = [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    };
    // Ending the session still saves the calibration.
    QObject::connect(&qapp, &QCoreApplication::aboutToQuit, [&program] { program.shutDown(); });
    instance.onActivationRequest = [&program] { program.bringToFront(); };
    program.start();
    // The program may be ended right after this returns (a Windows session's end): the last values
    // are written before.
    kx::TerminationRequests termination([&program] {
        program.shutDown();
        program.keepCalibration(kx::NativeSettingsStore::kFinalWait);
    });
    kx::AbruptExitGuard keepWhenTheDisplayGoes(
        [&program] { program.keepCalibration(kx::NativeSettingsStore::kFinalWait); });
    return QApplication::exec();
}
