#include "caliper/geometry.h"

#include <algorithm>
#include <cmath>

namespace kx {

namespace {
constexpr double kBasePixelTwips = 15;     // one 96-dpi pixel
constexpr double kHalfBasePixelTwips = 7.5; // half a 96-dpi pixel

int nearest(double pixels) {
    return static_cast<int>(std::floor(pixels + 0.5));
}
} // namespace

QRect placeSlider(Axis axis, const Placement& beam, double offset, double twipsPerPixel, int sliderWidth) {
    const int height = beam.bottom - beam.top;
    // Across the beam the slider stands out by one 96-dpi pixel, the width of the moving jaw's edge line,
    // so that its edge lies along the whole fixed edge: above the beam by 15 twips; left of it by the
    // 2485 twips from the beam's right edge, which for the 2475-twip beam is that pixel at 96 dpi.
    const int across = std::max(1, nearest(kBasePixelTwips / twipsPerPixel));
    if (axis == Axis::Horizontal) {
        const int left = beam.right + nearest(offset / twipsPerPixel);
        return QRect(left, beam.top - across, sliderWidth, height);
    }
    const int left = beam.left - across;
    const int top = beam.top + static_cast<int>(std::floor((offset + kHalfBasePixelTwips) / twipsPerPixel));
    return QRect(left, top, sliderWidth, height);
}

double dragStep(double distance, double step) {
    double v = distance;
    if (v > step) v = step;
    if (v < -step) v = -step;
    return v;
}

} // namespace kx
