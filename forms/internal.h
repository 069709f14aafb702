#pragma once

// What the forms layer's own sources share: not part of its interface, and not in forms/forms.h.

#include "forms/mouse.h"

namespace kx::forms::detail {

// The resolution the design's pixel and point sizes were made for.
inline constexpr double kDesignDpi = 96.0;

// The hooks routing a control's mouse events, made on first use.
MouseHooks* ensureHooks(MouseHooks*& hooks, QWidget* widget, bool take);

} // namespace kx::forms::detail
