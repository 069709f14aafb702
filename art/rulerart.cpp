// The ruler strip of the control panel and the frames of the folding rule.

#include "art/art.h"
#include "art/raster.h"

#include <algorithm>
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
    int x;      // device column of its left side
    int length; // device pixels
};

// Every tick of a ruler piece drawn on `grid`, left to right: centimetres and half centimetres at
// their design columns mapped, and four millimetre ticks spread evenly between each neighbouring
// pair of them. Each is a line wide; one at the very end keeps inside the piece.
std::vector<Tick> rulerTicks(const raster::Grid& grid) {
    std::vector<Tick> marks;
    for (std::size_t i = 0; i < kCentimetreX.size(); ++i) {
        marks.push_back({grid.x.at(kCentimetreX[i]), toDevice(kCentimetreTick, grid.scale)});
        if (i < kHalfX.size()) marks.push_back({grid.x.at(kHalfX[i]), toDevice(kHalfTick, grid.scale)});
    }
    const int millimetre = toDevice(kMillimetreTick, grid.scale);
    std::vector<Tick> ticks;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        ticks.push_back(marks[i]);
        if (i + 1 == marks.size()) break;
        for (int k = 1; k < kMillimetresPerHalf; ++k)
            ticks.push_back(
                {raster::lerpRound(marks[i].x, marks[i + 1].x, k, kMillimetresPerHalf), millimetre});
    }
    for (Tick& t : ticks)
        t.x = std::min(t.x, grid.x.length() - grid.line);
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

// One segment, upper edge up, ticks hanging from it, the rivet at the free end: the 189 x 16
// design segment drawn `height` device rows thick on `grid`.
QImage drawSegment(const raster::Grid& grid, int height, bool freeEndLeft) {
    const int width = grid.x.length();
    const int line = grid.line;
    QImage seg(width, height, QImage::Format_RGB32);
    seg.fill(kRulerYellow);
    for (std::size_t i = 0; i < kTopBand.size(); ++i)
        raster::fillRect(seg, QRect(0, int(i) * line, width, line), kTopBand[i]);
    for (std::size_t i = 0; i < kShadow.size(); ++i)
        raster::fillRect(seg, QRect(0, height - int(kShadow.size() - i) * line, width, line), kShadow[i]);
    for (const Tick& t : rulerTicks(grid))
        raster::fillRect(seg, QRect(t.x, 0, line, t.length), kTickBlue);

    // The rivet: a round dot with a shine at its upper left.
    const int left = freeEndLeft ? kRivetInset : kRulerLength - kRivetInset - kRivetSize;
    const PixelRun xs = grid.x.run(left, left + kRivetSize - 1);
    const PixelRun ys = toDevice(PixelRun{kRivetTop, kRivetTop + kRivetSize - 1}, grid.scale);
    const QRect rivet(QPoint(xs.first, ys.first), QPoint(xs.last, ys.last));
    raster::fillDot(seg, rivet, kRivet);
    raster::fillRect(seg, QRect(rivet.topLeft() + QPoint(line, line), QSize(line, line)), kRivetShine);
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

constexpr double kGrowthStep = 0.125; // device pixels
constexpr double kMostGrowth = 1.0;
constexpr int kSubsamples = 4; // per axis, for the colours inside the turned segment

// The second segment turned into its place in one frame at a scale: which frame pixels it covers
// and their colours. A pixel belongs to the segment when its centre lies on it, or within the
// margin (device pixels) of it; its colour is the mean of the sub-samples that fall there, so the
// turned ticks are smoothed without blending the outline into the key colour.
class TurnedSegment {
  public:
    TurnedSegment(const QImage& seg, const FramePose& pose, double scale)
        : m_seg(seg), m_c(std::cos(pose.angle * std::numbers::pi / 180.0)),
          m_s(std::sin(pose.angle * std::numbers::pi / 180.0)), m_pivotX(pose.pivotX * scale),
          m_pivotY(pose.pivotY * scale), m_length(kRulerLength * scale), m_thickness(kRulerThickness * scale),
          m_toColumn(seg.width() / m_length), m_toRow(seg.height() / m_thickness) {}

    void setMargin(double margin) { m_margin = margin; }

    // The pixels of frame row y within `clip` that the segment covers (they are one run, as the
    // segment is convex).
    PixelRun row(int y, const QRect& clip) const {
        // Where the row's centre line crosses the segment, widened by a pixel against rounding,
        // then narrowed pixel by pixel with the same test as the colours use.
        const double fy = y + 0.5, dy = fy - m_pivotY;
        double from = -1e9, to = 1e9; // along the row, relative to the pivot
        auto limit = [&](double slope, double offset, double low, double high) {
            if (slope == 0.0) {
                if (offset <= low || offset >= high) from = 1e9;
                return;
            }
            const double a = (low - offset) / slope, b = (high - offset) / slope;
            from = std::max(from, std::min(a, b));
            to = std::min(to, std::max(a, b));
        };
        limit(m_c, -dy * m_s, -m_margin, m_length + m_margin);
        limit(m_s, dy * m_c + pivotV(), -m_margin, m_thickness + m_margin);
        if (from >= to) return {};
        PixelRun run{int(std::max<double>(clip.left(), std::floor(from + m_pivotX - 0.5) - 1)),
                     int(std::min<double>(clip.right(), std::ceil(to + m_pivotX - 0.5) + 1))};
        while (run.first <= run.last && !covers(run.first + 0.5, fy))
            ++run.first;
        while (run.last >= run.first && !covers(run.last + 0.5, fy))
            --run.last;
        return run;
    }

    QRgb colour(int x, int y) const {
        int r = 0, g = 0, b = 0, n = 0;
        for (int j = 0; j < kSubsamples; ++j)
            for (int i = 0; i < kSubsamples; ++i) {
                double u = 0, v = 0;
                toSegment(x + (i + 0.5) / kSubsamples, y + (j + 0.5) / kSubsamples, u, v);
                if (!onSegment(u, v)) continue;
                const QRgb p = pixelAt(u, v);
                r += qRed(p);
                g += qGreen(p);
                b += qBlue(p);
                ++n;
            }
        if (n == 0) { // only the centre of a grown edge pixel is on the segment
            double u = 0, v = 0;
            toSegment(x + 0.5, y + 0.5, u, v);
            return pixelAt(u, v);
        }
        return qRgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n);
    }

  private:
    double pivotV() const { return m_thickness / 2.0; }
    void toSegment(double fx, double fy, double& u, double& v) const {
        const double dx = fx - m_pivotX;
        const double dy = fy - m_pivotY;
        u = dx * m_c - dy * m_s;
        v = dx * m_s + dy * m_c + pivotV();
    }
    bool onSegment(double u, double v) const {
        return u > -m_margin && u < m_length + m_margin && v > -m_margin && v < m_thickness + m_margin;
    }
    bool covers(double fx, double fy) const {
        double u = 0, v = 0;
        toSegment(fx, fy, u, v);
        return onSegment(u, v);
    }
    QRgb pixelAt(double u, double v) const {
        const int column = std::clamp(int(u * m_toColumn), 0, m_seg.width() - 1);
        const int row = std::clamp(int(v * m_toRow), 0, m_seg.height() - 1);
        return reinterpret_cast<const QRgb*>(m_bits + row * m_bytesPerLine)[column];
    }

    const QImage& m_seg;
    const uchar* m_bits = m_seg.constBits();
    qsizetype m_bytesPerLine = m_seg.bytesPerLine();
    double m_c, m_s;
    double m_pivotX, m_pivotY;
    // The segment's true size; its picture may be a fraction of a pixel shorter or thinner.
    double m_length, m_thickness;
    double m_toColumn, m_toRow;
    double m_margin = 0.0;
};

} // namespace

