// Contone raster lines (8- or 16-bit RGB, grey or CMYK) through the
// renderer into the six planes, one renderer for as long as the pages
// keep its format.
#ifndef VRELO_TOOLS_CONTONE_RENDERING_HPP
#define VRELO_TOOLS_CONTONE_RENDERING_HPP

#include <string>
#include <vector>

#include "raster_format.hpp"
#include "vrelo417_inks.h"

namespace vrelo_tools {

class ContoneRendering {
  public:
    ContoneRendering() = default;
    ~ContoneRendering();
    ContoneRendering(const ContoneRendering&) = delete;
    ContoneRendering& operator=(const ContoneRendering&) = delete;

    // Starts a page of this format, media (VRELO_INKS_PLAIN or _PHOTO)
    // and printer profile (empty: the renderer's own), its dots placed by
    // halftone (VRELO_INKS_DIFFUSION or _BLUE_NOISE). False with *error
    // when no renderer can be made for it.
    bool start_page(const RasterFormat& format, int media, const std::string& printerProfile,
                    std::string* error, int halftone = VRELO_INKS_DIFFUSION);
    // One raster line of the page into *line. False with *error.
    bool render(const uint8_t* raster, RasterLine* line, std::string* error);

  private:
    VreloInks* renderer_ = nullptr;
    VreloInksOptions made_{};
    std::string profile_;
    bool inkGrey_ = false;
    std::vector<uint8_t> inverted_;
};

}  // namespace vrelo_tools

#endif
