// A picture printed as one page: scaled to the print resolution by area
// averaging, rendered into the six planes by the renderer (its colour
// profile, the quality's dots, the media's inks) and sent through a job.
#ifndef VRELO_PRINT_PICTURE_PRINTING_HPP
#define VRELO_PRINT_PICTURE_PRINTING_HPP

#include <cstdint>
#include <string>
#include <vector>

#include "page_printer.hpp"
#include "png_file.hpp"
#include "print_quality.hpp"
#include "progress.hpp"
#include "raster_printing.hpp"

namespace vrelo_print {

struct PictureSettings {
    uint32_t resX = 1440, resY = 720;  // print resolution
    uint32_t imageDpi = 0;             // 0: the picture's own density, else kDefaultImageDpi
    vrelo_tools::Quality quality = vrelo_tools::Quality::kNormal;
    int media = VRELO_INKS_PLAIN;
    std::string printerProfile;  // an ICC file, or empty for the renderer's own
};

// The density a picture is printed at when neither it nor the user says.
constexpr uint32_t kDefaultImageDpi = 150;

struct PrintedPicture {
    std::vector<uint8_t> bytes;                  // the page's printer stream
    std::vector<vrelo_tools::PlaneRows> planes;  // its lines, when asked for
    std::string error;                           // empty when printed
};

// keepPlanes: also hand back every line's planes (for --planes).
PrintedPicture print_picture(const vrelo_tools::RgbImage& image, const PictureSettings& settings,
                             const vrelo_tools::PrintOptions& print, bool keepPlanes,
                             vrelo_tools::Progress* progress);

}  // namespace vrelo_print

#endif
