#pragma once

#include "art/scale.h"

#include <QImage>
#include <QRgb>

#include <array>
#include <vector>

// Pixel-level building blocks shared by the artwork: design-pixel outlines drawn at a device scale,
// solid shapes given span by span, the bevel shading of the caliper pictures, quarter turns and the
// outlining of icon masks.
//
// Shapes are described in design pixels (96 dpi) and drawn in device pixels: straight edges land
// exactly where the design edges map to (art/scale.h), sloped edges run straight at device
// resolution between their mapped end points. At scale 1 both are the design pixels themselves.
namespace kx::art::raster {

constexpr QRgb kKeyWhite = 0xFFFFFFFF;

// Straight line from `from` (at step 0) to `to` (at step `steps`), rounded to the nearest pixel.
int lerpRound(int from, int to, int step, int steps);

// One axis of a picture: where the device pixels of each design pixel start. A mirrored axis maps
// from its far end, so that a picture drawn on it and then turned a quarter turn has its design
// pixels exactly where the turned picture's own mapping puts them.
class Axis {
  public:
    Axis(int designLength, double scale, bool mirrored = false);
    // Device coordinate of design coordinate x (x = designLength gives the device length).
    int at(int x) const;
    PixelRun run(int first, int last) const { return {at(first), at(last + 1) - 1}; }
    int length() const { return m_length; }

  private:
    int m_designLength;
    double m_scale;
    bool m_mirrored;
    int m_length;
};

// The two axes of a picture and the width of its one-pixel lines.
struct Grid {
    Grid(int designWidth, int designHeight, double scale, bool mirrorRows = false);
    Axis x;
    Axis y;
    double scale;
    int line; // lineWidth(scale)
};

// One end of the solid run of a block: design column `from` on the block's first row, running
// straight to `to` on its last.
struct Slope {
    Slope(int column) : from(column), to(column) {}
    Slope(int first, int last) : from(first), to(last) {}
    int from;
    int to;
};

// Design rows firstRow ... lastRow, each solid from column `left` to column `right` inclusive.
struct Block {
    int firstRow;
    int lastRow;
    Slope left;
    Slope right;
};

// Calls row(deviceRow, firstColumn, lastColumn) for every device row of the block.
template <class RowFn> void forEachRow(const Grid& grid, const Block& block, RowFn row) {
    const int top = grid.y.at(block.firstRow);
    const int bottom = grid.y.at(block.lastRow + 1) - 1;
    const int leftFrom = grid.x.at(block.left.from), leftTo = grid.x.at(block.left.to);
    const int rightFrom = grid.x.at(block.right.from + 1) - 1, rightTo = grid.x.at(block.right.to + 1) - 1;
    for (int y = top; y <= bottom; ++y)
        row(y, lerpRound(leftFrom, leftTo, y - top, bottom - top),
            lerpRound(rightFrom, rightTo, y - top, bottom - top));
}

using Span = PixelRun;

// A shape made of at most one solid span per device row.
class Shape {
  public:
    explicit Shape(const Grid& grid);
    const Grid& grid() const { return m_grid; }
    int width() const { return m_grid.x.length(); }
    int height() const { return m_grid.y.length(); }
    // Sets the device rows of the block to its spans (replacing what they held).
    void set(const Block& block);
    void setRows(int firstRow, int lastRow, Slope left, Slope right) {
        set({firstRow, lastRow, left, right});
    }
    bool solid(int x, int y) const;
    Span row(int y) const { return m_rows[std::size_t(y)]; }

  private:
    Grid m_grid;
    std::vector<Span> m_rows;
};

// Colours of a five-stripe bevel. Each band lists its colours from the outline inwards (index 0 is
// the outermost stripe); pixels five or more stripes away from every outline take the body colour.
struct Bevel {
    static constexpr int kWidth = 5;
    std::array<QRgb, kWidth> top;
    std::array<QRgb, kWidth> left;
    std::array<QRgb, kWidth> bottom;
    std::array<QRgb, kWidth> right;
    QRgb body;
};

// Paints `shape` in RGB32: outside the shape the key colour white, inside the bevel, each stripe
// shape.grid().line pixels wide. A pixel takes the band of the nearest outline measured straight
// up, left, down or right; on a tie the first of top, left, bottom, right wins. No solid pixel
// comes out white.
QImage shadeShape(const Shape& shape, const Bevel& bevel);

// Sets the pixels of an inclusive device rectangle (clipped to the image) to `colour`.
void fillRect(QImage& image, const QRect& rect, QRgb colour);

// Fills a small round dot: the rectangle without a square at each corner, a quarter of its width
// on a side (at least one pixel).
void fillDot(QImage& image, const QRect& rect, QRgb colour);

// The image turned a quarter turn clockwise: pixel (x, y) goes to (height - 1 - y, x).
QImage turnClockwise(const QImage& image);

// A device-pixel mask of an icon's or cursor's inside, built from design blocks.
class Mask {
  public:
    explicit Mask(const Grid& grid);
    const Grid& grid() const { return m_grid; }
    int width() const { return m_grid.x.length(); }
    int height() const { return m_grid.y.length(); }
    void add(const Block& block);
    // Moves everything down by `rows` device rows (what moves past the bottom is lost).
    void shiftDown(int rows);
    bool inside(int x, int y) const {
        return x >= 0 && y >= 0 && x < width() && y < height() && m_bits[std::size_t(y) * width() + x];
    }

  private:
    Grid m_grid;
    std::vector<bool> m_bits;
};

// An ARGB32 image with `fill` on every pixel of the mask, `outline` on every pixel outside it that
// lies within the grid's line width of it (counting steps straight across and along; one pixel edge
// to edge at scale 1), and transparent elsewhere.
QImage outlinedMask(const Mask& mask, QRgb fill, QRgb outline);

} // namespace kx::art::raster
