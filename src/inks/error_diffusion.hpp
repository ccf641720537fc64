// Error diffusion of the four hues together, line by line down a page:
// serpentine scan, weights that vary with the tone, and a threshold
// modulated by deterministic noise whose strength also follows the tone,
// so that no worms or directional artefacts form and the same page always
// gives the same dots.
//
// Black is diffused first. At one dot size each colour hue is diffused as
// its sum with black, its dots being what that sum places beyond black's,
// so each hue's dots together with black's spread as one even pattern
// would: in the look of the print each of red, green and blue light is
// taken mostly by black and one hue (cyan, magenta, yellow), so each of
// the three keeps a fine, even texture. Between three dot sizes each
// colour hue is diffused by what of it shows through black's level at
// each pixel, so that it looks even however black's levels alternate.
// A hue's light and dark dots are one amount, so they never pile up; the
// sizes placed are made dark or light by a diffusion of the dark ink's
// share (see diffusion_scan.hpp).
#ifndef VRELO_INKS_ERROR_DIFFUSION_HPP
#define VRELO_INKS_ERROR_DIFFUSION_HPP

#include <array>
#include <cstdint>
#include <vector>

#include "diffusion_scan.hpp"

namespace vrelo_inks {

// The rows a line's dots go to: by hue, the dark (or only) ink's and the
// light ink's (null for black and yellow).
struct LineRows {
    std::array<uint8_t*, 4> dark, light;
};

class ErrorDiffusion {
  public:
    // width pixels a line, bits 1 or 2.
    ErrorDiffusion(int32_t width, int bits);

    void start_page();

    // One line; fills every byte of the rows and returns which hues got
    // dots, one bit each (1 << Hue). A line without ink may be skipped
    // (left blank) when no error is carried to it (!carries_error()).
    unsigned line(int32_t y, const PixelAmounts* amounts, const LineRows& rows);
    bool carries_error() const { return pending_; }

    // The same line in steps, for a caller that has its amounts in parts:
    // begin() it, scan() it up to each part's end as the amounts come (in
    // pixels of the scan, from 0: odd lines are scanned from right to
    // left), and finish() it; the same dots as line().
    void begin(int32_t y, const PixelAmounts* amounts);
    void scan(int32_t to);
    unsigned finish(const LineRows& rows);

  private:
    int32_t width_;
    int bits_;
    ScanKernel scan_;
    // Error for the next line of the hues' sums and of the dark shares,
    // laid out as the scan takes them (see ScanLine); whether any of it is
    // not zero (a line without ink and without error left is skipped).
    std::vector<int16_t> error_;
    std::vector<int32_t> darkError_;
    bool pending_ = false;
    // The codes of the line, and of a row byte's pixels beyond it (0).
    std::vector<uint8_t> codes_;
    // The line being scanned, and how far.
    ScanLine line_{};
    ScanState state_{};
    int32_t scanned_ = 0;
};

}  // namespace vrelo_inks

#endif
