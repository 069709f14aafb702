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

} // namespace kx
