#include "caliper/edges.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kx::edges {

namespace {

// A soft edge is followed over at most this many pixels on either side of the first pixel beyond the
// tolerance: anti-aliasing and the smoothing of scaled pictures spread an edge over one to three.
constexpr int kSoftEdgePixels = 4;

int nearest(double v) {
    return static_cast<int>(std::floor(v + 0.5));
}

// How far a colour has gone from `from` towards `to`, 0 ... 1, measured along the line between them.
double shareOfChange(QRgb c, QRgb from, QRgb to) {
    const int dr = qRed(to) - qRed(from), dg = qGreen(to) - qGreen(from), db = qBlue(to) - qBlue(from);
    const double length = double(dr) * dr + double(dg) * dg + double(db) * db;
    if (length == 0) return 1;
    const double along =
        double(qRed(c) - qRed(from)) * dr + double(qGreen(c) - qGreen(from)) * dg + double(qBlue(c) - qBlue(from)) * db;
    return std::clamp(along / length, 0.0, 1.0);
}

} // namespace

int colourDifference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

std::optional<Edge> edgeFrom(std::span<const QRgb> line, int from, int step, QRgb background, int tolerance) {
    const int n = static_cast<int>(line.size());
    auto inLine = [n](int i) { return i >= 0 && i < n; };
    auto away = [&](int i) { return colourDifference(line[i], background); };
    int first = from;
    while (inLine(first) && away(first) <= tolerance) first += step;
    if (!inLine(first)) return std::nullopt;
    // The soft edge's start: pixels before the first one beyond the tolerance that already lean towards
    // it, each more than the one before.
    int start = first;
    for (int k = first - step, i = 0; i < kSoftEdgePixels && inLine(k) && (k - from) * step >= 0; k -= step, ++i) {
        if (away(k) == 0 || away(k) >= away(k + step)) break;
        start = k;
    }
    // Its far side: as long as the colour keeps going away from the background.
    int far = first;
    for (int i = 0; i < kSoftEdgePixels && inLine(far + step) && away(far + step) > away(far); ++i) far += step;
    double backgroundShare = 0; // how much of the soft edge is still the background's
    for (int k = start; k != far; k += step) backgroundShare += 1 - shareOfChange(line[k], background, line[far]);
    return Edge{step > 0 ? start + backgroundShare : start + 1 - backgroundShare, far};
}

JawMove closeOn(std::span<const QRgb> line, std::optional<QRgb> beyondFixed, std::optional<QRgb> beyondMoving,
                int tolerance) {
    const int n = static_cast<int>(line.size());
    if (n == 0) return {};
    const std::optional<Edge> left = edgeFrom(line, 0, +1, beyondFixed.value_or(line.front()), tolerance);
    const std::optional<Edge> right = edgeFrom(line, n - 1, -1, beyondMoving.value_or(line.back()), tolerance);
    if (left && right) {
        if (right->at - left->at < 0.5) return {}; // nothing between the two edges
        const int fixed = nearest(left->at);
        return {fixed, fixed + nearest(right->at - left->at)};
    }
    JawMove move;
    if (left) move.fixed = nearest(left->at);
    if (right) move.moving = nearest(right->at);
    return move;
}

JawMove openFrom(std::span<const QRgb> line, int start, int tolerance) {
    const int n = static_cast<int>(line.size());
    if (start < 0 || start >= n) return {};
    const QRgb inside = line[start];
    const std::optional<Edge> left = edgeFrom(line, start, -1, inside, tolerance);
    const std::optional<Edge> right = edgeFrom(line, start, +1, inside, tolerance);
    JawMove move;
    if (left && right) {
        const int fixed = nearest(left->at);
        return {fixed, fixed + nearest(right->at - left->at)};
    }
    if (left) move.fixed = nearest(left->at);
    if (right) move.moving = nearest(right->at);
    return move;
}

std::vector<int> edgesAlong(std::span<const QRgb> line, int tolerance) {
    std::vector<int> found;
    const int n = static_cast<int>(line.size());
    int from = 0;
    while (from < n) {
        const std::optional<Edge> e = edgeFrom(line, from, +1, line[from], tolerance);
        if (!e) break;
        const int at = nearest(e->at);
        if (found.empty() || found.back() != at) found.push_back(at);
        from = std::max(e->far, from + 1);
    }
    return found;
}

} // namespace kx::edges
