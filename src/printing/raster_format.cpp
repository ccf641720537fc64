// Raster page headers checked and raster lines split into planes (see
// raster_format.hpp).
#include "raster_format.hpp"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "vrelo417_inks.h"

namespace vrelo_tools {
namespace {

constexpr uint32_t kLargestResolution = 32767;

enum Plane { K = 0, Y = 1, M = 2, C = 3, LightM = 4, LightC = 5 };

// Raster channel order -> library plane, per colour space. Six-colour
// DeviceN rasters are taken in the KCMYcm order.
constexpr std::array<int, kPlanes> kKcmycm = {K, C, M, Y, LightC, LightM};
constexpr std::array<int, kPlanes> kCmyk = {C, M, Y, K, -1, -1};
constexpr std::array<int, kPlanes> kKcmy = {K, C, M, Y, -1, -1};

std::string field(const char* name, unsigned long found, const std::string& must) {
    char text[64];
    std::snprintf(text, sizeof text, "%s is %lu", name, found);
    return std::string(text) + ": " + must;
}

// Bits of one chunked pixel: the channels' bits rounded up to 4, 8 or 16,
// the channels in the low bits (six 1-bit channels fill bits 5 to 0).
int chunked_pixel_bits(int colours, int bits) {
    int pixelBits = 4;
    while (pixelBits < colours * bits) pixelBits *= 2;
    return pixelBits;
}

// An enumerated header field as the number the file holds: a raster may
// hold any value there, which the enumeration type need not represent.
template <typename Field>
uint32_t number_of(const Field& field) {
    uint32_t value;
    static_assert(sizeof value == sizeof field, "header enumerations are 32-bit");
    std::memcpy(&value, &field, sizeof value);
    return value;
}

bool colour_space(uint32_t space, std::array<int, kPlanes>* planes, int* colours) {
    switch (space) {
        case CUPS_CSPACE_KCMYcm:
        case CUPS_CSPACE_DEVICE6:
            *planes = kKcmycm;
            *colours = 6;
            return true;
        case CUPS_CSPACE_CMYK:
            *planes = kCmyk;
            *colours = 4;
            return true;
        case CUPS_CSPACE_KCMY:
            *planes = kKcmy;
            *colours = 4;
            return true;
        default:
            return false;
    }
}

uint32_t expected_bytes_per_line(const RasterFormat& f) {
    if (f.banded) return static_cast<uint32_t>(f.colours * f.planeBytes());
    return static_cast<uint32_t>((static_cast<uint64_t>(f.width) * f.pixelBits + 7) / 8);
}

// A pixel's colour values from a chunked line, as one number of pixelBits
// bits (most significant channel first).
uint32_t chunked_pixel(const RasterFormat& f, const uint8_t* line, uint32_t x) {
    if (f.pixelBits < 8) {
        const uint32_t bit = x * static_cast<uint32_t>(f.pixelBits);
        const int shift = 8 - f.pixelBits - static_cast<int>(bit % 8);
        return (line[bit / 8] >> shift) & ((1u << f.pixelBits) - 1);
    }
    const int bytes = f.pixelBits / 8;
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | line[static_cast<size_t>(x) * bytes + i];
    return value;
}

void put_pixel(std::vector<uint8_t>* row, int bits, uint32_t x, uint32_t value) {
    const uint32_t bit = x * static_cast<uint32_t>(bits);
    (*row)[bit / 8] |= static_cast<uint8_t>(value << (8 - bits - static_cast<int>(bit % 8)));
}

void split_chunked(const RasterFormat& f, const uint8_t* line, PlaneRows* planes) {
    const uint32_t mask = (1u << f.bits) - 1;
    for (uint32_t x = 0; x < f.width; ++x) {
        const uint32_t pixel = chunked_pixel(f, line, x);
        if (pixel == 0) continue;
        for (int channel = 0; channel < f.colours; ++channel) {
            const uint32_t value = pixel >> ((f.colours - 1 - channel) * f.bits) & mask;
            if (value != 0) put_pixel(&(*planes)[f.planeOf[channel]], f.bits, x, value);
        }
    }
}

// The checks every page passes whatever its pixels: size, bytes a line,
// resolution.
std::string check_size(const cups_page_header2_t& h, RasterFormat f, RasterFormat* format) {
    if (h.cupsWidth == 0 || h.cupsWidth > kWidestPage)
        return field("cupsWidth", h.cupsWidth,
                     "must be 1 to 32767 pixels, the printer's widest line");
    if (h.cupsHeight == 0) return field("cupsHeight", 0, "must be at least 1");
    f.width = h.cupsWidth;
    f.height = h.cupsHeight;
    const uint32_t expected = expected_bytes_per_line(f);
    if (h.cupsBytesPerLine != expected)
        return field("cupsBytesPerLine", h.cupsBytesPerLine,
                     "must be " + std::to_string(expected) + " for " + std::to_string(f.width) +
                         " pixels of this colour space, "
                         "order and depth");
    f.bytesPerLine = expected;
    for (const uint32_t dpi : h.HWResolution)
        if (dpi == 0 || dpi > kLargestResolution)
            return field("HWResolution", dpi, "must be 1 to 32767 dots per inch");
    f.resX = h.HWResolution[0];
    f.resY = h.HWResolution[1];
    *format = f;
    return "";
}

// The renderer's input for a contone colour space; false for others.
bool contone_space(uint32_t space, RasterFormat* f) {
    switch (space) {
        case CUPS_CSPACE_RGB:
        case CUPS_CSPACE_SRGB:
            f->input = VRELO_INKS_RGB;
            f->colours = 3;
            return true;
        case CUPS_CSPACE_W:
        case CUPS_CSPACE_SW:
            f->input = VRELO_INKS_GREY;
            f->colours = 1;
            return true;
        case CUPS_CSPACE_K:
            f->input = VRELO_INKS_GREY;
            f->colours = 1;
            f->inkGrey = true;
            return true;
        case CUPS_CSPACE_CMYK:
            f->input = VRELO_INKS_CMYK;
            f->colours = 4;
            return true;
        default:
            return false;
    }
}

std::string check_contone_header(const cups_page_header2_t& h, RasterFormat f,
                                 RasterFormat* format) {
    const uint32_t space = number_of(h.cupsColorSpace);
    if (!contone_space(space, &f))
        return field("cupsColorSpace", space,
                     "must be RGB (1), sRGB (19), grey (0, 18), black (3) or CMYK (6) at " +
                         std::to_string(h.cupsBitsPerColor) + " bits a colour");
    if (number_of(h.cupsColorOrder) != CUPS_ORDER_CHUNKED)
        return field("cupsColorOrder", number_of(h.cupsColorOrder),
                     "must be chunked (0) at 8 or 16 bits a colour");
    f.contone = true;
    f.sampleBits = static_cast<int>(h.cupsBitsPerColor);
    f.bits = h.cupsCompression == 2 ? 2 : 1;
    f.mediaType.assign(h.MediaType, strnlen(h.MediaType, sizeof h.MediaType));
    f.media =
        strncasecmp(f.mediaType.c_str(), "photo", 5) == 0 ? VRELO_INKS_PHOTO : VRELO_INKS_PLAIN;
    f.pixelBits = f.colours * f.sampleBits;
    if (h.cupsBitsPerPixel != static_cast<uint32_t>(f.pixelBits))
        return field("cupsBitsPerPixel", h.cupsBitsPerPixel,
                     "must be " + std::to_string(f.pixelBits) + " for this colour space and depth");
    return check_size(h, f, format);
}

}  // namespace

std::string check_raster_header(const cups_page_header2_t& h, RasterFormat* format) {
    RasterFormat f;
    if (h.cupsBitsPerColor == 8 || h.cupsBitsPerColor == 16)
        return check_contone_header(h, f, format);
    const uint32_t space = number_of(h.cupsColorSpace);
    const uint32_t order = number_of(h.cupsColorOrder);
    if (!colour_space(space, &f.planeOf, &f.colours))
        return field("cupsColorSpace", space,
                     "must be KCMYcm (9), six-colour DeviceN (53), CMYK (6) or "
                     "KCMY (8)");
    if (h.cupsBitsPerColor != 1 && h.cupsBitsPerColor != 2)
        return field("cupsBitsPerColor", h.cupsBitsPerColor,
                     "must be 1 or 2 (dots), or 8 or 16 (contone)");
    f.bits = static_cast<int>(h.cupsBitsPerColor);
    if (order != CUPS_ORDER_CHUNKED && order != CUPS_ORDER_BANDED)
        return field("cupsColorOrder", order, "must be chunked (0) or banded (1)");
    f.banded = order == CUPS_ORDER_BANDED;
    f.pixelBits = chunked_pixel_bits(f.colours, f.bits);
    // Banded pages also come with the chunked pixel size from some
    // renderers; only a chunked page's pixels are laid out by it.
    const bool pixelBitsFit = h.cupsBitsPerPixel == static_cast<uint32_t>(f.pixelBits) ||
                              (f.banded && h.cupsBitsPerPixel == static_cast<uint32_t>(f.bits));
    if (!pixelBitsFit)
        return field(
            "cupsBitsPerPixel", h.cupsBitsPerPixel,
            "must be " + std::to_string(f.pixelBits) + " for this colour space, order and depth");
    return check_size(h, f, format);
}

void split_raster_line(const RasterFormat& f, const uint8_t* line, PlaneRows* planes) {
    for (auto& row : *planes) row.assign(f.planeBytes(), 0);
    if (!f.banded) {
        split_chunked(f, line, planes);
        return;
    }
    // A band is one channel's row in the raster's order, packed as the
    // library packs a plane.
    for (int channel = 0; channel < f.colours; ++channel) {
        const uint8_t* band = line + static_cast<size_t>(channel) * f.planeBytes();
        auto& row = (*planes)[f.planeOf[channel]];
        row.assign(band, band + f.planeBytes());
    }
}

}  // namespace vrelo_tools
