// The separation grid and the device curves (see separation_table.hpp).
#include "separation_table.hpp"

#include <algorithm>
#include <cmath>

#include "colour_space.hpp"

namespace vrelo_inks {
namespace {

constexpr int kN = SeparationTable::kNodes;
constexpr uint32_t kInputMax = 65535;

size_t node_index(int r, int g, int b) {
    return (static_cast<size_t>(r) * kN + g) * kN + b;
}

// The L* of paper carrying one ink (for the device curves).
double ink_lightness(const InkRecipe& recipe, int channel, double amount) {
    double a[4] = {0, 0, 0, 0};
    a[channel] = amount;
    const Rgb r = recipe.look(recipe.device_inks(a[0], a[1], a[2], a[3]));
    return linear_to_lab(r[0], r[1], r[2])[0];
}

}  // namespace

InkLevels to_levels(const Inks& inks) {
    InkLevels levels;
    for (int i = 0; i < kInks; ++i)
        levels[i] = static_cast<int32_t>(
            std::lround(std::clamp(static_cast<double>(inks[i]), 0.0, 1.0) * kFull));
    return levels;
}

void SeparationTable::build(const std::function<Inks(double, double, double)>& node) {
    nodes_.assign(static_cast<size_t>(kN) * kN * kN, InkLevels{});
    // A snake through the cube, so each node follows a neighbour.
    for (int r = 0; r < kN; ++r)
        for (int gi = 0; gi < kN; ++gi) {
            const int g = r % 2 ? kN - 1 - gi : gi;
            for (int bi = 0; bi < kN; ++bi) {
                const int b = (r * kN + gi) % 2 ? kN - 1 - bi : bi;
                nodes_[node_index(r, g, b)] = to_levels(node(static_cast<double>(r) / (kN - 1),
                                                             static_cast<double>(g) / (kN - 1),
                                                             static_cast<double>(b) / (kN - 1)));
            }
        }
}

void SeparationTable::lookup(uint32_t r, uint32_t g, uint32_t b, InkLevels* out) const {
    // Position on the grid: the cell below the point, and the fraction of
    // the cell beyond it in 1/256.
    const uint32_t scale = (kN - 1);
    const uint32_t pr = r * scale, pg = g * scale, pb = b * scale;
    const int ir = static_cast<int>(std::min<uint32_t>(pr / kInputMax, kN - 2));
    const int ig = static_cast<int>(std::min<uint32_t>(pg / kInputMax, kN - 2));
    const int ib = static_cast<int>(std::min<uint32_t>(pb / kInputMax, kN - 2));
    const int32_t fr =
        static_cast<int32_t>(((pr - static_cast<uint32_t>(ir) * kInputMax) << 8) / kInputMax);
    const int32_t fg =
        static_cast<int32_t>(((pg - static_cast<uint32_t>(ig) * kInputMax) << 8) / kInputMax);
    const int32_t fb =
        static_cast<int32_t>(((pb - static_cast<uint32_t>(ib) * kInputMax) << 8) / kInputMax);
    const InkLevels* base = &nodes_[node_index(ir, ig, ib)];
    constexpr size_t kR = static_cast<size_t>(kN) * kN, kG = kN, kB = 1;
    // The tetrahedron holding the point: order the fractions.
    size_t s1, s2;
    int32_t w0, w1, w2, w3;
    if (fr >= fg) {
        if (fg >= fb) {
            s1 = kR;
            s2 = kR + kG;
            w1 = fr - fg;
            w2 = fg - fb;
            w3 = fb;
        } else if (fr >= fb) {
            s1 = kR;
            s2 = kR + kB;
            w1 = fr - fb;
            w2 = fb - fg;
            w3 = fg;
        } else {
            s1 = kB;
            s2 = kR + kB;
            w1 = fb - fr;
            w2 = fr - fg;
            w3 = fg;
        }
    } else {
        if (fr >= fb) {
            s1 = kG;
            s2 = kR + kG;
            w1 = fg - fr;
            w2 = fr - fb;
            w3 = fb;
        } else if (fg >= fb) {
            s1 = kG;
            s2 = kG + kB;
            w1 = fg - fb;
            w2 = fb - fr;
            w3 = fr;
        } else {
            s1 = kB;
            s2 = kG + kB;
            w1 = fb - fg;
            w2 = fg - fr;
            w3 = fr;
        }
    }
    w0 = 256 - w1 - w2 - w3;
    const InkLevels& n0 = base[0];
    const InkLevels& n1 = base[s1];
    const InkLevels& n2 = base[s2];
    const InkLevels& n3 = base[kR + kG + kB];
    for (int i = 0; i < kInks; ++i)
        (*out)[i] = (w0 * n0[i] + w1 * n1[i] + w2 * n2[i] + w3 * n3[i] + 128) >> 8;
}

HueSplit::HueSplit(const InkRecipe& recipe)
    : dark_(kFull + 1),
      bias_(kFull + 1),
      limit_(static_cast<int32_t>(recipe.limits().total * kFull)),
      dropsTraceHue_(recipe.bits() == 1) {
    for (int i = 0; i <= kFull; ++i) {
        double dark, light;
        split_hue(static_cast<double>(i) / kFull, 0, &dark, &light);
        dark_[static_cast<size_t>(i)] = static_cast<int32_t>(std::lround(dark * kFull));
        bias_[static_cast<size_t>(i)] =
            static_cast<int32_t>(std::lround(dark_bias(static_cast<double>(i) / kFull) * kFull));
    }
}

namespace {

// A tone of the hue with the least, below this, is taken out: the grid's
// interpolation leaves a trace of the third hue in many a two-hue colour,
// and at one dot size those few dots, each on a pixel of the other hues,
// are grain (a trace of 0.8 % yellow in a dark blue doubled its
// graininess) for no colour one sees. From the cut to twice it the tone
// comes back at twice the slope, so tones stay continuous and in order.
// Between three dot sizes a trace is a few small dots, and stays.
constexpr int32_t kTraceTone = kFull / 50;

void drop_trace_hue(InkLevels* inks) {
    InkLevels& out = *inks;
    Ink least = kCyan;
    for (const Ink hue : {kMagenta, kYellow})
        if (out[hue] < out[least]) least = hue;
    const int32_t trace = out[least];
    if (trace < 2 * kTraceTone) out[least] = std::max(0, 2 * (trace - kTraceTone));
}

}  // namespace

void HueSplit::apply(InkLevels* inks) const {
    InkLevels& out = *inks;
    if (dropsTraceHue_) drop_trace_hue(inks);
    const int32_t bias = bias_[static_cast<size_t>(std::clamp(out[kBlack], 0, kFull))];
    const struct { Ink dark, light; } hues[2] = {{kCyan, kLightCyan}, {kMagenta, kLightMagenta}};
    for (const auto& hue : hues) {
        const int32_t tone = std::clamp(out[hue.dark], 0, kFull);
        int32_t dark = dark_[static_cast<size_t>(tone)];
        dark += (bias * (tone - dark) + kFull / 2) >> kCoverageBits;
        out[hue.dark] = dark;
        out[hue.light] = std::min(kFull, 3 * (tone - dark));
    }
    int32_t total = 0;
    for (const int32_t ink : out) total += ink;
    if (total <= limit_) return;
    const int32_t colour = total - out[kBlack];
    const int32_t room = std::max(0, limit_ - out[kBlack]);
    for (int i = 0; i < kInks; ++i)
        if (i != kBlack)
            out[i] = static_cast<int32_t>(static_cast<int64_t>(out[i]) * room / colour);
}

DeviceInks::DeviceInks(const InkRecipe& recipe) : recipe_(recipe) {
    // Each curve: amount -> the ink's own amount whose lightness lies as far
    // from paper's, in proportion, as the amount says.
    constexpr int kSamples = 1024;
    for (int ch = 0; ch < 4; ++ch) {
        std::array<double, kSamples + 1> light;
        for (int s = 0; s <= kSamples; ++s)
            light[s] = ink_lightness(recipe, ch, static_cast<double>(s) / kSamples);
        int s = 0;
        for (int p = 0; p < kCurvePoints; ++p) {
            const double want = light[0] + (light[kSamples] - light[0]) * p / (kCurvePoints - 1);
            while (s < kSamples && light[s + 1] > want) ++s;
            const double span = light[s] - (s < kSamples ? light[s + 1] : light[s]);
            const double t = span > 1e-12 ? (light[s] - want) / span : 0;
            curves_[ch][p] = static_cast<float>((s + std::clamp(t, 0.0, 1.0)) / kSamples);
        }
    }
}

void DeviceInks::lookup(uint32_t c, uint32_t m, uint32_t y, uint32_t k, InkLevels* out) const {
    const uint32_t in[4] = {c, m, y, k};
    double amount[4];
    for (int ch = 0; ch < 4; ++ch) {
        const double pos = static_cast<double>(in[ch]) * (kCurvePoints - 1) / kInputMax;
        const int i = std::min(static_cast<int>(pos), kCurvePoints - 2);
        amount[ch] = curves_[ch][i] + (pos - i) * (curves_[ch][i + 1] - curves_[ch][i]);
    }
    *out = to_levels(recipe_.device_inks(amount[0], amount[1], amount[2], amount[3]));
}

}  // namespace vrelo_inks
