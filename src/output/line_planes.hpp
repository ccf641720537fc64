// A raster line's colour planes as the job reads them (positions doubled
// when the job doubles X), and the span of a row that carries ink.
#ifndef VRELO_OUTPUT_LINE_PLANES_HPP
#define VRELO_OUTPUT_LINE_PLANES_HPP

#include "output/master_work.hpp"

namespace vrelo {

// Byte indices, into the plane's data, of a row's first and last non-zero
// byte.
struct RowSpan {
    int16_t first;
    int16_t last;
};

// The working copy of a line's six planes, each row scanned once: whether
// it carries ink, and where.
struct LinePlanes {
    ColorPlane plane[VRELO_COLOURS];
    bool ink[VRELO_COLOURS];
    RowSpan span[VRELO_COLOURS];
};

// Copies the line's planes into planes, doubling every position when the
// job doubles X, and finds each row's ink. VRELO_BAD_ARGUMENT when a plane
// with data has a negative width, firstPixel or tailBlank, or a position
// that no longer fits 16 bits once doubled; the job is never touched.
// Positions of a plane without data are never read, so they are not
// checked. A row has no ink when its plane has no data, an empty pixel
// range, or only blank bytes in its range; bytes before the range are never
// read.
int32_t prepare_planes(const MasterWork& job, const RasterLine& line, LinePlanes* planes);

// One row's ink: false as above, else its span. Needs a plane that passed
// the checks of prepare_planes.
bool find_ink(const ColorPlane& plane, int16_t pixelShift, RowSpan* span);

}  // namespace vrelo

#endif
