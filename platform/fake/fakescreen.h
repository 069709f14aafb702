#pragma once

#include "platform/screen.h"

namespace kx {

// The screen's test double: a desktop picture of the test's choosing, monitors and densities it sets,
// and copies that fail when it says so.
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
    bool preparingCopies() const override { return m_preparing; }
    std::optional<QPoint> cursorPos() const override { return m_cursor; }
    void stopGrabbing() override { ++m_stops; }

    void setTwipsPerPixel(float x, float y) { m_tppX = x; m_tppY = y; }
    // The desktop's pixels; by default 1280 x 800 with the pattern of patternColor().
    void setDesktop(const QImage& image) { m_desktop = image.convertToFormat(QImage::Format_RGB32); }
    const QImage& desktop() const { return m_desktop; }
    void setFailing(bool failing) { m_failing = failing; }
    // Fails every copy for this reason (None: copies work again).
    void setCopyProblem(ScreenCopyProblem problem) { m_problem = problem; }
    // Copies are being set up: every copy fails meanwhile.
    void setPreparing(bool preparing) { m_preparing = preparing; }
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
    bool m_preparing = false;
    std::optional<QPoint> m_cursor;
    int m_stops = 0;
    mutable int m_grabs = 0;
};

} // namespace kx
