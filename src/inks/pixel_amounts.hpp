// What the separation hands the halftoners: each pixel's amounts in level
// units, one record a pixel, laid out as the diffusion's scan takes them
// (a pixel's hues side by side, one load).
#ifndef VRELO_INKS_PIXEL_AMOUNTS_HPP
#define VRELO_INKS_PIXEL_AMOUNTS_HPP

#include <cstdint>

namespace vrelo_inks {

// One dot size is kLevelUnit, a full pixel at 2 bits three of them.
constexpr int kLevelShift = 10;
constexpr int kLevelUnit = 1 << kLevelShift;

// The hues in diffusion order.
enum Hue { kHueBlack, kHueMagenta, kHueCyan, kHueYellow, kHues };

// A pixel's dots of each hue, and the dark part of them (magenta and cyan
// only: black and yellow have no light ink, their dark part is 0).
struct alignas(16) PixelAmounts {
    int16_t hue[kHues];
    int16_t dark[kHues];
};

}  // namespace vrelo_inks

#endif
