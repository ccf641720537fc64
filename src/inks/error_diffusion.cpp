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
// of the error goes along the line than down. At one dot size the weights
// favour the line in the extreme tones, which keeps lone dots apart, and
// even out towards the middle, which breaks the checkerboard's regularity;
// between three dot sizes the errors are small and go along the line
// still more. Both tables were chosen by the quality benchmark.
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
                                                        {{185, 25, 46},
                                                         {186, 24, 46},
                                                         {186, 23, 47},
                                                         {187, 22, 47},
                                                         {187, 20, 49},
                                                         {188, 19, 49},
                                                         {189, 18, 49},
                                                         {189, 16, 51},
                                                         {190, 15, 51}}};

// Black's pass publishes its progress every this many pixels, and the
// hues following it wait for as many.
constexpr int32_t kProgressStep = 256;

// Threshold modulation, in level units, at the most: strongest in the
// middle tones, where regular patterns would form, and near nothing in
// the extremes, where it would only add noise.
constexpr int32_t kModulation = 100;

struct ToneRule {
    Weights weights;
    int32_t modulation;
};

// A rule for each tone within a level, in kLevelUnit / 64 steps.
constexpr int kRuleSteps = 64;
using ToneRules = std::array<ToneRule, kRuleSteps + 1>;
ToneRules make_rules(const Weights (&table)[kWeightSteps + 1]) {
    ToneRules rules{};
    for (int i = 0; i <= kRuleSteps; ++i) {
        // Distance from the level: 0 at a level, 32 half way.
        const int d = std::min(i, kRuleSteps - i);
        const double pos = d * static_cast<double>(kWeightSteps) / (kRuleSteps / 2);
        const int lo = std::min(static_cast<int>(pos), kWeightSteps - 1);
        const double t = pos - lo;
        const Weights& a = table[lo];
        const Weights& b = table[lo + 1];
        Weights w;
        w.right = static_cast<int32_t>(a.right + t * (b.right - a.right) + 0.5);
        w.belowBack = static_cast<int32_t>(a.belowBack + t * (b.belowBack - a.belowBack) + 0.5);
        w.below = 256 - w.right - w.belowBack;
        rules[static_cast<size_t>(i)] = {
            w, static_cast<int32_t>(kModulation * d / (kRuleSteps / 2.0) + 0.5)};
    }
    return rules;
}
// The rules at 1 bit and at 2.
const ToneRules kRules[2] = {make_rules(kWeightTables[0]), make_rules(kWeightTables[1])};

// Deterministic noise, -512..511: a fixed table, read along the line from
// a place set by the line and the hue, so no pixel's noise depends on
// anything but its position.
constexpr int kNoiseBits = 16;
constexpr uint32_t kNoiseMask = (1u << kNoiseBits) - 1;
std::vector<int16_t> make_noise() {
    std::vector<int16_t> table(static_cast<size_t>(1) << kNoiseBits);
    uint32_t state = 0x6A09E667u;
    for (auto& v : table) {
        state = state * 1664525u + 1013904223u;  // a fixed linear congruence
        v = static_cast<int16_t>(static_cast<int32_t>(state >> 22) - 512);
    }
    return table;
}
const std::vector<int16_t> kNoise = make_noise();
inline uint32_t noise_start(uint32_t y, int hue) {
    return (y * 40503u + static_cast<uint32_t>(hue) * 12289u) * 2654435761u >> 16;
}

inline void put_level(uint8_t* row, int bits, int32_t x, int level) {
    if (bits == 1)
        row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    else
        row[x >> 2] |= static_cast<uint8_t>(level << (6 - 2 * (x & 3)));
}

// One error buffer's writing behind the scan: the cell under the pixel
// just done still waits for the next pixel's share, the one ahead of it
// is still this line's input.
struct Spread {
    int32_t carry = 0, under = 0, ahead = 0;
    template <typename Cell>
    inline void pass(int32_t residue, const Weights& w, Cell* err, int32_t x, int32_t step) {
        carry = (residue * w.right) >> 8;
        const int32_t back = (residue * w.belowBack) >> 8;
        const int32_t down = (residue * w.below) >> 8;
        err[x - step] = static_cast<Cell>(under + back);
        under = ahead + down;
        ahead = residue - carry - back - down;
    }
};

}  // namespace

