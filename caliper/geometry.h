#pragma once

#include "platform/windowsystem.h"

namespace kx {

enum class Axis { Horizontal, Vertical };

// Where a slider stands on its beam, in twips: left, top, width, height for the window's Move.
struct SliderRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// Rounds to the nearest integer, halves to the even one.
int roundHalfEven(double value);

// The slider's place for the beam's normal-position rectangle (pixels) and the slider offset (twips).
// Horizontal: the left edge stands offset twips from the beam's right edge, the top one pixel's worth
// of twips (15) above the beam's top. Vertical: the top edge stands offset twips below the beam's top,
// the left edge 2485 twips left of the beam's right edge. The height becomes the beam's height; the
// width stays the slider's own. tx, ty are the screen's twips per pixel, rounded.
SliderRect placeSlider(Axis axis, const Placement& beam, double offset, int tx, int ty, int sliderWidthTwips);

// One step of the drag handle: the pointer's distance from the measuring edge (in pixels) limited to
// plus or minus the twips-per-pixel step, both tests strict; the result is added to the offset as twips.
double dragStep(double distance, double step);

} // namespace kx
