// The separation's inverse of the look of the inks: the tones that print a
// given colour, and where the printer's gamut ends. Colours beyond it are
// mapped to its edge with their hue kept; lightness follows the gamut's
// cusp, so a full sRGB primary lands on the printer's full primary, and
// the shadows beyond the darkest ink are compressed, not clipped.
#ifndef VRELO_INKS_TONE_SOLVER_HPP
#define VRELO_INKS_TONE_SOLVER_HPP

#include <vector>

#include "colour_space.hpp"
#include "ink_recipe.hpp"

namespace vrelo_inks {

class ToneSolver {
  public:
    explicit ToneSolver(const InkRecipe& recipe);

    // The colour three tones print, by the look of the inks.
    Lab look(const Tones& tones) const;
    // The tones printing the colour closest to target (CIELAB D65) that
    // the inks reach, after the gamut mapping above. hint: a nearby
    // solution to start from (the last one, on a grid).
    Tones solve(const Lab& target, const Tones& hint) const;
    // The gamut-mapped colour solve() aims at.
    Lab mapped(const Lab& target) const;

  private:
    struct Cusp {
        double hue, lightness, chroma;
    };
    static Cusp cusp_at(const std::vector<Cusp>& ring, double hue);
    void error(const Tones& tones, const Lab& aim, double out[3]) const;
    // Moves *tones to the closest colour to aim the inks print (weighted
    // as error() says), from where they are; returns the weighted error.
    double descend(const Lab& aim, Tones* tones) const;

    const InkRecipe& recipe_;
    std::vector<Cusp> printerRing_, srgbRing_;  // sorted by hue
    double darkest_ = 0;                        // L* of the darkest colour the inks print
};

}  // namespace vrelo_inks

#endif
