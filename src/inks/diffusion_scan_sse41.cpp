// The scan with SSE4.1: a pixel's four lanes in one register, the same
// arithmetic as the portable scan (diffusion_scan.cpp) step for step.
#include <smmintrin.h>

#include "diffusion_scan.hpp"

#define VRELO_SSE41 __attribute__((target("sse4.1")))

namespace vrelo_inks {
namespace {

VRELO_SSE41 inline __m128i load(const void* p) {
    return _mm_load_si128(static_cast<const __m128i*>(p));
}
VRELO_SSE41 inline void store(void* p, __m128i v) {
    _mm_store_si128(static_cast<__m128i*>(p), v);
}
VRELO_SSE41 inline __m128i load8(const void* p) {
    return _mm_loadl_epi64(static_cast<const __m128i*>(p));
}
VRELO_SSE41 inline void store8(void* p, __m128i v) {
    _mm_storel_epi64(static_cast<__m128i*>(p), v);
}
VRELO_SSE41 inline __m128i clamp(__m128i v, __m128i lo, __m128i hi) {
    return _mm_min_epi32(_mm_max_epi32(v, lo), hi);
}

// The level a value places in each lane, its fraction of a level set
// against the cut.
VRELO_SSE41 inline __m128i level_of(__m128i value, __m128i cut) {
    const __m128i fraction = _mm_set1_epi32(kLevelUnit - 1);
    return _mm_sub_epi32(_mm_srai_epi32(value, kLevelShift),
                         _mm_cmpgt_epi32(_mm_and_si128(value, fraction), cut));
}

// Levels in a lane's measure: times the shade where colours are shaded,
// else a shift (a level is kLevelUnit).
template <bool kShaded>
VRELO_SSE41 inline __m128i worth_of(__m128i levels, __m128i worth) {
    return kShaded ? _mm_mullo_epi32(levels, worth) : _mm_slli_epi32(levels, kLevelShift);
}

// One error row's writing behind the scan, in every lane (see Spread in
// diffusion_scan.cpp); returns the cells the row takes behind.
struct Spread {
    __m128i carry, under, ahead;
    VRELO_SSE41 __m128i pass(__m128i residue, __m128i right, __m128i belowBack, __m128i below) {
        carry = _mm_srai_epi32(_mm_mullo_epi32(residue, right), kWeightShift);
        const __m128i back = _mm_srai_epi32(_mm_mullo_epi32(residue, belowBack), kWeightShift);
        const __m128i down = _mm_srai_epi32(_mm_mullo_epi32(residue, below), kWeightShift);
        const __m128i behind = _mm_add_epi32(under, back);
        under = _mm_add_epi32(ahead, down);
        ahead = _mm_sub_epi32(_mm_sub_epi32(residue, carry), _mm_add_epi32(back, down));
        return behind;
    }
};

// Each lane alone, to set one.
alignas(16) constexpr int32_t kLaneMasks[kHues][kHues] = {
    {-1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, -1}};

template <int kBits>
VRELO_SSE41 void scan(const ScanLine& line, int32_t from, int32_t to, ScanState* s) {
    constexpr int32_t kLevels = (1 << kBits) - 1;
    constexpr int32_t kMaxResidue = max_residue(kLevels);
    constexpr bool kShaded = kShadedColours[kBits - 1];
    constexpr bool kPaired = kPairedColours[kBits - 1];
    const ToneRules& rules = tone_rules(kBits);
    const __m128i shadeStep = _mm_set1_epi32(rules.shadeStep);
    const __m128i wholeDarkBelow = _mm_set1_epi32(kWholeDarkBelow);
    const __m128i right = load(rules.right), belowBack = load(rules.belowBack),
                  below = load(rules.below), modulation = load(rules.modulation);
    const int16_t* noise = threshold_noise();
    const uint32_t noiseStart = noise_start(line.y);
    const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi32(1);
    const __m128i fraction = _mm_set1_epi32(kLevelUnit - 1), unit = _mm_set1_epi32(kLevelUnit);
    const __m128i halfCut = _mm_set1_epi32(kLevelUnit / 2 - 1);
    const __m128i lastRule = _mm_set1_epi32(kToneSteps - 1);
    // A rule's index in the low byte of each lane, the others looking up 0.
    const __m128i ruleBytes = _mm_set1_epi32(static_cast<int32_t>(0x80808000u));
    const __m128i levels = _mm_set1_epi32(kLevels);
    const __m128i maxResidue = _mm_set1_epi32(kMaxResidue),
                  minResidue = _mm_set1_epi32(-kMaxResidue);
    const __m128i hues = _mm_setr_epi32(0, -1, -1, -1);     // every lane but black's
    const __m128i onlyDark = _mm_setr_epi32(-1, 0, 0, -1);  // black and yellow
    const PixelAmounts* amounts = line.amounts;
    int16_t* const errRow = line.err;
    int32_t* const darkErrRow = line.darkErr;
    uint8_t* const codesRow = line.codes;
    const int32_t step = (line.y & 1) != 0 ? -1 : 1;
    int32_t x = step < 0 ? line.width - 1 - from : from;
    Spread main{load(s->carry), load(s->under), load(s->ahead)};
    Spread dark{load(s->darkCarry), load(s->darkUnder), load(s->darkAhead)};
    __m128i left = load(s->left), placed = load(s->placed);
    for (int32_t n = from; n < to; ++n, x += step) {
        int16_t* err = errRow + kHues * x;
        int32_t* darkErr = darkErrRow + 2 * x;
        const __m128i pixel = load(amounts + x);
        const __m128i amount = _mm_cvtepi16_epi32(pixel);
        const __m128i blackAmount = _mm_shuffle_epi32(amount, 0);
        const __m128i sum =
            kShaded ? amount : _mm_add_epi32(amount, _mm_and_si128(blackAmount, hues));
        const __m128i tone = _mm_and_si128(sum, fraction);
        const __m128i rule = _mm_or_si128(
            _mm_min_epi32(
                _mm_srli_epi32(_mm_min_epi32(tone, _mm_sub_epi32(unit, tone)), kToneStepShift),
                lastRule),
            ruleBytes);
        const __m128i noiseAt = _mm_cvtepi16_epi32(
            load8(noise + kHues * ((noiseStart + static_cast<uint32_t>(x)) & kNoiseMask)));
        const __m128i cut = _mm_add_epi32(
            halfCut, _mm_srai_epi32(_mm_mullo_epi32(noiseAt, _mm_shuffle_epi8(modulation, rule)),
                                    kLevelShift));
        const __m128i carried = _mm_add_epi32(_mm_cvtepi16_epi32(load8(err)), main.carry);
        __m128i value = _mm_add_epi32(sum, carried);
        const __m128i top = _mm_and_si128(_mm_cmpgt_epi32(amount, zero), levels);
        __m128i dots = level_of(value, cut);
        const __m128i black = clamp(_mm_shuffle_epi32(dots, 0), zero, _mm_shuffle_epi32(top, 0));
        // What a level of each lane is worth here (see the portable scan).
        __m128i worth = unit;
        if (kShaded) {
            worth =
                _mm_blend_epi16(_mm_sub_epi32(unit, _mm_mullo_epi32(black, shadeStep)), unit, 0x03);
            value =
                _mm_add_epi32(_mm_srai_epi32(_mm_mullo_epi32(sum, worth), kLevelShift), carried);
            const __m128i first = _mm_srai_epi32(_mm_mullo_epi32(cut, worth), kLevelShift);
            dots = zero;
            __m128i threshold = first;
            for (int32_t l = 0; l < kLevels; ++l, threshold = _mm_add_epi32(threshold, worth))
                dots = _mm_sub_epi32(dots, _mm_cmpgt_epi32(value, threshold));
        }
        const __m128i before = kShaded ? zero : _mm_and_si128(black, hues);
        dots = clamp(dots, before, _mm_add_epi32(before, top));
        // Paper white keeps no error: dots never leak into it.
        __m128i residue = _mm_andnot_si128(
            _mm_cmpeq_epi32(sum, zero),
            clamp(_mm_sub_epi32(value, worth_of<kShaded>(dots, worth)), minResidue, maxResidue));
        __m128i level = _mm_sub_epi32(dots, before);
        // The pair's second hue, and the pull of its overlap on the dark
        // shares (see the portable scan).
        __m128i pull = zero;
        const HuePair pair = kPaired ? hue_pair(amounts[x].hue) : HuePair{};
        if (pair.second != 0) {
            alignas(16) int32_t placedLevels[kHues], cuts[kHues], carries[kHues];
            store(placedLevels, level);
            store(cuts, cut);
            store(carries, carried);
            int32_t secondResidue;
            const int32_t second =
                second_of_pair(amounts[x].hue, pair, carries[pair.second], cuts[pair.second],
                               placedLevels[kHueBlack], placedLevels[pair.first], &secondResidue);
            const __m128i lane = load(kLaneMasks[pair.second]);
            level = _mm_blendv_epi8(level, _mm_set1_epi32(second), lane);
            residue = _mm_blendv_epi8(residue, _mm_set1_epi32(secondResidue), lane);
            const bool overlap =
                second != 0 && placedLevels[pair.first] != 0 && placedLevels[kHueBlack] == 0;
            pull = _mm_and_si128(_mm_or_si128(lane, load(kLaneMasks[pair.first])),
                                 _mm_set1_epi32(overlap ? kOverlapDarkPull : 0));
        }
        const __m128i weightRight = _mm_shuffle_epi8(right, rule),
                      weightBack = _mm_shuffle_epi8(belowBack, rule),
                      weightBelow = _mm_shuffle_epi8(below, rule);
        // The dark shares, in the lanes of magenta and cyan.
        const __m128i darkIn = _mm_cvtepi16_epi32(_mm_unpackhi_epi64(pixel, pixel));
        const __m128i darkShown =
            kShaded ? _mm_srai_epi32(_mm_mullo_epi32(darkIn, worth), kLevelShift) : darkIn;
        pull = _mm_andnot_si128(_mm_cmpeq_epi32(darkIn, zero), pull);
        const __m128i darkValue =
            _mm_add_epi32(_mm_add_epi32(darkShown, _mm_slli_si128(load8(darkErr), 4)), dark.carry);
        // Of the level, the sizes the dark share rounds to (see the
        // portable scan's dark_sizes()); all of it in black's and yellow's
        // lanes and where the hue is dark alone.
        const __m128i twiceDark = _mm_slli_epi32(_mm_add_epi32(darkValue, pull), 1),
                      twoWorth = _mm_slli_epi32(worth, 1);
        __m128i darkLevel = _mm_and_si128(
            level, _mm_cmpgt_epi32(twiceDark, _mm_sub_epi32(worth_of<kShaded>(level, worth), one)));
        if (kLevels > 1) {  // with one size, size by size is the whole pixel
            __m128i bySize = zero;
            __m128i threshold = _mm_sub_epi32(worth, one);
            for (int32_t l = 0; l < kLevels; ++l, threshold = _mm_add_epi32(threshold, twoWorth))
                bySize =
                    _mm_sub_epi32(bySize, _mm_and_si128(_mm_cmpgt_epi32(level, _mm_set1_epi32(l)),
                                                        _mm_cmpgt_epi32(twiceDark, threshold)));
            darkLevel =
                _mm_blendv_epi8(bySize, darkLevel,
                                _mm_cmpgt_epi32(amount, _mm_mullo_epi32(darkIn, wholeDarkBelow)));
        }
        darkLevel = _mm_blendv_epi8(darkLevel, level,
                                    _mm_or_si128(onlyDark, _mm_cmpeq_epi32(darkIn, amount)));
        const __m128i darkResidue =
            _mm_andnot_si128(_mm_cmpeq_epi32(darkIn, zero),
                             _mm_sub_epi32(darkValue, worth_of<kShaded>(darkLevel, worth)));
        store8(darkErr - 2 * step,
               _mm_srli_si128(dark.pass(darkResidue, weightRight, weightBack, weightBelow), 4));
        const __m128i codes =
            _mm_packus_epi16(_mm_packs_epi32(darkLevel, _mm_sub_epi32(level, darkLevel)), zero);
        store8(codesRow + kCodeBytes * x, codes);
        placed = _mm_or_si128(placed, level);
        const __m128i behind = main.pass(residue, weightRight, weightBack, weightBelow);
        store8(err - kHues * step, _mm_packs_epi32(behind, behind));
        left = _mm_or_si128(left, _mm_or_si128(residue, darkResidue));
    }
    store(s->carry, main.carry);
    store(s->under, main.under);
    store(s->ahead, main.ahead);
    store(s->darkCarry, dark.carry);
    store(s->darkUnder, dark.under);
    store(s->darkAhead, dark.ahead);
    store(s->left, left);
    store(s->placed, placed);
    if (to < line.width) return;
    // The last pixel's cells below; its shares ahead fall off the page.
    const int32_t last = x - step;
    store8(line.err + kHues * last, _mm_packs_epi32(main.under, main.under));
    store8(line.darkErr + 2 * last, _mm_srli_si128(dark.under, 4));
}

}  // namespace

const ScanKernel kScanSse41[2] = {scan<1>, scan<2>};

}  // namespace vrelo_inks
