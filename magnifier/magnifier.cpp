#include "magnifier/magnifier.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>

namespace kx {

namespace {
constexpr int kPointerOffset = 30;
constexpr double kOneThird = 1.0 / 3.0;
constexpr int kNoticeMargin = 8;
const QColor kNoticeBackground(0xFF, 0xFF, 0xE1); // the classic tooltip colours
const QColor kNoticeText(Qt::black);
constexpr std::array<int, 7> kZooms{2, 3, 4, 6, 8, 12, 16};
constexpr int kGridGrey = 0x80; // the grid: this grey over the pixels, at kGridShare / 256
constexpr int kGridShare = 0x60;
constexpr int kCrosshairArm = 6;  // 96-dpi pixels beyond the pixel's block, at least
constexpr int kStripPadding = 2;  // 96-dpi pixels round the colour line

std::int16_t roundToEven16(double v) {
    return static_cast<std::int16_t>(std::nearbyint(v)); // the default rounding mode: halves to even
}

// Every pixel of the source as a zoom x zoom block from the top-left corner of the view, as far as the
// view reaches. (A painter's enlargement of a small picture into a large one ran on a pool of threads
// and took twice the processor time at 16x that it takes at 3x.)
void enlarge(const QImage& source, int zoom, QImage& view) {
    const int w = std::min(view.width(), source.width() * zoom), h = std::min(view.height(), source.height() * zoom);
    for (int y = 0; y < h; y += zoom) {
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y / zoom));
        auto* first = reinterpret_cast<QRgb*>(view.scanLine(y));
        for (int x = 0; x < w; ++x) first[x] = from[x / zoom];
        for (int k = 1; k < zoom && y + k < h; ++k)
            std::copy(first, first + w, reinterpret_cast<QRgb*>(view.scanLine(y + k)));
    }
}

QRgb gridOver(QRgb c) {
    auto mix = [](int v) { return v + ((kGridGrey - v) * kGridShare >> 8); };
    return qRgb(mix(qRed(c)), mix(qGreen(c)), mix(qBlue(c)));
}

int scaled(double v, double scale) {
    return std::max(1, int(std::lround(v * scale)));
}

} // namespace

QRect magnifierSource(QPoint pointer, int viewWidth, int viewHeight, double scale, int zoom) {
    if (zoom != Magnifier::kDefaultZoom) {
        const int sw = (viewWidth + zoom - 1) / zoom, sh = (viewHeight + zoom - 1) / zoom;
        return QRect(pointer.x() - viewWidth / 2 / zoom, pointer.y() - viewHeight / 2 / zoom, sw, sh);
    }
    const std::int16_t sw = roundToEven16(kOneThird * viewWidth);
    const std::int16_t sh = roundToEven16(kOneThird * viewHeight);
    const int offset = static_cast<int>(std::lround(kPointerOffset * scale));
    return QRect(pointer.x() - offset, pointer.y() - offset, sw, sh);
}

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
    case ScreenCopyProblem::NoScreenCastModule:
        return QCoreApplication::translate("Kalibrix", "The magnifier cannot see the screen on this desktop: "
                                                       "Kalibrix's screen-cast module or PipeWire is not "
                                                       "installed.");
    case ScreenCopyProblem::None:
        break;
    }
    return {};
}

QString colourName(QRgb colour) {
    return QColor(colour).name(QColor::HexRgb).toUpper();
}

QString colourLine(QRgb colour) {
    return QStringLiteral("%1  RGB %2, %3, %4").arg(colourName(colour)).arg(qRed(colour)).arg(qGreen(colour)).arg(qBlue(colour));
}

