// Random pages of raster lines as a host hands them over: rising line
// numbers with gaps (sometimes longer than one skip command), planes
// present or absent, pixel ranges with blank margins, rows of runs, pairs
// and noise (row_shapes.hpp), and garbage outside the ranges that must never be sent.
#ifndef VRELO_TEST_PAGE_GENERATOR_HPP
#define VRELO_TEST_PAGE_GENERATOR_HPP

#include <cstdint>
#include <random>
#include <vector>

#include "vrelo417.h"

namespace vrelo_test {

// One colour of one line; data points into bytes when present.
struct PagePlane {
    bool present = false;
    std::vector<uint8_t> bytes;
    int16_t width = 0;
    int16_t firstPixel = 0;
    int16_t tailBlank = 0;
};

struct PageLine {
    int32_t lineNumber = 0;
    PagePlane planes[VRELO_COLOURS];
    // The record for OutputProduce; valid while this line lives.
    RasterLine record() const;
};

struct PageShape {
    int16_t pixelShift = 3;
    bool doubleX = false;
    int lines = 40;
    int maxGap = 4;          // usual distance between lines: 0..maxGap
    int longGapPercent = 2;  // chance of a gap of 32760..70000 lines
    int maxRowBytes = 96;    // longest row range, in bytes
    int planePercent = 55;   // chance that a plane has data
};

using Page = std::vector<PageLine>;

Page random_page(std::mt19937& rng, const PageShape& shape);

// What the printer must receive for a plane: the row from byte 0 to its
// last non-zero byte within the plane's range, everything before its first
// non-zero byte as zeros. Empty when the plane prints nothing.
std::vector<uint8_t> expected_row(const PagePlane& plane, int16_t pixelShift, bool doubleX);

}  // namespace vrelo_test

#endif
