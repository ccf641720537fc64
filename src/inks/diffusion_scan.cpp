// The portable scan, and the choice among the scan variants for the
// running processor (see diffusion_scan.hpp).
#include "diffusion_scan.hpp"

#include <cstring>
#include <iterator>

namespace vrelo_inks {
namespace {

// One error row's writing behind the scan, in one lane: the cell under the
// pixel just done still waits for the next pixel's share, the one ahead of
// it is still this line's input.
template <typename Cell>
inline void spread(int32_t residue, int32_t right, int32_t belowBack, int32_t below, int32_t* carry,
                   int32_t* under, int32_t* ahead, Cell* behind) {
    *carry = (residue * right) >> kWeightShift;
    const int32_t back = (residue * belowBack) >> kWeightShift;
    const int32_t down = (residue * below) >> kWeightShift;
    *behind = static_cast<Cell>(*under + back);
    *under = *ahead + down;
    *ahead = residue - *carry - back - down;
}

// The level a value places, its fraction of a level set against the cut.
inline int32_t level_of(int32_t value, int32_t cut) {
    return (value >> kLevelShift) + ((value & (kLevelUnit - 1)) > cut ? 1 : 0);
}

// The same for a value weighed by a shade (kShadedColours): a level is
// worth the shade, and the cut is scaled with it; 0 to kLevels.
template <int32_t kLevels>
inline int32_t shaded_level_of(int32_t value, int32_t cut, int32_t shade) {
    const int32_t first = (cut * shade) >> kLevelShift;
    int32_t level = 0;
    for (int32_t l = 0; l < kLevels; ++l) level += value > first + l * shade ? 1 : 0;
    return level;
}

template <int kBits>
void scan(const ScanLine& line, int32_t from, int32_t to, ScanState* s) {
    constexpr int32_t kLevels = (1 << kBits) - 1;
    constexpr int32_t kMaxResidue = max_residue(kLevels);
    constexpr bool kShaded = kShadedColours[kBits - 1];
    const ToneRules& rules = tone_rules(kBits);
    const int16_t* noise = threshold_noise();
    const uint32_t noiseStart = noise_start(line.y);
    const int32_t step = (line.y & 1) != 0 ? -1 : 1;
    int32_t x = step < 0 ? line.width - 1 - from : from;
    for (int32_t n = from; n < to; ++n, x += step) {
        int16_t* err = line.err + kHues * x;
        const int16_t* noiseAt =
            noise + kHues * ((noiseStart + static_cast<uint32_t>(x)) & kNoiseMask);
        const PixelAmounts& pixel = line.amounts[x];
        const int16_t* amount = pixel.hue;
        int32_t sum[kHues], rule[kHues], cut[kHues];
        for (int h = 0; h < kHues; ++h) {
            sum[h] = h == kHueBlack || kShaded ? amount[h] : amount[kHueBlack] + amount[h];
            const int32_t tone = sum[h] & (kLevelUnit - 1);
            const int32_t distance = tone < kLevelUnit - tone ? tone : kLevelUnit - tone;
            rule[h] = clamp(distance >> kToneStepShift, 0, kToneSteps - 1);
            cut[h] = kLevelUnit / 2 - 1 + ((noiseAt[h] * rules.modulation[rule[h]]) >> kLevelShift);
        }
        const int32_t black =
            clamp(level_of(sum[kHueBlack] + err[kHueBlack] + s->carry[kHueBlack], cut[kHueBlack]),
                  0, amount[kHueBlack] > 0 ? kLevels : 0);
        // What a level of each lane is worth here: a colour's, between
        // three dot sizes, what of it shows through black's level.
        const int32_t shade = kShaded ? kLevelUnit - black * rules.shadeStep : kLevelUnit;
        int32_t level[kHues], residue[kHues];
        for (int h = 0; h < kHues; ++h) {
            const int32_t worth = h == kHueBlack ? kLevelUnit : shade;
            const int32_t value = ((sum[h] * worth) >> kLevelShift) + err[h] + s->carry[h];
            const int32_t before = h == kHueBlack || kShaded ? 0 : black;
            const int32_t most = before + (amount[h] > 0 ? kLevels : 0);
            const int32_t placed =
                h == kHueBlack ? black
                : kShaded      ? clamp(shaded_level_of<kLevels>(value, cut[h], worth), 0, most)
                               : clamp(level_of(value, cut[h]), before, most);
            // Paper white keeps no error: dots never leak into it.
            residue[h] = sum[h] != 0 ? clamp(value - placed * worth, -kMaxResidue, kMaxResidue) : 0;
            level[h] = placed - before;
        }
        const HuePair pair = kPairedColours[kBits - 1] ? hue_pair(amount) : HuePair{};
        if (pair.second != 0)
            level[pair.second] =
                second_of_pair(amount, pair, err[pair.second] + s->carry[pair.second],
                               cut[pair.second], black, level[pair.first], &residue[pair.second]);
        const bool overlap =
            pair.second != 0 && black == 0 && level[pair.first] != 0 && level[pair.second] != 0;
        uint8_t* codes = line.codes + kCodeBytes * x;
        for (int h = 0; h < kHues; ++h) {
            const int32_t right = rules.right[rule[h]], belowBack = rules.belowBack[rule[h]],
                          below = rules.below[rule[h]];
            const int32_t worth = h == kHueBlack ? kLevelUnit : shade;
            int32_t darkLevel = level[h];
            if (h == kHueMagenta || h == kHueCyan) {
                const int32_t dark = pixel.dark[h];
                int32_t* darkErr = line.darkErr + 2 * x + h - 1;
                const int32_t darkValue =
                    ((dark * worth) >> kLevelShift) + *darkErr + s->darkCarry[h];
                const int32_t pull = overlap && dark != 0 && (h == pair.first || h == pair.second)
                                         ? kOverlapDarkPull
                                         : 0;
                if (dark != amount[h])
                    darkLevel = dark_sizes(darkValue + pull, level[h], worth,
                                           dark * kWholeDarkBelow < amount[h]);
                const int32_t darkResidue = dark != 0 ? darkValue - darkLevel * worth : 0;
                spread(darkResidue, right, belowBack, below, &s->darkCarry[h], &s->darkUnder[h],
                       &s->darkAhead[h], darkErr - 2 * step);
                s->left[h] |= darkResidue;
            }
            codes[h] = static_cast<uint8_t>(darkLevel);
            codes[kHues + h] = static_cast<uint8_t>(level[h] - darkLevel);
            s->placed[h] |= level[h];
            spread(residue[h], right, belowBack, below, &s->carry[h], &s->under[h], &s->ahead[h],
                   err + h - kHues * step);
            s->left[h] |= residue[h];
        }
    }
    if (to < line.width) return;
    // The last pixel's cells below; its shares ahead fall off the page.
    const int32_t last = x - step;
    for (int h = 0; h < kHues; ++h) line.err[kHues * last + h] = static_cast<int16_t>(s->under[h]);
    for (int h = kHueMagenta; h <= kHueCyan; ++h) line.darkErr[2 * last + h - 1] = s->darkUnder[h];
}

struct Variant {
    const char* name;
    const ScanKernel* kernels;  // by bits - 1
    bool (*runs_here)();
};

bool always() {
    return true;
}
bool has_sse41() {
    return __builtin_cpu_supports("sse4.1");
}

const Variant kVariants[] = {
    {"portable", kScanPortable, always},
    {"sse4.1", kScanSse41, has_sse41},
};

const Variant* fastest() {
    for (const Variant* v = std::end(kVariants) - 1; v != kVariants; --v)
        if (v->runs_here()) return v;
    return kVariants;
}

// Set once before the first scan, or by a test; renderers on several
// threads read it, so the accesses are atomic.
const Variant* chosen = nullptr;

}  // namespace

const ScanKernel kScanPortable[2] = {scan<1>, scan<2>};

ScanKernel scan_kernel(int bits) {
    const Variant* v = __atomic_load_n(&chosen, __ATOMIC_ACQUIRE);
    if (v == nullptr) {
        v = fastest();
        __atomic_store_n(&chosen, v, __ATOMIC_RELEASE);
    }
    return v->kernels[bits - 1];
}

bool force_scan_variant(const char* name) {
    for (const Variant& v : kVariants) {
        if (std::strcmp(v.name, name) != 0 || !v.runs_here()) continue;
        __atomic_store_n(&chosen, &v, __ATOMIC_RELEASE);
        return true;
    }
    return false;
}

}  // namespace vrelo_inks
