#include "platform/fake/fakescreen.h"

#include <QPainter>

namespace kx {

QRgb FakeScreen::patternColor(int x, int y) {
    return qRgb(x & 0xFF, y & 0xFF, ((x >> 8) << 4) | (y >> 8));
}

FakeScreen::FakeScreen() : m_desktop(1280, 800, QImage::Format_RGB32) {
    for (int y = 0; y < m_desktop.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_desktop.scanLine(y));
        for (int x = 0; x < m_desktop.width(); ++x) line[x] = patternColor(x, y);
    }
}

QList<ScreenInfo> FakeScreen::screens() const {
    if (!m_screens.isEmpty()) return m_screens;
    ScreenInfo only;
    only.name = QStringLiteral("fake");
    only.geometry = only.available = m_desktop.rect();
    only.scale = 15.0 / m_tppX;
    only.primary = true;
    return {only};
}

QImage FakeScreen::grab(const QRect& rect) const {
    ++m_grabs;
    if (m_failing || m_preparing || m_problem != ScreenCopyProblem::None || rect.isEmpty()) return {};
    QImage shot(rect.size(), QImage::Format_RGB32);
    shot.fill(Qt::black);
    const QRect source = rect & m_desktop.rect();
    if (!source.isEmpty()) {
        QPainter p(&shot);
        p.drawImage(source.topLeft() - rect.topLeft(), m_desktop, source);
    }
    return shot;
}

} // namespace kx
