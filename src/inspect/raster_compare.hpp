// Compares a decoded stream with the CUPS raster it was made from, page by
// page, line by line and colour by colour, and names the first difference.
#ifndef VRELO_INSPECT_RASTER_COMPARE_HPP
#define VRELO_INSPECT_RASTER_COMPARE_HPP

#include <cstdint>
#include <string>

#include "stream_pages.hpp"

namespace vrelo_inspect {

struct RasterComparison {
    bool equal = true;
    std::string difference;  // "page 1, colour M, line 37, byte 12: ..."
    int bits = 1;            // of the raster's first page
    uint32_t resX = 0, resY = 0;
};

// Reads the raster file twice: once for its page heights, with which rows
// that a page carried over to the next are placed back on their page, then
// to compare. False with *error when the raster cannot be read; a
// difference is a result.
bool compare_with_raster(const std::string& path, DecodedStream* decoded, RasterComparison* result,
                         std::string* error);

}  // namespace vrelo_inspect

#endif
