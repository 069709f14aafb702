#pragma once

#include "platform/windowsystem.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
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
    std::vector<ShownWindow> m_shown;
    QTimer m_showCheck;
    QElapsedTimer m_sinceStart;
    QPointer<QWidget> m_moving;
    QPoint m_windowAtPress;
    QPoint m_cursorAtPress;
    QPoint m_lastPress;
    std::function<void()> m_onFinished;
};

class ScreenCast;
class SettingsStore;

// The screen through Qt. On X11 copies come straight from the X server. On a Wayland session, where
// XWayland gives no other window's pixels, they come from the desktop's screen-cast portal, which is
// asked at the first copy and let go of at stopGrabbing(); its restore token is kept in settings.
class QtScreen final : public Screen {
public:
    explicit QtScreen(SettingsStore& settings);
    ~QtScreen() override;
    double fontDpi() const override;
    float twipsPerPixelX() const override;
    float twipsPerPixelY() const override;
    QList<ScreenInfo> screens() const override;
    QRect desktopGeometry() const override;
    QImage grab(const QRect& rect) const override;
    ScreenCopyProblem copyProblem() const override;
    std::optional<QPoint> cursorPos() const override;
    void stopGrabbing() override;

private:
    QObject m_watcher; // receives the toolkit's monitor changes for as long as this object lives
    SettingsStore& m_settings;
    const bool m_shared; // copies through the screen-cast portal
    mutable std::unique_ptr<ScreenCast> m_cast;
};

// Opens documents with the desktop's opener (xdg-open on Linux) as a separate process, passing the
// document as one argument with no shell in between; copies through the system clipboard.
class DesktopShell final : public Shell {
public:
    bool open(const QString& document, QString* whyNot = nullptr) override;
    void copyText(const QString& text) override;
};

} // namespace kx
