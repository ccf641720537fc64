// Printed pages as the quality benchmark judges them: a target picture
// through the renderer, or a CUPS raster of Ghostscript's dots, as levels
// of the six planes at 1440 x 720 dpi.
#ifndef VRELO_BENCH_DOT_PAGES_HPP
#define VRELO_BENCH_DOT_PAGES_HPP

#include <string>

#include "look_model.hpp"
#include "quality_targets.hpp"
#include "vrelo417_inks.h"

namespace vrelo_bench {

// A way of printing the targets, and what it printed of each picture.
struct PrintedPath {
    std::string name;
    DotPage colour, inks;
};

// The picture, each pixel kScaleX x kScaleY printer pixels, through a
// renderer made with these options (width and input set here). False with
// *error when the renderer refuses.
bool render_picture(const Picture& picture, VreloInksOptions options, DotPage* page,
                    std::string* error);

// Unpacks one row of a plane (bits 1 or 2) into levels.
void unpack_row(const uint8_t* row, int bits, int32_t width, uint8_t* levels);

// The first page of a CUPS raster file of 1- or 2-bit dots, from (x, y)
// on (from the page's top left corner, whatever the raster's margins),
// width x height pixels. False with *error.
bool read_raster_dots(const std::string& path, int32_t x, int32_t y, int32_t width, int32_t height,
                      DotPage* page, std::string* error);

}  // namespace vrelo_bench

#endif
