#pragma once

#include <QImage>
#include <QPoint>
#include <QString>

// The program's artwork, drawn by code to exact sizes. 24-bit pictures come back as
// QImage::Format_RGB32 (white #FFFFFF is the key colour of the shaped pictures); icons and
// cursors as Format_ARGB32 with a transparent background.
namespace kx::art {

struct CursorArt {
    QImage image; // 32 x 32, white hand with black outline, transparent elsewhere
    QPoint hotSpot;
};

// Control panel pictures.
QImage horizontalCaliperIcon(); // P1, 32 x 32: also the application icon
QImage verticalCaliperIcon();   // P2, 32 x 32
QImage magnifierIcon();         // P3, 32 x 32
QImage setSquareIcon();         // P4, 16 x 16
QImage crossIcon();             // P5, 16 x 16
QImage questionMarkIcon();      // P6, 16 x 16
QImage rulerStrip();            // P7, 189 x 16
// The banners write the address with the platform's fonts, which needs a running QGuiApplication;
// without one, or without any installed font, they return the bare 180 x 180 blue square.
QImage banner(const QString& webAddress);           // P8, 180 x 180
QImage bannerUpsideDown(const QString& webAddress); // P9, 180 x 180
CursorArt pointingHandCursor();                     // P10, hot spot (5, 0)

// Caliper pictures.
QImage horizontalBeam();   // P11, 508 x 165
QImage horizontalSlider(); // P12, 100 x 167
QImage verticalBeam();     // P13, 165 x 428
QImage verticalSlider();   // P14, 167 x 100
QImage nudgeButtonFace();  // P15, 15 x 15
CursorArt openHandCursor();     // P16, hot spot (5, 0)
CursorArt grabbingHandCursor(); // P17, hot spot (5, 0)

// Folding-rule frames F0 (closed) to F5 (open), 378 x 189. A number outside 0 ... 5 gives a null
// image.
constexpr int kRulerFrameCount = 6;
QImage rulerFrame(int n);

} // namespace kx::art
#include "art/scalestub.h"
