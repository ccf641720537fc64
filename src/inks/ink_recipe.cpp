// Tones to inks (see ink_recipe.hpp).
#include "ink_recipe.hpp"

#include <algorithm>
#include <cmath>

#include "vrelo417_inks.h"

namespace vrelo_inks {
namespace {

constexpr MediaLimits kPlain = {2.2, 1.0};
constexpr MediaLimits kPhoto = {3.0, 1.0};

// A light dot darkens by a third of a dark one; past this tone light ink
// alone would have to cover more than the paper.
constexpr double kLightFull = 1.0 / 3;
// Half the width of the cross-fade around kLightFull, in tone.
constexpr double kFadeHalfWidth = 0.07;

// Grey-component replacement: black starts at this grey tone and takes
// over as the square of the distance from it.
constexpr double kBlackStart = 0.25;
constexpr double kYellowLead = 0.2;

double smooth_ramp(double x, double halfWidth) {
    if (x <= -halfWidth) return 0;
    if (x >= halfWidth) return x;
    return (x + halfWidth) * (x + halfWidth) / (4 * halfWidth);
}

double black_for(double grey) {
    if (grey <= kBlackStart) return 0;
    const double x = (grey - kBlackStart) / (1 - kBlackStart);
    return x * x;
}

}  // namespace

bool media_limits(int media, MediaLimits* limits) {
    if (media == VRELO_INKS_PLAIN) *limits = kPlain;
    else if (media == VRELO_INKS_PHOTO) *limits = kPhoto;
    else return false;
    return true;
}

void split_hue(double tone, double darkBias, double* dark, double* light) {
    tone = std::clamp(tone, 0.0, 1.0);
    // Dark ink never less than what keeps light + dark within the paper:
    // tone = light / 3 + dark and light + dark <= 1 ask dark >= (3t - 1) / 2.
    double d = std::min(tone, 1.5 * smooth_ramp(tone - kLightFull, kFadeHalfWidth));
    d += std::clamp(darkBias, 0.0, 1.0) * (tone - d);
    *dark = d;
    *light = std::min(1.0, std::max(0.0, 3 * (tone - d)));
}

double total_ink(const Inks& inks) {
    double sum = 0;
    for (const float ink : inks) sum += ink;
    return sum;
}

Inks InkRecipe::limited(double c, double m, double y, double k) const {
    const double cap = limits_.perInk;
    c = std::min(c, cap);
    m = std::min(m, cap);
    y = std::min(y, cap);
    k = std::min(k, cap);
    // The chromatic inks give way to black; found by bisection, as a
    // hue's coverage is not linear in its tone.
    // Beside black, light ink adds dots but little darkness: the more
    // black, the more of each hue goes dark.
    const double darkBias = std::sqrt(k);
    const auto make = [&](double s) {
        Inks inks{};
        double dark, light;
        inks[kBlack] = float(k);
        inks[kYellow] = float(y * s);
        split_hue(c * s, darkBias, &dark, &light);
        inks[kCyan] = float(dark);
        inks[kLightCyan] = float(light);
        split_hue(m * s, darkBias, &dark, &light);
        inks[kMagenta] = float(dark);
        inks[kLightMagenta] = float(light);
        return inks;
    };
    Inks inks = make(1);
    if (total_ink(inks) <= limits_.total) return inks;
    double low = 0, high = 1;
    for (int step = 0; step < 30; ++step) {
        const double mid = (low + high) / 2;
        (total_ink(make(mid)) <= limits_.total ? low : high) = mid;
    }
    return make(low);
}

Inks InkRecipe::inks(const Tones& t) const {
    // Yellow darkens least: a neutral grey holds less of it than of cyan
    // and magenta, so it counts for the grey component with a lead.
    const double k = black_for(std::min({t.cyan, t.magenta, t.yellow + kYellowLead}));
    return limited(t.cyan, t.magenta, t.yellow, k);
}

Inks InkRecipe::device_inks(double c, double m, double y, double k) const {
    return limited(c, m, y, k);
}

}  // namespace vrelo_inks
