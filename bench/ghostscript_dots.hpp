// Ghostscript's own dots for the quality targets, as the PPD asks for them
// at Draft quality: the targets written as a PostScript page, turned into
// CUPS raster by cupsfilter with the PPD, and read back as levels.
#ifndef VRELO_BENCH_GHOSTSCRIPT_DOTS_HPP
#define VRELO_BENCH_GHOSTSCRIPT_DOTS_HPP

#include <string>

#include "look_model.hpp"
#include "quality_targets.hpp"

namespace vrelo_bench {

// Writes the targets' two pictures on one A4 page, each target pixel
// 0.4 pt square (8 x 4 pixels at 1440 x 720 dpi), the sRGB picture at
// kColourAt, the CMYK one at kInksAt (printer pixels from the page's top
// left corner).
bool write_target_page(const Targets& targets, const std::string& path, std::string* error);
constexpr int32_t kColourAtX = 720, kColourAtY = 360;
constexpr int32_t kInksGapPoints = 8;
int32_t inks_at_y(const Targets& targets);

// The page through cupsfilter -p ppd at Draft quality with BitDepth bits:
// the two pictures' dots. False with *error.
bool ghostscript_dots(const std::string& page, const std::string& ppd, int bits,
                      const Targets& targets, DotPage* colour, DotPage* inks, std::string* error);

}  // namespace vrelo_bench

#endif
