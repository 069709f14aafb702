#pragma once

#include <QString>
#include <chrono>

namespace kx {

// Whether the desktop is a Wayland session (its programs may reach an X server only through XWayland).
bool onWaylandSession();

// On a Wayland session Kalibrix runs through XWayland, because it places, shapes and stacks its own
// windows, which a native Wayland client cannot; a platform the user names in QT_QPA_PLATFORM wins.
// Call before the application object exists. Returns whether it chose one; then call
// forgetChosenPlatform() once the application object exists, so that programs started from Kalibrix
// (the help viewer, the web browser) pick their own.
bool chooseWindowPlatform();
void forgetChosenPlatform();

// Why no window can be shown, as one line for the user, or an empty text when one can: no display
// set, an X display that cannot be opened or whose server does not answer within `answerWithin`, a
// Wayland session without XWayland. In the program's language where its translations are installed.
QString displayProblem(std::chrono::milliseconds answerWithin = std::chrono::seconds(5));

// Qt aborts the program when the window platform it is to start (QT_QPA_PLATFORM, -platform) is not
// installed or cannot start. While this object exists such an end is one line on stderr instead, and
// the exit code `exitCode`; Qt's other messages meanwhile are held back, and passed on when it goes.
// Make it while the program's translations are installed, before the application object; let it go
// once that exists.
class WindowPlatformStart {
public:
    WindowPlatformStart(int argc, char** argv, int exitCode);
    ~WindowPlatformStart();
    WindowPlatformStart(const WindowPlatformStart&) = delete;
    WindowPlatformStart& operator=(const WindowPlatformStart&) = delete;
};

} // namespace kx
