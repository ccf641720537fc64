// The printer's way of laying down a colour, from three tones (cyan,
// magenta, yellow, each 0..1) to the six inks: black by grey-component
// replacement, cyan and magenta split into light and dark inks by
// overlapping cross-fades, and the total kept within the media's limit.
#ifndef VRELO_INKS_INK_RECIPE_HPP
#define VRELO_INKS_INK_RECIPE_HPP

#include "ink_model.hpp"

namespace vrelo_inks {

// A media's limits, as coverage (1.0: one ink on every pixel).
struct MediaLimits {
    double total;   // all inks together
    double perInk;  // any one ink
};
// The limits of a media of vrelo417_inks.h; false for an unknown one.
bool media_limits(int media, MediaLimits* limits);

// A hue's tone (dark-ink equivalents: a light dot counts a third) split
// into dark and light coverage. Light ink alone prints the highlights;
// dark dots come in shortly before the light ones cover the paper, and
// light and dark together never cover more than all of it. darkBias
// (0..1) moves the split towards dark ink alone, where black is printed.
void split_hue(double tone, double darkBias, double* dark, double* light);
// The darkBias of split_hue beside this much black.
double dark_bias(double black);

struct Tones {
    double cyan = 0, magenta = 0, yellow = 0;
};

class InkRecipe {
  public:
    // bits: the dot sizes the inks are printed with (1 or 2 bits).
    InkRecipe(const MediaLimits& limits, int bits) : limits_(limits), bits_(bits) {}
    const MediaLimits& limits() const { return limits_; }
    int bits() const { return bits_; }
    // The mean reflectance the inks of some tones give.
    Rgb look(const Inks& inks) const { return area_reflectance(inks, bits_); }
    // The inks for three tones; black and a hue's pair included.
    Inks inks(const Tones& tones) const;
    // The same before cyan and magenta are split: black and yellow as
    // coverage, and in the cyan and magenta places each hue's tone (the
    // light places empty). split() of them is inks(): a grid of these
    // tones interpolates the colour more closely than one of the split
    // inks, whose cross-fades bend between the grid's nodes.
    Inks hue_tones(const Tones& tones) const;
    Inks split(const Inks& hueTones) const;
    // Inks from four device amounts (CMYK without a profile): each ink
    // taken as it is, cyan and magenta split, the limits applied.
    Inks device_inks(double c, double m, double y, double k) const;

  private:
    Inks limited(double c, double m, double y, double k) const;
    MediaLimits limits_;
    int bits_;
};

// Sum of an ink set's coverages.
double total_ink(const Inks& inks);

}  // namespace vrelo_inks

#endif
