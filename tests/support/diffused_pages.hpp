// Rows as a driver's halftoning makes them: the page tones error-diffused
// (Floyd-Steinberg) into packed rows of 1 bit per pixel (dot or none) or 2
// bits (none, small, medium, large), pixel 0 in the high bits of byte 0.
#ifndef VRELO_TEST_DIFFUSED_PAGES_HPP
#define VRELO_TEST_DIFFUSED_PAGES_HPP

#include <array>
#include <cstdint>
#include <vector>

#include "bytes.hpp"
#include "page_tones.hpp"

namespace vrelo_test {

struct DiffusedRows {
    int bitsPerPixel = 1;
    int width = 0;                                       // pixels per row
    std::array<std::vector<Bytes>, VRELO_COLOURS> rows;  // [colour][line]
};

// lines rows of every colour, from line first of the page down. The
// diffusion starts without carried error at first.
DiffusedRows diffused_rows(PageContent content, int bitsPerPixel, int first, int lines,
                           uint32_t seed, int width = kA4Pixels);

}  // namespace vrelo_test

#endif