void drawPointerMarks(QImage& view, QRect block, QRgb colour, int zoom, const QFont& font, double scale) {
    if (zoom >= Magnifier::kGridFromZoom) {
        // Lines between the pixel blocks, on the blocks' edges counted from the pointer's block, blended
        // pixel by pixel: half-transparent lines drawn by a painter made a refresh at 16x take ten to
        // twenty times as long as one at 3x.
        const int x0 = block.left() % zoom, y0 = block.top() % zoom;
        for (int y = 0; y < view.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(view.scanLine(y));
            const bool across = (y - y0) % zoom == 0;
            for (int x = across ? 0 : x0; x < view.width(); x += across ? 1 : zoom) line[x] = gridOver(line[x]);
        }
    }
    QPainter p(&view);
    // The crosshair: a frame just outside the block and four arms, each pixel inverted, so that it shows
    // on every colour round it.
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.setPen(Qt::black);
    const QRect frame = block.adjusted(-1, -1, 0, 0);
    p.drawRect(frame);
    const int arm = std::max(scaled(kCrosshairArm, scale), 2 * zoom);
    const QPoint c = block.center();
    p.drawLine(frame.left() - arm, c.y(), frame.left() - 1, c.y());
    p.drawLine(frame.right() + 1, c.y(), frame.right() + arm, c.y());
    p.drawLine(c.x(), frame.top() - arm, c.x(), frame.top() - 1);
    p.drawLine(c.x(), frame.bottom() + 1, c.x(), frame.bottom() + arm);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);

    // The colour line, in a strip along the lower edge: the swatch, then the name and the channels.
    p.setFont(font);
    const QFontMetrics metrics(font);
    const int pad = scaled(kStripPadding, scale);
    const int height = metrics.height() + 2 * pad;
    const QRect strip(0, view.height() - height, view.width(), height);
    p.fillRect(strip, kNoticeBackground);
    p.setPen(kNoticeText);
    p.drawLine(strip.topLeft(), strip.topRight());
    const int side = metrics.height() - pad;
    const QRect swatch(strip.left() + pad, strip.top() + (height - side) / 2 + 1, side, side);
    p.fillRect(swatch, QColor(colour));
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
    p.drawText(strip.adjusted(swatch.right() + 2 * pad, 1, -pad, 0), Qt::AlignLeft | Qt::AlignVCenter,
               colourLine(colour));
}

// The view's wheel and the copy key in its window, while the magnifier is on.
class Magnifier::Events final : public QObject {
public:
    explicit Events(Magnifier& magnifier) : m(magnifier) {
        m.m_view.installEventFilter(this);
        if (QWidget* window = m.m_view.window(); window != &m.m_view) window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m.m_colour) return false;
        if (event->type() == QEvent::Wheel && watched == &m.m_view) {
            // One step per notch of a wheel (120); a touchpad or a free-spinning wheel sends many small
            // parts of one, which add up.
            m_turned += static_cast<QWheelEvent*>(event)->angleDelta().y();
            for (; m_turned >= kNotch; m_turned -= kNotch) m.zoomBy(1);
            for (; m_turned <= -kNotch; m_turned += kNotch) m.zoomBy(-1);
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy))
            return m.copyColour();
        return false;
    }

private:
    static constexpr int kNotch = 120;
    Magnifier& m;
    int m_turned = 0;
};

Magnifier::Magnifier(forms::Environment& env, forms::PictureBox& view)
    : m_env(env), m_view(view), m_events(std::make_unique<Events>(*this)) {}

Magnifier::~Magnifier() = default;

ScreenCopyProblem Magnifier::refresh() {
    // A screen-sharing stream knows the pointer also over windows of other programs.
    const QPoint pointer = m_env.screen.cursorPos().value_or(m_env.windows.cursorPos());
    m_view.cls();
    m_view.setScaleMode(forms::PictureBox::ScaleMode::Pixels);
    const std::int16_t w = roundToEven16(m_view.scaleWidth());
    const std::int16_t h = roundToEven16(m_view.scaleHeight());
    const QRect source = magnifierSource(pointer, w, h, m_view.scale(), m_zoom);
    const QImage shot = m_env.screen.grab(source);
    if (shot.isNull()) {
        m_colour.reset();
        return m_env.screen.copyProblem();
    }
    // At 3x the source is stretched over the whole view, as it always was; at other zooms every pixel
    // is a block of zoom x zoom, and the view shows what fits.
    const QRect target = m_zoom == kDefaultZoom ? QRect(0, 0, w, h) : QRect(QPoint(0, 0), source.size() * m_zoom);
    const QPoint at = pointer - source.topLeft();
    const QRect block(at.x() * target.width() / source.width(), at.y() * target.height() / source.height(),
                      target.width() / source.width(), target.height() / source.height());
    m_colour = shot.pixel(at);
    QImage& drawing = m_view.drawing();
    if (target.size() == source.size() * m_zoom && drawing.format() == QImage::Format_RGB32) {
        enlarge(shot.convertToFormat(QImage::Format_RGB32), m_zoom, drawing);
    } else {
        QPainter p(&drawing);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(target, shot);
    }
    drawPointerMarks(drawing, block, *m_colour, m_zoom, m_view.font(), m_view.scale());
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
    m_colour.reset();
    m_zoom = kDefaultZoom;
    m_env.screen.stopGrabbing();
}

void Magnifier::zoomBy(int steps) {
    auto at = std::find(kZooms.begin(), kZooms.end(), m_zoom);
    const int index = std::clamp(int(at - kZooms.begin()) + steps, 0, int(kZooms.size()) - 1);
    m_zoom = kZooms[std::size_t(index)];
}

bool Magnifier::copyColour() {
    if (!m_colour) return false;
    m_env.shell.copyText(colourName(*m_colour));
    return true;
}

} // namespace kx
