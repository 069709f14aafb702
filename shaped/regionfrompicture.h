#pragma once

#include <QImage>
#include <QRegion>

#include <optional>

// The outline of a shaped window: the colour of the picture's top-left pixel is the key colour,
// every pixel of exactly that colour is see-through (holes included), every other pixel is solid.
//
// Colours are compared as stored: a 32-bit image (RGB32, ARGB32, ARGB32_Premultiplied, RGBA8888, ...)
// gives each pixel's 32-bit value unchanged. For RGB32 the top byte is always 0xff; for formats with
// alpha the alpha byte takes part, so a pixel that differs from the key colour only in its alpha is
// solid. Images of any other format are converted to ARGB32 first (formats with more than 8 bits per
// channel are then compared at 8 bits per channel).
//
// Qt builds the region (a mask of the key colour, as a bitmap), so a QGuiApplication must exist.
namespace kx {

// The window region for a picture: the union of its solid pixels, in the picture's pixel coordinates.
// No region (std::nullopt) when every pixel has the key colour or the picture is empty.
std::optional<QRegion> RegionFromPicture(const QImage& picture);

// The same for a picture whose size is given as a possibly fractional pixel count (a picture box's
// ScaleWidth and ScaleHeight). The size is rounded to the nearest integer, halves to even; a size of 0
// or less gives no region, and a size beyond the image is cut to the image.
std::optional<QRegion> RegionFromPicture(const QImage& picture, double scaleWidth, double scaleHeight);

} // namespace kx
