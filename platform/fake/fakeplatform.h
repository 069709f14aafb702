#pragma once

#include "platform/fake/settingsfakes.h"
#include "platform/windowsystem.h"

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <vector>

namespace kx {

// Test doubles of the window system, the screen and the shell. They record what the program asks for
// and let a test set what the platform reports.
class FakeWindowSystem final : public WindowSystem {
public:
    void setVisible(QWidget* window, bool visible) override;
    void setShape(QWidget* window, const std::optional<QRegion>& region) override;
    void setTopmost(QWidget* window, bool topmost) override;
    bool isTopmost(QWidget* window) const override;
    void beginMove(QWidget* window, std::function<void()> onFinished) override;
    bool isMoving(QWidget* window) const override;
    void scaleMoveAnchor(QWidget* window, double factor) override;
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

class FakeScreen final : public Screen {
public:
    FakeScreen();
    float twipsPerPixelX() const override { return m_tppX; }
    float twipsPerPixelY() const override { return m_tppY; }
    // One 1280 x 800 monitor at the scale of the twips per pixel, unless the test sets others.
    QList<ScreenInfo> screens() const override;
    void setScreens(QList<ScreenInfo> screens) { m_screens = std::move(screens); }
    QRect desktopGeometry() const override { return m_desktop.rect(); }
    QImage grab(const QRect& rect) const override;
    ScreenCopyProblem copyProblem() const override { return m_problem; }
    std::optional<QPoint> cursorPos() const override { return m_cursor; }
    void stopGrabbing() override { ++m_stops; }

    void setTwipsPerPixel(float x, float y) { m_tppX = x; m_tppY = y; }
    // The desktop's pixels; by default 1280 x 800 with the pattern of patternColor().
    void setDesktop(const QImage& image) { m_desktop = image.convertToFormat(QImage::Format_RGB32); }
    const QImage& desktop() const { return m_desktop; }
    void setFailing(bool failing) { m_failing = failing; }
    // Fails every copy for this reason (None: copies work again).
    void setCopyProblem(ScreenCopyProblem problem) { m_problem = problem; }
    // The pointer as a screen-sharing stream reports it.
    void setCursorPos(std::optional<QPoint> p) { m_cursor = p; }
    int stops() const { return m_stops; }
    int grabs() const { return m_grabs; }
    // A colour that differs for every pixel of a 1280 x 800 desktop.
    static QRgb patternColor(int x, int y);

private:
    float m_tppX = 15.0f, m_tppY = 15.0f;
    QList<ScreenInfo> m_screens;
    QImage m_desktop;
    bool m_failing = false;
    ScreenCopyProblem m_problem = ScreenCopyProblem::None;
    std::optional<QPoint> m_cursor;
    int m_stops = 0;
    mutable int m_grabs = 0;
};

class FakeShell final : public Shell {
public:
    bool open(const QString& document, QString* whyNot) override {
        opened.append(document);
        if (!result && whyNot) *whyNot = QStringLiteral("The file does not exist.");
        return result;
    }
    void copyText(const QString& text) override { copied.append(text); }
    QStringList opened;
    QStringList copied;
    bool result = true;
};

} // namespace kx
