#include "platform/qt/qtwindowsystem.h"

#include "platform/qt/systemhooks.h"

#include <QApplication>
#include <QBackingStore>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>

namespace kx {

namespace {
// How long showing and hiding must have been quiet before the shown windows are checked.
constexpr int kShowSettleMs = 250;
constexpr int kShowRetries = 3;
const char* const kHiddenAt = "kxHiddenAt";

// Where the desktop shows a window with an alpha channel unshaped (KWin, wlroots), what the window
// showed outside its new outline would stay on screen: Qt paints only inside the outline. It is made
// transparent while the old outline (or none) still lets it through to the display.
void clearOutside(QWidget* window, const QRegion& outline) {
    if (!window->testAttribute(Qt::WA_TranslucentBackground) || !window->isVisible()) return;
    QBackingStore* store = window->backingStore();
    const QRegion stale = (window->mask().isEmpty() ? QRegion(window->rect()) : window->mask()) - outline;
    if (!store || stale.isEmpty()) return;
    store->beginPaint(stale); // clears it to transparent, the store having an alpha channel
    store->endPaint();
    store->flush(stale);
}
} // namespace

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
    if (visible)
        windowShown(window);
    else
        windowHidden(window);
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
    if (!region) return window->clearMask();
    prepareShapedWindow(window);
    clearOutside(window, *region);
    window->setMask(*region);
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
    m_cursorAtPress = m_pointer = m_lastPress;
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

void QtWindowSystem::moveWindow(QWidget* window, QPoint topLeft) {
    if (moveUnderway(window).value_or(window->pos()) == topLeft) return;
    if (!moveShownWindow(window, topLeft)) return window->move(topLeft);
    // pos() follows when the window system tells where the window now is (a move event); placement()
    // says where it is going meanwhile. The window is told at once, as Qt tells it after its own
    // moves, so that what follows it (a slider its beam) goes along in the same step.
    std::erase_if(m_movesUnderway, [](const auto& move) { return !move.first; });
    if (m_movesUnderway.size() == 64) m_movesUnderway.erase(m_movesUnderway.begin()); // only the last ones matter
    m_movesUnderway.emplace_back(window, topLeft);
    QMoveEvent moved(topLeft, window->pos());
    m_telling = true;
    QCoreApplication::sendEvent(window, &moved);
    m_telling = false;
}

void QtWindowSystem::settlePlace(QWidget* window) {
    if (const std::optional<QPoint> to = moveUnderway(window)) {
        std::erase_if(m_movesUnderway, [window](const auto& move) { return !move.first || move.first == window; });
        window->move(*to); // through Qt, which then knows the place at once
    }
}

std::optional<QPoint> QtWindowSystem::moveUnderway(const QWidget* window) const {
    auto it = std::find_if(m_movesUnderway.rbegin(), m_movesUnderway.rend(), [window](const auto& m) { return m.first == window; });
    return it == m_movesUnderway.rend() ? std::nullopt : std::optional<QPoint>(it->second);
}

void QtWindowSystem::windowMoved(QObject* window, QPoint to) {
    // The window system tells of each move in turn, during a drag often after the next one was asked
    // for: a place asked for before the window's last one is passed, and the moves up to it are done.
    // At its last place, or one never asked for (the window manager put it elsewhere), it has arrived.
    const auto mine = [window](const auto& m) { return m.first == window; };
    auto at = std::find_if(m_movesUnderway.begin(), m_movesUnderway.end(), [&](const auto& m) { return mine(m) && m.second == to; });
    at = at != m_movesUnderway.end() && std::any_of(at + 1, m_movesUnderway.end(), mine) ? at + 1 : m_movesUnderway.end();
    m_movesUnderway.erase(std::remove_if(m_movesUnderway.begin(), at, mine), at);
}

bool QtWindowSystem::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress && watched->isWidgetType())
        m_lastPress = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
    if (type == QEvent::Move && !m_telling && !m_movesUnderway.empty())
        windowMoved(watched, static_cast<QMoveEvent*>(event)->pos());
    if (!m_moving) return false;
    switch (type) {
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->buttons() == Qt::NoButton) {
            finishMove();
            return false;
        }
        m_pointer = me->globalPosition().toPoint();
        moveWindow(m_moving, m_windowAtPress + (m_pointer - m_cursorAtPress));
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
        widget->setProperty(kMoveLoopRelease, true);
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
    QRect r = (window->isMaximized() || window->isMinimized()) && window->normalGeometry().isValid()
                  ? window->normalGeometry()
                  : window->geometry();
    if (const std::optional<QPoint> to = moveUnderway(window); to && p.showCmd == ShowState::Normal) r.moveTopLeft(*to);
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
    // During a move the pointer is where its last event put it: no question to the window system at
    // every step.
    if (m_moving) return m_pointer;
    return QCursor::pos();
}

} // namespace kx
