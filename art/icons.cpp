// The control panel's icons: the two calipers, the magnifier, the set square, the cross and the
// question mark. All are drawn in a handful of solid colours on a transparent ground.

#include "art/art.h"
#include "art/raster.h"

#include <QPainter>
#include <QPainterPath>

namespace kx::art {

namespace {

constexpr int kLargeIcon = 32;
constexpr int kSmallIcon = 16;

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kDarkGrey = 0xFF404040;
constexpr QRgb kGrey = 0xFF808080;
constexpr QRgb kLightGrey = 0xFFC0C0C0;
constexpr QRgb kYellow = 0xFFFFD800;
constexpr QRgb kGreen = 0xFF00A000;
constexpr QRgb kDarkGreen = 0xFF005000;

QImage blank(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void fill(QImage& image, int x0, int y0, int x1, int y1, QRgb colour) {
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            image.setPixel(x, y, colour);
}

// ---- Caliper silhouette ---------------------------------------------------------------------------

constexpr int kBeamTop = 3;
constexpr int kBeamBottom = 8;
constexpr int kBeamLeft = 1;
constexpr int kBeamRight = 30;
constexpr int kJawRight = 7; // the jaw's measuring edge
constexpr int kJawStraightBottom = 21;
constexpr int kJawTip = 28;  // lowest row of the tapering jaw
constexpr int kScaleRow = 7; // grey scale marks along the lower edge of the beam
constexpr int kScaleFirst = 10;
constexpr int kScaleStep = 3;
constexpr int kTargetSize = 10;

// Black caliper lying horizontally: beam along the top, jaw hanging down at the left.
QImage caliperSilhouette() {
    QImage image = blank(kLargeIcon);
    fill(image, kBeamLeft, kBeamTop, kBeamRight, kBeamBottom, kBlack);
    fill(image, kBeamLeft, kBeamBottom, kJawRight, kJawStraightBottom, kBlack);
    const int taperRows = kJawTip - kJawStraightBottom;
    for (int y = kJawStraightBottom + 1; y <= kJawTip; ++y) {
        const int left = raster::lerpRound(kBeamLeft, kJawRight - 1, y - kJawStraightBottom, taperRows);
        fill(image, left, y, kJawRight, y, kBlack);
    }
    for (int i = 0, x = kScaleFirst; x < kBeamRight; ++i, x += kScaleStep)
        fill(image, x, i % 2 == 0 ? kScaleRow - 1 : kScaleRow, x, kScaleRow, kGrey);
    return image;
}

// A white square with a yellow cross-hair, the target the caliper measures.
void drawTarget(QImage& image, int left, int top) {
    const int right = left + kTargetSize - 1;
    const int bottom = top + kTargetSize - 1;
    fill(image, left, top, right, bottom, kDarkGrey);
    fill(image, left + 1, top + 1, right - 1, bottom - 1, kWhite);
    const int mid = left + kTargetSize / 2; // the cross-hair is two pixels thick: mid - 1 ... mid
    fill(image, mid - 1, top + 2, mid, top + 3, kYellow);
    fill(image, mid - 1, bottom - 3, mid, bottom - 2, kYellow);
    fill(image, left + 2, top + kTargetSize / 2 - 1, left + 3, top + kTargetSize / 2, kYellow);
    fill(image, right - 3, top + kTargetSize / 2 - 1, right - 2, top + kTargetSize / 2, kYellow);
    fill(image, mid - 1, top + kTargetSize / 2 - 1, mid, top + kTargetSize / 2, kYellow);
}

} // namespace

QImage horizontalCaliperIcon() {
    QImage image = caliperSilhouette();
    drawTarget(image, kJawRight + 4, kBeamBottom + 4);
    return image;
}

QImage verticalCaliperIcon() {
    // Stood upright: the beam runs down the right side, the jaw points left at the top, and the
    // target sits at the upper left below the jaw.
    QImage image = raster::turnClockwise(caliperSilhouette());
    drawTarget(image, 4, kJawRight + 3);
    return image;
}

QImage magnifierIcon() {
    QImage image = blank(kLargeIcon);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Handle first, so the rim covers its upper end.
    p.setPen(QPen(QColor(kDarkGrey), 5.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19.5, 19.5), QPointF(28.0, 28.0));
    p.setPen(QPen(QColor(kBlack), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20.0, 20.0), QPointF(28.0, 28.0));
    p.setPen(QPen(QColor(kBlack), 2.5));
    p.setBrush(QColor(kLightGrey));
    p.drawEllipse(QPointF(12.5, 12.5), 9.0, 9.0);
    p.setPen(QPen(QColor(kWhite), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7.0, 7.0, 11.0, 11.0), 100 * 16, 70 * 16); // glint on the glass
    p.end();
    return image;
}

QImage setSquareIcon() {
    QImage image = blank(kSmallIcon);
    // The screen: dark frame, white face, and a small stand.
    fill(image, 0, 1, 15, 11, kDarkGrey);
    fill(image, 1, 2, 14, 10, kWhite);
    fill(image, 6, 12, 9, 12, kDarkGrey);
    fill(image, 4, 13, 11, 13, kDarkGrey);
    // The set square: a right triangle with its right angle at the lower left, hollow inside.
    for (int y = 3; y <= 9; ++y) {
        const int right = 2 + (y - 3);
        for (int x = 2; x <= right; ++x) {
            const bool hole = y >= 6 && y <= 8 && x >= 3 && x <= right - 2;
            if (!hole) image.setPixel(x, y, kGrey);
        }
    }
    // The pen, standing slanted at the right of the screen, nib down.
    for (int i = 0; i < 6; ++i) {
        const int x = 13 - i / 2;
        image.setPixel(x, 3 + i, kGreen);
        image.setPixel(x - 1, 3 + i, i == 0 ? kDarkGreen : kGreen);
    }
    image.setPixel(10, 9, kDarkGreen);
    image.setPixel(11, 9, kBlack);
    return image;
}

QImage crossIcon() {
    QImage image = blank(kSmallIcon);
    constexpr int kFirst = 2;
    constexpr int kLast = 13;
    for (int t = kFirst; t <= kLast; ++t) {
        for (int x : {t, t + 1}) {
            if (x > kLast) continue;
            image.setPixel(x, t, kBlack);
            image.setPixel(kSmallIcon - 1 - x, t, kBlack);
        }
    }
    return image;
}

QImage questionMarkIcon() {
    static const std::vector<const char*> rows{
        "",
        ".....xxxxx",
        "....xxxxxxx",
        "...xxx...xxx",
        "...xxx...xxx",
        ".........xxx",
        "........xxx",
        ".......xxx",
        "......xxx",
        "......xxx",
        "",
        "......xxx",
        "......xxx",
    };
    return raster::outlinedMask(raster::maskFromRows(kSmallIcon, kSmallIcon, rows), kYellow, kBlack);
}

} // namespace kx::art