ErrorDiffusion::ErrorDiffusion(int32_t width, int bits)
    : width_(width), bits_(bits), blackDots_(static_cast<size_t>(width)) {
    for (auto& e : error_) e.assign(static_cast<size_t>(width) + 2, 0);
    for (auto& e : darkError_) e.assign(static_cast<size_t>(width) + 2, 0);
}

void ErrorDiffusion::start_page() {
    for (auto& e : error_) std::fill(e.begin(), e.end(), 0);
    for (auto& e : darkError_) std::fill(e.begin(), e.end(), 0);
    pending_ = {};
}

bool ErrorDiffusion::has_work(const LineAmounts& amounts) const {
    if (pending_[0] || pending_[1]) return true;
    // Nothing carried and nothing to print: the line stays blank.
    for (int h = 0; h < kHues; ++h)
        for (int32_t x = 0; x < width_; ++x)
            if (amounts.hue[static_cast<size_t>(h)][x] != 0) return true;
    return false;
}

unsigned ErrorDiffusion::part(int which, int32_t y, const LineAmounts& amounts,
                              const LineRows& rows, Progress* progress) {
    return bits_ == 1 ? run<1>(which, y, amounts, rows, progress)
                      : run<2>(which, y, amounts, rows, progress);
}

unsigned ErrorDiffusion::line(int32_t y, const LineAmounts& amounts, const LineRows& rows) {
    if (!has_work(amounts)) return 0;
    return part(0, y, amounts, rows, nullptr) | part(1, y, amounts, rows, nullptr);
}

template <int kBits>
unsigned ErrorDiffusion::run(int which, int32_t y, const LineAmounts& amounts, const LineRows& rows,
                             Progress* progress) {
    const bool backwards = (y & 1) != 0;
    bool pending = false;
    // Black first: where its dots fall, every hue's diffusion needs.
    const struct {
        int hue, kind;
    } parts[2][2] = {{{kHueBlack, kBlackPass}, {kHueMagenta, kPairPass}},
                     {{kHueCyan, kPairPass}, {kHueYellow, kInkPass}}};
    unsigned placed = 0;
    for (const auto& p : parts[which]) {
        const bool any =
            p.kind == kBlackPass
                ? pass<kBits, kBlackPass>(backwards, y, p.hue, amounts, rows, progress, &pending)
            : p.kind == kPairPass
                ? pass<kBits, kPairPass>(backwards, y, p.hue, amounts, rows, progress, &pending)
                : pass<kBits, kInkPass>(backwards, y, p.hue, amounts, rows, progress, &pending);
        if (any) placed |= 1u << p.hue;
    }
    pending_[static_cast<size_t>(which)] = pending;
    return placed;
}

