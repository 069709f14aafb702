#pragma once

#include <QRect>

#include <algorithm>
#include <cmath>

// From design pixels to device pixels.
//
// The artwork, the window layouts and the stored measurements are laid out in design pixels: the
// pixels of a 96-dpi screen. A desktop scaled by s (1.25, 1.5, 2 ...) shows s device pixels per
// design pixel, and every picture is drawn for its device pixels. Device pixel j belongs to design
// pixel floor((j + 0.5) / s), the design pixel under its centre. So design coordinate x (the left
// or top edge of design pixel x) maps to device coordinate ceil(x * s - 0.5), an inclusive run of
// design pixels a ... b to the device run ceil(a * s - 0.5) ... ceil((b + 1) * s - 0.5) - 1, and a
// size W to ceil(W * s - 0.5). Sizes that are whole multiples, 508 at 1.25 or 28 at 1.75, map to
// exactly W * s.
//
// At scale 1 every mapping is the identity. Below 1 (icons of 16 or 24 pixels) a design pixel may
// own no device pixel at all.
namespace kx::art {

// Guards the half-way points against rounding noise: at s = 1.1, 5 * s is 5.500000000000001.
inline constexpr double kScaleSlack = 1e-9;

// Device coordinate of design coordinate x; also the device size of a design size x.
inline int toDevice(double x, double scale) {
    return int(std::ceil(x * scale - 0.5 - kScaleSlack));
}

// The design pixel that device pixel j belongs to.
inline int toDesign(int j, double scale) {
    return int(std::floor((j + 0.5) / scale + kScaleSlack));
}

// An inclusive run of pixels; empty when last < first.
struct PixelRun {
    int first = 0;
    int last = -1;
    bool empty() const { return last < first; }
    int length() const { return std::max(0, last - first + 1); }
    friend bool operator==(const PixelRun&, const PixelRun&) = default;
};

// The device pixels of the inclusive design run first ... last.
inline PixelRun toDevice(PixelRun design, double scale) {
    return {toDevice(design.first, scale), toDevice(design.last + 1, scale) - 1};
}

// The device pixels of a design rectangle: its left ... right and top ... bottom runs mapped.
inline QRect toDevice(const QRect& design, double scale) {
    return QRect(QPoint(toDevice(design.left(), scale), toDevice(design.top(), scale)),
                 QPoint(toDevice(design.right() + 1, scale) - 1, toDevice(design.bottom() + 1, scale) - 1));
}

inline QSize toDevice(const QSize& design, double scale) {
    return QSize(toDevice(design.width(), scale), toDevice(design.height(), scale));
}

// The width in device pixels of a one-pixel line, of a ruler tick and of each colour stripe of a
// bevel: the same everywhere in a picture, so that no stripe comes out 1 and its neighbour 2 pixels
// wide.
inline int lineWidth(double scale) {
    return std::max(1, int(std::lround(scale)));
}

} // namespace kx::art
