#pragma once

#include "platform/screen.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <memory>
#include <optional>

class QWidget;

namespace kx {

class SettingsStore;

// What the implementations on Qt ask of the system they run on: platform/linux/ and platform/windows/
// each define these.

// The desktop's pixels through its screen sharing, where no program may read them directly (a Wayland
// session): asked for at start(), let go of at stop().
class SharedScreen {
public:
    virtual ~SharedScreen() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    // Why there are no copies, and will be none until stop().
    virtual ScreenCopyProblem problem() const = 0;
    // Still being set up: no copies yet, and no problem either.
    virtual bool preparing() const = 0;
    // The desktop's pixels in rect; a null image while there are none yet.
    virtual QImage copy(const QRect& rect) const = 0;
    virtual std::optional<QPoint> cursorPos() const = 0;
};

// The desktop's screen sharing (Linux: the screen-cast portal, its permission kept in settings);
// nullptr where every program may copy the screen directly (Windows).
std::unique_ptr<SharedScreen> shareScreen(SettingsStore& settings);

// The display server's own millimetres for its screen of this size, where it has them (X11: what
// `Xvfb -dpi` or the server's configured display size make of it); empty otherwise.
QSizeF displayServerMillimetres(QSize pixels);

// How the desktop's window manager is helped with the program's windows. Linux: a shaped window gets
// an alpha channel, as KWin and wlroots compositors show XWayland windows unshaped otherwise; under a
// wlroots compositor's X window manager (sway and the like), which puts windows where it likes, the
// shaped windows bypass it, and Linux keeps them stacked above every other window itself. Windows:
// nothing to do.
// Before the window's native window exists (later calls change nothing).
void prepareShapedWindow(QWidget* window);
// After a top-level window was shown, or hidden.
void windowShown(QWidget* window);
void windowHidden(QWidget* window);

// Hands a document or a web address to the desktop's opener. False when it cannot be handed on, with
// the reason in whyNot (a sentence for the user).
bool openOnDesktop(const QString& document, bool isAddress, QString* whyNot);

// Asks the window system directly to move a shown frameless top-level window to topLeft, and nothing
// else (Qt sends the window's size hints with every move, which the window manager then reads again);
// the window system keeps its pixels from then on, for what moves over it. False where that is not
// done: the caller moves the window through Qt.
bool moveShownWindow(QWidget* window, QPoint topLeft);

} // namespace kx
