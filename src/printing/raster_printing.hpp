// The job loop that the host program and the CUPS filter share: every page
// of a CUPS raster stream (dots as they are, contone through the renderer)
// through the library, each page's stream handed
// on whole once the page has ended, a refused page stopping the job with a
// message that names the page and the field, and a cancel between lines
// that ends the page in progress so the printer is left at a page boundary.
#ifndef VRELO_TOOLS_RASTER_PRINTING_HPP
#define VRELO_TOOLS_RASTER_PRINTING_HPP

#include <csignal>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "raster_input.hpp"
#include "vrelo417_host.h"

namespace vrelo_tools {

struct PrintOptions {
    int32_t model = VRELO_HOST_MODEL;
    bool carryOver = false;
    // Contone pages, through the renderer: the media, when not the page's
    // own (0), and the printer profile for a page (none, or empty: the
    // renderer's own).
    int media = 0;
    std::function<std::string(const RasterFormat& format)> printerProfile;
};

// What the loop tells its caller as it goes.
struct PrintEvents {
    // A page begins: number, lines, resolution and depth.
    std::function<void(int page, const RasterFormat& format)> pageBegins;
    // Every few lines, for progress.
    std::function<void(int page, uint32_t line)> lineDone;
    // A page's whole stream; false with *error (naming the destination and
    // the reason) when it could not be sent.
    std::function<bool(int page, const std::vector<uint8_t>& bytes, std::string* error)> pageEnded;
};

struct PrintResult {
    int pagesSent = 0;
    bool cancelled = false;
    std::string error;  // empty when the job went through
};

// The setup a raster page asks for: its resolution and depth.
VreloJobSetup setup_for_page(const RasterFormat& format, const PrintOptions& options);

// Prints every page of the raster. cancel, when not null, is polled
// between lines.
PrintResult print_raster(RasterInput& input, const PrintOptions& options, const PrintEvents& events,
                         const volatile std::sig_atomic_t* cancel);

}  // namespace vrelo_tools

#endif
