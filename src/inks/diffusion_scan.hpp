// The heart of the error diffusion: the scan along a line that turns each
// pixel's amounts and the error carried to it into dots. The four hues run
// side by side, one lane each (black, magenta, cyan, yellow), so a
// processor with vector registers takes a pixel's four in one: black's
// level is known to the other lanes at the same pixel, and the dark share
// of magenta and cyan is diffused in their lanes beside their dots.
//
// Each lane's weights and threshold modulation follow its tone within a
// level (tone_rules()); the threshold noise comes from a fixed table, read
// from a place set by the line, so the same page always gives the same
// dots. The scan comes in variants that give the same dots: the portable
// one, and one for processors with SSE4.1, chosen once for the processor
// and kept in a function pointer, which tests can force.
#ifndef VRELO_INKS_DIFFUSION_SCAN_HPP
#define VRELO_INKS_DIFFUSION_SCAN_HPP

#include <cstdint>

#include "ink_model.hpp"
#include "pixel_amounts.hpp"

namespace vrelo_inks {

inline int32_t clamp(int32_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : v > hi ? hi : v;
}
// The most a lane's residue may be either way, at so many levels a pixel:
// two full pixels.
constexpr int32_t max_residue(int32_t levels) {
    return 2 * levels * kLevelUnit;
}

// Weights are in 1/256.
constexpr int kWeightShift = 8;

// A pixel's dots as the scan leaves them: a byte by hue for the dark (or
// only) ink's level, then a byte by hue for the light ink's (0 for black
// and yellow).
constexpr int kCodeBytes = 2 * kHues;

// The rules of a tone, by its distance from the nearest level in steps of
// kLevelUnit / 32 (the last step taking the rest): the weights of the
// error to the next pixel on the line, the one below behind and the one
// below, in 1/256, and the threshold modulation's strength, in level units
// at the most. A vector shuffle looks them up, a byte each.
constexpr int kToneSteps = 16;
constexpr int kToneStepShift = kLevelShift - 5;
struct ToneRules {
    alignas(16) uint8_t right[kToneSteps];
    alignas(16) uint8_t belowBack[kToneSteps];
    alignas(16) uint8_t below[kToneSteps];
    alignas(16) uint8_t modulation[kToneSteps];
    // What each size of black takes from the shade (kShadedColours).
    int32_t shadeStep;
};
// How the colour hues' dots meet black's (kShadedColours in
// ink_model.hpp). At one dot size each colour hue is diffused as its sum
// with black, its dots being what the sum places beyond black's: black's
// rounding at a pixel is answered by the colours, which fill the pixels
// black left free before they overlap it. Between three dot sizes black's
// levels alternate (2 and 3 in the dark colours) and a colour shows
// through a darker black dot far less than through a lighter one, so a
// colour diffused by its dots alone is seen as blotches wherever its
// levels and black's happen to line up. There each colour hue is diffused
// by what shows of it: its amount and its levels weighed by the share of
// light black's level at the pixel lets through (the shade: kLevelUnit
// without black, less shadeStep for each size of black), so the colour
// seen is even whatever black does; where black hides it, its level is
// nearly free.
//
// Each dot of magenta and cyan is made dark or light by a diffusion of the
// hue's dark share, weighed by the same shade. A hue whose dark share is
// under 1 / kWholeDarkBelow takes it in whole pixels, all of a pixel's
// sizes dark or none, so the highlights keep few dark dots; with more, a
// pixel's sizes are made dark one by one, so dark and light ink share
// pixels and the step between a darker and a lighter pixel is one size,
// not the whole pixel. At one dot size both are the same.

// Of a pixel's level of a hue, the sizes its dark share (darkValue, in
// the measure where a size is worth `worth`) rounds to: all or none when
// whole, else size by size.
inline int32_t dark_sizes(int32_t darkValue, int32_t level, int32_t worth, bool whole) {
    if (whole) return darkValue * 2 >= level * worth ? level : 0;
    int32_t sizes = 0;
    for (int32_t l = 1; l <= level; ++l) sizes += darkValue * 2 >= (2 * l - 1) * worth ? 1 : 0;
    return sizes;
}

// At one dot size the two colour hues with the most ink are laid as a
// pair (kPairedColours), so their dots overlap no more than they must. The
// first is diffused as every colour hue, as its sum with black. The second
// goes first where neither black nor the first has a dot (diffused as its
// sum with both), and where those pixels are too few for it, it takes them
// all and overlaps the first's dots, then black's (diffused by the part
// that overlaps). Where the first leaves no pixel free of black, the
// second is diffused as its sum with black. Where the pair overlaps off
// black, magenta and cyan print dark first. Hues decided independently overlap
// at random, and their overlaps clump: an orange of magenta and yellow
// beside black was twice as grainy as either hue alone beside black.
struct HuePair {
    int first = 0, second = 0;  // lanes; no pair where second is 0
};
inline HuePair hue_pair(const int16_t* amount) {
    const int32_t colours[3] = {amount[kHueMagenta], amount[kHueCyan], amount[kHueYellow]};
    int first, second;
    if (!colour_pair(colours, &first, &second)) return HuePair{};
    return HuePair{kHueMagenta + first, kHueMagenta + second};
}
// How strongly an overlap of the pair draws magenta's and cyan's dark
// share, in the dark share's measure.
constexpr int32_t kOverlapDarkPull = kLevelUnit;

// The second hue's dot at a pixel, given black's and the first's, and its
// residue; carried is the error that reached its lane.
inline int32_t second_of_pair(const int16_t* amount, HuePair pair, int32_t carried, int32_t cut,
                              int32_t black, int32_t firstLevel, int32_t* residue) {
    const int32_t room = kLevelUnit - amount[kHueBlack] - amount[pair.first];
    const int32_t second = amount[pair.second];
    // Stacked: on black (no room) or on black and the first. Else the
    // overlapping part: the dots on pixels free of both are the room, not
    // counted against it. Both are worked out, one kept, without branches.
    const bool stacked = room <= 0 || second <= room;
    const int32_t under = room <= 0 ? black : black + firstLevel;
    const int32_t stackedValue = amount[kHueBlack] + (room <= 0 ? 0 : amount[pair.first]) + second +
                                 carried - under * kLevelUnit;
    const int32_t overlapValue = second - room + carried;
    const bool free = black == 0 && firstLevel == 0;
    const int32_t value = stacked ? stackedValue : overlapValue;
    const int32_t counted =
        stacked ? stackedValue > cut : !free && overlapValue - black * kLevelUnit > cut;
    const int32_t level = stacked ? counted : free || counted;
    *residue = clamp(value - counted * kLevelUnit, -max_residue(1), max_residue(1));
    return level;
}

// The rules at 1 or 2 bits a pixel.
const ToneRules& tone_rules(int bits);

// The threshold noise, -512..511, kHues values (one a lane) at each of
// 1 << kNoiseBits places; a line reads it from noise_start(y) on.
constexpr int kNoiseBits = 14;
constexpr uint32_t kNoiseMask = (1u << kNoiseBits) - 1;
const int16_t* threshold_noise();
inline uint32_t noise_start(int32_t y) {
    return static_cast<uint32_t>(y) * 40503u * 2654435761u >> (32 - kNoiseBits);
}

// One line for the scan: its pixels' amounts (the hues are the scan's
// lanes); the rows of error
// for the next line, that of pixel x at err[kHues * x + lane] (16 bits: a
// sum's residue is held within two full pixels) and, for the dark shares,
// at darkErr[2 * x + lane - 1] (lanes 1 and 2; 32 bits, as a dark share's
// residue is not held), both with a pixel of margin each side; the codes,
// those of pixel x at codes[kCodeBytes * x]. Odd lines are scanned from
// right to left.
struct ScanLine {
    int32_t y, width;
    const PixelAmounts* amounts;
    int16_t* err;
    int32_t* darkErr;
    uint8_t* codes;
};
// What a scan carries from pixel to pixel, lane by lane, so a line may be
// scanned in parts: the error to the next pixel and the cells below not
// yet written, for the hues' sums and for the dark shares; every residue
// and every level placed, ORed. Zero at the start of a line.
struct alignas(16) ScanState {
    int32_t carry[kHues], under[kHues], ahead[kHues];
    int32_t darkCarry[kHues], darkUnder[kHues], darkAhead[kHues];
    int32_t left[kHues], placed[kHues];
};

// Scans the pixels from..to-1 of the line in scan order (counted from the
// first pixel scanned); the part that ends the line writes its last cells.
using ScanKernel = void (*)(const ScanLine& line, int32_t from, int32_t to, ScanState* state);

// The kernel for 1 or 2 bits a pixel that this processor runs fastest.
ScanKernel scan_kernel(int bits);
// Makes scan_kernel() answer with the named variant ("portable", "sse4.1")
// from now on; false, and nothing changed, if there is no such variant or
// it cannot run here.
bool force_scan_variant(const char* name);

// The variants, by bits - 1.
extern const ScanKernel kScanPortable[2];
extern const ScanKernel kScanSse41[2];

}  // namespace vrelo_inks

#endif
