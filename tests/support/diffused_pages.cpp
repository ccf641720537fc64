#include "diffused_pages.hpp"

namespace vrelo_test {
namespace {

// Floyd-Steinberg diffusion of the six colours side by side: their error
// chains are independent, so the work of one pixel overlaps across
// colours. Each colour's error for the next line is kept with one cell of
// slack on either side.
class Diffusion {
  public:
    Diffusion(int width, int bitsPerPixel)
        : width_(static_cast<size_t>(width)),
          bits_(bitsPerPixel),
          top_((1 << bitsPerPixel) - 1),
          perByte_(8 / bitsPerPixel) {
        for (size_t c = 0; c < VRELO_COLOURS; ++c) {
            above_[c].assign(width_ + 2, 0.0f);
            below_[c].assign(width_ + 2, 0.0f);
        }
    }

    void line(const LineTones& tones, DiffusedRows* out) {
        Bytes rows[VRELO_COLOURS];
        for (Bytes& row : rows) row.assign((width_ * static_cast<size_t>(bits_) + 7) / 8, 0);
        // The errors carried along the line stay in locals.
        float right[VRELO_COLOURS] = {}, here[VRELO_COLOURS] = {}, next[VRELO_COLOURS] = {};
        unsigned packed[VRELO_COLOURS] = {};
        const float step = 1.0f / static_cast<float>(top_);
        float threshold[4] = {};
        for (int l = 1; l <= top_; ++l) threshold[l] = (static_cast<float>(l) - 0.5f) * step;
        for (size_t x = 0; x < width_; ++x) {
            for (size_t c = 0; c < VRELO_COLOURS; ++c) {
                const float wanted = tones[c][x] + above_[c][x + 1] + right[c];
                // Nearest level by comparisons: no float-to-int conversion,
                // which is slow on the x87 unit of the i386 build.
                int level = 0;
                for (int l = 1; l <= top_; ++l) level += wanted >= threshold[l];
                const float rest = wanted - static_cast<float>(level) * step;
                right[c] = rest * (7.0f / 16);
                below_[c][x] = here[c] + rest * (3.0f / 16);
                here[c] = next[c] + rest * (5.0f / 16);
                next[c] = rest * (1.0f / 16);
                packed[c] = packed[c] << bits_ | static_cast<unsigned>(level);
            }
            if (static_cast<int>(x % static_cast<size_t>(perByte_)) == perByte_ - 1)
                for (size_t c = 0; c < VRELO_COLOURS; ++c) {
                    rows[c][x / static_cast<size_t>(perByte_)] = static_cast<uint8_t>(packed[c]);
                    packed[c] = 0;
                }
        }
        const int left = static_cast<int>(width_ % static_cast<size_t>(perByte_));
        for (size_t c = 0; c < VRELO_COLOURS; ++c) {
            if (left != 0)
                rows[c].back() = static_cast<uint8_t>(packed[c] << (bits_ * (perByte_ - left)));
            below_[c][width_] = here[c];
            below_[c][width_ + 1] = next[c];
            above_[c].swap(below_[c]);
            out->rows[c].push_back(std::move(rows[c]));
        }
    }

  private:
    size_t width_;
    int bits_;
    int top_;      // highest level: 1 or 3
    int perByte_;  // pixels in a byte
    std::vector<float> above_[VRELO_COLOURS], below_[VRELO_COLOURS];
};

}  // namespace

DiffusedRows diffused_rows(PageContent content, int bitsPerPixel, int first, int lines,
                           uint32_t seed, int width) {
    DiffusedRows out;
    out.bitsPerPixel = bitsPerPixel;
    out.width = width;
    const std::unique_ptr<PageTones> source = page_tones(content, width, seed);
    Diffusion diffusion(width, bitsPerPixel);
    LineTones tones;
    for (int y = first; y < first + lines; ++y) {
        source->line(y, &tones);
        diffusion.line(tones, &out);
    }
    return out;
}

}  // namespace vrelo_test