QImage rulerStrip(double scale) {
    const raster::Grid grid(kRulerLength, kRulerThickness, scale);
    QImage strip(grid.x.length(), grid.y.length(), QImage::Format_RGB32);
    strip.fill(kRulerYellow);
    for (const Tick& t : rulerTicks(grid))
        raster::fillRect(strip, QRect(t.x, strip.height() - t.length, grid.line, t.length), kTickBlue);
    return strip;
}

QImage rulerFrame(int n, double scale) {
    if (n < 0 || n >= kRulerFrameCount) return QImage();
    const raster::Grid frameGrid(kFrameWidth, kFrameHeight, scale);
    const PixelRun lowerRows = frameGrid.y.run(kLowerTop, kLowerTop + kRulerThickness - 1);
    const raster::Grid segmentGrid(kRulerLength, kRulerThickness, scale);
    const QImage lower = drawSegment(segmentGrid, lowerRows.length(), true);
    const QImage upper = drawSegment(segmentGrid, lowerRows.length(), false);
    const QRect lowerBox(0, lowerRows.first, lower.width(), lower.height());
    const Extent& e = kExtents[std::size_t(n)];
    const QRect extent = toDevice(QRect(QPoint(e.left, e.top), QPoint(e.right, e.bottom)), scale);

    // The poses give the design frames their exact outlines. At other scales an outline may fall a
    // pixel short of the mapped one; the segment then grows by fractions of a pixel until it
    // reaches it.
    TurnedSegment turned(upper, kPoses[std::size_t(n)], scale);
    std::vector<PixelRun> rows(std::size_t(extent.height()));
    for (double margin = 0.0;; margin += kGrowthStep) {
        turned.setMargin(margin);
        QRect covered = lowerBox;
        for (int y = extent.top(); y <= extent.bottom(); ++y) {
            const PixelRun run = rows[std::size_t(y - extent.top())] = turned.row(y, extent);
            if (!run.empty()) covered |= QRect(QPoint(run.first, y), QPoint(run.last, y));
        }
        if (covered == extent || margin >= kMostGrowth) break;
    }

    // The lower segment will cover what lies behind it.
    QImage frame(frameGrid.x.length(), frameGrid.y.length(), QImage::Format_RGB32);
    frame.fill(raster::kKeyWhite);
    for (int y = extent.top(); y <= extent.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(frame.scanLine(y));
        PixelRun run = rows[std::size_t(y - extent.top())];
        if (y >= lowerBox.top() && y <= lowerBox.bottom())
            run.first = std::max(run.first, lowerBox.right() + 1);
        for (int x = run.first; x <= run.last; ++x)
            line[x] = turned.colour(x, y);
    }
    // The lower segment lies in front, across the hinge.
    for (int y = 0; y < lower.height(); ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(lower.constScanLine(y)), lower.width(),
                    reinterpret_cast<QRgb*>(frame.scanLine(lowerRows.first + y)));
    return frame;
}

} // namespace kx::art
