// What a CUPS raster page header means for this printer: the checks every
// header passes before any of its pixels is used, and the split of one
// raster line of dots into the library's six planes K, Y, M, C, m, c.
// Contone pages (8 or 16 bits a colour) are for the renderer instead.
#ifndef VRELO_TOOLS_RASTER_FORMAT_HPP
#define VRELO_TOOLS_RASTER_FORMAT_HPP

#include <cups/raster.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vrelo_tools {

constexpr int kPlanes = 6;  // K Y M C m c, the library's colour order
// The widest page: pixel positions are 16-bit signed in the library.
constexpr uint32_t kWidestPage = 32767;

struct RasterFormat {
    uint32_t width = 0;         // pixels
    uint32_t height = 0;        // lines
    uint32_t bytesPerLine = 0;  // as the header gives it, checked
    int bits = 1;               // printer bits per colour and pixel: 1 or 2
    // Contone pages: the renderer's input kind (vrelo417_inks.h), 8 or 16
    // bits a sample, grey stored as ink (0 white) rather than light, and
    // the media the page asks for (MediaType "Photo...": photo paper).
    bool contone = false;
    int input = 0;
    int sampleBits = 0;
    bool inkGrey = false;
    int media = 0;
    std::string mediaType;  // the header's MediaType, as it is
    int colours = 0;        // channels in the raster: 4 or 6
    bool banded = false;    // else chunked
    int pixelBits = 0;      // chunked: bits of one pixel
    // Library plane of each raster channel, in the raster's order.
    std::array<int, kPlanes> planeOf{};
    uint32_t resX = 0, resY = 0;
    // Bytes of one library plane row: pixel p in byte p * bits / 8.
    size_t planeBytes() const { return (static_cast<size_t>(width) * bits + 7) / 8; }
};

// Checks a page header before use: supported colour space, order and
// depth, a width within the library's positions, and bytes per line equal
// to what width and depth give. Empty when the page can be printed;
// otherwise a message naming the field and what it must be. A contone
// page is printed at 2 bits when cupsCompression is 2 (the PPD's High
// quality), else at 1.
std::string check_raster_header(const cups_page_header2_t& header, RasterFormat* format);

// One line of the library's planes, each format.planeBytes() long.
using PlaneRows = std::array<std::vector<uint8_t>, kPlanes>;

// Splits one raster line (format.bytesPerLine bytes) into the planes,
// packed most significant pixel first.
void split_raster_line(const RasterFormat& format, const uint8_t* line, PlaneRows* planes);

}  // namespace vrelo_tools

#endif
