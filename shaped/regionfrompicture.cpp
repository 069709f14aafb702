#include "shaped/regionfrompicture.h"

#include <QRect>

#include <algorithm>
#include <vector>

namespace kx {

namespace {

QImage thirtyTwoBit(const QImage& image) {
    return image.depth() == 32 ? image : image.convertToFormat(QImage::Format_ARGB32);
}

// Collects the scan's rectangles and gives them to QRegion in one setRects call, which is much
// faster than uniting them one by one. Every rectangle the scan makes ends up in its result, so
// unite() and discard() have nothing to do: the union is taken at the end.
// The scan delivers one-pixel-high rectangles row by row, top to bottom, left to right within a row,
// never touching each other in a row. A row with exactly the same runs as the band just above it
// is merged into that band, so the rectangles handed over are banded the way QRegion keeps them.
class RowRunBuilder {
  public:
    struct Region {};

    RowRunBuilder() { rects_.reserve(256); }

    Region makeRect(int left, int top, int right, int bottom) {
        if (top != rowTop_) {
            closeRow();
            rowTop_ = top;
        }
        rects_.emplace_back(left, top, right - left, bottom - top);
        return {};
    }
    void unite(Region&, Region&) {}
    void discard(Region&) {}

    QRegion region() {
        closeRow();
        QRegion region;
        region.setRects(rects_.data(), int(rects_.size()));
        return region;
    }

  private:
    // Ends the current row: merges it into the band above if that band ends right above the row
    // and has the same runs.
    void closeRow() {
        const qsizetype rowEnd = qsizetype(rects_.size());
        if (rowEnd == rowStart_) return;
        if (sameRunsAsBandAbove(rowEnd)) {
            for (qsizetype i = bandStart_; i < rowStart_; ++i)
                rects_[i].setBottom(rects_[i].bottom() + 1);
            rects_.resize(rowStart_);
        } else {
            bandStart_ = rowStart_;
        }
        rowStart_ = qsizetype(rects_.size());
    }

    bool sameRunsAsBandAbove(qsizetype rowEnd) const {
        const qsizetype count = rowEnd - rowStart_;
        if (rowStart_ - bandStart_ != count || rects_[bandStart_].bottom() + 1 != rowTop_) return false;
        for (qsizetype i = 0; i < count; ++i) {
            const QRect& above = rects_[bandStart_ + i];
            const QRect& row = rects_[rowStart_ + i];
            if (above.left() != row.left() || above.right() != row.right()) return false;
        }
        return true;
    }

    std::vector<QRect> rects_;
    qsizetype bandStart_ = 0; // first rectangle of the band above the current row
    qsizetype rowStart_ = 0;  // first rectangle of the current row
    int rowTop_ = -1;
};

} // namespace

ImagePixels::ImagePixels(const QImage& image) : ImagePixels(image, image.width(), image.height()) {}

ImagePixels::ImagePixels(const QImage& image, double width, double height)
    : image_(thirtyTwoBit(image)), bits_(image_.constBits()), bytesPerLine_(image_.bytesPerLine()),
      width_(std::min(width, double(image_.width()))), height_(std::min(height, double(image_.height()))) {}

std::optional<QRegion> RegionFromPicture(const QImage& picture) {
    return RegionFromPicture(picture, picture.width(), picture.height());
}

std::optional<QRegion> RegionFromPicture(const QImage& picture, double scaleWidth, double scaleHeight) {
    const ImagePixels pixels(picture, scaleWidth, scaleHeight);
    RowRunBuilder builder;
    if (!RegionFromPicture(pixels, builder)) return std::nullopt;
    return builder.region();
}

} // namespace kx
