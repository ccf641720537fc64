// Preparing a line's planes for either mode: argument checks, doubled
// positions, and the trimming of a row to its first and last non-zero byte.
#include "output/line_planes.hpp"

#include <stdint.h>

namespace vrelo {
namespace {

bool double_position(int16_t* position) {
    const int32_t doubled = 2 * static_cast<int32_t>(*position);
    if (doubled > INT16_MAX || doubled < INT16_MIN) return false;
    *position = static_cast<int16_t>(doubled);
    return true;
}

}  // namespace

int32_t prepare_planes(const MasterWork& job, const RasterLine& line,
                       LinePlanes* planes) {
    for (int colour = 0; colour < VRELO_COLOURS; ++colour) {
        ColorPlane& used = planes->plane[colour];
        used = line.planes[colour];
        if (used.data == nullptr) continue;
        // A negative start or tail would make the row reach before its data;
        // a negative end names no row that could be printed.
        if (used.width < 0 || used.firstPixel < 0 || used.tailBlank < 0)
            return VRELO_BAD_ARGUMENT;
        if (job.doubleX != 1) continue;
        if (!double_position(&used.width) || !double_position(&used.firstPixel) ||
            !double_position(&used.tailBlank))
            return VRELO_BAD_ARGUMENT;
    }
    return VRELO_OK;
}

bool find_ink(const ColorPlane& plane, int16_t pixelShift, RowSpan* span) {
    if (plane.data == nullptr || plane.firstPixel == plane.width) return false;
    int16_t first = static_cast<int16_t>(plane.firstPixel >> pixelShift);
    int16_t last = static_cast<int16_t>(
        (plane.width - plane.tailBlank - 1) >> pixelShift);
    while (first <= last && plane.data[first] == 0) ++first;
    if (first > last) return false;
    while (plane.data[last] == 0) --last;
    span->first = first;
    span->last = last;
    return true;
}

}  // namespace vrelo
