#include "page_tones.hpp"

#include <algorithm>
#include <random>

namespace vrelo_test {
namespace {

float clamp01(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}

// A well-mixed 32-bit hash of three numbers.
uint32_t mix(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h = a * 0x9E3779B1u ^ b * 0x85EBCA77u ^ c * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    return h ^ (h >> 15);
}

float unit(uint32_t h) {
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

// Smooth value noise of one scale: random values on a lattice of cells,
// eased between. Lines are half as far apart as pixels (720 against 1440
// dpi), so a cell spans half as many lines as pixels.
class NoiseScale {
  public:
    NoiseScale(int cellShift, uint32_t seed)
        : shift_(cellShift), seed_(seed), ease_(static_cast<size_t>(1) << cellShift) {
        for (size_t i = 0; i < ease_.size(); ++i) {
            const float t = static_cast<float>(i) / static_cast<float>(ease_.size());
            ease_[i] = t * t * (3 - 2 * t);
        }
    }

    // Adds weight times this scale's noise along line y to out.
    void add_line(int y, float weight, ToneRow& out) {
        const int cellLines = 1 << (shift_ - 1);
        const uint32_t iy = static_cast<uint32_t>(y / cellLines);
        const float ty = ease_[static_cast<size_t>(2 * (y % cellLines))];
        const int width = static_cast<int>(out.size());
        for (int x0 = 0; x0 < width; x0 += 1 << shift_) {
            const uint32_t ix = static_cast<uint32_t>(x0 >> shift_);
            const float a = column(ix, iy, ty);
            const float d = column(ix + 1, iy, ty) - a;
            const int end = std::min(width, x0 + (1 << shift_));
            for (int x = x0; x < end; ++x)
                out[static_cast<size_t>(x)] +=
                    weight * (a + d * ease_[static_cast<size_t>(x - x0)]);
        }
    }

  private:
    float column(uint32_t ix, uint32_t iy, float ty) const {
        const float top = unit(mix(seed_, ix, iy));
        return top + (unit(mix(seed_, ix, iy + 1)) - top) * ty;
    }

    int shift_;
    uint32_t seed_;
    std::vector<float> ease_;
};

// A density field: value noise at cells of 4096 down to 32 pixels.
class DensityField {
  public:
    explicit DensityField(uint32_t seed) {
        const int shifts[] = {12, 10, 8, 5};
        for (int i = 0; i < 4; ++i)
            scales_.emplace_back(shifts[i], mix(seed, static_cast<uint32_t>(i), 7));
    }
    void line(int y, ToneRow& out) {
        std::fill(out.begin(), out.end(), 0.0f);
        const float weights[] = {0.45f, 0.3f, 0.17f, 0.08f};
        for (size_t i = 0; i < scales_.size(); ++i) scales_[i].add_line(y, weights[i], out);
    }

  private:
    std::vector<NoiseScale> scales_;
};

class PhotoTones : public PageTones {
    static const size_t kGrainOffsets = 1 << 16;

  public:
    PhotoTones(int width, uint32_t seed)
        : width_(width),
          light_(mix(seed, 1, 0)),
          grain_(static_cast<size_t>(width) + kGrainOffsets),
          rng_(seed) {
        for (int i = 0; i < 3; ++i) hues_.emplace_back(mix(seed, 2, static_cast<uint32_t>(i)));
        std::uniform_real_distribution<float> grain(-0.04f, 0.04f);
        for (float& g : grain_) g = grain(rng_);
        for (ToneRow& row : fields_) row.resize(static_cast<size_t>(width));
    }

    void line(int y, LineTones* tones) override {
        light_.line(y, fields_[0]);
        for (size_t i = 0; i < 3; ++i) hues_[i].line(y, fields_[i + 1]);
        for (ToneRow& row : *tones) row.resize(static_cast<size_t>(width_));
        separate(tones);
        // A fresh offset into the grain table on every line and colour
        // keeps the grain from repeating down the page.
        for (ToneRow& row : *tones) {
            const float* grain = grain_.data() + rng_() % kGrainOffsets;
            for (size_t x = 0; x < row.size(); ++x) row[x] = clamp01(row[x] + grain[x]);
        }
        // About 3.5 mm of paper white at either side.
        const size_t margin = static_cast<size_t>(width_ / 60);
        for (ToneRow& row : *tones) {
            std::fill(row.begin(), row.begin() + static_cast<long>(margin), 0.0f);
            std::fill(row.end() - static_cast<long>(margin), row.end(), 0.0f);
        }
    }

  private:
    // Cyan, magenta and yellow densities share a lightness, so colours
    // vary together as in a photograph. Black takes the common dark part;
    // the light inks carry the low densities, at most about half covered,
    // and give way as the dark ink comes in.
    void separate(LineTones* tones) const {
        float* ink[VRELO_COLOURS];
        for (size_t c = 0; c < VRELO_COLOURS; ++c) ink[c] = (*tones)[c].data();
            // The rows never overlap the fields: let the loop be vectorised.
#pragma GCC ivdep
        for (size_t x = 0; x < static_cast<size_t>(width_); ++x) {
            const float light = 0.65f * stretch(fields_[0][x]) - 0.15f;
            const float cyan = clamp01(light + 0.5f * stretch(fields_[1][x]));
            const float magenta = clamp01(light + 0.5f * stretch(fields_[2][x]));
            const float yellow = clamp01(light + 0.5f * stretch(fields_[3][x]));
            const float common = std::min(cyan, std::min(magenta, yellow));
            const float darkCyan = dark_part(cyan);
            const float darkMagenta = dark_part(magenta);
            ink[0][x] = 0.9f * clamp01((common - 0.5f) * 2);
            ink[1][x] = yellow;
            ink[2][x] = darkMagenta;
            ink[3][x] = darkCyan;
            ink[4][x] = light_part(magenta, darkMagenta);
            ink[5][x] = light_part(cyan, darkCyan);
        }
    }
    static float dark_part(float tone) {
        return clamp01((tone - 0.3f) * (1 / 0.7f));
    }
    static float light_part(float tone, float dark) {
        return 0.55f * std::min(1.0f, tone * (1 / 0.3f)) * (1 - dark);
    }
    static float stretch(float v) {
        return clamp01((v - 0.5f) * 1.8f + 0.5f);
    }

    int width_;
    DensityField light_;
    std::vector<DensityField> hues_;
    std::array<ToneRow, 4> fields_;  // lightness, then cyan, magenta, yellow
    std::vector<float> grain_;
    std::mt19937 rng_;
};

// A glyph stroke inside its character cell: pixels [x0, x1), lines
// [y0, y1) counted up from the baseline (negative below it).
struct Stroke {
    int x0, x1, y0, y1;
};

const int kCellPixels = 110;  // advance of one character, ~1.9 mm
const int kXHeight = 44;      // lines, ~1.55 mm
const int kAscender = 64;
const int kDescender = -18;
const int kStem = 14;        // stem width in pixels
const int kBar = 7;          // bar height in lines
const int kLinePitch = 120;  // 12 points
const int kGlyphs = 26;

std::vector<Stroke> glyph_strokes(std::mt19937& rng) {
    const Stroke choices[] = {
        {8, 8 + kStem, 0, kXHeight},         // left stem
        {72, 72 + kStem, 0, kXHeight},       // right stem
        {40, 40 + kStem, 0, kXHeight},       // middle stem
        {8, 86, kXHeight - kBar, kXHeight},  // top bar
        {8, 86, kXHeight / 2 - kBar / 2, kXHeight / 2 + kBar / 2},
        {8, 86, 0, kBar},                     // bottom bar
        {8, 8 + kStem, kXHeight, kAscender},  // ascender
        {72, 72 + kStem, kDescender, 0},      // descender
    };
    std::vector<Stroke> strokes;
    for (const Stroke& s : choices)
        if (rng() % 100 < 40) strokes.push_back(s);
    if (strokes.empty()) strokes.push_back(choices[0]);
    return strokes;
}

struct TextLine {
    int baseline;
    float ink[VRELO_COLOURS];
    std::vector<int> glyphs;  // -1: a space
};

class TextTones : public PageTones {
  public:
    TextTones(int width, uint32_t seed) : width_(width) {
        std::mt19937 rng(seed);
        for (int g = 0; g < kGlyphs; ++g) glyphs_.push_back(glyph_strokes(rng));
        const int margin = width / 10;
        margin_ = margin;
        const int columns = (width - 2 * margin) / kCellPixels;
        for (int base = 500; base < kA4Lines - 500; base += kLinePitch) {
            if (rng() % 100 < 12) continue;  // a paragraph break
            TextLine line{base, {}, {}};
            const int kind = static_cast<int>(rng() % 100);
            if (kind < 80) {
                line.ink[0] = 1;  // black text
            } else if (kind < 90) {
                line.ink[3] = line.ink[2] = 1;  // a blue heading
            } else {
                line.ink[2] = line.ink[1] = 1;  // a red heading
            }
            const int used = columns - static_cast<int>(rng() % (columns / 3));
            while (static_cast<int>(line.glyphs.size()) < used) {
                const int word = 2 + static_cast<int>(rng() % 9);
                for (int i = 0; i < word; ++i)
                    line.glyphs.push_back(static_cast<int>(rng() % kGlyphs));
                line.glyphs.push_back(-1);
            }
            // The last word ends at the right margin at the latest.
            line.glyphs.resize(
                static_cast<size_t>(std::min(static_cast<int>(line.glyphs.size()), columns)));
            lines_.push_back(line);
        }
    }

    void line(int y, LineTones* tones) override {
        for (ToneRow& row : *tones) row.assign(static_cast<size_t>(width_), 0.0f);
        for (const TextLine& text : lines_) {
            const int up = text.baseline - y;  // lines above the baseline
            if (up < kDescender - 1 || up > kAscender) continue;
            for (size_t g = 0; g < text.glyphs.size(); ++g) {
                if (text.glyphs[g] < 0) continue;
                const int left = margin_ + static_cast<int>(g) * kCellPixels;
                for (const Stroke& s : glyphs_[static_cast<size_t>(text.glyphs[g])])
                    paint(s, left, up, text.ink, tones);
            }
        }
    }

  private:
    // Full ink inside the stroke, half ink on the pixels and lines just
    // around it: the soft edge of a rendered glyph.
    void paint(const Stroke& s, int left, int up, const float* ink, LineTones* tones) const {
        if (up < s.y0 - 1 || up > s.y1) return;
        const bool edgeLine = up == s.y0 - 1 || up == s.y1;
        for (int x = left + s.x0 - 1; x <= left + s.x1; ++x) {
            const bool edge = edgeLine || x < left + s.x0 || x == left + s.x1;
            const float tone = edge ? 0.5f : 1.0f;
            for (int c = 0; c < VRELO_COLOURS; ++c) {
                float& t = (*tones)[static_cast<size_t>(c)][static_cast<size_t>(x)];
                t = std::max(t, tone * ink[c]);
            }
        }
    }

    int width_;
    int margin_ = 0;
    std::vector<std::vector<Stroke>> glyphs_;
    std::vector<TextLine> lines_;
};

}  // namespace

std::unique_ptr<PageTones> page_tones(PageContent content, int width, uint32_t seed) {
    if (content == PageContent::kPhoto) return std::make_unique<PhotoTones>(width, seed);
    return std::make_unique<TextTones>(width, seed);
}

}  // namespace vrelo_test
