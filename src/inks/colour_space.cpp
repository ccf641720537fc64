// Colour conversions (see colour_space.hpp).
#include "colour_space.hpp"

#include <cmath>

namespace vrelo_inks {
namespace {

// D65 white of linear sRGB, and the matrices between linear sRGB and XYZ.
constexpr double kWhite[3] = {0.95047, 1.0, 1.08883};
constexpr double kToXyz[3][3] = {{0.4124564, 0.3575761, 0.1804375},
                                 {0.2126729, 0.7151522, 0.0721750},
                                 {0.0193339, 0.1191920, 0.9503041}};
constexpr double kFromXyz[3][3] = {{3.2404542, -1.5371385, -0.4985314},
                                   {-0.9692660, 1.8760108, 0.0415560},
                                   {0.0556434, -0.2040259, 1.0572252}};
constexpr double kEpsilon = 216.0 / 24389.0, kKappa = 24389.0 / 27.0;

double lab_f(double t) {
    return t > kEpsilon ? std::cbrt(t) : (kKappa * t + 16) / 116;
}
double lab_f_inverse(double f) {
    const double cube = f * f * f;
    return cube > kEpsilon ? cube : (116 * f - 16) / kKappa;
}

}  // namespace

double srgb_to_linear(double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double linear_to_srgb(double v) {
    return v <= 0.0031308 ? v * 12.92 : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
}

Lab linear_to_lab(double r, double g, double b) {
    double f[3];
    for (int i = 0; i < 3; ++i)
        f[i] = lab_f((kToXyz[i][0] * r + kToXyz[i][1] * g + kToXyz[i][2] * b) / kWhite[i]);
    return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}

void lab_to_linear(const Lab& lab, double rgb[3]) {
    const double fy = (lab[0] + 16) / 116;
    const double xyz[3] = {kWhite[0] * lab_f_inverse(fy + lab[1] / 500),
                           kWhite[1] * lab_f_inverse(fy),
                           kWhite[2] * lab_f_inverse(fy - lab[2] / 200)};
    for (int i = 0; i < 3; ++i)
        rgb[i] = kFromXyz[i][0] * xyz[0] + kFromXyz[i][1] * xyz[1] + kFromXyz[i][2] * xyz[2];
}

double delta_e(const Lab& a, const Lab& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

double chroma(const Lab& lab) {
    return std::hypot(lab[1], lab[2]);
}
double hue_angle(const Lab& lab) {
    return std::atan2(lab[2], lab[1]);
}

}  // namespace vrelo_inks
