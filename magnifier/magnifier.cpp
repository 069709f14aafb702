#include "magnifier/magnifier.h"

#include <QCoreApplication>
#include <QPainter>
#include <cmath>

namespace kx {

namespace {
constexpr int kPointerOffset = 30;
constexpr double kOneThird = 1.0 / 3.0;
constexpr int kNoticeMargin = 8;
const QColor kNoticeBackground(0xFF, 0xFF, 0xE1); // the classic tooltip colours
const QColor kNoticeText(Qt::black);

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

QString noticeText(ScreenCopyProblem problem) {
    switch (problem) {
    case ScreenCopyProblem::NoScreenSharing:
        return QCoreApplication::translate("Kalibrix", "This desktop offers no screen sharing, so the magnifier "
                                                       "cannot see the screen.");
    case ScreenCopyProblem::Refused:
        return QCoreApplication::translate("Kalibrix", "Screen sharing was not allowed, so the magnifier cannot "
                                                       "see the screen.");
    case ScreenCopyProblem::Ended:
        return QCoreApplication::translate("Kalibrix", "Screen sharing has ended. Switch the magnifier on again "
                                                       "to restart it.");
    case ScreenCopyProblem::NoPicture:
        return QCoreApplication::translate("Kalibrix", "The desktop shares the screen but sends no picture, so "
                                                       "the magnifier cannot see the screen.");
    case ScreenCopyProblem::UnknownMonitor:
        return QCoreApplication::translate("Kalibrix", "The desktop shares a monitor without saying where it "
                                                       "lies, and several monitors would fit, so the magnifier "
                                                       "cannot tell what it sees.");
    case ScreenCopyProblem::None:
        break;
    }
    return {};
}

ScreenCopyProblem Magnifier::refresh() {
    // A screen-sharing stream knows the pointer also over windows of other programs.
    const QPoint pointer = m_env.screen.cursorPos().value_or(m_env.windows.cursorPos());
    m_view.cls();
    m_view.setScaleMode(forms::PictureBox::ScaleMode::Pixels);
    const std::int16_t w = roundToEven16(m_view.scaleWidth());
    const std::int16_t h = roundToEven16(m_view.scaleHeight());
    const QRect source = magnifierSource(pointer, w, h, m_view.scale());
    const QImage shot = m_env.screen.grab(source);
    if (shot.isNull()) return m_env.screen.copyProblem();
    QPainter p(&m_view.drawing());
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRect(0, 0, w, h), shot);
    p.end();
    m_view.update();
    return ScreenCopyProblem::None;
}

void Magnifier::showNotice(ScreenCopyProblem problem) {
    QImage& image = m_view.drawing();
    QPainter p(&image);
    p.fillRect(image.rect(), kNoticeBackground);
    p.setPen(kNoticeText);
    p.setFont(m_view.font());
    p.drawText(image.rect().adjusted(kNoticeMargin, kNoticeMargin, -kNoticeMargin, -kNoticeMargin),
               Qt::AlignCenter | Qt::TextWordWrap, noticeText(problem));
    p.end();
    m_view.update();
}

bool Magnifier::preparing() const {
    return m_env.screen.preparingCopies();
}

void Magnifier::stop() {
    m_env.screen.stopGrabbing();
}

} // namespace kx
