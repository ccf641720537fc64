// The faster halftone: thresholds from a blue-noise mask, tiled over the
// page, without state between lines. As the error diffusion diffuses
// them: at one dot size black alone and each hue with black are
// thresholded against one threshold a pixel, so the hues' dots keep apart
// from black's; between three dot sizes each hue is thresholded alone,
// against the mask read at a place of its own, so it shows through black
// as the ink model says. A hue's dots are made dark as its dark share,
// carried along the line, asks (by the same rule as the diffusion's).
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
