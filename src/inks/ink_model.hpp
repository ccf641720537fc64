// What the printer's inks do to light: the share of red, green and blue
// each absorbs at full coverage, and the reflectance of paper carrying a
// set of coverages. The separation is built by inverting this model; the
// quality benchmark judges prints by it.
#ifndef VRELO_INKS_INK_MODEL_HPP
#define VRELO_INKS_INK_MODEL_HPP

#include <array>

namespace vrelo_inks {

// The library's plane order.
enum Ink { kBlack, kYellow, kMagenta, kCyan, kLightMagenta, kLightCyan, kInks };

// Coverage of each ink, 0..1 (at 2 bits, level / 3 on average).
using Inks = std::array<float, kInks>;
using Rgb = std::array<float, 3>;

// Share of red, green and blue light that full coverage of each ink
// absorbs. Light cyan and light magenta absorb a third of their dark ink.
extern const std::array<Rgb, kInks> kAbsorbance;

// Linear RGB reflectance (paper white 1) of one pixel whose dots have
// these coverages, each ink's dots placed independently of the others.
Rgb dot_reflectance(const Inks& cover);

// How the renderer lays the colour hues' dots, which the model follows
// (see diffusion_scan.hpp), by bits - 1: whether a colour hue is diffused
// by what of it shows through black's dots (between three dot sizes) or
// as its sum with black (at one, filling the pixels black left free
// before it overlaps black).
constexpr bool kShadedColours[2] = {false, true};
// Whether the two colour hues with the most ink are laid as a pair, their
// dots as few on each other as they can be and the overlap dark first
// (see hue_pair() in diffusion_scan.hpp), by bits - 1: at one dot size.
constexpr bool kPairedColours[2] = {true, false};
// The pair among the colour hues, by their amounts (magenta, cyan,
// yellow): the one with the most first, on a tie the earlier; false where
// the second has none. Chosen without branches, as photographs change it
// at every pixel.
template <typename Amount>
inline bool colour_pair(const Amount (&amount)[3], int* first, int* second) {
    const int upper = amount[1] > amount[0] ? 1 : 0, lower = 1 - upper;
    const bool thirdFirst = amount[2] > amount[upper];
    const bool thirdSecond = amount[2] > amount[lower];
    *first = thirdFirst ? 2 : upper;
    *second = thirdFirst ? upper : thirdSecond ? 2 : lower;
    return amount[*second] > 0;
}
// A hue whose dark share is under 1 / kWholeDarkBelow has its pixels all
// dark or all light; with more, between three dot sizes, a pixel's sizes
// are dark or light one by one.
constexpr int kWholeDarkBelow = 10;

// The mean reflectance of an area printed with these coverages as the
// renderer places dots at 1 or 2 bits (kShadedColours, kPairedColours,
// kWholeDarkBelow); the colour hues fall independently of each other but
// for the pair.
Rgb area_reflectance(const Inks& cover, int bits);

}  // namespace vrelo_inks

#endif
