// What one page of a raster job asks of the printer, read from PAPPL's job
// options and the page's raster header: the library's setup (resolution,
// dot sizes from print-quality, Join Pages), the kind of contone line that
// arrives, how the renderer places dots, the paper, and the printable box
// the full-width lines are cropped to.
#ifndef VRELO_PRINTER_APP_PAGE_SETTINGS_HPP
#define VRELO_PRINTER_APP_PAGE_SETTINGS_HPP

#include <pappl/pappl.h>

#include <cstdint>
#include <string>

#include "drivers.hpp"
#include "vrelo417_host.h"

namespace vrelo_app {

// The lines PAPPL hands over.
enum class Contone {
    kSrgb8,  // 3 bytes a pixel, sRGB
    kGrey8,  // 1 byte a pixel, 0 black to 255 white
};

struct PageSettings {
    VreloJobSetup setup{};
    Contone contone = Contone::kSrgb8;
    int halftone = 0;  // the renderer's: VRELO_INKS_DIFFUSION or _BLUE_NOISE
    bool photoPaper = false;
    uint32_t lineBytes = 0;  // bytes of one arriving line
    uint32_t lines = 0;      // lines of the whole page
    // The printable box, in pixels and lines of the arriving raster.
    uint32_t left = 0, top = 0, width = 0, height = 0;
};

// The settings of the page whose header is options.header. False with
// *error saying what the printer cannot print and what it can.
bool read_page_settings(const PrinterModel& model, const pappl_pr_options_t& options,
                        PageSettings* page, std::string* error);

}  // namespace vrelo_app

#endif
