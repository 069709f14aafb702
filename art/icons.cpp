// The control panel's icons: the two calipers, the magnifier, the set square, the cross and the
// question mark. All are drawn in a handful of solid colours on a transparent ground, from shapes
// laid out on the design grid and drawn at the scale asked for; at the sizes of an icon theme below
// the design size the finest details are left out.

#include "art/art.h"
#include "art/raster.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

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

// Fills the device pixels of the design rectangle x0 ... x1, y0 ... y1.
void fill(QImage& image, const raster::Grid& grid, int x0, int y0, int x1, int y1, QRgb colour) {
    const PixelRun xs = grid.x.run(x0, x1), ys = grid.y.run(y0, y1);
    raster::fillRect(image, QRect(QPoint(xs.first, ys.first), QPoint(xs.last, ys.last)), colour);
}

// Fills the device rows of a design block, sloped ends drawn at device resolution.
void fill(QImage& image, const raster::Grid& grid, const raster::Block& block, QRgb colour) {
    raster::forEachRow(grid, block, [&](int y, int first, int last) {
        raster::fillRect(image, QRect(QPoint(first, y), QPoint(last, y)), colour);
    });
}

// The device rectangle of a design rectangle.
QRect deviceRect(const raster::Grid& grid, int x0, int y0, int x1, int y1) {
    const PixelRun xs = grid.x.run(x0, x1), ys = grid.y.run(y0, y1);
    return QRect(QPoint(xs.first, ys.first), QPoint(xs.last, ys.last));
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

// Black caliper lying horizontally: beam along the top, jaw hanging down at the left. Icon sizes
// below 32 pixels leave out the scale marks, which would run together.
QImage caliperSilhouette(const raster::Grid& grid) {
    QImage image = blank(grid.x.length());
    fill(image, grid, kBeamLeft, kBeamTop, kBeamRight, kBeamBottom, kBlack);
    fill(image, grid, kBeamLeft, kBeamBottom, kJawRight, kJawStraightBottom, kBlack);
    fill(image, grid, {kJawStraightBottom, kJawTip, {kBeamLeft, kJawRight - 1}, kJawRight}, kBlack);
    if (grid.scale < 1.0) return image;
    for (int i = 0, x = kScaleFirst; x < kBeamRight; ++i, x += kScaleStep) {
        const int left = grid.x.at(x);
        const PixelRun rows = grid.y.run(i % 2 == 0 ? kScaleRow - 1 : kScaleRow, kScaleRow);
        raster::fillRect(image, QRect(QPoint(left, rows.first), QPoint(left + grid.line - 1, rows.last)),
                         kGrey);
    }
    return image;
}

// A white square with a yellow cross-hair, the target the caliper measures. Below 32 pixels only
// the cross-hair's centre is drawn.
void drawTarget(QImage& image, const raster::Grid& grid, int left, int top) {
    const int right = left + kTargetSize - 1;
    const int bottom = top + kTargetSize - 1;
    const QRect square = deviceRect(grid, left, top, right, bottom);
    raster::fillRect(image, square, kDarkGrey);
    raster::fillRect(image, square.adjusted(grid.line, grid.line, -grid.line, -grid.line), kWhite);
    const int mid = left + kTargetSize / 2; // the cross-hair is two pixels thick: mid - 1 ... mid
    const int middle = top + kTargetSize / 2;
    fill(image, grid, mid - 1, middle - 1, mid, middle, kYellow);
    if (grid.scale < 1.0) return;
    fill(image, grid, mid - 1, top + 2, mid, top + 3, kYellow);
    fill(image, grid, mid - 1, bottom - 3, mid, bottom - 2, kYellow);
    fill(image, grid, left + 2, middle - 1, left + 3, middle, kYellow);
    fill(image, grid, right - 3, middle - 1, right - 2, middle, kYellow);
}

} // namespace

QImage horizontalCaliperIcon(double scale) {
    const raster::Grid grid(kLargeIcon, kLargeIcon, scale);
    QImage image = caliperSilhouette(grid);
    drawTarget(image, grid, kJawRight + 4, kBeamBottom + 4);
    return image;
}

QImage verticalCaliperIcon(double scale) {
    // Stood upright: the beam runs down the right side, the jaw points left at the top, and the
    // target sits at the upper left below the jaw.
    QImage image =
        raster::turnClockwise(caliperSilhouette(raster::Grid(kLargeIcon, kLargeIcon, scale, true)));
    drawTarget(image, raster::Grid(kLargeIcon, kLargeIcon, scale), 4, kJawRight + 3);
    return image;
}

QImage magnifierIcon(double scale) {
    QImage image = blank(toDevice(kLargeIcon, scale));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
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

QImage setSquareIcon(double scale) {
    const raster::Grid grid(kSmallIcon, kSmallIcon, scale);
    QImage image = blank(grid.x.length());
    // The screen: dark frame, white face, and a small stand.
    const QRect screen = deviceRect(grid, 0, 1, 15, 11);
    raster::fillRect(image, screen, kDarkGrey);
    raster::fillRect(image, screen.adjusted(grid.line, grid.line, -grid.line, -grid.line), kWhite);
    fill(image, grid, 6, 12, 9, 12, kDarkGrey);
    fill(image, grid, 4, 13, 11, 13, kDarkGrey);
    // The set square: a right triangle with its right angle at the lower left, hollow inside.
    fill(image, grid, {3, 9, 2, {2, 8}}, kGrey);
    fill(image, grid, {6, 8, 3, {3, 5}}, kWhite);
    // The pen, standing slanted at the right of the screen, nib down.
    fill(image, grid, {3, 8, {12, 10}, {13, 11}}, kGreen);
    fill(image, grid, 12, 3, 12, 3, kDarkGreen);
    fill(image, grid, 10, 9, 10, 9, kDarkGreen);
    fill(image, grid, 11, 9, 11, 9, kBlack);
    return image;
}

QImage crossIcon(double scale) {
    // Two strokes two pixels thick from corner to corner, the second the mirror image of the first.
    constexpr int kFirst = 2;
    constexpr int kLast = 13;
    const raster::Grid grid(kSmallIcon, kSmallIcon, scale);
    QImage image = blank(grid.x.length());
    const int size = grid.x.length();
    const int top = grid.y.at(kFirst), bottom = grid.y.at(kLast + 1) - 1;
    const int left = grid.x.at(kFirst), right = grid.x.at(kLast + 1) - 1;
    const int thickness = std::max(1, int(std::lround(2 * scale)));
    for (int y = top; y <= bottom; ++y) {
        const int first = raster::lerpRound(left, right, y - top, bottom - top);
        for (int x = first; x <= std::min(first + thickness - 1, right); ++x) {
            image.setPixel(x, y, kBlack);
            image.setPixel(size - 1 - x, y, kBlack);
        }
    }
    return image;
}

QImage questionMarkIcon(double scale) {
    raster::Mask mask(raster::Grid(kSmallIcon, kSmallIcon, scale));
    mask.add({1, 2, {5, 4}, {9, 10}}); // the top of the hook
    mask.add({3, 4, 3, 5});            // its left end
    mask.add({3, 5, 9, 11});           // its right side
    mask.add({5, 8, {9, 6}, {11, 8}}); // running down to the stem
    mask.add({8, 9, 6, 8});            // the stem
    mask.add({11, 12, 6, 8});          // the dot
    return raster::outlinedMask(mask, kYellow, kBlack);
}

} // namespace kx::art
