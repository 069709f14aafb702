#pragma once

// The mouse: the pointer's shapes, and handlers for a control's mouse events.

#include "platform/windowsystem.h"

#include <QCursor>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QWidget>
#include <functional>

namespace kx::forms {

// The window system marks the widget that receives the release ending a move loop: the release
// belongs to the loop, and the widget's handlers do not see it.
using kx::kMoveLoopRelease;

// Mouse pointers.
enum class MousePointer { Default = 0, Arrow = 1, SizeNS = 7, SizeWE = 9, Hourglass = 11, Custom = 99 };
// A custom pointer made from a 32 x 32 picture and its hot spot.
QCursor makeCursor(const QImage& image, QPoint hotSpot);
void setMousePointer(QWidget* widget, MousePointer pointer, const QCursor& custom = QCursor());

// Mouse event arguments as the handlers receive them: button 1 left, 2 right, 4 middle; shift 1
// shift, 2 control, 4 alt; position in pixels relative to the control.
using MouseHandler = std::function<void(int button, int shift, float x, float y)>;

struct MouseHandlers {
    MouseHandler down, move, up;
    std::function<void()> click;
};

// Routes a widget's mouse events to handlers. Windowless controls (labels, picture boxes) take the
// events they handle; buttons only let the handlers watch and keep their own behaviour.
class MouseHooks : public QObject {
public:
    MouseHooks(QWidget* widget, bool takeEvents);
    MouseHandlers handlers;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_widget;
    bool m_take;
    bool m_pressedInside = false;
};

} // namespace kx::forms
