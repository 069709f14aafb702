#pragma once

#include <QRgb>

#include <optional>
#include <span>
#include <vector>

// Finding edges on one row or column of screen pixels: where the jaws close on an object, open to the
// walls of a gap, or snap while dragged. A measuring line runs from the fixed jaw towards the moving
// one; places on it are boundaries between pixels (boundary k lies before pixel k).
namespace kx::edges {

// How far apart two colours are: the largest difference of their red, green and blue, 0 ... 255.
int colourDifference(QRgb a, QRgb b);

// One edge met by a search: the boundary where it stands (with fractions where the edge is soft), and
// the pixel where the colour on its far side is reached.
struct Edge {
    double at = 0;
    int far = 0;
};

// The first edge met going from pixel `from` in direction `step` (+1 or -1): the first pixel whose colour
// differs from `background` by more than `tolerance`. A soft (anti-aliased) edge, whose colour runs over
// a few pixels from the background to the far side's colour, stands where that run has gone half way:
// each pixel of the run counts by the share of the change it has not yet made. Nothing when every
// pixel to the line's end is within the tolerance.
std::optional<Edge> edgeFrom(std::span<const QRgb> line, int from, int step, QRgb background, int tolerance);

// Where each jaw goes, in boundaries of the line: nothing for a jaw that found no edge (it stays).
struct JawMove {
    std::optional<int> fixed;
    std::optional<int> moving;
};

// Outside measurement. `line` holds the pixels between the jaws; each jaw starts from the colour just
// beyond it (the background it stands in, where known; else the first pixel inside it) and closes onto
// the first pixel that differs from it by more than the tolerance. A jaw that already touches such a
// pixel stays (boundary 0 or line.size()). The measured width is the distance between the two edges,
// rounded, so that a soft edge on each side does not add or lose a pixel. Nothing for either jaw when
// the line holds no object.
JawMove closeOn(std::span<const QRgb> line, std::optional<QRgb> beyondFixed, std::optional<QRgb> beyondMoving,
                int tolerance);

// Inside measurement: from the pixel `start` outwards, each jaw goes to the first edge on its side of
// it; nothing for a side without one.
JawMove openFrom(std::span<const QRgb> line, int start, int tolerance);

// Every edge along the line, as whole boundaries in order (for snapping).
std::vector<int> edgesAlong(std::span<const QRgb> line, int tolerance);

} // namespace kx::edges
