#include "shaped/regionfrompicture.h"

#include <QBitmap>

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

// A size in whole pixels, at most `limit`: rounded to the nearest integer, halves to the even one
// (nearbyint in the default rounding mode); NaN and values of 0 or less give 0.
int wholePixels(double size, int limit) {
    return size > 0 ? int(std::nearbyint(std::min(size, double(limit)))) : 0;
}

} // namespace

std::optional<QRegion> RegionFromPicture(const QImage& picture) {
    return RegionFromPicture(picture, picture.width(), picture.height());
}

std::optional<QRegion> RegionFromPicture(const QImage& picture, double scaleWidth, double scaleHeight) {
    const int w = wholePixels(scaleWidth, picture.width());
    const int h = wholePixels(scaleHeight, picture.height());
    if (w <= 0 || h <= 0) return std::nullopt;

    // In a 32-bit image the mask compares each pixel's stored value with the key as given.
    const QImage image = picture.depth() == 32 ? picture : picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = reinterpret_cast<const QRgb*>(image.constScanLine(0))[0];
    // MaskInColor, not MaskOutColor, leaves the solid area: the mask shows the key pixels white, a bitmap
    // takes white as colour 0, and a region made from a bitmap holds its colour-1 pixels.
    QRegion region(QBitmap::fromImage(image.createMaskFromColor(key, Qt::MaskInColor)));
    if (w < image.width() || h < image.height()) region &= QRect(0, 0, w, h);
    if (region.isEmpty()) return std::nullopt;
    return region;
}

} // namespace kx
