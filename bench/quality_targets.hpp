// The quality benchmark's targets, the project's own: flat patches of grey
// and colour from highlights to shadows, ramps of every hue (to its full
// sRGB colour and on to black) and of every ink, and a synthetic
// photograph, laid out as two pictures at 180 dpi: one in sRGB, one in
// the printer's own CMYK for the ink ramps.
#ifndef VRELO_BENCH_QUALITY_TARGETS_HPP
#define VRELO_BENCH_QUALITY_TARGETS_HPP

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "look_model.hpp"

namespace vrelo_bench {

// Target pixels are this many printer pixels across and down at 1440 x 720.
constexpr int32_t kScaleX = 8, kScaleY = 4;
constexpr int32_t kTargetDpi = 180;

enum class PatchKind { kGrey, kLight, kColour };

struct Patch {
    std::string name;
    PatchKind kind;
    std::array<uint8_t, 3> srgb;
    Rect place;  // in target pixels
};

struct Ramp {
    std::string name;
    bool ink;                                   // a ramp of one printer ink (the CMYK picture)
    int channel;                                // ink ramps: 0..3 for C M Y K
    std::vector<std::array<uint8_t, 4>> steps;  // sRGB, or CMYK
    std::vector<Rect> places;                   // a step's place, target pixels
};

struct Picture {
    int32_t width = 0, height = 0, channels = 3;
    std::vector<uint8_t> pixels;
    uint8_t* at(int32_t x, int32_t y) {
        return &pixels[(static_cast<size_t>(y) * static_cast<size_t>(width) +
                        static_cast<size_t>(x)) *
                       static_cast<size_t>(channels)];
    }
    const uint8_t* at(int32_t x, int32_t y) const {
        return &pixels[(static_cast<size_t>(y) * static_cast<size_t>(width) +
                        static_cast<size_t>(x)) *
                       static_cast<size_t>(channels)];
    }
};

struct Targets {
    std::vector<Patch> patches;
    std::vector<Ramp> ramps;
    Rect photo;      // in the sRGB picture
    Picture colour;  // sRGB: patches, hue ramps, photograph
    Picture inks;    // CMYK: the ink ramps
};

Targets make_targets();

// A target rectangle in printer pixels, shrunk by a margin on each side
// (pixels across; half as many down) so that neither a neighbour nor a
// misplaced edge reaches into it.
Rect printer_area(const Rect& target, int32_t margin);

// The synthetic photograph alone, width x height, sRGB.
Picture make_photograph(int32_t width, int32_t height);

}  // namespace vrelo_bench

#endif
