#include "caliper/geometry.h"

#include <cmath>

namespace kx {

namespace {
constexpr double kSliderRiseTwips = 15;       // the horizontal slider's top above the beam's top
constexpr double kSliderOverhangTwips = 2485; // the vertical slider's left from the beam's right edge
constexpr double kHalfBasePixelTwips = 7.5;   // half a 96-dpi pixel

int nearest(double pixels) {
    return static_cast<int>(std::floor(pixels + 0.5));
}
} // namespace

QRect placeSlider(Axis axis, const Placement& beam, double offset, double twipsPerPixel, int sliderWidth) {
    const int height = beam.bottom - beam.top;
    if (axis == Axis::Horizontal) {
        const int left = beam.right + nearest(offset / twipsPerPixel);
        const int top = beam.top - nearest(kSliderRiseTwips / twipsPerPixel);
        return QRect(left, top, sliderWidth, height);
    }
    const int left = beam.right - nearest(kSliderOverhangTwips / twipsPerPixel);
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
