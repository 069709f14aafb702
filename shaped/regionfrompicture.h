#pragma once

#include "shaped/regionscan.h"

#include <QImage>
#include <QRegion>

#include <cstdint>
#include <optional>

namespace kx {

// A picture held in memory as a PixelSource, read straight from its scan lines.
// Colours are compared as stored: a 32-bit image (RGB32, ARGB32, ARGB32_Premultiplied, RGBA8888, ...)
// gives each pixel's 32-bit value unchanged. For RGB32 the top byte is always 0xff; for formats with
// alpha the alpha byte takes part, so a pixel that differs from the key colour only in its alpha is
// solid. Images of any other format are converted to ARGB32 first (formats with more than 8 bits per
// channel are then compared at 8 bits per channel).
// The size may be given in fractional pixels; it is cut to the image's own size so that the scan never
// reads outside the image.
class ImagePixels {
  public:
    explicit ImagePixels(const QImage& image);
    ImagePixels(const QImage& image, double width, double height);

    double width() const { return width_; }
    double height() const { return height_; }
    std::uint32_t colourAt(int x, int y) const { return line(y)[x]; }
    const std::uint32_t* line(int y) const {
        return reinterpret_cast<const std::uint32_t*>(bits_ + qsizetype(y) * bytesPerLine_);
    }

  private:
    QImage image_; // keeps the pixels alive (a shallow copy, or the converted image)
    const uchar* bits_ = nullptr;
    qsizetype bytesPerLine_ = 0;
    double width_ = 0;
    double height_ = 0;
};

// The window region for a picture: the union of its solid pixels, in the picture's pixel coordinates.
// No region (std::nullopt) when every pixel has the key colour or the picture is empty. The region is
// built from the same row runs as the scan makes, in one step.
std::optional<QRegion> RegionFromPicture(const QImage& picture);

// The same for a picture whose size is given as a possibly fractional pixel count (a picture box's
// ScaleWidth and ScaleHeight). The size is rounded to the nearest integer, halves to even; a size of 0
// or less gives no region, and a size beyond the image is cut to the image.
std::optional<QRegion> RegionFromPicture(const QImage& picture, double scaleWidth, double scaleHeight);

} // namespace kx
