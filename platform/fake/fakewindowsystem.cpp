#include "platform/fake/fakewindowsystem.h"

namespace kx {

void FakeWindowSystem::setVisible(QWidget* window, bool visible) {
    if (window->isVisible() != visible) window->setVisible(visible);
}

void FakeWindowSystem::setShape(QWidget* window, const std::optional<QRegion>& region) {
    m_shapes.insert(window, region);
    ++m_shapeCalls[window];
}

std::optional<QRegion> FakeWindowSystem::shape(QWidget* window) const {
    return m_shapes.value(window);
}

void FakeWindowSystem::setTopmost(QWidget* window, bool topmost) {
    m_topmost.insert(window, topmost);
    ++m_topmostCalls[window];
    if (window->isVisible()) activate(window);
}

bool FakeWindowSystem::isTopmost(QWidget* window) const {
    return m_topmost.value(window);
}

void FakeWindowSystem::moveWindow(QWidget* window, QPoint topLeft) {
    if (window->pos() != topLeft) window->move(topLeft);
}

void FakeWindowSystem::beginMove(QWidget* window, std::function<void()> onFinished) {
    ++m_moveLoops;
    m_moving = window;
    m_windowAtPress = window->pos();
    m_cursorAtPress = m_cursor;
    m_onFinished = std::move(onFinished);
}

void FakeWindowSystem::scaleMoveAnchor(QWidget* window, double factor) {
    if (!isMoving(window)) return;
    const QPointF grabbed = QPointF(m_cursorAtPress - m_windowAtPress) * factor;
    m_windowAtPress = m_cursorAtPress - grabbed.toPoint();
}

bool FakeWindowSystem::isMoving(QWidget* window) const {
    return m_moving && m_moving == window;
}

void FakeWindowSystem::dragBy(QPoint delta) {
    m_cursor = m_cursorAtPress + delta;
    if (m_moving) m_moving->move(m_windowAtPress + delta);
}

void FakeWindowSystem::releaseMove() {
    m_moving = nullptr;
    if (auto done = std::exchange(m_onFinished, {})) done();
}

void FakeWindowSystem::overridePlacement(QWidget* window, std::optional<Placement> p) {
    if (p)
        m_placements.insert(window, *p);
    else
        m_placements.remove(window);
}

void FakeWindowSystem::failPlacement(QWidget* window, bool fail) {
    m_failing.insert(window, fail);
}

std::optional<Placement> FakeWindowSystem::placement(QWidget* window) const {
    if (!window || m_failing.value(window)) return std::nullopt;
    if (m_placements.contains(window)) return m_placements.value(window);
    Placement p;
    p.showCmd = window->isMinimized()  ? ShowState::Minimized
                : !window->isVisible() ? ShowState::Hidden
                : window->isMaximized() ? ShowState::Maximized
                                        : ShowState::Normal;
    const QRect r = window->geometry();
    p.left = r.x();
    p.top = r.y();
    p.right = r.x() + r.width();
    p.bottom = r.y() + r.height();
    return p;
}

void FakeWindowSystem::activate(QWidget* window) {
    m_lastActivated = window;
}

} // namespace kx
