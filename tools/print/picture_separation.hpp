// A picture made printable without a CUPS chain: the image scaled to the
// print resolution, each pixel separated into K, Y, M, C and the light
// inks m and c for highlights, and halftoned to 1 or 2 bits per pixel by
// an ordered pattern or by error diffusion.
#ifndef VRELO_PRINT_PICTURE_SEPARATION_HPP
#define VRELO_PRINT_PICTURE_SEPARATION_HPP

#include <array>
#include <cstdint>
#include <vector>

#include "png_file.hpp"
#include "raster_format.hpp"

namespace vrelo_print {

enum class Halftone { kOrdered, kDiffusion };

struct PictureSettings {
    uint32_t resX = 1440, resY = 720;  // print resolution
    int bits = 1;
    Halftone halftone = Halftone::kDiffusion;
    uint32_t imageDpi = 0;  // 0: the image's own density, else kDefaultImageDpi
};

// The density a picture is printed at when neither it nor the user says.
constexpr uint32_t kDefaultImageDpi = 150;

// Ink shares of one pixel, K Y M C m c, each 0..1.
using Inks = std::array<float, vrelo_tools::kPlanes>;
Inks separate(uint8_t red, uint8_t green, uint8_t blue);

class PictureSeparation {
  public:
    PictureSeparation(const vrelo_tools::RgbImage& image, const PictureSettings& settings);

    uint32_t width() const { return width_; }  // dots
    uint32_t lines() const { return lines_; }

    // The planes of the next line, from line 0 on.
    void next_line(vrelo_tools::PlaneRows* planes);

  private:
    int halftone(int plane, uint32_t x, float share);

    const vrelo_tools::RgbImage& image_;
    PictureSettings settings_;
    uint32_t width_ = 0, lines_ = 0, line_ = 0;
    int levels_ = 1;
    // Error diffusion: each plane's error carried to this line and the next.
    std::array<std::vector<float>, vrelo_tools::kPlanes> errorHere_, errorNext_;
};

}  // namespace vrelo_print

#endif
