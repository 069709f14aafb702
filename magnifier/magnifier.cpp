#include "magnifier/magnifier.h"

#include <QPainter>
#include <cmath>

namespace kx {

namespace {
constexpr int kPointerOffset = 30;
constexpr double kOneThird = 1.0 / 3.0;

std::int16_t roundToEven16(double v) {
    return static_cast<std::int16_t>(std::nearbyint(v)); // the default rounding mode: halves to even
}
} // namespace

QRect magnifierSource(QPoint pointer, int viewWidth, int viewHeight, double scale) {
    const std::int16_t sw = roundToEven16(kOneThird * viewWidth);
    const std::int16_t sh = roundToEven16(kOneThird * viewHeight);
    const int offset = static_cast<int>(std::lround(kPointerOffset * scale));
    return QRect(pointer.x() - offset, pointer.y() - offset, sw, sh);
}

Magnifier::Magnifier(forms::Environment& env, forms::PictureBox& view) : m_env(env), m_view(view) {}

void Magnifier::refresh() {
    const QPoint pointer = m_env.windows.cursorPos();
    m_view.cls();
    m_view.setScaleMode(forms::PictureBox::ScaleMode::Pixels);
    const std::int16_t w = roundToEven16(m_view.scaleWidth());
    const std::int16_t h = roundToEven16(m_view.scaleHeight());
    const QRect source = magnifierSource(pointer, w, h, m_view.scale());
    const QImage shot = m_env.screen.grab(source);
    if (shot.isNull()) return;
    QPainter p(&m_view.drawing());
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRect(0, 0, w, h), shot);
    p.end();
    m_view.update();
}

} // namespace kx
