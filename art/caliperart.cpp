// The caliper pictures: the two beams, the two sliders and the nudge button face.
//
// The vertical pictures are drawn as horizontal ones and turned a quarter turn clockwise, so that
// both calipers share one drawing of each part; only their lengths and a few rows differ.

#include "art/art.h"
#include "art/raster.h"

#include <algorithm>

namespace kx::art {

namespace {

using raster::Bevel;
using raster::Shape;

constexpr QRgb kBody = 0xFF003C80; // dark blue of all solid caliper parts

// Paints a jaw's measuring edge over the solid pixels of the device columns and rows given: at least
// the mapped design column, and at least one line wide so that it covers the bevel's outer stripe
// whole.
void paintEdge(QImage& image, const Shape& shape, PixelRun columns, PixelRun rows, QRgb colour) {
    for (int y = rows.first; y <= rows.last; ++y)
        for (int x = columns.first; x <= columns.last; ++x)
            if (shape.solid(x, y)) image.setPixel(x, y, colour);
}

// ---- Beam (P11, and P13 before its turn) ----------------------------------------------------------

constexpr int kBeamHeight = 165;
constexpr int kHorizontalBeamLength = 508;
constexpr int kVerticalBeamLength = 428;
constexpr int kBarLastRow = 26;      // the bar: rows 0 ... 26
constexpr int kJawUpperLastRow = 70; // rows 27 ... 70: jaw x 0 ... 24
constexpr int kJawUpperLastX = 24;
constexpr int kJawStepLastRow = 72; // rows 71 ... 72: jaw x 0 ... 25
constexpr int kJawStepLastX = 25;
constexpr int kJawFullLastRow = 129; // rows 73 ... 129: jaw x 0 ... 27
constexpr int kFixedEdgeX = 27;      // the measuring edge of the fixed jaw
constexpr int kFixedEdgeFirstRow = 73;
constexpr int kTaperLastRow = 163; // rows 130 ... 163: taper, left edge x 1 ... 26
constexpr int kTaperFirstLeft = 1;
constexpr int kTaperLastLeft = 26;
constexpr QRgb kFixedEdgeColour = 0xFF000F20;

// The light-blue highlight dot near the end of the bar, relative to the bar's right end.
constexpr int kDotInsetFromEnd = 7; // first column: length - 7 (x 501 on the 508 bar)
constexpr int kDotSize = 4;
constexpr int kDotTop = 20;
constexpr QRgb kDotLight = 0xFFB4D2F0;
constexpr QRgb kDotRim = 0xFF6E9ACB;

const Bevel kBeamBevel{
    {0xFF99B1CC, 0xFF99B1CC, 0xFF93ACC9, 0xFF7898BC, 0xFF34649A}, // top, rows 0 ... 4
    {0xFF2E5F97, 0xFF36659B, 0xFF3D6B9E, 0xFF3A689D, 0xFF1E538F}, // left, columns 0 ... 4
    {0xFF000F20, 0xFF000F20, 0xFF000F20, 0xFF001328, 0xFF002E61}, // bottom, outermost first
    {0xFF000F20, 0xFF000F20, 0xFF001329, 0xFF002248, 0xFF00336D}, // right, outermost first
    kBody};

// The beam lying horizontally, bar along the top, fixed jaw hanging down at the left. The vertical
// beam is this drawing turned, so it is drawn on mirrored rows (see raster::Axis).
QImage drawBeam(int length, double scale, bool forTurning) {
    Shape shape(raster::Grid(length, kBeamHeight, scale, forTurning));
    shape.setRows(0, 0, 1, length - 1); // pixel (0, 0) stays key colour
    shape.setRows(1, kBarLastRow, 0, length - 1);
    shape.setRows(kBarLastRow + 1, kJawUpperLastRow, 0, kJawUpperLastX);
    shape.setRows(kJawUpperLastRow + 1, kJawStepLastRow, 0, kJawStepLastX);
    shape.setRows(kJawStepLastRow + 1, kJawFullLastRow, 0, kFixedEdgeX);
    shape.setRows(kJawFullLastRow + 1, kTaperLastRow, {kTaperFirstLeft, kTaperLastLeft}, kFixedEdgeX);

    QImage image = raster::shadeShape(shape, kBeamBevel);
    const raster::Grid& grid = shape.grid();
    const PixelRun edgeColumn = grid.x.run(kFixedEdgeX, kFixedEdgeX);
    paintEdge(image, shape, {std::min(edgeColumn.first, edgeColumn.last + 1 - grid.line), edgeColumn.last},
              grid.y.run(kFixedEdgeFirstRow, kTaperLastRow), kFixedEdgeColour);

    // The dot, its rim one line wide.
    const PixelRun dotX = grid.x.run(length - kDotInsetFromEnd, length - kDotInsetFromEnd + kDotSize - 1);
    const PixelRun dotY = grid.y.run(kDotTop, kDotTop + kDotSize - 1);
    const QRect dot(QPoint(dotX.first, dotY.first), QPoint(dotX.last, dotY.last));
    const int rim = grid.line;
    raster::fillDot(image, dot, kDotRim);
    raster::fillRect(image, dot.adjusted(rim, rim, -rim, -rim), kDotLight);
    return image;
}

// ---- Slider (P12, and P14 before its turn) --------------------------------------------------------

constexpr int kSliderWidth = 100;
constexpr int kSliderHeight = 167;
constexpr int kSliderJawUpperFirstX = 3; // the jaw below the sleeve starts at x 3 ...
constexpr int kSliderJawStepFirstX = 2;  // ... then steps out to x 2 ...
constexpr int kSliderJawLastX = 27;      // ... and ends at x 27 on the right
constexpr int kTaperFirstRight = 26;
constexpr QRgb kMovingEdgeColour = 0xFF20274C;

// Row layout of a slider drawn upright with its sleeve at the top. The horizontal slider starts
// with a key-coloured corner pixel; the vertical one, turned, has a sleeve one row shorter and a
// jaw that ends one row higher.
struct SliderRows {
    bool keyCorner;   // pixel (0, 0) left as key colour
    int sleeveLast;   // sleeve: rows 0 ... sleeveLast, x 0 ... 99
    int jawUpperLast; // x 3 ... 27 down to here
    int jawStepLast;  // x 2 ... 27 down to here
    int jawFullLast;  // x 0 ... 27 down to here; the measuring edge starts one row after jawStepLast
    int taperLast;    // taper: right edge from x 26 (row jawFullLast + 1) to x taperLastRight
    int taperLastRight;
};

constexpr SliderRows kHorizontalSliderRows{true, 31, 71, 73, 130, 166, 0};
constexpr SliderRows kVerticalSliderRows{false, 30, 70, 72, 129, 164, 1};

const Bevel kSliderBevel{
    {0xFF8EA9C7, 0xFF829FC1, 0xFF6C8FB6, 0xFF4B75A5, 0xFF1C518E}, // top, rows 0 ... 4
    {0xFF3D6B9E, 0xFF3C6A9E, 0xFF36659B, 0xFF285B94, 0xFF104888}, // left, from the outline inwards
    {0xFF000F20, 0xFF000F20, 0xFF001936, 0xFF002752, 0xFF003571}, // bottom, outermost first
    {0xFF001630, 0xFF001D3F, 0xFF002651, 0xFF002F63, 0xFF003877}, // right, outermost first
    kBody};

QImage drawSlider(const SliderRows& rows, double scale, bool forTurning) {
    Shape shape(raster::Grid(kSliderWidth, kSliderHeight, scale, forTurning));
    shape.setRows(0, rows.sleeveLast, 0, kSliderWidth - 1);
    if (rows.keyCorner) shape.setRows(0, 0, 1, kSliderWidth - 1);
    shape.setRows(rows.sleeveLast + 1, rows.jawUpperLast, kSliderJawUpperFirstX, kSliderJawLastX);
    shape.setRows(rows.jawUpperLast + 1, rows.jawStepLast, kSliderJawStepFirstX, kSliderJawLastX);
    shape.setRows(rows.jawStepLast + 1, rows.jawFullLast, 0, kSliderJawLastX);
    shape.setRows(rows.jawFullLast + 1, rows.taperLast, 0, {kTaperFirstRight, rows.taperLastRight});

    QImage image = raster::shadeShape(shape, kSliderBevel);
    const raster::Grid& grid = shape.grid();
    const PixelRun edgeColumn = grid.x.run(0, 0);
    paintEdge(image, shape, {0, std::max(edgeColumn.last, grid.line - 1)},
              grid.y.run(rows.jawStepLast + 1, rows.taperLast), kMovingEdgeColour);
    return image;
}

// ---- Nudge button face (P15) ----------------------------------------------------------------------

constexpr int kButtonSize = 15;

QRgb mix(QRgb a, QRgb b, double t) {
    auto channel = [t](int x, int y) { return int(x + (y - x) * t + 0.5); };
    return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)), channel(qBlue(a), qBlue(b)));
}

} // namespace

