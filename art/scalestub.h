#pragma once
// Placeholder until the artwork draws itself at any scale: the 96-dpi pictures enlarged.
#include <QImage>
#include <QPoint>
#include <cmath>
namespace kx::art {
namespace stub {
inline QImage nearest(const QImage& i, double s) {
    if (s == 1.0) return i;
    const QSize size(int(std::ceil(i.width() * s - 0.5)), int(std::ceil(i.height() * s - 0.5)));
    return i.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
inline CursorArt nearest(const CursorArt& c, double s) {
    return {nearest(c.image, s), QPoint(int(c.hotSpot.x() * s), int(c.hotSpot.y() * s))};
}
} // namespace stub
inline QImage horizontalCaliperIcon(double s) { return stub::nearest(horizontalCaliperIcon(), s); }
inline QImage verticalCaliperIcon(double s) { return stub::nearest(verticalCaliperIcon(), s); }
inline QImage magnifierIcon(double s) { return stub::nearest(magnifierIcon(), s); }
inline QImage setSquareIcon(double s) { return stub::nearest(setSquareIcon(), s); }
inline QImage crossIcon(double s) { return stub::nearest(crossIcon(), s); }
inline QImage questionMarkIcon(double s) { return stub::nearest(questionMarkIcon(), s); }
inline QImage rulerStrip(double s) { return stub::nearest(rulerStrip(), s); }
inline QImage banner(const QString& a, double s) { return stub::nearest(banner(a), s); }
inline QImage bannerUpsideDown(const QString& a, double s) { return stub::nearest(bannerUpsideDown(a), s); }
inline CursorArt pointingHandCursor(double s) { return stub::nearest(pointingHandCursor(), s); }
inline QImage horizontalBeam(double s) { return stub::nearest(horizontalBeam(), s); }
inline QImage horizontalSlider(double s) { return stub::nearest(horizontalSlider(), s); }
inline QImage verticalBeam(double s) { return stub::nearest(verticalBeam(), s); }
inline QImage verticalSlider(double s) { return stub::nearest(verticalSlider(), s); }
inline QImage nudgeButtonFace(double s) { return stub::nearest(nudgeButtonFace(), s); }
inline CursorArt openHandCursor(double s) { return stub::nearest(openHandCursor(), s); }
inline CursorArt grabbingHandCursor(double s) { return stub::nearest(grabbingHandCursor(), s); }
inline QImage rulerFrame(int n, double s) { return stub::nearest(rulerFrame(n), s); }
} // namespace kx::art
