// The faster halftone: thresholds from a blue-noise mask, tiled over the
// page, without state between lines. Black alone and each hue with black
// are thresholded against one threshold a pixel, as the error diffusion
// diffuses them, so the hues' dots keep apart from black's; a hue's dots
// are made dark as its dark share, carried along the line, asks.
#ifndef VRELO_INKS_BLUE_NOISE_HPP
#define VRELO_INKS_BLUE_NOISE_HPP

#include <cstdint>

#include "error_diffusion.hpp"

namespace vrelo_inks {

class BlueNoise {
  public:
    explicit BlueNoise(int bits);
    // As ErrorDiffusion::line.
    unsigned line(int32_t y, int32_t width, const PixelAmounts* amounts,
                  const LineRows& rows) const;

  private:
    int bits_;
};

}  // namespace vrelo_inks

#endif
