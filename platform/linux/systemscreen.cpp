// The screen on Linux: the screen-cast portal on Wayland sessions, the X server's millimetres on X11.

#include "platform/linux/screencast.h"
#include "platform/qt/systemhooks.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace kx {

namespace {

class PortalScreen final : public SharedScreen {
public:
    explicit PortalScreen(SettingsStore& settings) : m_cast(settings) {}
    void start() override { m_cast.start(); }
    void stop() override { m_cast.stop(); }
    ScreenCopyProblem problem() const override { return m_cast.problem(); }
    bool preparing() const override { return m_cast.preparing(); }
    QImage copy(const QRect& rect) const override { return m_cast.copy(rect); }
    std::optional<QPoint> cursorPos() const override { return m_cast.cursorPos(); }

private:
    ScreenCast m_cast;
};

} // namespace

std::unique_ptr<SharedScreen> shareScreen(SettingsStore& settings) {
    return std::make_unique<PortalScreen>(settings);
}

QSizeF displayServerMillimetres(QSize pixels) {
#if QT_CONFIG(xcb)
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return {};
    const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(x11->connection())).data;
    if (!root || QSize(root->width_in_pixels, root->height_in_pixels) != pixels) return {};
    return QSizeF(root->width_in_millimeters, root->height_in_millimeters);
#else
    Q_UNUSED(pixels);
    return {};
#endif
}

} // namespace kx
