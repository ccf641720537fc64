// The rendering step: one contone line of a page into the library's six
// planes at 1 or 2 bits a pixel, for the paper and quality of the page.
// Every raster path of the app (PAPPL's raster, JPEG and PNG jobs, the PDF
// filter) renders through this one class.
#ifndef VRELO_PRINTER_APP_LINE_RENDER_HPP
#define VRELO_PRINTER_APP_LINE_RENDER_HPP

#include <cstdint>
#include <string>

#include "page_settings.hpp"
#include "raster_format.hpp"

namespace vrelo_app {

class LineRenderer {
  public:
    // Prepares the page's rendering: its contone kind, depth, paper,
    // quality and the printable width.
    bool start(const PageSettings& page, std::string* error);

    // Renders the pixels [page.left, page.left + page.width) of one arriving
    // line into planes (each page.width pixels at the page's depth). False
    // when the line leaves no ink: planes are then untouched, and a blank
    // line costs no more than the look at its pixels.
    bool render(const uint8_t* line, vrelo_tools::PlaneRows* planes);

  private:
    PageSettings page_;
    uint32_t line_ = 0;  // lines rendered or skipped so far
};

}  // namespace vrelo_app

#endif
