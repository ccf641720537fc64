// The scan's rules by tone and its threshold noise (see diffusion_scan.hpp).
#include <algorithm>
#include <cmath>
#include <vector>

#include "diffusion_scan.hpp"
#include "ink_model.hpp"

namespace vrelo_inks {
namespace {

// Weights to the next pixel on the line, the one below behind and the one
// below, in 1/256, by the tone within a level (0 to one half; the other
// half mirrors it). The printer's pixels are twice as tall as wide, so more
// of the error goes along the line than down. At one dot size the weights
// favour the line in the extreme tones, which keeps lone dots apart, and
// even out towards the middle, which breaks the checkerboard's regularity.
// Between three dot sizes it is the other way round: near a level the
// few pixels a size off (a lighter pixel among full black ones) spread
// evenly only when much of the error goes down, and half way between two
// levels the errors are small and go along the line. Both tables were
// chosen by the quality benchmark.
struct Weights {
    int32_t right, belowBack, below;
};
constexpr int kWeightSteps = 8;
constexpr Weights kWeightTables[2][kWeightSteps + 1] = {{{150, 30, 76},
                                                         {150, 30, 76},
                                                         {146, 36, 74},
                                                         {140, 44, 72},
                                                         {134, 52, 70},
                                                         {128, 58, 70},
                                                         {124, 62, 70},
                                                         {122, 64, 70},
                                                         {120, 66, 70}},
                                                        {{100, 60, 96},
                                                         {111, 54, 91},
                                                         {122, 49, 85},
                                                         {134, 43, 79},
                                                         {145, 38, 73},
                                                         {156, 32, 68},
                                                         {168, 26, 62},
                                                         {179, 21, 56},
                                                         {190, 15, 51}}};

// Threshold modulation, in level units, at the most: strongest in the
// middle tones, where regular patterns would form, and near nothing in
// the extremes, where it would only add noise.
constexpr int32_t kModulation = 100;

// The rules of the tones: the weight tables interpolated at the middle of
// each step, and the modulation growing from the levels to half way; the
// shade black's sizes take at so many levels a pixel.
ToneRules make_rules(const Weights (&table)[kWeightSteps + 1], int levels) {
    ToneRules rules{};
    rules.shadeStep = static_cast<int32_t>(
        std::lround(kAbsorbance[kBlack][0] * kLevelUnit / static_cast<double>(levels)));
    constexpr int kHalfLevel = kLevelUnit / 2;
    for (int i = 0; i < kToneSteps; ++i) {
        // Distance from the level: 0 at a level, kHalfLevel half way.
        const double distance = std::min((i + 0.5) * (1 << kToneStepShift), double{kHalfLevel});
        const double pos = distance * kWeightSteps / kHalfLevel;
        const int lo = std::min(static_cast<int>(pos), kWeightSteps - 1);
        const double t = pos - lo;
        const Weights& a = table[lo];
        const Weights& b = table[lo + 1];
        const int right = static_cast<int>(a.right + t * (b.right - a.right) + 0.5);
        const int belowBack = static_cast<int>(a.belowBack + t * (b.belowBack - a.belowBack) + 0.5);
        rules.right[i] = static_cast<uint8_t>(right);
        rules.belowBack[i] = static_cast<uint8_t>(belowBack);
        rules.below[i] = static_cast<uint8_t>((1 << kWeightShift) - right - belowBack);
        rules.modulation[i] = static_cast<uint8_t>(kModulation * distance / kHalfLevel + 0.5);
    }
    return rules;
}

// Deterministic noise: a fixed linear congruence.
std::vector<int16_t> make_noise() {
    std::vector<int16_t> table(static_cast<size_t>(kHues) << kNoiseBits);
    uint32_t state = 0x6A09E667u;
    for (auto& v : table) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<int16_t>(static_cast<int32_t>(state >> 22) - 512);
    }
    return table;
}

}  // namespace

const ToneRules& tone_rules(int bits) {
    static const ToneRules rules[2] = {make_rules(kWeightTables[0], 1),
                                       make_rules(kWeightTables[1], 3)};
    return rules[bits - 1];
}

const int16_t* threshold_noise() {
    static const std::vector<int16_t> noise = make_noise();
    return noise.data();
}

}  // namespace vrelo_inks
