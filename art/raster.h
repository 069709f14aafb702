#pragma once

#include <QImage>
#include <QRgb>

#include <array>
#include <vector>

// Pixel-level building blocks shared by the artwork: solid shapes given span by span, the bevel
// shading of the caliper pictures, quarter turns and the outlining of hand-drawn icon masks.
namespace kx::art::raster {

constexpr QRgb kKeyWhite = 0xFFFFFFFF;

// Straight line from `from` (at step 0) to `to` (at step `steps`), rounded to the nearest pixel.
int lerpRound(int from, int to, int step, int steps);

// One inclusive run of solid columns in a row; empty when last < first.
struct Span {
    int first = 0;
    int last = -1;
    bool empty() const { return last < first; }
    bool contains(int x) const { return x >= first && x <= last; }
};

// A shape made of at most one solid span per row.
class Shape {
  public:
    Shape(int width, int height);
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Sets rows firstRow ... lastRow (inclusive) to the span first ... last.
    void setRows(int firstRow, int lastRow, int first, int last);
    void setRow(int row, int first, int last) { setRows(row, row, first, last); }
    bool solid(int x, int y) const;
    Span row(int y) const { return m_rows[y]; }

  private:
    int m_width;
    int m_height;
    std::vector<Span> m_rows;
};

// Colours of a five-pixel bevel. Each band lists its colours from the outline inwards (index 0 is
// the outermost pixel); pixels five or more pixels away from every outline take the body colour.
struct Bevel {
    static constexpr int kWidth = 5;
    std::array<QRgb, kWidth> top;
    std::array<QRgb, kWidth> left;
    std::array<QRgb, kWidth> bottom;
    std::array<QRgb, kWidth> right;
    QRgb body;
};

// Paints `shape` in RGB32: outside the shape the key colour white, inside the bevel. A pixel takes
// the band of the nearest outline measured straight up, left, down or right; on a tie the first of
// top, left, bottom, right wins. No solid pixel comes out white.
QImage shadeShape(const Shape& shape, const Bevel& bevel);

// The image turned a quarter turn clockwise: pixel (x, y) goes to (height - 1 - y, x).
QImage turnClockwise(const QImage& image);

// Icon mask pixel art: an ARGB32 image with `fill` on every pixel of `interior`, `outline` on every
// pixel outside it that touches it edge to edge, and transparent elsewhere.
QImage outlinedMask(const std::vector<std::vector<bool>>& interior, QRgb fill, QRgb outline);

// A width x height interior grid, all false, for outlinedMask().
std::vector<std::vector<bool>> emptyMask(int width, int height);
// A mask drawn as text, one string per row: 'x' marks an interior pixel, anything else does not.
// Rows may be shorter than `width`; rows beyond the list stay empty.
std::vector<std::vector<bool>> maskFromRows(int width, int height, const std::vector<const char*>& rows);
// Marks the inclusive rectangle x0 ... x1, y0 ... y1 of a mask (clipped to the grid).
void markRect(std::vector<std::vector<bool>>& mask, int x0, int y0, int x1, int y1);

} // namespace kx::art::raster
