#pragma once

// The window system, and with it the screen and the desktop's shell, which every user of the window
// system reaches the desktop through as well.
#include "platform/screen.h"
#include "platform/shell.h"

#include <QColor>
#include <QPoint>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <optional>

namespace kx {

// Show state of a top-level window as the placement query reports it.
enum class ShowState { Hidden = 0, Normal = 1, Minimized = 2, Maximized = 3 };

// A window's placement: its show state and its normal-position rectangle in screen pixels
// (right and bottom exclusive).
struct Placement {
    ShowState showCmd = ShowState::Hidden;
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Set on the widget that receives the release ending a move loop: the release belongs to the loop,
// and the widget's handlers do not see it.
inline constexpr char kMoveLoopRelease[] = "kxMoveLoopRelease";

// Window-manager operations on top-level windows.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Shows or hides a top-level window; showing or hiding it once more changes nothing.
    virtual void setVisible(QWidget* window, bool visible) = 0;
    // The window shows and takes input only inside region; no region restores the full rectangle.
    virtual void setShape(QWidget* window, const std::optional<QRegion>& region) = 0;
    // Into or out of the topmost layer; same window, same position and size; the window is activated.
    virtual void setTopmost(QWidget* window, bool topmost) = 0;
    virtual bool isTopmost(QWidget* window) const = 0;
    // Runs the move loop for a press on the window: it follows the pointer until the button is
    // released, timers keep firing and pos() stays current throughout. The release ends the loop and
    // is not delivered to the window. Returns at once; onFinished runs at the release.
    virtual void beginMove(QWidget* window, std::function<void()> onFinished = {}) = 0;
    virtual bool isMoving(QWidget* window) const = 0;
    // The window being moved has been drawn again factor times larger around the pointer: the point of
    // the window that was pressed is now factor times further from its top-left corner.
    virtual void scaleMoveAnchor(QWidget* window, double factor) = 0;
    // Moves a top-level window, as the move loop does: its pos() follows at once, or once the window
    // system has confirmed the move; moving it again to where it is going changes nothing.
    virtual void moveWindow(QWidget* window, QPoint topLeft) = 0;
    // Brings pos() to where the window has been asked to move and not yet confirmed: before its place
    // or size is changed in any other way.
    virtual void settlePlace(QWidget* window) = 0;
    // The window's show state and normal-position rectangle; nullopt when it cannot be queried.
    virtual std::optional<Placement> placement(QWidget* window) const = 0;
    // Makes the window the active one, in front of the others of its layer.
    virtual void activate(QWidget* window) = 0;
    // The pointer position in screen pixels.
    virtual QPoint cursorPos() const = 0;
};

// Colour the classic desktop uses for the active window border, used as a button face.
inline QColor activeBorderColor() {
    return QColor(0xB4, 0xB4, 0xB4);
}

} // namespace kx
