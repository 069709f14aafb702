#include "platform/qt/qtwindowsystem.h"

#include "platform/displaysession.h"
#include "forms/forms.h"
#include "platform/scaling.h"
#ifdef KALIBRIX_HAS_SCREEN_CAST
#include "platform/linux/screencast.h"
#endif

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QUrl>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <cmath>
#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace kx {

#ifndef KALIBRIX_HAS_SCREEN_CAST
// Where there is no screen-cast portal (Windows) every program may copy the screen directly, so the
// screen is never shared through one.
class ScreenCast {
public:
    explicit ScreenCast(SettingsStore&) {}
    void start() {}
    void stop() {}
    ScreenCopyProblem problem() const { return ScreenCopyProblem::NoScreenSharing; }
    QImage copy(const QRect&) const { return {}; }
    std::optional<QPoint> cursorPos() const { return std::nullopt; }
};
#endif

namespace {
constexpr double kBaseDpi = 96.0;
// How long showing and hiding must have been quiet before the shown windows are checked.
constexpr int kShowSettleMs = 250;
constexpr int kShowRetries = 3;
const char* const kHiddenAt = "kxHiddenAt";

// Results in the classic shell's convention.
} // namespace

QColor activeBorderColor() {
    return QColor(0xB4, 0xB4, 0xB4);
}

QtWindowSystem::QtWindowSystem() {
    // Watches every press for where it happened, so that a move loop started by a press handler counts
    // from the press itself, however late the handler runs.
    qApp->installEventFilter(this);
    m_showCheck.setSingleShot(true);
    m_showCheck.setInterval(kShowSettleMs);
    connect(&m_showCheck, &QTimer::timeout, this, &QtWindowSystem::checkShownWindows);
    m_sinceStart.start();
}

QtWindowSystem::~QtWindowSystem() {
    if (qApp) qApp->removeEventFilter(this);
}

void QtWindowSystem::setVisible(QWidget* window, bool visible) {
    if (window->isVisible() == visible) return;
    window->setVisible(visible);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    const qint64 now = m_sinceStart.elapsed();
    if (!visible) {
        window->setProperty(kHiddenAt, now);
        return;
    }
    // A window shown again right after it was hidden can get lost on X11: the window manager is still
    // withdrawing it when the request to show it arrives. It may drop that request (the window stays
    // unmapped while Qt believes it shown), or remove the window's state (staying on top) after Qt
    // has set it again. So such a window is checked once showing and hiding have been quiet for a
    // moment, and put right.
    const QVariant hiddenAt = window->property(kHiddenAt);
    const bool early = hiddenAt.isValid() && now - hiddenAt.toLongLong() < kShowSettleMs;
    std::erase_if(m_shown, [window](const ShownWindow& s) { return !s.window || s.window == window; });
    m_shown.push_back({window, early, kShowRetries});
    m_showCheck.start();
}

void QtWindowSystem::checkShownWindows() {
    for (const ShownWindow& shown : std::exchange(m_shown, {})) {
        QWidget* window = shown.window;
        if (!window || !window->isVisible() || window->isMinimized()) continue;
        QWindow* handle = window->windowHandle();
        if (!handle) continue;
        if (!handle->isExposed() && shown.showsLeft > 0) {
            // The window manager dropped the request and has let go of the window by now, so showing
            // it once more is safe; the state it is shown with is checked again.
            window->hide();
            window->show();
            m_shown.push_back({window, true, shown.showsLeft - 1});
            m_showCheck.start();
        } else if (shown.early && handle->flags().testFlag(Qt::WindowStaysOnTopHint)) {
            handle->setFlag(Qt::WindowStaysOnTopHint, false);
            handle->setFlag(Qt::WindowStaysOnTopHint, true);
        }
    }
}

void QtWindowSystem::setShape(QWidget* window, const std::optional<QRegion>& region) {
    if (region)
        window->setMask(*region);
    else
        window->clearMask();
}

void QtWindowSystem::setTopmost(QWidget* window, bool topmost) {
    // QWidget::setWindowFlag would re-create the native window; change the existing one instead and
    // keep the widget's own record of the flags in step without telling the window system twice.
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    window->overrideWindowFlags(flags);
    if (QWindow* handle = window->windowHandle()) handle->setFlag(Qt::WindowStaysOnTopHint, topmost);
    if (window->isVisible()) activate(window);
}

