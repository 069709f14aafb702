// The ruler strip of the control panel and the frames of the folding rule.

#include "art/art.h"
#include "art/raster.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace kx::art {

namespace {

constexpr int kRulerLength = 189;
constexpr int kRulerThickness = 16;
constexpr QRgb kRulerYellow = 0xFFEADD00;
constexpr QRgb kTickBlue = 0xFF274675;

constexpr int kCentimetreTick = 9;
constexpr int kHalfTick = 7;
constexpr int kMillimetreTick = 4;
constexpr int kMillimetresPerHalf = 5;

// Tick columns of one 189-pixel ruler piece (37.8 px to the centimetre at 96 dpi, as laid out
// on the strip).
constexpr std::array<int, 6> kCentimetreX{0, 38, 75, 113, 150, 188};
constexpr std::array<int, 5> kHalfX{20, 57, 94, 132, 169};

struct Tick {
    int x;
    int length;
};

// Every tick of a ruler piece, left to right: centimetres and half centimetres, and four
// millimetre ticks spread evenly between each neighbouring pair of them.
std::vector<Tick> rulerTicks() {
    std::vector<Tick> marks;
    for (std::size_t i = 0; i < kCentimetreX.size(); ++i) {
        marks.push_back({kCentimetreX[i], kCentimetreTick});
        if (i < kHalfX.size()) marks.push_back({kHalfX[i], kHalfTick});
    }
    std::vector<Tick> ticks;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        ticks.push_back(marks[i]);
        if (i + 1 == marks.size()) break;
        for (int k = 1; k < kMillimetresPerHalf; ++k)
            ticks.push_back(
                {raster::lerpRound(marks[i].x, marks[i + 1].x, k, kMillimetresPerHalf), kMillimetreTick});
    }
    return ticks;
}

// ---- Folding-rule segment -------------------------------------------------------------------------

constexpr int kFrameWidth = 378;
constexpr int kFrameHeight = 189;
constexpr int kLowerTop = 168; // the lower segment: x 0 ... 188, rows 168 ... 183

constexpr std::array<QRgb, 2> kTopBand{0xFFF7EE78, 0xFFF1E63C};            // lighter rows 0 ... 1
constexpr std::array<QRgb, 3> kShadow{0xFFB3A800, 0xFF857D00, 0xFF5A5400}; // rows 13 ... 15
constexpr QRgb kRivet = 0xFF1B2E6E;
constexpr QRgb kRivetShine = 0xFF4F6AB0;
constexpr int kRivetInset = 7; // first rivet column, counted from the free end
constexpr int kRivetTop = 8;
constexpr int kRivetSize = 4;

// One 189 x 16 segment, upper edge up, ticks hanging from it, the rivet at the free end.
QImage drawSegment(bool freeEndLeft) {
    QImage seg(kRulerLength, kRulerThickness, QImage::Format_RGB32);
    seg.fill(kRulerYellow);
    for (int y = 0; y < int(kTopBand.size()); ++y)
        for (int x = 0; x < kRulerLength; ++x)
            seg.setPixel(x, y, kTopBand[std::size_t(y)]);
    for (int i = 0; i < int(kShadow.size()); ++i)
        for (int x = 0; x < kRulerLength; ++x)
            seg.setPixel(x, kRulerThickness - int(kShadow.size()) + i, kShadow[std::size_t(i)]);
    for (const Tick& t : rulerTicks())
        for (int y = 0; y < t.length; ++y)
            seg.setPixel(t.x, y, kTickBlue);

    const int left = freeEndLeft ? kRivetInset : kRulerLength - kRivetInset - kRivetSize;
    for (int dy = 0; dy < kRivetSize; ++dy)
        for (int dx = 0; dx < kRivetSize; ++dx) {
            const bool corner = (dx == 0 || dx == kRivetSize - 1) && (dy == 0 || dy == kRivetSize - 1);
            if (!corner) seg.setPixel(left + dx, kRivetTop + dy, (dx == 1 && dy == 1) ? kRivetShine : kRivet);
        }
    return seg;
}

