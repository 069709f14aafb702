#pragma once

#include "forms/forms.h"

#include <QRect>

namespace kx {

// The screen square the view shows for a pointer position and a view size (device pixels): it starts 30
// 96-dpi pixels (30 * scale device pixels) left of and above the pointer and is one third of the view in
// each direction, so every device pixel of the screen becomes a 3 x 3 block.
QRect magnifierSource(QPoint pointer, int viewWidth, int viewHeight, double scale = 1.0);

// What the view says when the screen gives no copies at all.
QString noticeText(ScreenCopyProblem problem);

// A live three-times enlargement of the screen around the pointer, drawn into a picture box.
class Magnifier {
public:
    Magnifier(forms::Environment& env, forms::PictureBox& view);
    // One refresh: pointer position, clear, copy of the source square scaled into the whole view
    // without smoothing. A failed screen copy leaves the view cleared. Returns why the screen gives no
    // copies at all (a desktop without screen sharing, say), or None.
    ScreenCopyProblem refresh();
    // Says in the view why the screen gives no copies, instead of a stale or empty picture.
    void showNotice(ScreenCopyProblem problem);
    // The magnifier is off: the screen may let go of what it holds for copies.
    void stop();
    // The screen's copies are still being set up (the desktop asking the user, say): nothing shown yet.
    bool preparing() const;

private:
    forms::Environment& m_env;
    forms::PictureBox& m_view;
};

} // namespace kx
