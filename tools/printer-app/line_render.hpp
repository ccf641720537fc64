// The rendering step: the printable part of one arriving contone line
// through the renderer (src/printing's contone rendering) into the
// library's six planes, for the paper, quality and printer profile of the
// page. Every raster path of the app (PAPPL's raster, JPEG and PNG jobs,
// the PDF filter) renders through this one class, as does the tests'
// reference.
#ifndef VRELO_PRINTER_APP_LINE_RENDER_HPP
#define VRELO_PRINTER_APP_LINE_RENDER_HPP

#include <cstdint>
#include <string>

#include "contone_rendering.hpp"
#include "page_settings.hpp"

namespace vrelo_app {

class LineRenderer {
  public:
    // Prepares the page: its contone kind, depth, dots, paper, printable
    // width and printer profile (empty: the renderer's own for the paper).
    bool start(const PageSettings& page, const std::string& printerProfile, std::string* error);

    // Renders the pixels [page.left, page.left + page.width) of one arriving
    // printable line into *line, numbered from the page's first printable
    // line. Planes without ink have no data; a blank line costs next to
    // nothing.
    bool render(const uint8_t* arriving, RasterLine* line, std::string* error);

  private:
    vrelo_tools::ContoneRendering rendering_;
    size_t offset_ = 0;  // bytes of the line before the printable area
};

}  // namespace vrelo_app

#endif
