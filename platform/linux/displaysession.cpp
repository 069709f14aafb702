#include "platform/displaysession.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QtGlobal>
#include <xcb/xcb.h>

namespace kx {

namespace {
const char* const kPlatformVariable = "QT_QPA_PLATFORM";
const QByteArray kXcb = QByteArrayLiteral("xcb");

// The plugin name of a QT_QPA_PLATFORM value ("xcb:option=1;offscreen" names xcb first).
QByteArray firstPlatform(const QByteArray& value) {
    const QByteArray name = value.split(';').value(0);
    const qsizetype options = name.indexOf(':');
    return (options < 0 ? name : name.left(options)).trimmed();
}
} // namespace

bool onWaylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
}

bool chooseWindowPlatform() {
    if (!onWaylandSession() || !qEnvironmentVariableIsEmpty(kPlatformVariable)) return false;
    return qputenv(kPlatformVariable, kXcb);
}

QString displayProblem() {
    const QByteArray platform = firstPlatform(qgetenv(kPlatformVariable));
    if (!platform.isEmpty() && platform != kXcb) return {}; // the user's choice; Qt reports its own problems
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) {
        if (onWaylandSession())
            return QCoreApplication::translate(
                "Kalibrix", "Kalibrix needs XWayland on a Wayland desktop, and there is no X display "
                            "(DISPLAY is empty): enable XWayland in the desktop's settings.");
        if (platform.isEmpty())
            return QCoreApplication::translate(
                "Kalibrix", "Kalibrix needs a graphical desktop: no display is set (DISPLAY is empty); "
                            "start it from a desktop session, set DISPLAY, or run scripts/run, which "
                            "starts a virtual display.");
        return QCoreApplication::translate("Kalibrix",
                                           "Kalibrix cannot open an X display: DISPLAY is empty.");
    }
    // Qt aborts when the display it was given cannot be opened; ask first.
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (failed)
        return onWaylandSession()
                   ? QCoreApplication::translate(
                         "Kalibrix",
                         "Kalibrix cannot open the X display \"%1\" (DISPLAY): is XWayland running "
                         "on this Wayland desktop?")
                         .arg(display)
                   : QCoreApplication::translate(
                         "Kalibrix",
                         "Kalibrix cannot open the X display \"%1\" (DISPLAY): no X server answers "
                         "there, or it refuses the connection.")
                         .arg(display);
    return {};
}

} // namespace kx