bool QtWindowSystem::isTopmost(QWidget* window) const {
    if (QWindow* handle = window->windowHandle()) return handle->flags().testFlag(Qt::WindowStaysOnTopHint);
    return window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void QtWindowSystem::beginMove(QWidget* window, std::function<void()> onFinished) {
    if (m_moving) finishMove();
    if (QGuiApplication::mouseButtons() == Qt::NoButton) {
        if (onFinished) onFinished();
        return;
    }
    m_moving = window;
    m_windowAtPress = window->pos();
    m_cursorAtPress = m_lastPress;
    m_onFinished = std::move(onFinished);
}

bool QtWindowSystem::isMoving(QWidget* window) const {
    return m_moving && m_moving == window;
}

void QtWindowSystem::scaleMoveAnchor(QWidget* window, double factor) {
    if (!isMoving(window)) return;
    const QPointF grabbed = QPointF(m_cursorAtPress - m_windowAtPress) * factor;
    m_windowAtPress = m_cursorAtPress - grabbed.toPoint();
}

bool QtWindowSystem::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress && watched->isWidgetType())
        m_lastPress = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    if (!m_moving) return false;
    switch (type) {
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->buttons() == Qt::NoButton) {
            finishMove();
            return false;
        }
        const QPoint target = m_windowAtPress + (me->globalPosition().toPoint() - m_cursorAtPress);
        if (m_moving->pos() != target) m_moving->move(target);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->buttons() != Qt::NoButton) return true;
        // The move loop takes the release: the window's own handlers do not see it, but Qt does, so
        // that the pressed widget lets go of the pointer and the next click goes where it points.
        // The release reaches the native window first and then the pressed widget.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget) return false;
        widget->setProperty(forms::kMoveLoopRelease, true);
        finishMove();
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // Another button during the move belongs to the loop; a press with no button left down means
        // the release never came (the window went away meanwhile): the loop is over.
        if (static_cast<QMouseEvent*>(event)->buttons() != static_cast<QMouseEvent*>(event)->button()) return true;
        finishMove();
        return false;
    default:
        return false;
    }
}

void QtWindowSystem::finishMove() {
    m_moving = nullptr;
    if (auto done = std::exchange(m_onFinished, {})) done();
}

std::optional<Placement> QtWindowSystem::placement(QWidget* window) const {
    if (!window) return std::nullopt;
    Placement p;
    if (window->isMinimized())
        p.showCmd = ShowState::Minimized;
    else if (!window->isVisible())
        p.showCmd = ShowState::Hidden;
    else if (window->isMaximized())
        p.showCmd = ShowState::Maximized;
    else
        p.showCmd = ShowState::Normal;
    const QRect r = (window->isMaximized() || window->isMinimized()) && window->normalGeometry().isValid()
                        ? window->normalGeometry()
                        : window->geometry();
    p.left = r.x();
    p.top = r.y();
    p.right = r.x() + r.width();
    p.bottom = r.y() + r.height();
    return p;
}

void QtWindowSystem::activate(QWidget* window) {
    window->raise();
    window->activateWindow();
}

QPoint QtWindowSystem::cursorPos() const {
    return QCursor::pos();
}

namespace {

// The X server's own millimetres for its screen, where it has them: what `Xvfb -dpi` or the
// server's configured display size make of it.
QSizeF coreScreenMillimetres(QSize pixels) {
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
    const QSizeF core = coreScreenMillimetres(pixels);
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
        if (!m_cast) m_cast = std::make_unique<ScreenCast>(m_settings);
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

std::optional<QPoint> QtScreen::cursorPos() const {
    return m_cast ? m_cast->cursorPos() : std::nullopt;
}

void QtScreen::stopGrabbing() {
    if (m_cast) m_cast->stop();
}

bool DesktopShell::open(const QString& document, QString* whyNot) {
    auto fail = [whyNot](const char* reason) {
        if (whyNot) *whyNot = QCoreApplication::translate("Kalibrix", reason);
        return false;
    };
    const bool isAddress = document.contains(QLatin1String("://"));
    if (!isAddress && !QFileInfo::exists(document)) return fail(QT_TRANSLATE_NOOP("Kalibrix", "The file does not exist."));
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    const QUrl url = isAddress ? QUrl(document) : QUrl::fromLocalFile(document);
    if (!QDesktopServices::openUrl(url)) return fail(QT_TRANSLATE_NOOP("Kalibrix", "The desktop has no program to open it."));
#else
    // One argument, no shell: spaces, quotes and $(...) in the name arrive unchanged.
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {document}))
        return fail(QT_TRANSLATE_NOOP("Kalibrix", "The desktop's opener (xdg-open) could not be started."));
#endif
    return true;
}

void DesktopShell::copyText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text, QClipboard::Clipboard);
    // X11 also has the selection that a middle click pastes.
    if (clipboard->supportsSelection()) clipboard->setText(text, QClipboard::Selection);
}

} // namespace kx
