#pragma once

#include "platform/windowsystem.h"

#include <QHash>
#include <QPointer>

namespace kx {

// The window system's test double: it records what the program asks for and lets a test set what the
// platform reports, and drives the move loop by hand.
class FakeWindowSystem final : public WindowSystem {
public:
    void setVisible(QWidget* window, bool visible) override;
    void setShape(QWidget* window, const std::optional<QRegion>& region) override;
    void setTopmost(QWidget* window, bool topmost) override;
    bool isTopmost(QWidget* window) const override;
    void beginMove(QWidget* window, std::function<void()> onFinished) override;
    bool isMoving(QWidget* window) const override;
    void scaleMoveAnchor(QWidget* window, double factor) override;
    void moveWindow(QWidget* window, QPoint topLeft) override;
    void settlePlace(QWidget*) override {}
    std::optional<Placement> placement(QWidget* window) const override;
    void activate(QWidget* window) override;
    QPoint cursorPos() const override { return m_cursor; }

    // What the program did.
    std::optional<QRegion> shape(QWidget* window) const;
    int shapeCalls(QWidget* window) const { return m_shapeCalls.value(window); }
    int topmostCalls(QWidget* window) const { return m_topmostCalls.value(window); }
    QWidget* lastActivated() const { return m_lastActivated; }
    int moveLoopsStarted() const { return m_moveLoops; }

    // What the platform reports.
    void setCursorPos(QPoint p) { m_cursor = p; }
    void overridePlacement(QWidget* window, std::optional<Placement> p);
    void failPlacement(QWidget* window, bool fail);
    // Drives a running move loop: the pointer moves by delta from the press, then is released.
    void dragBy(QPoint delta);
    void releaseMove();

private:
    QHash<QWidget*, std::optional<QRegion>> m_shapes;
    QHash<QWidget*, int> m_shapeCalls;
    QHash<QWidget*, bool> m_topmost;
    QHash<QWidget*, int> m_topmostCalls;
    QHash<QWidget*, Placement> m_placements;
    QHash<QWidget*, bool> m_failing;
    QPointer<QWidget> m_lastActivated;
    QPointer<QWidget> m_moving;
    QPoint m_windowAtPress;
    QPoint m_cursorAtPress;
    std::function<void()> m_onFinished;
    QPoint m_cursor;
    int m_moveLoops = 0;
};

} // namespace kx
