// The three hand cursors: white hands with a black outline on a transparent ground. Each is
// drawn as the inside of the hand, made of fingers, thumb and palm; the outline is every pixel
// within a line's width of it. The hot spot is the top of the leftmost finger's outline.

#include "art/art.h"
#include "art/raster.h"

#include <vector>

namespace kx::art {

namespace {

constexpr int kCursorSize = 32;
constexpr QPoint kHotSpot{5, 0};
constexpr QRgb kHandWhite = 0xFFFFFFFF;
constexpr QRgb kHandOutline = 0xFF000000;

using raster::Block;

// The insides of the hands, in design pixels. A finger is two pixels wide, one pixel apart from
// the next.
struct Finger {
    int left;
    int top;
};
constexpr int kIndexLeft = 4;
constexpr int kFingerWidth = 2;

// A hand with its fingers spread (some of them may be curled into the palm): each finger runs
// down from its top into the palm, which they join at row `joined`; the thumb sticks out at the left
// from row `thumbTop`, and the palm narrows to the wrist below it.
std::vector<Block> spreadHand(const std::vector<Finger>& fingers, int joined, int thumbTop) {
    std::vector<Block> blocks;
    for (const Finger& f : fingers)
        blocks.push_back({f.top, joined - 1, f.left, f.left + kFingerWidth - 1});
    const int t = thumbTop;
    blocks.push_back({t, t + 2, 1, {1, 2}});           // the thumb
    blocks.push_back({joined, t + 2, kIndexLeft, 14}); // the palm beside it
    blocks.push_back({t + 3, t + 10, {2, 5}, 13});     // the palm below the thumb, to the wrist
    blocks.push_back({t + 3, t + 7, 6, 14});           // its wider upper part at the right
    blocks.push_back({t + 11, t + 11, 5, 13});         // the wrist
    return blocks;
}

// The hand clenched: only the knuckles show at the top, the thumb folded over at the left.
std::vector<Block> fist() {
    // The knuckles, the thumb, the palm with the thumb's root across it, and the palm narrowing to
    // the wrist.
    return {{1, 3, 4, 5},      {1, 3, 7, 8},     {1, 3, 10, 11}, {2, 3, 13, 14},
            {4, 5, {2, 1}, 2}, {4, 5, 4, 14},    {6, 6, 1, 14},  {7, 10, {2, 3}, 12},
            {7, 9, 12, 14},    {10, 11, 12, 13}, {11, 14, 4, 12}};
}

CursorArt hand(const std::vector<Block>& inside, double scale) {
    raster::Mask mask(raster::Grid(kCursorSize, kCursorSize, scale));
    for (const Block& b : inside)
        mask.add(b);
    // The fingertip's outline must fit above it at the top row, at its full width.
    mask.shiftDown(mask.grid().line - mask.grid().y.at(1));
    return CursorArt{raster::outlinedMask(mask, kHandWhite, kHandOutline),
                     QPoint(toDevice(kHotSpot.x(), scale), toDevice(kHotSpot.y(), scale))};
}

} // namespace

CursorArt pointingHandCursor(double scale) {
    // Index finger raised, the others curled into the palm, thumb out to the left.
    return hand(spreadHand({{kIndexLeft, 1}, {7, 6}, {10, 7}, {13, 8}}, 10, 9), scale);
}

CursorArt openHandCursor(double scale) {
    // All four fingers up and spread, thumb out to the left.
    return hand(spreadHand({{kIndexLeft, 1}, {7, 2}, {10, 4}, {13, 6}}, 12, 10), scale);
}

CursorArt grabbingHandCursor(double scale) {
    return hand(fist(), scale);
}

} // namespace kx::art
