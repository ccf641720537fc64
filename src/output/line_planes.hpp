// A raster line's colour planes as the job reads them (positions doubled
// when the job doubles X), and the span of a row that carries ink.
#ifndef VRELO_OUTPUT_LINE_PLANES_HPP
#define VRELO_OUTPUT_LINE_PLANES_HPP

#include "output/master_work.hpp"

namespace vrelo {

// The working copy of a line's six planes.
struct LinePlanes {
    ColorPlane plane[VRELO_COLOURS];
};

// Copies the line's planes into planes, doubling every position when the
// job doubles X. VRELO_BAD_ARGUMENT when a plane with data has a negative
// width, firstPixel or tailBlank, or a position that no longer fits 16 bits once
// doubled; the job is never touched. Positions of a plane without data are
// never read, so they are not checked.
int32_t prepare_planes(const MasterWork& job, const RasterLine& line,
                       LinePlanes* planes);

// Byte indices, into the plane's data, of a row's first and last non-zero
// byte.
struct RowSpan {
    int16_t first;
    int16_t last;
};

// False when the plane has no data, an empty pixel range, or only blank
// bytes in its range. Otherwise fills span; bytes before the range are
// never read. Needs a plane that passed prepare_planes.
bool find_ink(const ColorPlane& plane, int16_t pixelShift, RowSpan* span);

}  // namespace vrelo

#endif
