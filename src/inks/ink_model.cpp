// The inks' absorbances and the reflectance they leave (see ink_model.hpp).
#include "ink_model.hpp"

#include <algorithm>
#include <cmath>

namespace vrelo_inks {

const std::array<Rgb, kInks> kAbsorbance = {{
    {0.92f, 0.92f, 0.92f},              // K
    {0.02f, 0.08f, 0.85f},              // Y
    {0.10f, 0.75f, 0.30f},              // M
    {0.80f, 0.35f, 0.10f},              // C
    {0.10f / 3, 0.75f / 3, 0.30f / 3},  // m
    {0.80f / 3, 0.35f / 3, 0.10f / 3},  // c
}};

Rgb dot_reflectance(const Inks& cover) {
    Rgb out{1, 1, 1};
    for (int ink = 0; ink < kInks; ++ink)
        for (int ch = 0; ch < 3; ++ch) out[ch] *= 1 - kAbsorbance[ink][ch] * cover[ink];
    return out;
}

namespace {

// The integral of floor over 0..t.
double floor_integral(double t) {
    const double whole = std::floor(t);
    return whole * (whole - 1) / 2 + whole * (t - whole);
}

}  // namespace

Rgb area_reflectance(const Inks& cover, int bits) {
    const int levels = (1 << bits) - 1;
    // The colour hues in the order they are diffused after black, each
    // with its dot amount (in dot sizes) and mean absorbance a size.
    const struct {
        Ink dark, light;
    } hues[3] = {{kMagenta, kLightMagenta}, {kCyan, kLightCyan}, {kYellow, kInks}};
    const double black = cover[kBlack] * levels;
    double amount[3];
    Rgb absorb[3];
    for (int h = 0; h < 3; ++h) {
        const double dark = cover[hues[h].dark];
        const double light = hues[h].light == kInks ? 0 : cover[hues[h].light];
        const double dots = dark + light;
        amount[h] = dots * levels;
        for (int ch = 0; ch < 3; ++ch) {
            const double a = hues[h].light == kInks || dots <= 0
                                 ? kAbsorbance[hues[h].dark][ch]
                                 : (dark * kAbsorbance[hues[h].dark][ch] +
                                    light * kAbsorbance[hues[h].light][ch]) /
                                       dots;
            absorb[h][ch] = static_cast<float>(a / levels);
        }
    }
    // A pixel of phase u (0..1) holds floor(black + u) sizes of black, and
    // of hue h floor(black + amount + u) less those: an ideal diffusion of
    // black, and of black with each hue. The hues' own phases are taken as
    // independent once black's count is known, so only their mean sizes
    // for each count of black matter.
    const double whole = std::floor(black), over = black - whole;
    const double split = 1 - over;  // phases from here on hold one more size
    const double pieces[2][2] = {{0, split}, {split, 1}};
    Rgb out{0, 0, 0};
    for (int piece = 0; piece < 2; ++piece) {
        const double from = pieces[piece][0], to = pieces[piece][1], width = to - from;
        if (width <= 0) continue;
        const double blackSizes = whole + piece;
        double sizes[3];
        for (int h = 0; h < 3; ++h) {
            const double s = black + amount[h];
            sizes[h] = (floor_integral(s + to) - floor_integral(s + from)) / width - blackSizes;
        }
        for (int ch = 0; ch < 3; ++ch) {
            double r = width * (1 - kAbsorbance[kBlack][ch] / levels * blackSizes);
            for (int h = 0; h < 3; ++h) r *= 1 - absorb[h][ch] * sizes[h];
            out[ch] += static_cast<float>(r);
        }
    }
    return out;
}

}  // namespace vrelo_inks
