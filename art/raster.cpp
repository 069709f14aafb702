#include "art/raster.h"

#include <algorithm>
#include <cmath>

namespace kx::art::raster {

int lerpRound(int from, int to, int step, int steps) {
    if (steps == 0) return from;
    return from + static_cast<int>(std::lround(double(step) * (to - from) / steps));
}

Shape::Shape(int width, int height) : m_width(width), m_height(height), m_rows(std::size_t(height)) {}

void Shape::setRows(int firstRow, int lastRow, int first, int last) {
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, m_height - 1);
    for (int y = firstRow; y <= lastRow; ++y)
        m_rows[std::size_t(y)] = Span{std::max(first, 0), std::min(last, m_width - 1)};
}

bool Shape::solid(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
    return m_rows[std::size_t(y)].contains(x);
}

QImage shadeShape(const Shape& shape, const Bevel& bevel) {
    const int w = shape.width();
    const int h = shape.height();
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kKeyWhite);

    // Distance of each solid pixel from the outline above it and below it, column by column.
    std::vector<int> up(std::size_t(w) * h, 0);
    std::vector<int> down(std::size_t(w) * h, 0);
    auto at = [w](int x, int y) { return std::size_t(y) * w + x; };
    for (int x = 0; x < w; ++x) {
        int run = 0;
        for (int y = 0; y < h; ++y) {
            run = shape.solid(x, y) ? run + 1 : 0;
            up[at(x, y)] = run - 1;
        }
        run = 0;
        for (int y = h - 1; y >= 0; --y) {
            run = shape.solid(x, y) ? run + 1 : 0;
            down[at(x, y)] = run - 1;
        }
    }

    for (int y = 0; y < h; ++y) {
        const Span span = shape.row(y);
        if (span.empty()) continue;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = span.first; x <= span.last; ++x) {
            const std::array<int, 4> distance{up[at(x, y)], x - span.first, down[at(x, y)], span.last - x};
            const std::array<const std::array<QRgb, Bevel::kWidth>*, 4> bands{&bevel.top, &bevel.left,
                                                                              &bevel.bottom, &bevel.right};
            int nearest = 0;
            for (int side = 1; side < 4; ++side)
                if (distance[side] < distance[nearest]) nearest = side;
            QRgb colour = bevel.body;
            if (distance[nearest] < Bevel::kWidth) colour = (*bands[nearest])[std::size_t(distance[nearest])];
            // White is the key colour: a solid pixel must never take it.
            line[x] = (colour | 0xFF000000) == kKeyWhite ? qRgb(0xFE, 0xFE, 0xFE) : (colour | 0xFF000000);
        }
    }
    return image;
}

QImage turnClockwise(const QImage& image) {
    const int w = image.width();
    const int h = image.height();
    QImage turned(h, w, image.format());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            turned.setPixel(h - 1 - y, x, image.pixel(x, y));
    return turned;
}

std::vector<std::vector<bool>> emptyMask(int width, int height) {
    return std::vector<std::vector<bool>>(std::size_t(height), std::vector<bool>(std::size_t(width), false));
}

std::vector<std::vector<bool>> maskFromRows(int width, int height, const std::vector<const char*>& rows) {
    auto mask = emptyMask(width, height);
    for (std::size_t y = 0; y < rows.size() && int(y) < height; ++y)
        for (int x = 0; x < width && rows[y][x] != '\0'; ++x)
            mask[y][std::size_t(x)] = rows[y][x] == 'x';
    return mask;
}

void markRect(std::vector<std::vector<bool>>& mask, int x0, int y0, int x1, int y1) {
    const int h = int(mask.size());
    for (int y = std::max(y0, 0); y <= std::min(y1, h - 1); ++y) {
        const int w = int(mask[std::size_t(y)].size());
        for (int x = std::max(x0, 0); x <= std::min(x1, w - 1); ++x)
            mask[std::size_t(y)][std::size_t(x)] = true;
    }
}

QImage outlinedMask(const std::vector<std::vector<bool>>& interior, QRgb fill, QRgb outline) {
    const int h = int(interior.size());
    const int w = h > 0 ? int(interior[0].size()) : 0;
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    auto inside = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && interior[std::size_t(y)][std::size_t(x)];
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (inside(x, y))
                image.setPixel(x, y, fill);
            else if (inside(x - 1, y) || inside(x + 1, y) || inside(x, y - 1) || inside(x, y + 1))
                image.setPixel(x, y, outline);
        }
    }
    return image;
}

} // namespace kx::art::raster
