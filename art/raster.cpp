#include "art/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kx::art::raster {

int lerpRound(int from, int to, int step, int steps) {
    if (steps == 0) return from;
    return from + static_cast<int>(std::lround(double(step) * (to - from) / steps));
}

Axis::Axis(int designLength, double scale, bool mirrored)
    : m_designLength(designLength), m_scale(scale), m_mirrored(mirrored),
      m_length(toDevice(designLength, scale)) {}

int Axis::at(int x) const {
    return m_mirrored ? m_length - toDevice(m_designLength - x, m_scale) : toDevice(x, m_scale);
}

Grid::Grid(int designWidth, int designHeight, double s, bool mirrorRows)
    : x(designWidth, s), y(designHeight, s, mirrorRows), scale(s), line(lineWidth(s)) {}

Shape::Shape(const Grid& grid) : m_grid(grid), m_rows(std::size_t(grid.y.length())) {}

void Shape::set(const Block& block) {
    forEachRow(m_grid, block, [this](int y, int first, int last) {
        if (y >= 0 && y < height())
            m_rows[std::size_t(y)] = Span{std::max(first, 0), std::min(last, width() - 1)};
    });
}

bool Shape::solid(int x, int y) const {
    if (x < 0 || y < 0 || x >= width() || y >= height()) return false;
    const Span& span = m_rows[std::size_t(y)];
    return x >= span.first && x <= span.last;
}

QImage shadeShape(const Shape& shape, const Bevel& bevel) {
    const int w = shape.width();
    const int h = shape.height();
    const int stripe = shape.grid().line;
    const int band = Bevel::kWidth * stripe; // distances from here on all take the body colour
    QImage image(w, h, QImage::Format_RGB32);

    // First, bottom up, each solid pixel's distance from the outline below it (up to `band`), kept
    // in the image itself until its colour replaces it; the key colour elsewhere.
    for (int y = h - 1; y >= 0; --y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* below = y + 1 < h ? reinterpret_cast<const QRgb*>(image.constScanLine(y + 1)) : nullptr;
        const Span span = shape.row(y);
        std::fill(line, line + w, kKeyWhite);
        for (int x = std::max(span.first, 0); x <= span.last; ++x)
            line[x] = below && shape.solid(x, y + 1) ? std::min<QRgb>(below[x] + 1, band) : 0;
    }

    // Then top down, with the distance from the outline above carried from row to row.
    const std::array<const std::array<QRgb, Bevel::kWidth>*, 4> bands{&bevel.top, &bevel.left, &bevel.bottom,
                                                                      &bevel.right};
    std::vector<int> up(std::size_t(w), 0);
    for (int y = 0; y < h; ++y) {
        const Span span = shape.row(y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = std::max(span.first, 0); x <= span.last; ++x) {
            up[std::size_t(x)] = y > 0 && shape.solid(x, y - 1) ? std::min(up[std::size_t(x)] + 1, band) : 0;
            const std::array<int, 4> distance{up[std::size_t(x)], x - span.first, int(line[x]),
                                              span.last - x};
            int nearest = 0;
            for (int side = 1; side < 4; ++side)
                if (distance[side] < distance[nearest]) nearest = side;
            const int stripeIndex = distance[nearest] / stripe;
            QRgb colour = bevel.body;
            if (stripeIndex < Bevel::kWidth) colour = (*bands[nearest])[std::size_t(stripeIndex)];
            // White is the key colour: a solid pixel must never take it.
            line[x] = (colour | 0xFF000000) == kKeyWhite ? qRgb(0xFE, 0xFE, 0xFE) : (colour | 0xFF000000);
        }
    }
    return image;
}

void fillRect(QImage& image, const QRect& rect, QRgb colour) {
    const QRect clipped = rect & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + clipped.left(), line + clipped.right() + 1, colour);
    }
}

void fillDot(QImage& image, const QRect& rect, QRgb colour) {
    const int corner = std::max(1, rect.width() / 4);
    fillRect(image, rect.adjusted(corner, 0, -corner, 0), colour);
    fillRect(image, rect.adjusted(0, corner, 0, -corner), colour);
}

QImage turnClockwise(const QImage& image) {
    const int w = image.width();
    const int h = image.height();
    QImage turned(h, w, image.format());
    if (image.depth() != 32) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                turned.setPixel(h - 1 - y, x, image.pixel(x, y));
        return turned;
    }
    uchar* to = turned.bits();
    const qsizetype toLine = turned.bytesPerLine();
    for (int y = 0; y < h; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            reinterpret_cast<QRgb*>(to + x * toLine)[h - 1 - y] = from[x];
    }
    return turned;
}

Mask::Mask(const Grid& grid) : m_grid(grid), m_bits(std::size_t(grid.x.length()) * grid.y.length(), false) {}

void Mask::add(const Block& block) {
    forEachRow(m_grid, block, [this](int y, int first, int last) {
        if (y < 0 || y >= height()) return;
        for (int x = std::max(first, 0); x <= std::min(last, width() - 1); ++x)
            m_bits[std::size_t(y) * width() + x] = true;
    });
}

void Mask::shiftDown(int rows) {
    if (rows <= 0) return;
    const std::size_t offset = std::size_t(std::min(rows, height())) * width();
    std::copy_backward(m_bits.begin(), m_bits.end() - offset, m_bits.end());
    std::fill(m_bits.begin(), m_bits.begin() + offset, false);
}

QImage outlinedMask(const Mask& mask, QRgb fill, QRgb outline) {
    const int w = mask.width();
    const int h = mask.height();
    const int reach = mask.grid().line;
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    auto nearInside = [&](int x, int y) {
        for (int dy = -reach; dy <= reach; ++dy) {
            const int across = reach - std::abs(dy);
            for (int dx = -across; dx <= across; ++dx)
                if (mask.inside(x + dx, y + dy)) return true;
        }
        return false;
    };
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (mask.inside(x, y))
                line[x] = fill;
            else if (nearInside(x, y))
                line[x] = outline;
        }
    }
    return image;
}

} // namespace kx::art::raster
