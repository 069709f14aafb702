#pragma once

#include "platform/screen.h"

#include <QObject>
#include <memory>

namespace kx {

class SharedScreen;
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
    bool preparingCopies() const override;
    std::optional<QPoint> cursorPos() const override;
    void stopGrabbing() override;

private:
    QObject m_watcher; // receives the toolkit's monitor changes for as long as this object lives
    SettingsStore& m_settings;
    const bool m_shared; // copies through the screen-cast portal
    mutable std::unique_ptr<SharedScreen> m_cast;
};

} // namespace kx
