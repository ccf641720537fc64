// Serpentine error diffusion of black and of each hue with black, with tone-dependent weights and
// threshold modulation (see error_diffusion.hpp).
#include "error_diffusion.hpp"

#include <algorithm>
#include <cstring>

namespace vrelo_inks {
namespace {

// Weights to the next pixel on the line, the one below behind and the one
// below, in 1/256, by the tone within a level (0 to one half; the other
// half mirrors it). The printer's pixels are twice as tall as wide, so more
// of the error goes along the line than down. In the extreme tones the
// weights favour the line, which keeps lone dots apart; towards the middle
// they even out, which breaks the checkerboard's regularity.
struct Weights {
    int32_t right, belowBack, below;
};
constexpr int kWeightSteps = 8;
constexpr Weights kWeightTable[kWeightSteps + 1] = {
    {150, 30, 76}, {150, 30, 76}, {146, 36, 74}, {140, 44, 72}, {134, 52, 70},
    {128, 58, 70}, {124, 62, 70}, {122, 64, 70}, {120, 66, 70}};

// Threshold modulation, in level units, at the most: strongest in the
// middle tones, where regular patterns would form, and near nothing in
// the extremes, where it would only add noise.
constexpr int32_t kModulation = 180;

struct ToneRule {
    Weights weights;
    int32_t modulation;
};

// A rule for each tone within a level, in kLevelUnit / 64 steps.
constexpr int kRuleSteps = 64;
std::array<ToneRule, kRuleSteps + 1> make_rules() {
    std::array<ToneRule, kRuleSteps + 1> rules{};
    for (int i = 0; i <= kRuleSteps; ++i) {
        // Distance from the level: 0 at a level, 32 half way.
        const int d = std::min(i, kRuleSteps - i);
        const double pos = d * double(kWeightSteps) / (kRuleSteps / 2);
        const int lo = std::min(int(pos), kWeightSteps - 1);
        const double t = pos - lo;
        const Weights& a = kWeightTable[lo];
        const Weights& b = kWeightTable[lo + 1];
        Weights w;
        w.right = int32_t(a.right + t * (b.right - a.right) + 0.5);
        w.belowBack = int32_t(a.belowBack + t * (b.belowBack - a.belowBack) + 0.5);
        w.below = 256 - w.right - w.belowBack;
        rules[size_t(i)] = {w, int32_t(kModulation * d / (kRuleSteps / 2.0) + 0.5)};
    }
    return rules;
}
const std::array<ToneRule, kRuleSteps + 1> kRules = make_rules();

inline const ToneRule& rule_for(int32_t amount) {
    return kRules[size_t((amount & (kLevelUnit - 1)) * kRuleSteps / kLevelUnit)];
}

// Deterministic noise of a pixel, -512..511.
inline int32_t noise(uint32_t seed, uint32_t x, uint32_t y) {
    uint32_t h = seed ^ (x * 0x9E3779B1u) ^ (y * 0x85EBCA77u);
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return int32_t(h & 1023) - 512;
}
constexpr uint32_t kSeeds[kHues] = {0x6A09E667u, 0xBB67AE85u, 0x3C6EF372u, 0xA54FF53Au};

inline void put_level(uint8_t* row, int bits, int32_t x, int level) {
    if (bits == 1) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
    else row[x >> 2] |= uint8_t(level << (6 - 2 * (x & 3)));
}

// One error buffer's writing behind the scan: the cell under the pixel
// just done still waits for the next pixel's share, the one ahead of it
// is still this line's input.
struct Spread {
    int32_t carry = 0, under = 0, ahead = 0;
    inline void pass(int32_t residue, const Weights& w, int32_t* err, int32_t x, int32_t step) {
        carry = (residue * w.right) >> 8;
        const int32_t back = (residue * w.belowBack) >> 8;
        const int32_t down = (residue * w.below) >> 8;
        err[x - step] = under + back;
        under = ahead + down;
        ahead = residue - carry - back - down;
    }
};

}  // namespace

ErrorDiffusion::ErrorDiffusion(int32_t width, int bits) : width_(width), bits_(bits) {
    for (auto& e : error_) e.assign(size_t(width) + 2, 0);
    for (auto& e : darkError_) e.assign(size_t(width) + 2, 0);
}

void ErrorDiffusion::start_page() {
    for (auto& e : error_) std::fill(e.begin(), e.end(), 0);
    for (auto& e : darkError_) std::fill(e.begin(), e.end(), 0);
    pending_ = false;
}

unsigned ErrorDiffusion::line(int32_t y, const LineAmounts& amounts, const LineRows& rows) {
    if (!pending_) {
        // Nothing carried and nothing to print: the line stays blank.
        bool blank = true;
        for (int h = 0; h < kHues && blank; ++h)
            for (int32_t x = 0; x < width_ && blank; ++x) blank = amounts.hue[size_t(h)][x] == 0;
        if (blank) return 0;
    }
    return bits_ == 1 ? run<1>(y, amounts, rows) : run<2>(y, amounts, rows);
}

template <int kBits>
unsigned ErrorDiffusion::run(int32_t y, const LineAmounts& amounts, const LineRows& rows) {
    constexpr int32_t kLevels = (1 << kBits) - 1;
    constexpr int32_t kMaxResidue = 2 * kLevels * kLevelUnit;
    int32_t* err[kHues];
    for (int h = 0; h < kHues; ++h) err[h] = error_[size_t(h)].data() + 1;
    int32_t* derr[2] = {darkError_[0].data() + 1, darkError_[1].data() + 1};
    const bool backwards = (y & 1) != 0;
    const int32_t step = backwards ? -1 : 1;
    int32_t x = backwards ? width_ - 1 : 0;
    Spread spread[kHues], darkSpread[2];
    unsigned placed = 0;
    bool pending = false;
    for (int32_t n = 0; n < width_; ++n, x += step) {
        const int32_t black = amounts.hue[kHueBlack][x];
        int32_t blackDots = 0;
        bool blank = true;
        for (int h = 0; h < kHues; ++h) blank = blank && amounts.hue[size_t(h)][x] == 0;
        for (int h = 0; h < kHues; ++h) {
            const int32_t in = amounts.hue[size_t(h)][x];
            const int32_t sum = h == kHueBlack ? in : black + in;
            const int32_t dotsBefore = h == kHueBlack ? 0 : blackDots;
            const ToneRule& rule = rule_for(sum);
            int32_t residue = 0, level = 0;
            if (!blank) {
                // The sum's dots, in levels; this hue adds what the sum's
                // own diffusion asks beyond black's.
                const int32_t value = sum + err[h][x] + spread[h].carry;
                const int32_t threshold =
                    kLevelUnit / 2 + ((noise(kSeeds[h], uint32_t(x), uint32_t(y)) * rule.modulation) >> 10);
                const int32_t base = value >> 10;  // floor, in levels
                int32_t dots = base + ((value - base * kLevelUnit) >= threshold ? 1 : 0);
                dots = std::clamp(dots, dotsBefore, dotsBefore + (in > 0 ? kLevels : 0));
                level = dots - dotsBefore;
                if (h == kHueBlack) blackDots = dots;
                residue = std::clamp(value - dots * kLevelUnit, -kMaxResidue, kMaxResidue);
            }
            const int pair = h == kHueMagenta ? 0 : h == kHueCyan ? 1 : -1;
            bool isDark = false;
            if (pair >= 0) {
                const int32_t din = amounts.dark[size_t(h)][x];
                const int32_t dvalue = din + derr[pair][x] + darkSpread[pair].carry;
                int32_t dresidue = 0;
                if (din == 0 || in == 0) {
                    dresidue = 0;
                } else if (level > 0) {
                    isDark = dvalue * 2 >= level * kLevelUnit || din == in;
                    dresidue = dvalue - (isDark ? level * kLevelUnit : 0);
                } else {
                    dresidue = dvalue;
                }
                darkSpread[pair].pass(dresidue, rule_for(din).weights, derr[pair], x, step);
                pending = pending || dresidue != 0;
            }
            if (level > 0) {
                placed |= 1u << h;
                put_level(isDark || pair < 0 ? rows.dark[size_t(h)] : rows.light[size_t(h)], kBits, x, level);
            }
            spread[h].pass(residue, rule.weights, err[h], x, step);
            pending = pending || residue != 0;
        }
    }
    // The last pixel's cell below; its share ahead falls off the page.
    for (int h = 0; h < kHues; ++h) err[h][x - step] = spread[h].under;
    for (int p = 0; p < 2; ++p) derr[p][x - step] = darkSpread[p].under;
    pending_ = pending;
    return placed;
}

}  // namespace vrelo_inks
