#pragma once

#include "platform/forms.h"

#include <QRect>

namespace kx {

// The screen square the view shows for a pointer position and a view size: it starts 30 pixels left
// of and above the pointer and is one third of the view in each direction.
QRect magnifierSource(QPoint pointer, int viewWidth, int viewHeight);

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
