#include "platform/qt/qtscreen.h"

#include "platform/displaysession.h"
#include "platform/qt/systemhooks.h"
#include "platform/scaling.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cmath>

namespace kx {

namespace {

constexpr double kBaseDpi = 96.0;

// Where the monitor's output reports no size, Qt makes one up from 96 dpi. For the only monitor of
// an X server the server's screen millimetres are then the better figure.
QSizeF monitorMillimetres(const QScreen& screen, int monitors) {
    const QSizeF reported = screen.physicalSize();
    if (monitors != 1) return reported;
    const QSize pixels = screen.geometry().size();
    auto madeUp = [](int px) { return std::round(px * 25.4 / kBaseDpi); };
    if (std::round(reported.width()) != madeUp(pixels.width()) ||
        std::round(reported.height()) != madeUp(pixels.height()))
        return reported;
    const QSizeF core = displayServerMillimetres(pixels);
    return core.width() > 0 && core.height() > 0 ? core : reported;
}

} // namespace

QtScreen::QtScreen(SettingsStore& settings) : m_settings(settings), m_shared(onWaylandSession()) {
    auto changed = [this] {
        if (onScreensChanged) onScreensChanged();
    };
    auto watch = [this, changed](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, &m_watcher, changed);
        QObject::connect(screen, &QScreen::availableGeometryChanged, &m_watcher, changed);
        QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, &m_watcher, changed);
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    QObject::connect(qApp, &QGuiApplication::screenAdded, &m_watcher, [watch, changed](QScreen* screen) {
        watch(screen);
        changed();
    });
    QObject::connect(qApp, &QGuiApplication::screenRemoved, &m_watcher, changed);
    QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, &m_watcher, changed);
}

QtScreen::~QtScreen() = default;

double QtScreen::fontDpi() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchY() : kBaseDpi;
}

QList<ScreenInfo> QtScreen::screens() const {
    QList<ScreenInfo> result;
    const QList<QScreen*> all = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    const RequestedScaling& requested = requestedScaling();
    for (int i = 0; i < all.size(); ++i) {
        QScreen* s = all[i];
        ScreenInfo info;
        info.name = s->name();
        info.geometry = s->geometry();
        info.available = s->availableGeometry();
        // With Qt's own scaling off the font resolution (Xft.dpi) comes through as the logical dpi.
        info.scale = s->logicalDotsPerInchX() / kBaseDpi * requested.factorFor(info.name, i);
        info.physicalSizeMm = monitorMillimetres(*s, all.size());
        info.maker = {s->manufacturer(), s->model(), s->serialNumber()};
        info.primary = s == primary;
        result.append(info);
    }
    return result;
}

float QtScreen::twipsPerPixelX() const {
    const QList<ScreenInfo> all = screens();
    return all.isEmpty() ? 15.0f : twipsPerPixelAt(primaryScreen(all).scale);
}

float QtScreen::twipsPerPixelY() const {
    return twipsPerPixelX();
}

QRect QtScreen::desktopGeometry() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->virtualGeometry() : QRect();
}

QImage QtScreen::grab(const QRect& rect) const {
    if (rect.isEmpty()) return {};
    if (m_shared) {
        if (!m_cast) m_cast = shareScreen(m_settings);
        if (!m_cast) return {};
        m_cast->start();
        return m_cast->copy(rect);
    }
    // Copy through the screen that holds the square's centre (the primary one off every screen); on X11
    // each screen's copy counts from its own origin and reaches across the whole desktop.
    QScreen* s = QGuiApplication::screenAt(rect.center());
    if (!s) s = QGuiApplication::primaryScreen();
    if (!s) return {};
    const QPoint origin = s->geometry().topLeft();
    QImage shot = s->grabWindow(0, rect.x() - origin.x(), rect.y() - origin.y(), rect.width(), rect.height())
                      .toImage()
                      .convertToFormat(QImage::Format_RGB32);
    if (shot.isNull()) return {};
    // With a device pixel ratio other than 1 the copy comes in device pixels: bring it to screen pixels.
    if (shot.size() != rect.size()) shot = shot.scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    shot.setDevicePixelRatio(1.0);
    // Whatever no screen covers is shown black, whatever the platform returned there.
    QRegion covered;
    for (QScreen* screen : QGuiApplication::screens()) covered += screen->geometry();
    const QRegion outside = QRegion(rect) - covered;
    if (!outside.isEmpty()) {
        QPainter p(&shot);
        for (const QRect& r : outside) p.fillRect(r.translated(-rect.topLeft()), Qt::black);
    }
    return shot;
}

ScreenCopyProblem QtScreen::copyProblem() const {
    return m_cast ? m_cast->problem() : ScreenCopyProblem::None;
}

bool QtScreen::preparingCopies() const {
    return m_cast && m_cast->preparing();
}

std::optional<QPoint> QtScreen::cursorPos() const {
    return m_cast ? m_cast->cursorPos() : std::nullopt;
}

void QtScreen::stopGrabbing() {
    if (m_cast) m_cast->stop();
}

} // namespace kx
