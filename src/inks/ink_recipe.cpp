// Tones to inks (see ink_recipe.hpp).
#include "ink_recipe.hpp"

#include <algorithm>
#include <cmath>

#include "vrelo417_inks.h"

namespace vrelo_inks {
namespace {

// Plain paper takes less ink than photo paper; no ink beyond full coverage.
constexpr MediaLimits kPlain = {2.8, 1.0};
constexpr MediaLimits kPhoto = {3.4, 1.0};

// A light dot darkens by a third of a dark one; past this tone light ink
// alone would have to cover more than the paper.
constexpr double kLightFull = 1.0 / 3;
// Half the width of the cross-fade around kLightFull, in tone.
constexpr double kFadeHalfWidth = 0.04;

// Black at which a hue's split starts going to dark ink, and the black
// over which it gets there.
constexpr double kBlackForDarkStart = 0.1;
constexpr double kBlackForDark = 0.2;
// Black prints the grey component alone up to this grey tone; darker
// greys take the colour inks under full black, for deeper shadows.
constexpr double kGreyForBlack = 0.85;

// Bisection steps finding how far the colour inks give way to the limit.
constexpr int kLimitSteps = 16;

double smooth_ramp(double x, double halfWidth) {
    if (x <= -halfWidth) return 0;
    if (x >= halfWidth) return x;
    return (x + halfWidth) * (x + halfWidth) / (4 * halfWidth);
}

}  // namespace

bool media_limits(int media, MediaLimits* limits) {
    if (media == VRELO_INKS_PLAIN)
        *limits = kPlain;
    else if (media == VRELO_INKS_PHOTO)
        *limits = kPhoto;
    else
        return false;
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

// Beside black, light ink adds dots but little darkness: the more black,
// the more of each hue goes dark.
double dark_bias(double black) {
    return std::clamp((black - kBlackForDarkStart) / kBlackForDark, 0.0, 1.0);
}

Inks InkRecipe::split(const Inks& hueTones) const {
    Inks inks = hueTones;
    const double bias = dark_bias(hueTones[kBlack]);
    double dark, light;
    split_hue(hueTones[kCyan], bias, &dark, &light);
    inks[kCyan] = static_cast<float>(dark);
    inks[kLightCyan] = static_cast<float>(light);
    split_hue(hueTones[kMagenta], bias, &dark, &light);
    inks[kMagenta] = static_cast<float>(dark);
    inks[kLightMagenta] = static_cast<float>(light);
    return inks;
}

Inks InkRecipe::limited(double c, double m, double y, double k) const {
    const double cap = limits_.perInk;
    c = std::min(c, cap);
    m = std::min(m, cap);
    y = std::min(y, cap);
    k = std::min(k, cap);
    // The chromatic inks give way to black; found by bisection, as a
    // hue's coverage is not linear in its tone.
    const auto make = [&](double s) {
        Inks tones{};
        tones[kBlack] = static_cast<float>(k);
        tones[kYellow] = static_cast<float>(y * s);
        tones[kCyan] = static_cast<float>(c * s);
        tones[kMagenta] = static_cast<float>(m * s);
        return tones;
    };
    Inks tones = make(1);
    if (total_ink(split(tones)) <= limits_.total) return tones;
    double low = 0, high = 1;
    for (int step = 0; step < kLimitSteps; ++step) {
        const double mid = (low + high) / 2;
        (total_ink(split(make(mid))) <= limits_.total ? low : high) = mid;
    }
    return make(low);
}

Inks InkRecipe::hue_tones(const Tones& t) const {
    // Grey-component replacement, whole: the grey the three tones share is
    // printed in black alone (up to kGreyForBlack), whose dots, diffused as
    // evenly as one ink can be, are finer to the eye than three inks'
    // together. The colour inks print what is left, rescaled to their full
    // range, so a colour beside black still reaches full ink.
    const double grey = std::min({t.cyan, t.magenta, t.yellow});
    const double removed = std::min(grey, kGreyForBlack);
    const double rest = 1 - removed;
    const auto colour = [&](double tone) { return rest > 0 ? (tone - removed) / rest : 0.0; };
    return limited(colour(t.cyan), colour(t.magenta), colour(t.yellow), removed / kGreyForBlack);
}

Inks InkRecipe::inks(const Tones& t) const {
    return split(hue_tones(t));
}

Inks InkRecipe::device_inks(double c, double m, double y, double k) const {
    return split(limited(c, m, y, k));
}

}  // namespace vrelo_inks
