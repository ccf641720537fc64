// Prints judged as a person sees them at about 30 cm: each pixel's dots
// turned into reflectance by the inks' absorbances, blurred by a Gaussian
// of 0.1 mm (5.67 pixels across and 2.83 down at 1440 x 720 dpi), taken as
// linear sRGB and converted to CIELAB (D65, paper white L* 100).
// Graininess of a flat area is the root of the summed variances of L*, a*
// and b* over its blurred interior.
#ifndef VRELO_BENCH_LOOK_MODEL_HPP
#define VRELO_BENCH_LOOK_MODEL_HPP

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "colour_space.hpp"
#include "ink_model.hpp"

namespace vrelo_bench {

using vrelo_inks::kInks;
using vrelo_inks::Lab;

// A printed page as levels: each plane one byte a pixel (0 to 3).
struct DotPage {
    int32_t width = 0, height = 0;
    int levels = 1;  // of a full dot: 1 at 1 bit, 3 at 2 bits
    std::array<std::vector<uint8_t>, kInks> planes;
    void resize(int32_t w, int32_t h, int levelsOfFullDot);
    uint8_t at(int plane, int32_t x, int32_t y) const {
        return planes[static_cast<size_t>(plane)]
                     [static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

struct Rect {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

struct AreaLook {
    Lab mean{};                                      // CIELAB of the area's mean reflectance
    double graininess = 0;                           // over the blurred interior
    std::array<double, kInks> coverage{};            // each ink's mean, 0..1
    double darkCyanShare = 0, darkMagentaShare = 0;  // of the hue's dots
};

// The look of an area. Its edges (where the blur would reach outside the
// area) are left out of the graininess.
AreaLook judge_area(const DotPage& page, const Rect& area);

// Blurred CIELAB of an area, row by row (for the pictures): the blur
// reaches outside only where the page ends.
std::vector<Lab> blurred_lab(const DotPage& page, const Rect& area);

// The reflectance of one pixel, linear RGB.
vrelo_inks::Rgb pixel_reflectance(const DotPage& page, int32_t x, int32_t y);

}  // namespace vrelo_bench

#endif
