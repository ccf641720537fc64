// sRGB, linear RGB and CIELAB (D65, paper white L* 100): the conversions
// the separation needs to aim at a colour, and the benchmark to judge one.
#ifndef VRELO_INKS_COLOUR_SPACE_HPP
#define VRELO_INKS_COLOUR_SPACE_HPP

#include <array>

namespace vrelo_inks {

using Lab = std::array<double, 3>;

double srgb_to_linear(double encoded);  // 0..1 both
double linear_to_srgb(double linear);

// Linear sRGB (white 1, 1, 1) to CIELAB under D65, and back.
Lab linear_to_lab(double r, double g, double b);
void lab_to_linear(const Lab& lab, double rgb[3]);

double delta_e(const Lab& a, const Lab& b);  // CIE76
double chroma(const Lab& lab);
double hue_angle(const Lab& lab);  // radians, -pi..pi

}  // namespace vrelo_inks

#endif
