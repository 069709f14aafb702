#include "forms/mouse.h"

#include "forms/internal.h"

#include <QMouseEvent>
#include <QPixmap>

namespace kx::forms {

namespace {

int vbButton(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int vbButtons(Qt::MouseButtons b) {
    return (b.testFlag(Qt::LeftButton) ? 1 : 0) | (b.testFlag(Qt::RightButton) ? 2 : 0) |
           (b.testFlag(Qt::MiddleButton) ? 4 : 0);
}

int vbShift(Qt::KeyboardModifiers m) {
    return (m.testFlag(Qt::ShiftModifier) ? 1 : 0) | (m.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (m.testFlag(Qt::AltModifier) ? 4 : 0);
}

} // namespace

QCursor makeCursor(const QImage& image, QPoint hotSpot) {
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}

void setMousePointer(QWidget* widget, MousePointer pointer, const QCursor& custom) {
    switch (pointer) {
    case MousePointer::Default: widget->unsetCursor(); break;
    case MousePointer::Arrow: widget->setCursor(Qt::ArrowCursor); break;
    case MousePointer::SizeNS: widget->setCursor(Qt::SizeVerCursor); break;
    case MousePointer::SizeWE: widget->setCursor(Qt::SizeHorCursor); break;
    case MousePointer::Hourglass: widget->setCursor(Qt::WaitCursor); break;
    case MousePointer::Custom: widget->setCursor(custom); break;
    }
}

MouseHooks::MouseHooks(QWidget* widget, bool takeEvents) : QObject(widget), m_widget(widget), m_take(takeEvents) {
    widget->installEventFilter(this);
}

bool MouseHooks::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_widget) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPointF p = me->position();
        m_pressedInside = true;
        if (handlers.down) handlers.down(vbButton(me->button()), vbShift(me->modifiers()), p.x(), p.y());
        return m_take && (handlers.down || handlers.click || handlers.up);
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPointF p = me->position();
        if (handlers.move) handlers.move(vbButtons(me->buttons()), vbShift(me->modifiers()), p.x(), p.y());
        return m_take; // a windowless control's pointer moves never reach the control below
    }
    case QEvent::MouseButtonRelease: {
        if (m_widget->property(kMoveLoopRelease).toBool()) {
            m_widget->setProperty(kMoveLoopRelease, QVariant());
            m_pressedInside = false;
            return false;
        }
        auto* me = static_cast<QMouseEvent*>(event);
        const QPointF p = me->position();
        const bool inside = m_pressedInside && m_widget->rect().contains(p.toPoint());
        m_pressedInside = false;
        const bool handled = m_take && (handlers.down || handlers.click || handlers.up);
        if (handlers.up) handlers.up(vbButton(me->button()), vbShift(me->modifiers()), p.x(), p.y());
        if (m_take && inside && me->button() == Qt::LeftButton && handlers.click) handlers.click();
        return handled;
    }
    default:
        return false;
    }
}

namespace detail {

MouseHandlers& hookMouse(MouseHooks*& hooks, QWidget* widget, bool takeEvents) {
    widget->setMouseTracking(true);
    if (!hooks) hooks = new MouseHooks(widget, takeEvents);
    return hooks->handlers;
}

} // namespace detail

} // namespace kx::forms
