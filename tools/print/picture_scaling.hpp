// A picture scaled to the print resolution by area averaging: each printed
// pixel is the mean of the picture's area it covers, so enlarging keeps
// the picture's pixels square-edged and reducing loses no detail to
// skipped pixels. Lines come one at a time, as 16-bit RGB.
#ifndef VRELO_PRINT_PICTURE_SCALING_HPP
#define VRELO_PRINT_PICTURE_SCALING_HPP

#include <cstdint>
#include <vector>

#include "png_file.hpp"

namespace vrelo_print {

class AreaScaling {
  public:
    AreaScaling(const vrelo_tools::RgbImage& image, uint32_t width, uint32_t lines);
    uint32_t width() const { return width_; }
    uint32_t lines() const { return lines_; }
    // Line y (0 to lines - 1) as width RGB pixels, 0..65535 each.
    void line(uint32_t y, uint16_t* rgb);

  private:
    // Which source pixels an output pixel covers, and how much of each
    // (weights summing to 65536).
    struct Span {
        uint32_t first, count, weights;  // weights: index into weights_
    };
    static void make_spans(uint32_t from, uint32_t to, std::vector<Span>* spans,
                           std::vector<uint32_t>* weights);

    const vrelo_tools::RgbImage& image_;
    uint32_t width_, lines_;
    std::vector<Span> across_, down_;
    std::vector<uint32_t> acrossWeights_, downWeights_;
    std::vector<uint32_t> row_;  // one output line's source rows averaged, x 65536
};

}  // namespace vrelo_print

#endif
