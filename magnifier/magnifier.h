#pragma once

#include "forms/forms.h"

#include <QRect>
#include <memory>
#include <optional>

namespace kx {

// The screen square the view shows for a pointer position and a view size (device pixels), at a zoom.
// At 3x it starts 30 96-dpi pixels (30 * scale device pixels) left of and above the pointer and is one
// third of the view in each direction, so every device pixel of the screen becomes a 3 x 3 block. At
// another zoom it is the view's size divided by the zoom (rounded up), and the pointer stays in the
// middle: 90 / zoom 96-dpi pixels from its left and top edges.
QRect magnifierSource(QPoint pointer, int viewWidth, int viewHeight, double scale = 1.0, int zoom = 3);

// What the view says when the screen gives no copies at all.
QString noticeText(ScreenCopyProblem problem);

// A colour as the magnifier names it: "#RRGGBB" in capitals.
QString colourName(QRgb colour);
// The colour line under the view: "#1E538F  RGB 30, 83, 143".
QString colourLine(QRgb colour);

// What the magnifier draws over the enlargement, in the view's device pixels: a crosshair round the
// block of the pixel under the pointer, the grid between pixel blocks from 6x on, and along the view's
// lower edge a strip with the colour line and a swatch of the colour.
void drawPointerMarks(QImage& view, QRect block, QRgb colour, int zoom, const QFont& font, double scale);

// A live enlargement of the screen around the pointer, drawn into a picture box: 3x, or 2x to 16x with
// the mouse wheel over the view. Ctrl+C in the view's window copies the colour under the pointer.
class Magnifier {
public:
    static constexpr int kDefaultZoom = 3;
    static constexpr int kGridFromZoom = 6;

    Magnifier(forms::Environment& env, forms::PictureBox& view);
    ~Magnifier();
    // One refresh: pointer position, clear, copy of the source square enlarged into the whole view
    // without smoothing, and the marks of the pixel under the pointer. A failed screen copy leaves the
    // view cleared. Returns why the screen gives no copies at all (a desktop without screen sharing,
    // say), or None.
    ScreenCopyProblem refresh();
    // Says in the view why the screen gives no copies, instead of a stale or empty picture.
    void showNotice(ScreenCopyProblem problem);
    // The magnifier is off: the screen may let go of what it holds for copies, and the next start
    // shows 3x again.
    void stop();
    // The screen's copies are still being set up (the desktop asking the user, say): nothing shown yet.
    bool preparing() const;

    int zoom() const { return m_zoom; }
    // One step in (steps > 0) or out: 2, 3, 4, 6, 8, 12, 16.
    void zoomBy(int steps);
    // The colour of the pixel under the pointer at the last refresh; nothing while the magnifier is off.
    std::optional<QRgb> pointerColour() const { return m_colour; }
    // Puts its name on the clipboard; false when there is none.
    bool copyColour();

private:
    class Events;
    forms::Environment& m_env;
    forms::PictureBox& m_view;
    std::unique_ptr<Events> m_events;
    int m_zoom = kDefaultZoom;
    std::optional<QRgb> m_colour;
};

} // namespace kx
