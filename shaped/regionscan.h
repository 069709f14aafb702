#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#ifndef Q_MOC_RUN // moc (Qt 6.4) fails to parse <concepts> in C++20 mode; it needs nothing from it
#include <concepts>
#endif

// The outline of a shaped window: the colour of the picture's top-left pixel is the key colour,
// every pixel of exactly that colour is see-through, every other pixel is solid. The scan here knows
// nothing about images or window systems; it reads pixels from a PixelSource and hands each row run
// of solid pixels to a RegionBuilder.
namespace kx {

// A picture as the scan sees it. width() and height() are its size in pixels as the picture reports
// it, possibly fractional; the scan rounds them with roundHalfToEven. colourAt(x, y) is the colour of
// one pixel as a single 32-bit value; it is called only for 0 <= x < W and 0 <= y < H of the rounded
// size W x H. A source that holds its rows in memory may also offer line(y), a pointer to the W colours
// of row y; the scan then searches the row directly, which is several times faster.
template <class P>
concept PixelSource = requires(const P& pixels, int x, int y) {
    { pixels.width() } -> std::convertible_to<double>;
    { pixels.height() } -> std::convertible_to<double>;
    { pixels.colourAt(x, y) } -> std::same_as<std::uint32_t>;
};

template <class P>
concept PixelRows = PixelSource<P> && requires(const P& pixels, int y) {
    { pixels.line(y) } -> std::same_as<const std::uint32_t*>;
};

// Makes and combines regions. Region is the builder's handle to one region.
//   makeRect(left, top, right, bottom): a new rectangular region; right and bottom are exclusive.
//   unite(result, rect): result becomes the union of result and rect.
//   discard(rect): frees a region that is no longer needed.
template <class B>
concept RegionBuilder = requires(B& builder, typename B::Region& result, typename B::Region& rect, int c) {
    { builder.makeRect(c, c, c, c) } -> std::same_as<typename B::Region>;
    builder.unite(result, rect);
    builder.discard(rect);
};

// Rounds a picture size to whole pixels: to the nearest integer, halves to the even one
// (2.5 -> 2, 3.5 -> 4, -0.5 -> 0). NaN gives 0; values outside the int range are clamped to it.
int roundHalfToEven(double value);

// The first position in [from, to) of row whose colour is (findColour) or is not (findOtherColour)
// the given colour; `to` when there is none.
int findColour(const std::uint32_t* row, int from, int to, std::uint32_t colour);
int findOtherColour(const std::uint32_t* row, int from, int to, std::uint32_t colour);

namespace detail {

template <PixelSource Pixels> int nextKey(const Pixels& pixels, int y, int x, int w, std::uint32_t key) {
    if constexpr (PixelRows<Pixels>) {
        return findColour(pixels.line(y), x, w, key);
    } else {
        while (x < w && pixels.colourAt(x, y) != key)
            ++x;
        return x;
    }
}

template <PixelSource Pixels> int nextSolid(const Pixels& pixels, int y, int x, int w, std::uint32_t key) {
    if constexpr (PixelRows<Pixels>) {
        return findOtherColour(pixels.line(y), x, w, key);
    } else {
        while (x < w && pixels.colourAt(x, y) == key)
            ++x;
        return x;
    }
}

} // namespace detail

// Scans the picture row by row, top to bottom, and turns every horizontal run of solid pixels into a
// one-pixel-high rectangle. A run starts at a solid pixel and ends at the next key-coloured pixel or
// at the position just past the right edge (x = W), so a run that reaches the edge includes the last
// column. Rectangles come in row-major order; the first one becomes the result, every later one is
// united into the result and then discarded.
// Returns no region when no pixel is solid, or when the rounded width or height is 0 or less.
template <PixelSource Pixels, RegionBuilder Builder>
std::optional<typename Builder::Region> RegionFromPicture(const Pixels& pixels, Builder& builder) {
    std::optional<typename Builder::Region> result;
    const int w = roundHalfToEven(pixels.width());
    const int h = roundHalfToEven(pixels.height());
    if (w <= 0 || h <= 0) return result;

    const std::uint32_t key = pixels.colourAt(0, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = detail::nextSolid(pixels, y, 0, w, key); x < w;
             x = detail::nextSolid(pixels, y, x, w, key)) {
            const int start = x;
            x = detail::nextKey(pixels, y, start + 1, w, key);
            typename Builder::Region rect = builder.makeRect(start, y, x, y + 1);
            if (!result) {
                result = std::move(rect);
            } else {
                builder.unite(*result, rect);
                builder.discard(rect);
            }
        }
    }
    return result;
}

} // namespace kx