// One hue (or black) across the line. Each pass keeps only its own state,
// so the scan's few numbers stay in registers, and decides without
// branches, whose outcome would be the dots themselves.
template <int kBits, int kKind>
bool ErrorDiffusion::pass(bool backwards, int32_t y, int hue, const LineAmounts& amounts,
                          const LineRows& rows, Progress* progress, bool* pending) {
    constexpr int32_t kLevels = (1 << kBits) - 1;
    constexpr int32_t kMaxResidue = 2 * kLevels * kLevelUnit;
    constexpr bool kBlack = kKind == kBlackPass, kPair = kKind == kPairPass;
    const int16_t* black = amounts.hue[kHueBlack];
    const int16_t* in = amounts.hue[static_cast<size_t>(hue)];
    const int16_t* darkIn = amounts.dark[static_cast<size_t>(hue)];
    int16_t* err = error_[static_cast<size_t>(hue)].data() + 1;
    int32_t* darkErr = kPair ? darkError_[hue == kHueMagenta ? 0 : 1].data() + 1 : nullptr;
    uint8_t* darkRow = rows.dark[static_cast<size_t>(hue)];
    uint8_t* lightRow = rows.light[static_cast<size_t>(hue)];
    // Cyan and yellow on another thread follow black along the line; the
    // first of them waits for black's levels, the second finds them done.
    const bool follows = progress != nullptr && hue == kHueCyan;
    uint8_t* blackDots = blackDots_.data();
    const int32_t step = backwards ? -1 : 1;
    int32_t x = backwards ? width_ - 1 : 0;
    const ToneRules& rules = kRules[kBits - 1];
    const int16_t* noise = kNoise.data();
    const uint32_t noiseStart = noise_start(static_cast<uint32_t>(y), hue);
    Spread spread, darkSpread;
    uint32_t any = 0;
    int32_t left = 0;
    for (int32_t from = 0; from < width_; from += kProgressStep) {
        const int32_t to = std::min(width_, from + kProgressStep);
        if (kBlack && progress != nullptr) progress->publish(from);
        if (follows) progress->wait_for(to);
        for (int32_t n = from; n < to; ++n, x += step) {
            const int32_t k = black[x];
            const int32_t amount = kBlack ? k : in[x];
            const int32_t before = kBlack ? 0 : blackDots[x];
            const int32_t sum = kBlack ? k : k + amount;
            const ToneRule& rule =
                rules[static_cast<size_t>((sum & (kLevelUnit - 1)) * kRuleSteps / kLevelUnit)];
            const int32_t value = sum + err[x] + spread.carry;
            const int32_t threshold =
                kLevelUnit / 2 +
                ((noise[(noiseStart + static_cast<uint32_t>(x)) & kNoiseMask] * rule.modulation) >>
                 10);
            int32_t dots = (value >> 10) + ((value & (kLevelUnit - 1)) >= threshold ? 1 : 0);
            const int32_t most = before + (amount > 0 ? kLevels : 0);
            dots = dots < before ? before : dots > most ? most : dots;
            // Paper white keeps no error: dots never leak into it.
            int32_t residue = sum != 0 ? value - dots * kLevelUnit : 0;
            residue = residue < -kMaxResidue  ? -kMaxResidue
                      : residue > kMaxResidue ? kMaxResidue
                                              : residue;
            if (kBlack) blackDots[x] = static_cast<uint8_t>(dots);
            const int32_t level = dots - before;
            uint32_t dark = ~0u;  // which row the dot goes to: all ones, the dark
            if (kPair) {
                const int32_t din = darkIn[x];
                const int32_t dvalue = din + darkErr[x] + darkSpread.carry;
                const bool isDark =
                    level > 0 && (dvalue * 2 >= level * kLevelUnit || din == amount);
                const int32_t dresidue = din != 0 ? dvalue - (isDark ? level * kLevelUnit : 0) : 0;
                darkSpread.pass(dresidue, rule.weights, darkErr, x, step);
                left |= dresidue;
                dark = isDark ? ~0u : 0u;
            }
            const uint32_t bits = kBits == 1 ? static_cast<uint32_t>(level) << (7 - (x & 7))
                                             : static_cast<uint32_t>(level) << (6 - 2 * (x & 3));
            const size_t at = static_cast<size_t>(x) >> (kBits == 1 ? 3 : 2);
            darkRow[at] |= static_cast<uint8_t>(bits & dark);
            if (kPair) lightRow[at] |= static_cast<uint8_t>(bits & ~dark);
            any |= bits;
            spread.pass(residue, rule.weights, err, x, step);
            left |= residue;
        }
    }
    // The last pixel's cell below; its share ahead falls off the page.
    err[x - step] = static_cast<int16_t>(spread.under);
    if (kPair) darkErr[x - step] = darkSpread.under;
    if (kBlack && progress != nullptr) progress->publish(width_);
    *pending = *pending || left != 0;
    return any != 0;
}

}  // namespace vrelo_inks
