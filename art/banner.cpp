// The banner of the control panel: the web address written diagonally over a dark blue square.

#include "art/art.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kx::art {

namespace {

constexpr int kBannerSize = 180;
constexpr QRgb kCornerBlue = 0xFF203878;
constexpr QRgb kMiddleBlue = 0xFF4A6EC0;
constexpr QRgb kLetterYellow = 0xFFFFE21E;
constexpr QRgb kShadow = 0xFF0A1230;
constexpr double kShadowOffset = 1.5;
constexpr double kDiagonalMargin = 22.0; // kept free at each corner along the diagonal
constexpr int kLargestLetters = 22;      // pixel size of the letters for a short address
constexpr int kSmallestLetters = 6;

// The square, #203878 in its corners and lighter towards the middle.
QImage ground(double scale) {
    const int size = toDevice(kBannerSize, scale);
    QImage image(size, size, QImage::Format_RGB32);
    const double centre = (size - 1) / 2.0;
    const double reach = std::hypot(centre, centre);
    for (int y = 0; y < size; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size; ++x) {
            const double t = std::min(1.0, std::hypot(x - centre, y - centre) / reach);
            auto channel = [t](int corner, int middle) {
                return int(std::lround(middle + (corner - middle) * t));
            };
            line[x] = qRgb(channel(qRed(kCornerBlue), qRed(kMiddleBlue)),
                           channel(qGreen(kCornerBlue), qGreen(kMiddleBlue)),
                           channel(qBlue(kCornerBlue), qBlue(kMiddleBlue)));
        }
    }
    return image;
}

// Letters need the font machinery of a running QGuiApplication and at least one installed font;
// without them the banner is the bare square.
bool canDrawText() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr &&
           !QFontDatabase::families().isEmpty();
}

// Writes `text` along the diagonal from the top-left to the bottom-right corner, turned by a
// further `extraTurn` degrees about the middle. The letters are sized in device pixels, so that
// they are hinted for the screen they are shown on.
void writeDiagonally(QImage& image, const QString& text, double extraTurn, double scale) {
    if (text.isEmpty() || !canDrawText()) return;

    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    const double room = image.width() * std::sqrt(2.0) - 2 * kDiagonalMargin * scale;
    const int smallest = std::max(1, int(std::lround(kSmallestLetters * scale)));
    int size = std::max(smallest, int(std::lround(kLargestLetters * scale)));
    for (; size > smallest; --size) {
        font.setPixelSize(size);
        if (QFontMetricsF(font).horizontalAdvance(text) <= room) break;
    }
    font.setPixelSize(size);

    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.translate(image.width() / 2.0, image.height() / 2.0);
    p.rotate(45.0 + extraTurn);
    const QRectF box(-room / 2, -size, room, 2.0 * size);
    const double shadow = kShadowOffset * scale;
    p.setPen(QColor(kShadow));
    p.drawText(box.translated(shadow, shadow), Qt::AlignCenter, text);
    p.setPen(QColor(kLetterYellow));
    p.drawText(box, Qt::AlignCenter, text);
}

} // namespace

QImage banner(const QString& webAddress, double scale) {
    // The panel shows it from the start and gives it again to the box it comes back to after the
    // magnifier: the last one drawn is kept (it shares its pixels with the box that shows it).
    static struct {
        QString address;
        double scale = 0;
        bool text = false;
        QImage image;
    } last;
    const bool text = canDrawText();
    if (!last.image.isNull() && last.address == webAddress && last.scale == scale && last.text == text)
        return last.image;
    QImage image = ground(scale);
    writeDiagonally(image, webAddress, 0.0, scale);
    last = {webAddress, scale, text, image};
    return image;
}

QImage bannerUpsideDown(const QString& webAddress, double scale) {
    QImage image = ground(scale);
    writeDiagonally(image, webAddress, 180.0, scale);
    return image;
}

} // namespace kx::art