// How the second segment lies in one frame. It is drawn as in the open rule (hinge end at the
// left, upper edge up) and turned anticlockwise by `angle` degrees about the hinge `pivot`, which
// sits at the middle of its hinge end. The pivot shifts by up to two pixels between frames, as a
// worn hinge would, and the angles are tuned to a tenth of a degree: together they give each frame
// exactly the outline that the window's shape and end areas are laid out for.
struct FramePose {
    double angle;  // 0 = open, 180 = closed onto the lower segment
    double pivotX; // frame coordinates, pixel corners at integers
    double pivotY;
};

// Bounding box of the rule's pixels in each frame; drawing is clipped to it.
struct Extent {
    int left, top, right, bottom;
};

constexpr std::array<FramePose, kRulerFrameCount> kPoses{{
    {180.0, 189.0, 176.0}, // F0: closed
    {148.1, 189.0, 177.5}, // F1: raised about 31 degrees, folded back over the lower segment
    {117.3, 189.0, 177.5}, // F2: about 63 degrees, leaning left
    {64.3, 189.0, 177.5},  // F3: past the vertical, leaning right
    {31.7, 190.0, 178.0},  // F4: about 31 degrees above the horizontal, to the right
    {0.0, 189.0, 176.0},   // F5: open
}};

constexpr std::array<Extent, kRulerFrameCount> kExtents{{
    {0, 168, 188, 183},
    {0, 71, 192, 183},
    {0, 6, 195, 183},
    {0, 4, 277, 183},
    {0, 72, 354, 184},
    {0, 168, 377, 183},
}};

constexpr int kSubsamples = 4; // per axis, for the colours inside the turned segment

// Draws `seg` turned by `pose` into `frame`. A pixel belongs to the segment when its centre does;
// its colour is the mean of the sub-samples that fall on the segment, so the turned ticks are
// smoothed without blending the outline into the key colour.
void drawTurned(QImage& frame, const QImage& seg, const FramePose& pose, const Extent& clip) {
    const double radians = pose.angle * std::numbers::pi / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double pivotV = kRulerThickness / 2.0;
    auto toSegment = [&](double fx, double fy, double& u, double& v) {
        const double dx = fx - pose.pivotX;
        const double dy = fy - pose.pivotY;
        u = dx * c - dy * s;
        v = dx * s + dy * c + pivotV;
    };
    auto onSegment = [](double u, double v) {
        return u > 0 && u < kRulerLength && v > 0 && v < kRulerThickness;
    };

    for (int y = clip.top; y <= clip.bottom; ++y) {
        for (int x = clip.left; x <= clip.right; ++x) {
            double u = 0;
            double v = 0;
            toSegment(x + 0.5, y + 0.5, u, v);
            if (!onSegment(u, v)) continue;
            int r = 0, g = 0, b = 0, n = 0;
            for (int j = 0; j < kSubsamples; ++j)
                for (int i = 0; i < kSubsamples; ++i) {
                    toSegment(x + (i + 0.5) / kSubsamples, y + (j + 0.5) / kSubsamples, u, v);
                    if (!onSegment(u, v)) continue;
                    const QRgb p = seg.pixel(int(u), int(v));
                    r += qRed(p);
                    g += qGreen(p);
                    b += qBlue(p);
                    ++n;
                }
            frame.setPixel(x, y, qRgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n));
        }
    }
}

} // namespace

QImage rulerStrip() {
    QImage strip(kRulerLength, kRulerThickness, QImage::Format_RGB32);
    strip.fill(kRulerYellow);
    for (const Tick& t : rulerTicks())
        for (int i = 0; i < t.length; ++i)
            strip.setPixel(t.x, kRulerThickness - 1 - i, kTickBlue);
    return strip;
}

QImage rulerFrame(int n) {
    if (n < 0 || n >= kRulerFrameCount) return QImage();
    static const QImage lower = drawSegment(true);
    static const QImage upper = drawSegment(false);

    QImage frame(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    frame.fill(raster::kKeyWhite);
    drawTurned(frame, upper, kPoses[std::size_t(n)], kExtents[std::size_t(n)]);
    // The lower segment lies in front, across the hinge.
    for (int y = 0; y < kRulerThickness; ++y)
        for (int x = 0; x < kRulerLength; ++x)
            frame.setPixel(x, kLowerTop + y, lower.pixel(x, y));
    return frame;
}

} // namespace kx::art
