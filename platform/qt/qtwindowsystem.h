#pragma once

#include "platform/windowsystem.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <utility>
#include <vector>

namespace kx {

// Window-manager operations on Qt: showing and hiding, masks, the stays-on-top flag on the existing
// native window, and a move loop driven by the program's own pointer handling so that positions stay
// live during a drag, with or without a window manager.
class QtWindowSystem final : public QObject, public WindowSystem {
public:
    QtWindowSystem();
    ~QtWindowSystem() override;

    void setVisible(QWidget* window, bool visible) override;
    void setShape(QWidget* window, const std::optional<QRegion>& region) override;
    void setTopmost(QWidget* window, bool topmost) override;
    bool isTopmost(QWidget* window) const override;
    void beginMove(QWidget* window, std::function<void()> onFinished) override;
    bool isMoving(QWidget* window) const override;
    void scaleMoveAnchor(QWidget* window, double factor) override;
    void moveWindow(QWidget* window, QPoint topLeft) override;
    void settlePlace(QWidget* window) override;
    std::optional<Placement> placement(QWidget* window) const override;
    void activate(QWidget* window) override;
    QPoint cursorPos() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ShownWindow {
        QPointer<QWidget> window;
        bool early;       // shown again soon after it was hidden
        int showsLeft;    // how often it may still be shown once more
    };
    void checkShownWindows();
    void finishMove();
    std::optional<QPoint> moveUnderway(const QWidget* window) const;
    std::vector<ShownWindow> m_shown;
    QTimer m_showCheck;
    QElapsedTimer m_sinceStart;
    QPointer<QWidget> m_moving;
    QPoint m_windowAtPress;
    QPoint m_cursorAtPress;
    QPoint m_lastPress;
    QPoint m_pointer; // during a move: where the last pointer event put it
    // The moves asked for that the window system has not yet confirmed, in order; a window's last one
    // is where it is going.
    std::vector<std::pair<QPointer<QWidget>, QPoint>> m_movesUnderway;
    void windowMoved(QObject* window, QPoint to);
    bool m_telling = false; // telling a window where it is going
    std::function<void()> m_onFinished;
};

} // namespace kx
