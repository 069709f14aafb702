#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <functional>
#include <optional>

namespace kx {

// One monitor of the desktop, in device pixels. scale is the number of device pixels per 96-dpi pixel
// the desktop asks for on it (1, 1.25, 1.5, 2, ...): pictures, controls and fonts are drawn that much
// larger there, and a twip is 1/1440 of a 96 * scale dpi inch.
struct ScreenInfo {
    QString name;
    QRect geometry;  // in the desktop's device pixels
    QRect available; // without panels and docks
    double scale = 1.0;
    QSizeF physicalSizeMm; // as the monitor reports it; empty when unknown
    bool primary = false;
    // What the monitor tells about itself, where the desktop passes it on; empty otherwise.
    struct Maker {
        QString manufacturer;
        QString model;
        QString serialNumber;
    } maker;
};

// Twips per device pixel at a scale: 15 at 96 dpi.
float twipsPerPixelAt(double scale);

// The monitor holding a point: the one that contains it, else the nearest one. An empty info (scale 1)
// when there is no monitor at all.
ScreenInfo screenAt(const QList<ScreenInfo>& screens, QPoint point);
ScreenInfo primaryScreen(const QList<ScreenInfo>& screens);
// The rectangle moved by the least amount that puts it wholly inside the area (its top-left corner when
// it is larger than the area).
QRect keptInside(const QRect& rect, const QRect& area);
// Where a screen-sharing stream lies on the desktop: at the position the desktop gives, with its size
// (GNOME's and wlroots' portals give both in desktop pixels); without a position (KDE's portal gives
// only the size, in the monitor's device pixels) on the monitor of that size, else of that shape, else
// the only monitor there is. nullopt when that leaves more than one monitor.
std::optional<QRect> streamArea(std::optional<QPoint> position, QSize size, const QList<QRect>& monitors);

// Why the screen gives no copies at all, as opposed to a single copy that failed: the desktop offers no
// screen sharing, the user did not allow it, the sharing ended (the desktop ended it, its stream went
// idle or broke, PipeWire went away), the desktop shares no picture at all, or it shares a monitor
// without saying where it lies and more than one monitor would fit; or the program's own part that
// reads the screen-sharing stream, or PipeWire which it needs, is not installed.
enum class ScreenCopyProblem { None, NoScreenSharing, Refused, Ended, NoPicture, UnknownMonitor, NoScreenCastModule };

// The screen: pixel density, its monitors and the desktop's pixels.
class Screen {
public:
    virtual ~Screen() = default;
    // Twips per device pixel of the primary monitor.
    virtual float twipsPerPixelX() const = 0;
    virtual float twipsPerPixelY() const = 0;
    // Every monitor, the primary one included.
    virtual QList<ScreenInfo> screens() const = 0;
    // The resolution at which the toolkit renders font sizes given in points.
    virtual double fontDpi() const { return 96.0; }
    // Runs whenever a monitor comes, goes, or changes its place or size.
    std::function<void()> onScreensChanged;
    // The virtual desktop's bounding rectangle in screen pixels.
    virtual QRect desktopGeometry() const = 0;
    // A copy of the desktop's pixels in rect, always rect's size; pixels outside every screen are black.
    // A null image when the copy failed.
    virtual QImage grab(const QRect& rect) const = 0;
    // Why grab() gives no copies until stopGrabbing(); None while copies come or may still come (while a
    // screen-sharing stream is being set up, say).
    virtual ScreenCopyProblem copyProblem() const { return ScreenCopyProblem::None; }
    // Copies are still being set up (the desktop asking the user, a stream before its first picture):
    // grab() gives null images meanwhile, which is no failure.
    virtual bool preparingCopies() const { return false; }
    // The pointer position in screen pixels where the screen's copy knows it better than the window system
    // (a screen-sharing stream's cursor); nullopt otherwise.
    virtual std::optional<QPoint> cursorPos() const { return std::nullopt; }
    // No more copies for now: a screen that shares the desktop through a stream ends it. The next grab()
    // starts over.
    virtual void stopGrabbing() {}
};

} // namespace kx