QImage horizontalBeam(double scale) {
    return horizontalBeamOfLength(scale, kHorizontalBeamLength);
}

QImage verticalBeam(double scale) {
    return verticalBeamOfLength(scale, kVerticalBeamLength);
}

QImage horizontalBeamOfLength(double scale, int length) {
    return drawBeam(std::max(length, kShortestBeam), scale, false);
}

QImage verticalBeamOfLength(double scale, int length) {
    return raster::turnClockwise(drawBeam(std::max(length, kShortestBeam), scale, true));
}

QImage horizontalSlider(double scale) {
    return drawSlider(kHorizontalSliderRows, scale, false);
}

QImage verticalSlider(double scale) {
    return raster::turnClockwise(drawSlider(kVerticalSliderRows, scale, true));
}

QImage nudgeButtonFace(double scale) {
    constexpr QRgb kTop = 0xFFCFD1D4;
    constexpr QRgb kMiddle = 0xFF9DA2A8;
    constexpr QRgb kLow = 0xFF7C8187;
    constexpr QRgb kInnerShadow = 0xFF5B5F63;
    constexpr QRgb kCorner = 0xFF27292A;
    constexpr double kMiddleRow = 7;
    constexpr double kLastFaceRow = kButtonSize - 2;

    const int size = toDevice(kButtonSize, scale);
    const int line = lineWidth(scale);
    const int last = size - 1;
    QImage image(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        // The face shades by design row: the centre of this device row in design pixels.
        const double designRow = (y + 0.5) / scale - 0.5;
        for (int x = 0; x < size; ++x) {
            QRgb c;
            if (y < line || x < line) {
                c = qRgb(0xFF, 0xFF, 0xFF); // the raised face's light edge
            } else if (y > last - line || x > last - line) {
                // Outer shadow, darkest towards the bottom-right corner.
                const int along = (y > last - line ? x : y);
                c = mix(kInnerShadow, kCorner, double(along) / last);
            } else if (y > last - 2 * line || x > last - 2 * line) {
                c = kInnerShadow;
            } else if (designRow <= kMiddleRow) {
                c = mix(kTop, kMiddle, std::clamp((designRow - 1) / (kMiddleRow - 1), 0.0, 1.0));
            } else {
                c = mix(kMiddle, kLow,
                        std::clamp((designRow - kMiddleRow) / (kLastFaceRow - kMiddleRow), 0.0, 1.0));
            }
            row[x] = c;
        }
    }
    return image;
}

} // namespace kx::art
