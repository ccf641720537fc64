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

// The mean reflectance of an area printed with these coverages as the
// renderer places dots at 1 or 2 bits: a hue's light and dark dots never
// share a pixel, and each colour hue fills the pixels black left free
// before it overlaps black; the colour hues fall independently of each
// other (see error_diffusion.hpp).
Rgb area_reflectance(const Inks& cover, int bits);

}  // namespace vrelo_inks

#endif
