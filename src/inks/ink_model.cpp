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

// A colour hue as the renderer lays it: its amount in dot sizes, its dark
// share, and the absorbance a size of its dark and light ink and of the
// two in their shares.
struct HueLayer {
    double amount = 0, darkShare = 1;
    bool bySize = false;  // dark and light sizes share pixels
    Rgb dark{}, light{}, mean{};
    // The share of light, channel ch, that a pixel holding this many sizes
    // lets through: whole dark and light pixels in their shares, or each
    // pixel's sizes split in the shares.
    double transmission(int ch, double sizes) const {
        if (bySize)
            return (1 - dark[ch] * darkShare * sizes) * (1 - light[ch] * (1 - darkShare) * sizes);
        return 1 - mean[ch] * sizes;
    }
};

HueLayer hue_layer(const Inks& cover, Ink darkInk, Ink lightInk, int bits) {
    const int levels = (1 << bits) - 1;
    const double dark = cover[darkInk];
    const double light = lightInk == kInks ? 0 : cover[lightInk];
    const double dots = dark + light;
    HueLayer hue;
    hue.amount = dots * levels;
    if (lightInk == kInks || dots <= 0) {
        for (int ch = 0; ch < 3; ++ch)
            hue.dark[ch] = hue.mean[ch] = static_cast<float>(kAbsorbance[darkInk][ch] / levels);
        return hue;
    }
    hue.darkShare = dark / dots;
    hue.bySize = levels > 1 && dark < dots && dark * kWholeDarkBelow >= dots;
    for (int ch = 0; ch < 3; ++ch) {
        hue.dark[ch] = static_cast<float>(kAbsorbance[darkInk][ch] / levels);
        hue.light[ch] = static_cast<float>(kAbsorbance[lightInk][ch] / levels);
        hue.mean[ch] = static_cast<float>(
            (dark * kAbsorbance[darkInk][ch] + light * kAbsorbance[lightInk][ch]) / dots / levels);
    }
    return hue;
}

// The absorbance of a hue's dot whose share `dark` is of its dark ink.
double absorbance(const HueLayer& hue, int ch, double dark) {
    return dark * hue.dark[ch] + (1 - dark) * hue.light[ch];
}

// At one dot size, where two colour hues are laid as a pair (see
// colour_pair()): black on a share of the pixels, the pair's dots as few on
// each other as they can be, their overlap dark first, and the third hue
// on the pixels black left free first, whatever the pair does there.
Rgb paired_reflectance(const HueLayer (&hues)[3], int first, int second, double black) {
    const HueLayer& a = hues[first];
    const HueLayer& b = hues[second];
    const HueLayer& third = hues[3 - first - second];
    const double free = 1 - black, room = free - a.amount;
    // Areas of the pixels free of black: the first's alone, the second's
    // alone, both; and the two's areas on black.
    double aOnly, bOnly, both, aOnBlack = 0, bOnBlack = 0;
    if (room > 0) {
        both = std::clamp(b.amount - room, 0.0, a.amount);
        aOnly = a.amount - both;
        bOnly = std::min(b.amount, room);
        bOnBlack = std::max(0.0, b.amount - room - a.amount);
    } else {
        both = std::min(b.amount, free);
        aOnly = free - both;
        bOnly = 0;
        aOnBlack = a.amount - free;
        bOnBlack = std::max(0.0, b.amount - free);
    }
    // The dark share of a hue's dots in the overlap, and elsewhere.
    const auto dark_in = [both](const HueLayer& hue, double* elsewhere) {
        const double dark = hue.darkShare * hue.amount, inBoth = std::min(dark, both);
        const double rest = hue.amount - both;
        *elsewhere = rest > 0 ? (dark - inBoth) / rest : 1;
        return both > 0 ? inBoth / both : 1;
    };
    double aRest, bRest;
    const double aBoth = dark_in(a, &aRest), bBoth = dark_in(b, &bRest);
    const double thirdFree = std::min(third.amount, free);
    const double thirdOnBlack = std::max(0.0, third.amount - free);
    Rgb out{};
    for (int ch = 0; ch < 3; ++ch) {
        const double ta = 1 - absorbance(a, ch, aRest), tb = 1 - absorbance(b, ch, bRest);
        const double neither = free - aOnly - bOnly - both;
        double r = neither + aOnly * ta + bOnly * tb +
                   both * (1 - absorbance(a, ch, aBoth)) * (1 - absorbance(b, ch, bBoth));
        if (free > 0) r *= 1 - third.mean[ch] * thirdFree / free;
        double onBlack = black * (1 - kAbsorbance[kBlack][ch]);
        if (black > 0)
            onBlack *= (1 - (1 - ta) * aOnBlack / black) * (1 - (1 - tb) * bOnBlack / black) *
                       (1 - third.mean[ch] * thirdOnBlack / black);
        out[ch] = static_cast<float>(r + onBlack);
    }
    return out;
}

}  // namespace

Rgb area_reflectance(const Inks& cover, int bits) {
    const int levels = (1 << bits) - 1;
    // The colour hues in the order they are diffused after black.
    const HueLayer hues[3] = {hue_layer(cover, kMagenta, kLightMagenta, bits),
                              hue_layer(cover, kCyan, kLightCyan, bits),
                              hue_layer(cover, kYellow, kInks, bits)};
    const double amounts[3] = {hues[0].amount, hues[1].amount, hues[2].amount};
    int first, second;
    if (kPairedColours[bits - 1] && colour_pair(amounts, &first, &second))
        return paired_reflectance(hues, first, second, std::min(1.0, double{cover[kBlack]}));
    const double black = cover[kBlack] * levels;
    // A pixel of phase u (0..1) holds floor(black + u) sizes of black: an
    // ideal diffusion of black. Where a hue is diffused with black it holds
    // floor(black + amount + u) of them less black's, an ideal diffusion of
    // black with the hue; where a hue is diffused by what shows of it
    // through black, it shows as its amount would under every count of
    // black. The hues' own phases are taken as independent once black's
    // count is known, so only their mean sizes for each count of black
    // matter.
    const bool shaded = kShadedColours[bits - 1];
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
            const double s = black + hues[h].amount;
            sizes[h] =
                shaded ? hues[h].amount
                       : (floor_integral(s + to) - floor_integral(s + from)) / width - blackSizes;
        }
        for (int ch = 0; ch < 3; ++ch) {
            double r = width * (1 - kAbsorbance[kBlack][ch] / levels * blackSizes);
            for (int h = 0; h < 3; ++h) r *= hues[h].transmission(ch, sizes[h]);
            out[ch] += static_cast<float>(r);
        }
    }
    return out;
}

}  // namespace vrelo_inks
