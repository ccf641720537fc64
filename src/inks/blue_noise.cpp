// The blue-noise mask and its thresholding (see blue_noise.hpp). The mask
// is made once per process, always the same: points are added one at a
// time where the spread of those before leaves the largest void, and each
// pixel's threshold is its turn. The printer's pixels are twice as tall as
// wide, so the mask is twice as many pixels wide as tall, and the spread
// is measured in the paper's distances.
#include "blue_noise.hpp"

#include <array>
#include <cmath>
#include <mutex>
#include <vector>

namespace vrelo_inks {
namespace {

constexpr int kMaskWidth = 128, kMaskHeight = 64;
constexpr int kMaskPixels = kMaskWidth * kMaskHeight;
// Where black and each colour hue read the mask, across and down, when the
// colours are thresholded on their own: places apart by no simple fraction
// of the mask, where the thresholds are unrelated.
constexpr int kHuePlaces[kHues][2] = {{0, 0}, {37, 21}, {81, 45}, {107, 9}};
// The spread of a point, in pixels across (half of it down).
constexpr double kSpread = 1.9;
constexpr int kReachX = 6, kReachY = 3;

std::vector<uint16_t> make_mask() {
    std::vector<double> energy(kMaskPixels, 0);
    std::vector<uint16_t> rank(kMaskPixels, 0);
    std::vector<bool> taken(kMaskPixels, false);
    double kernel[2 * kReachY + 1][2 * kReachX + 1];
    for (int dy = -kReachY; dy <= kReachY; ++dy)
        for (int dx = -kReachX; dx <= kReachX; ++dx) {
            const double ex = dx / kSpread, ey = 2.0 * dy / kSpread;
            kernel[dy + kReachY][dx + kReachX] = std::exp(-(ex * ex + ey * ey) / 2);
        }
    // A fixed first point; after it, always the emptiest place (the first
    // of equals in scan order), so the mask never changes.
    for (int turn = 0; turn < kMaskPixels; ++turn) {
        int best = 0;
        double lowest = 1e300;
        for (int i = 0; i < kMaskPixels; ++i)
            if (!taken[static_cast<size_t>(i)] && energy[static_cast<size_t>(i)] < lowest) {
                lowest = energy[static_cast<size_t>(i)];
                best = i;
            }
        taken[static_cast<size_t>(best)] = true;
        rank[static_cast<size_t>(best)] = static_cast<uint16_t>(turn);
        const int bx = best % kMaskWidth, by = best / kMaskWidth;
        for (int dy = -kReachY; dy <= kReachY; ++dy)
            for (int dx = -kReachX; dx <= kReachX; ++dx) {
                const int x = (bx + dx + kMaskWidth) % kMaskWidth;
                const int y = (by + dy + kMaskHeight) % kMaskHeight;
                energy[static_cast<size_t>(y * kMaskWidth + x)] +=
                    kernel[dy + kReachY][dx + kReachX];
            }
    }
    // Turns to thresholds across one level: 0..kLevelUnit - 1.
    for (auto& r : rank)
        r = static_cast<uint16_t>((static_cast<uint32_t>(r) * kLevelUnit + kLevelUnit / 2) /
                                  kMaskPixels);
    return rank;
}

const std::vector<uint16_t>& mask() {
    static std::once_flag made;
    static std::vector<uint16_t> m;
    std::call_once(made, [] { m = make_mask(); });
    return m;
}

inline void put_level(uint8_t* row, int bits, int32_t x, int level) {
    if (bits == 1)
        row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    else
        row[x >> 2] |= static_cast<uint8_t>(level << (6 - 2 * (x & 3)));
}

// The pair's second hue at one dot size, as the diffusion lays it (see
// hue_pair()), read from black's phase of the mask: it takes the phases
// below the first's, and where the pixels free of both are too few, the
// lowest, over the first's.
int32_t second_of_pair(const int16_t* amount, HuePair pair, int32_t phase) {
    const int32_t black = amount[kHueBlack], first = amount[pair.first];
    const int32_t second = amount[pair.second], room = kLevelUnit - black - first;
    // Without branches, as photographs change the way at every pixel.
    const int32_t beneath = room > 0 ? black + first : black;
    const int32_t stacked =
        ((beneath + second + phase) >> kLevelShift) - ((beneath + phase) >> kLevelShift);
    return room <= 0 || second <= room ? stacked : phase < second;
}

}  // namespace

BlueNoise::BlueNoise(int bits) : bits_(bits) {
    mask();
}

unsigned BlueNoise::line(int32_t y, int32_t width, const PixelAmounts* amounts,
                         const LineRows& rows) const {
    const bool shaded = kShadedColours[bits_ - 1];
    // The mask's rows each hue reads: black's, and where colours are
    // thresholded alone, a place of their own for each, so their rounding
    // is independent of black's and of each other's.
    const uint16_t* row[kHues];
    int32_t across[kHues];
    for (int h = 0; h < kHues; ++h) {
        const int place = shaded ? h : 0;
        row[h] = mask().data() + (y + kHuePlaces[place][1]) % kMaskHeight * kMaskWidth;
        across[h] = kHuePlaces[place][0];
    }
    unsigned placed = 0;
    // The dark share of each hue's dots, carried along the line: each dot
    // placed is dark once enough dark ink is owed, so the line gets the
    // dark ink it asks for, spread over its dots.
    int32_t owed[kHues] = {0, 0, 0, 0};
    for (int32_t x = 0; x < width; ++x) {
        const PixelAmounts& a = amounts[x];
        const int32_t black = a.hue[kHueBlack];
        int32_t phase[kHues];
        for (int h = 0; h < kHues; ++h)
            phase[h] = kLevelUnit - 1 - row[h][(x + across[h]) % kMaskWidth];
        const int32_t blackDots = (black + phase[kHueBlack]) >> kLevelShift;
        int32_t levels[kHues];
        for (int h = 0; h < kHues; ++h) {
            const bool alone = h == kHueBlack || shaded;
            levels[h] = alone ? (a.hue[h] + phase[h]) >> kLevelShift
                              : ((black + a.hue[h] + phase[h]) >> kLevelShift) - blackDots;
        }
        const HuePair pair = kPairedColours[bits_ - 1] ? hue_pair(a.hue) : HuePair{};
        if (pair.second != 0) levels[pair.second] = second_of_pair(a.hue, pair, phase[kHueBlack]);
        const bool overlap = pair.second != 0 && blackDots == 0 && levels[pair.first] != 0 &&
                             levels[pair.second] != 0;
        for (int h = 0; h < kHues; ++h) {
            const int32_t in = a.hue[h];
            if (in == 0) continue;
            const int32_t level = levels[h];
            const int32_t dark = a.dark[h];
            const bool hasLight = h == kHueMagenta || h == kHueCyan;
            int32_t darkSizes = hasLight ? 0 : level;
            if (hasLight && dark > 0) {
                owed[h] += dark;
                const int32_t pull =
                    overlap && (h == pair.first || h == pair.second) ? kOverlapDarkPull : 0;
                darkSizes = dark == in ? level
                                       : dark_sizes(owed[h] + pull, level, kLevelUnit,
                                                    dark * kWholeDarkBelow < in);
                owed[h] -= darkSizes * kLevelUnit;
            }
            if (level <= 0) continue;
            placed |= 1u << h;
            if (darkSizes > 0) put_level(rows.dark[static_cast<size_t>(h)], bits_, x, darkSizes);
            if (level > darkSizes)
                put_level(rows.light[static_cast<size_t>(h)], bits_, x, level - darkSizes);
        }
    }
    return placed;
}

}  // namespace vrelo_inks
