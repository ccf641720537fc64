// The separation as the renderer runs it: a grid of ink coverages over
// the input's colour cube, built once from the tone solver (or from a
// printer profile), and read per pixel by tetrahedral interpolation in
// fixed point, which keeps every pixel within the ink limit because each
// node is. Grey input reads the grid's diagonal; CMYK without a profile
// goes through per-ink linearisation curves instead.
#ifndef VRELO_INKS_SEPARATION_TABLE_HPP
#define VRELO_INKS_SEPARATION_TABLE_HPP

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "ink_recipe.hpp"

namespace vrelo_inks {

// Coverage in fixed point: kFull is one ink on every pixel.
constexpr int kCoverageBits = 12;
constexpr int kFull = 1 << kCoverageBits;
using InkLevels = std::array<int32_t, kInks>;

class SeparationTable {
  public:
    static constexpr int kNodes = 17;  // per axis of the colour cube

    // Fills the grid: node(r, g, b) gives the inks of the cube's point
    // (each 0..1), the nodes visited in an order where each is next to
    // the one before.
    void build(const std::function<Inks(double, double, double)>& node);

    // The inks of one input colour, each channel 0..65535.
    void lookup(uint32_t r, uint32_t g, uint32_t b, InkLevels* out) const;

  private:
    std::vector<InkLevels> nodes_;  // r major, b minor
};

// Device CMYK (no profile): each amount through its ink's linearisation
// curve, which makes equal steps of the amount equal steps of lightness,
// then the recipe's split and limits.
class DeviceInks {
  public:
    explicit DeviceInks(const InkRecipe& recipe);
    // Amounts 0..65535.
    void lookup(uint32_t c, uint32_t m, uint32_t y, uint32_t k, InkLevels* out) const;

  private:
    static constexpr int kCurvePoints = 257;
    std::array<std::array<float, kCurvePoints>, 4> curves_;  // C M Y K amounts
    const InkRecipe& recipe_;
};

InkLevels to_levels(const Inks& inks);

// InkRecipe::split in fixed point, for a grid of hue tones: each pixel's
// tones are split after the grid is read, so a highlight's light and dark
// cyan and magenta follow the cross-fade exactly rather than the straight
// line between two nodes; at one dot size a trace of the hue with the
// least is taken out first. Where the split of a pixel between nodes would
// ask for more ink than the limit allows, the colour inks give way.
class HueSplit {
  public:
    explicit HueSplit(const InkRecipe& recipe);
    // *inks: black, yellow and the hues' tones in the cyan and magenta
    // places, as InkRecipe::hue_tones gives them; becomes the six inks.
    void apply(InkLevels* inks) const;

  private:
    std::vector<int32_t> dark_;  // by tone 0..kFull: dark coverage beside no black
    std::vector<int32_t> bias_;  // by black 0..kFull: split_hue's darkBias in 1/kFull
    int32_t limit_;              // total coverage
    bool dropsTraceHue_;         // a trace of the least hue (one dot size)
};

}  // namespace vrelo_inks

#endif
