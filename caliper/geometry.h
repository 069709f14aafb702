#pragma once

#include "platform/windowsystem.h"

#include <QRect>

namespace kx {

enum class Axis { Horizontal, Vertical };


// The slider's window rectangle in device pixels for the beam's normal-position rectangle (device
// pixels), the slider offset (twips) and the beam's twips per device pixel.
// Horizontal: the left edge stands offset twips from the beam's right edge, the top one 96-dpi pixel
// above the beam's top. Vertical: the top edge stands offset twips below the beam's top, the left edge
// one 96-dpi pixel left of the beam's left edge. The height becomes the beam's height; the width stays
// the slider's own.
// Along the beam the slider stands on the device pixel nearest to its offset. The vertical one rounds
// from half a 96-dpi pixel (7.5 twips) up, as whole 96-dpi pixels do: its default zero point, 414
// twips (27.6 px at 96 dpi), is where the jaws touch at 28 px, and on finer pixels it must still be.
// At 15 twips per pixel both come to the nearest pixel.
QRect placeSlider(Axis axis, const Placement& beam, double offset, double twipsPerPixel, int sliderWidth);

// One step of the drag handle: the pointer's distance from the measuring edge (in pixels) limited to
// plus or minus the twips-per-pixel step, both tests strict; the result is added to the offset as twips.
double dragStep(double distance, double step);

} // namespace kx
