#include "platform/screen.h"

#include <algorithm>
#include <limits>

namespace kx {

float twipsPerPixelAt(double scale) {
    return static_cast<float>(1440.0 / (96.0 * (scale > 0 ? scale : 1.0)));
}

namespace {
long long distanceSquared(const QRect& r, QPoint p) {
    const long long dx = p.x() < r.left() ? r.left() - p.x() : p.x() > r.right() ? p.x() - r.right() : 0;
    const long long dy = p.y() < r.top() ? r.top() - p.y() : p.y() > r.bottom() ? p.y() - r.bottom() : 0;
    return dx * dx + dy * dy;
}
} // namespace

ScreenInfo screenAt(const QList<ScreenInfo>& screens, QPoint point) {
    const ScreenInfo* best = nullptr;
    long long bestDistance = std::numeric_limits<long long>::max();
    for (const ScreenInfo& s : screens) {
        const long long d = distanceSquared(s.geometry, point);
        if (d < bestDistance) {
            best = &s;
            bestDistance = d;
        }
    }
    return best ? *best : ScreenInfo{};
}

ScreenInfo primaryScreen(const QList<ScreenInfo>& screens) {
    for (const ScreenInfo& s : screens)
        if (s.primary) return s;
    return screens.isEmpty() ? ScreenInfo{} : screens.first();
}

QRect keptInside(const QRect& rect, const QRect& area) {
    if (area.isEmpty()) return rect;
    QRect r = rect;
    if (r.right() > area.right()) r.moveRight(area.right());
    if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
    if (r.left() < area.left()) r.moveLeft(area.left());
    if (r.top() < area.top()) r.moveTop(area.top());
    return r;
}

std::optional<QRect> streamArea(std::optional<QPoint> position, QSize size, const QList<QRect>& monitors) {
    if (position) return QRect(*position, size);
    if (monitors.isEmpty()) return QRect(QPoint(), size);
    QList<QRect> same, scaled;
    for (const QRect& m : monitors) {
        if (m.size() == size)
            same.append(m);
        else if (qint64(size.width()) * m.height() == qint64(size.height()) * m.width())
            scaled.append(m);
    }
    if (same.size() == 1) return same.first();
    if (same.isEmpty() && scaled.size() == 1) return scaled.first();
    if (same.isEmpty() && scaled.isEmpty() && monitors.size() == 1) return monitors.first();
    return std::nullopt;
}

} // namespace kx
