#pragma once

#include "art/scale.h"

#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QString>

// The program's artwork, drawn by code to exact sizes. 24-bit pictures come back as
// QImage::Format_RGB32 (white #FFFFFF is the key colour of the shaped pictures); icons and
// cursors as Format_ARGB32 with a transparent background.
//
// Every picture is drawn for a scale: the device pixels per design (96-dpi) pixel of the screen it
// is shown on. Sizes, solid outlines and measuring edges are the design ones mapped to device
// pixels as art/scale.h lays down (a picture W x H design pixels comes back toDevice(W) x
// toDevice(H)); lines, ticks and bevel stripes are lineWidth(scale) pixels wide. The images carry
// no device pixel ratio of their own. At scale 1 every picture is exactly its design picture.
namespace kx::art {

struct CursorArt {
    QImage image;   // 32 x 32 design pixels, white hand with black outline, transparent elsewhere
    QPoint hotSpot; // in the image's own (device) pixels
};

// The program's icon (its desktop entry's, its windows'), each size drawn at that size, anti-aliased.
inline constexpr int kApplicationIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
QImage applicationIcon(int size);
// Every size of it, for a window (needs a QGuiApplication).
QIcon applicationIconSet();

// Control panel pictures.
QImage horizontalCaliperIcon(double scale = 1.0); // P1, 32 x 32
QImage verticalCaliperIcon(double scale = 1.0);   // P2, 32 x 32
QImage magnifierIcon(double scale = 1.0);         // P3, 32 x 32
QImage setSquareIcon(double scale = 1.0);         // P4, 16 x 16
QImage crossIcon(double scale = 1.0);             // P5, 16 x 16
QImage questionMarkIcon(double scale = 1.0);      // P6, 16 x 16
QImage rulerStrip(double scale = 1.0);            // P7, 189 x 16
// The banners write the address with the platform's fonts, which needs a running QGuiApplication;
// without one, or without any installed font, they return the bare 180 x 180 blue square.
QImage banner(const QString& webAddress, double scale = 1.0);           // P8, 180 x 180
QImage bannerUpsideDown(const QString& webAddress, double scale = 1.0); // P9, 180 x 180
CursorArt pointingHandCursor(double scale = 1.0);                       // P10, hot spot (5, 0)

// Caliper pictures.
QImage horizontalBeam(double scale = 1.0);        // P11, 508 x 165
QImage horizontalSlider(double scale = 1.0);      // P12, 100 x 167
QImage verticalBeam(double scale = 1.0);          // P13, 165 x 428
QImage verticalSlider(double scale = 1.0);        // P14, 167 x 100
// The beams shortened to `length` design pixels along the bar (kShortestBeam at least), for a monitor
// too small for the whole beam at its scale.
inline constexpr int kShortestBeam = 200;
QImage horizontalBeamOfLength(double scale, int length);
QImage verticalBeamOfLength(double scale, int length);
QImage nudgeButtonFace(double scale = 1.0);       // P15, 15 x 15
CursorArt openHandCursor(double scale = 1.0);     // P16, hot spot (5, 0)
CursorArt grabbingHandCursor(double scale = 1.0); // P17, hot spot (5, 0)

// Folding-rule frames F0 (closed) to F5 (open), 378 x 189. A number outside 0 ... 5 gives a null
// image.
constexpr int kRulerFrameCount = 6;
QImage rulerFrame(int n, double scale = 1.0);

} // namespace kx::art
