// The rendering step (see line_render.hpp).
#include "line_render.hpp"

#include "raster_format.hpp"

namespace vrelo_app {

bool LineRenderer::start(const PageSettings& page, const std::string& printerProfile,
                         std::string* error) {
    const bool colour = page.contone == Contone::kSrgb8;
    const uint32_t bytesPerPixel = colour ? 3 : 1;
    vrelo_tools::RasterFormat format;
    format.contone = true;
    format.input = colour ? VRELO_INKS_RGB : VRELO_INKS_GREY;
    format.sampleBits = 8;
    format.width = page.width;
    format.height = page.height;
    format.bytesPerLine = page.width * bytesPerPixel;
    format.bits = page.setup.bits;
    format.resX = static_cast<uint32_t>(page.setup.resX);
    format.resY = static_cast<uint32_t>(page.setup.resY);
    offset_ = static_cast<size_t>(page.left) * bytesPerPixel;
    return rendering_.start_page(format, page.photoPaper ? VRELO_INKS_PHOTO : VRELO_INKS_PLAIN,
                                 printerProfile, error, page.halftone);
}

bool LineRenderer::render(const uint8_t* arriving, RasterLine* line, std::string* error) {
    return rendering_.render(arriving + offset_, line, error);
}

}  // namespace vrelo_app
