#pragma once

#include "platform/forms.h"

#include <QRect>

namespace kx {

// The screen square the view shows for a pointer position and a view size (device pixels): it starts 30
// 96-dpi pixels (30 * scale device pixels) left of and above the pointer and is one third of the view in
// each direction, so every device pixel of the screen becomes a 3 x 3 block.
QRect magnifierSource(QPoint pointer, int viewWidth, int viewHeight, double scale = 1.0);

// A live three-times enlargement of the screen around the pointer, drawn into a picture box.
class Magnifier {
public:
    Magnifier(forms::Environment& env, forms::PictureBox& view);
    // One refresh: pointer position, clear, copy of the source square scaled into the whole view
    // without smoothing. A failed screen copy leaves the view cleared.
    void refresh();

private:
    forms::Environment& m_env;
    forms::PictureBox& m_view;
};

} // namespace kx
