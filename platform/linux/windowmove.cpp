// Moving the program's frameless windows on X11 with one request each: Qt's own move also replaces the
// window's size hints every time, and the window manager reads them again and redoes its frame at
// every step of a drag (openbox took 1.3 % of a core for a beam dragged at 100 steps a second, 0.6 %
// without).

#include "platform/qt/systemhooks.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

namespace kx {

namespace {
const char* const kKeepsPixels = "kxKeepsPixels";
} // namespace

bool moveShownWindow(QWidget* window, QPoint topLeft) {
    if (!window->isWindow() || !window->isVisible() || !window->windowFlags().testFlag(Qt::FramelessWindowHint))
        return false;
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !window->windowHandle()) return false;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return false;
    if (!window->property(kKeepsPixels).toBool()) {
        // The X server keeps the pixels of a window the program moves: a slider moved over its beam
        // uncovers a strip of the beam at every step, which would otherwise be painted and sent again.
        window->setProperty(kKeepsPixels, true);
        const uint32_t keep = XCB_BACKING_STORE_WHEN_MAPPED;
        xcb_change_window_attributes(c, xcb_window_t(window->winId()), XCB_CW_BACKING_STORE, &keep);
    }
    const uint32_t place[] = {uint32_t(topLeft.x()), uint32_t(topLeft.y())};
    xcb_configure_window(c, xcb_window_t(window->winId()), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
    xcb_flush(c);
    return true;
}

} // namespace kx
