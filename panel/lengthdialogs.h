#pragma once

#include "forms/forms.h"

namespace kx {

class Slider;
class Start;

// Asks for the real length of the distance between the slider's jaws, with its unit, and makes the
// drawing scale that reads it so.
forms::InputDialog* askKnownLength(Start& panel, Slider& slider);

// The guided calibration of the monitor holding the slider's beam along the slider's axis: the user
// brings the jaws to the edges of a bank card (or a ruler) held against the screen and confirms its
// length. The dialog also resets the monitor to its reported size.
forms::InputDialog* askCalibration(Start& panel, Slider& slider);

} // namespace kx
