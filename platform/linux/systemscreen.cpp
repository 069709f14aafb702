// The screen on Linux: the screen-cast portal on Wayland sessions, from a module loaded at the first
// copy, and the X server's millimetres on X11.

#include "platform/qt/systemhooks.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibrary>
#include <QtGui/qguiapplication_platform.h>
#include <cstdio>
#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace kx {

namespace {

// The portal's screen, loaded from the module (kalibrix-screencast) beside the program or in the
// library folder where it is installed (KALIBRIX_MODULE_DIR, from the program's folder) when it is
// first asked for; where it or PipeWire cannot be loaded, the copies have a problem that says so.
class ModuleScreen final : public SharedScreen {
public:
    explicit ModuleScreen(SettingsStore& settings) : m_settings(settings) {}
    void start() override {
        if (!m_cast && !m_missing) load();
        if (m_cast) m_cast->start();
    }
    void stop() override { if (m_cast) m_cast->stop(); }
    ScreenCopyProblem problem() const override {
        return m_cast ? m_cast->problem() : m_missing ? ScreenCopyProblem::NoScreenCastModule : ScreenCopyProblem::None;
    }
    bool preparing() const override { return m_cast && m_cast->preparing(); }
    QImage copy(const QRect& rect) const override { return m_cast ? m_cast->copy(rect) : QImage(); }
    std::optional<QPoint> cursorPos() const override { return m_cast ? m_cast->cursorPos() : std::nullopt; }

private:
    void load() {
        using Make = SharedScreen* (*)(SettingsStore&);
        QStringList why;
        const QString program = QCoreApplication::applicationDirPath();
        for (const QString& folder : {program, program + QStringLiteral("/" KALIBRIX_MODULE_DIR)}) {
            QLibrary module(folder + QStringLiteral("/kalibrix-screencast"));
            const auto make = module.load() ? reinterpret_cast<Make>(module.resolve("kalibrix_share_screen")) : nullptr;
            if (make) {
                m_cast.reset(make(m_settings)); // the module stays loaded to the end
                return;
            }
            why << module.errorString();
        }
        m_missing = true;
        std::fprintf(stderr, "Kalibrix: the screen cannot be copied: %s\n", qPrintable(why.join(QStringLiteral("; "))));
    }

    SettingsStore& m_settings;
    std::unique_ptr<SharedScreen> m_cast;
    bool m_missing = false;
};

} // namespace

std::unique_ptr<SharedScreen> shareScreen(SettingsStore& settings) {
    return std::make_unique<ModuleScreen>(settings);
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
