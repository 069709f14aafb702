#pragma once

// What the forms layer's own sources share: not part of its interface, and not in forms/forms.h.

#include "forms/mouse.h"

namespace kx::forms::detail {

// The resolution the design's pixel and point sizes were made for.
inline constexpr double kDesignDpi = 96.0;

// The handlers of a control's mouse events, routed by hooks made on first use (see MouseHooks); the
// control reports pointer moves from then on.
MouseHandlers& hookMouse(MouseHooks*& hooks, QWidget* widget, bool takeEvents);

} // namespace kx::forms::detail
