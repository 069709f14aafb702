#pragma once

#include "forms/forms.h"

namespace kx {

// What the borderless picture windows share: taking the outline of their picture at load, moving
// the window by dragging its picture, and the on-top switch.
namespace shaped {

// The load steps: the picture box counts in pixels, keeps a persistent image, takes its picture's
// size and loses its border; the window loses its frame, takes the box's size and shows and takes
// input only where the picture is not the key colour.
void shapeAtLoad(forms::Form& window, forms::PictureBox& picture);

// After the picture has been drawn again for a new scale: the window takes the box's new size and the
// outline of the new picture.
void fitToPicture(forms::Form& window, forms::PictureBox& picture);

// Rebuilds the outline from the picture the box shows now.
void reshape(forms::Form& window, forms::PictureBox& picture);

// Removes the outline, so the whole window rectangle shows (used before a picture is replaced).
void clearShape(forms::Form& window);

// A press on the picture moves the window until the button is released.
void dragToMove(forms::Form& window);

// The on-top switch: 1 puts the window into the topmost layer, anything else takes it out.
void applyOnTop(forms::Form& window, int value);

} // namespace shaped
} // namespace kx
