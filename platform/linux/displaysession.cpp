#include "platform/displaysession.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QtGlobal>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
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

enum class XAnswer { Opened, Refused, Silent };

// Opens the X display and closes it again. Qt's own connection waits for the server's first answer
// without end, so an X server that takes the connection and never answers would hang the start: the
// display is asked on a thread of its own, which is left behind when it does not answer in time.
XAnswer askDisplay(const QByteArray& display, std::chrono::milliseconds answerWithin) {
    struct Asking {
        std::mutex mutex;
        std::condition_variable answered;
        std::optional<bool> opened;
    };
    auto asking = std::make_shared<Asking>();
    std::thread([asking, name = display.toStdString()] {
        xcb_connection_t* connection = xcb_connect(name.c_str(), nullptr);
        const bool opened = xcb_connection_has_error(connection) == 0;
        xcb_disconnect(connection);
        const std::lock_guard lock(asking->mutex);
        asking->opened = opened;
        asking->answered.notify_all();
    }).detach();
    std::unique_lock lock(asking->mutex);
    if (!asking->answered.wait_for(lock, answerWithin, [&asking] { return asking->opened.has_value(); }))
        return XAnswer::Silent;
    return *asking->opened ? XAnswer::Opened : XAnswer::Refused;
}

} // namespace

bool onWaylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
}

bool chooseWindowPlatform() {
    if (!onWaylandSession() || !qEnvironmentVariableIsEmpty(kPlatformVariable)) return false;
    return qputenv(kPlatformVariable, kXcb);
}

QString displayProblem(std::chrono::milliseconds answerWithin) {
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
                            "start it from a desktop session, or set DISPLAY to an X display.");
        return QCoreApplication::translate("Kalibrix",
                                           "Kalibrix cannot open an X display: DISPLAY is empty.");
    }
    // Qt aborts when the display it was given cannot be opened; ask first.
    const XAnswer answer = askDisplay(display.toLocal8Bit(), answerWithin);
    if (answer == XAnswer::Silent)
        return QCoreApplication::translate(
                   "Kalibrix", "Kalibrix cannot open the X display \"%1\" (DISPLAY): the X server there "
                               "takes the connection but does not answer.")
            .arg(display);
    if (answer == XAnswer::Refused)
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
