// Error diffusion of the four hues together, line by line down a page:
// serpentine scan, weights that vary with the tone, and a threshold
// modulated by deterministic noise whose strength also follows the tone,
// so that no worms or directional artefacts form and the same page always
// gives the same dots.
//
// Black is diffused alone; each colour hue is diffused as its sum with
// black, its dots being what that sum places beyond black's. Each hue's
// dots together with black's thus spread as one even pattern would: in
// the look of the print each of red, green and blue light is taken mostly
// by black and one hue (cyan, magenta, yellow), so each of the three
// keeps a fine, even texture. A hue's light
// and dark dots are one amount, so they never pile up; each dot placed is
// made dark or light by a diffusion of the dark ink's share.
#ifndef VRELO_INKS_ERROR_DIFFUSION_HPP
#define VRELO_INKS_ERROR_DIFFUSION_HPP

#include <array>
#include <cstdint>
#include <vector>

#include "line_worker.hpp"

namespace vrelo_inks {

// Amounts handed to the halftoners: one dot size is kLevelUnit, a full
// pixel at 2 bits three of them.
constexpr int kLevelUnit = 1024;

// A line's amounts in level units, by hue in diffusion order (black,
// magenta, cyan, yellow), and the dark part of magenta's and cyan's.
struct LineAmounts {
    std::array<const int16_t*, 4> hue;
    std::array<const int16_t*, 4> dark;  // null for black and yellow
};
// The rows a line's dots go to: by hue, the dark (or only) ink's and the
// light ink's (null for black and yellow). Zeroed by the caller.
struct LineRows {
    std::array<uint8_t*, 4> dark, light;
};

// Hues in diffusion order.
enum Hue { kHueBlack, kHueMagenta, kHueCyan, kHueYellow, kHues };

class ErrorDiffusion {
  public:
    // width pixels a line, bits 1 or 2.
    ErrorDiffusion(int32_t width, int bits);

    void start_page();

    // One line; returns which hues got dots, one bit each (1 << Hue).
    unsigned line(int32_t y, const LineAmounts& amounts, const LineRows& rows);

    // The same line in two parts that may run at once on two threads,
    // giving the same dots: part 0 diffuses black and magenta, part 1 cyan
    // and yellow over black's levels, following black's progress along
    // the line (in pixels of its scan, from 0), which part 0 publishes.
    // Neither part runs when has_work() is false (the line stays blank);
    // each returns its hues as line() does.
    bool has_work(const LineAmounts& amounts) const;
    unsigned part(int which, int32_t y, const LineAmounts& amounts, const LineRows& rows,
                  Progress* progress);

  private:
    template <int kBits>
    unsigned run(int which, int32_t y, const LineAmounts& amounts, const LineRows& rows,
                 Progress* progress);
    enum { kBlackPass, kPairPass, kInkPass };
    template <int kBits, int kKind>
    bool pass(bool backwards, int32_t y, int hue, const LineAmounts& amounts, const LineRows& rows,
              Progress* progress, bool* pending);

    int32_t width_;
    int bits_;
    // Error for the next line of each running sum and each dark share, one
    // pixel of margin each side; and whether any of it is not zero (a line
    // without ink and without error left is skipped). A sum's residue is
    // held within two full pixels, so a cell, the shares of three of them,
    // fits 16 bits (half the memory each scan streams); a dark share's
    // residue is not held and keeps 32.
    std::array<std::vector<int16_t>, kHues> error_;
    std::array<std::vector<int32_t>, 2> darkError_;
    std::array<bool, 2> pending_{};   // by part
    std::vector<uint8_t> blackDots_;  // black's levels on the line
};

}  // namespace vrelo_inks

#endif
