#include "shaped/regionscan.h"

#include <cmath>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kx {

int roundHalfToEven(double value) {
    if (std::isnan(value)) return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    if (value <= lowest) return std::numeric_limits<int>::min();
    if (value >= highest) return std::numeric_limits<int>::max();

    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    return static_cast<int>(whole);
}

// Both searches first step over blocks of four pixels that hold nothing of interest, four at a time
// where the processor allows, then look at single pixels.

int findColour(const std::uint32_t* row, int from, int to, std::uint32_t colour) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi32(int(colour));
    for (; to - from >= 4; from += 4) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + from));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(block, wanted)) != 0)
            break; // some pixel of the block has the colour
    }
#endif
    while (from < to && row[from] != colour)
        ++from;
    return from;
}

int findOtherColour(const std::uint32_t* row, int from, int to, std::uint32_t colour) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi32(int(colour));
    for (; to - from >= 4; from += 4) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + from));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(block, wanted)) != 0xffff)
            break; // some pixel of the block has another colour
    }
#endif
    while (from < to && row[from] == colour)
        ++from;
    return from;
}

} // namespace kx
