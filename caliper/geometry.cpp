#include "caliper/geometry.h"

#include <cmath>
#include <cstdint>

namespace kx {

namespace {
constexpr int kSliderRiseTwips = 15;      // the horizontal slider's top above the beam's top
constexpr int kSliderOverhangTwips = 2485; // the vertical slider's left from the beam's right edge
} // namespace

int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

SliderRect placeSlider(Axis axis, const Placement& beam, double offset, int tx, int ty, int sliderWidthTwips) {
    SliderRect r;
    r.width = sliderWidthTwips;
    r.height = static_cast<std::int32_t>((beam.bottom - beam.top) * ty);
    if (axis == Axis::Horizontal) {
        r.left = roundHalfEven(offset + static_cast<std::int32_t>(beam.right * tx));
        r.top = static_cast<std::int32_t>(beam.top * ty) - kSliderRiseTwips;
    } else {
        r.left = static_cast<std::int32_t>(beam.right * tx) - kSliderOverhangTwips;
        r.top = roundHalfEven(offset + static_cast<std::int32_t>(beam.top * ty));
    }
    return r;
}

double dragStep(double distance, double step) {
    double v = distance;
    if (v > step) v = step;
    if (v < -step) v = -step;
    return v;
}

} // namespace kx
