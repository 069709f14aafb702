// The three hand cursors: white hands with a black outline on a transparent ground. Each is
// drawn as the inside of the hand; the outline is every pixel that borders it. The hot spot is the
// top of the leftmost finger.

#include "art/art.h"
#include "art/raster.h"

namespace kx::art {

namespace {

constexpr int kCursorSize = 32;
constexpr QPoint kHotSpot{5, 0};
constexpr QRgb kHandWhite = 0xFFFFFFFF;
constexpr QRgb kHandOutline = 0xFF000000;

CursorArt hand(const std::vector<const char*>& inside) {
    return CursorArt{raster::outlinedMask(raster::maskFromRows(kCursorSize, kCursorSize, inside), kHandWhite,
                                          kHandOutline),
                     kHotSpot};
}

} // namespace

CursorArt pointingHandCursor() {
    // Index finger raised, the others curled into the palm, thumb out to the left.
    static const std::vector<const char*> inside{
        "",
        "....xx",
        "....xx",
        "....xx",
        "....xx",
        "....xx",
        "....xx.xx",
        "....xx.xx.xx",
        "....xx.xx.xx.xx",
        ".x..xx.xx.xx.xx",
        ".xx.xxxxxxxxxxx",
        ".xx.xxxxxxxxxxx",
        "..xxxxxxxxxxxxx",
        "..xxxxxxxxxxxxx",
        "...xxxxxxxxxxxx",
        "...xxxxxxxxxxxx",
        "....xxxxxxxxxxx",
        "....xxxxxxxxxx",
        ".....xxxxxxxxx",
        ".....xxxxxxxxx",
        ".....xxxxxxxxx",
    };
    return hand(inside);
}

CursorArt openHandCursor() {
    // All four fingers up and spread, thumb out to the left.
    static const std::vector<const char*> inside{
        "",
        "....xx",
        "....xx.xx",
        "....xx.xx",
        "....xx.xx.xx",
        "....xx.xx.xx",
        "....xx.xx.xx.xx",
        "....xx.xx.xx.xx",
        "....xx.xx.xx.xx",
        "....xx.xx.xx.xx",
        ".x..xx.xx.xx.xx",
        ".xx.xx.xx.xx.xx",
        ".xx.xxxxxxxxxxx",
        "..xxxxxxxxxxxxx",
        "..xxxxxxxxxxxxx",
        "...xxxxxxxxxxxx",
        "...xxxxxxxxxxxx",
        "....xxxxxxxxxxx",
        "....xxxxxxxxxx",
        ".....xxxxxxxxx",
        ".....xxxxxxxxx",
        ".....xxxxxxxxx",
    };
    return hand(inside);
}

CursorArt grabbingHandCursor() {
    // Fingers bent over the palm: only the knuckles show at the top, the thumb folded at the left.
    static const std::vector<const char*> inside{
        "",
        "....xx.xx.xx",
        "....xx.xx.xx.xx",
        "....xx.xx.xx.xx",
        "..x.xxxxxxxxxxx",
        ".xx.xxxxxxxxxxx",
        ".xxxxxxxxxxxxxx",
        "..xxxxxxxxxxxxx",
        "..xxxxxxxxxxxxx",
        "...xxxxxxxxxxxx",
        "...xxxxxxxxxxx",
        "....xxxxxxxxxx",
        "....xxxxxxxxx",
        "....xxxxxxxxx",
        "....xxxxxxxxx",
    };
    return hand(inside);
}

} // namespace kx::art
