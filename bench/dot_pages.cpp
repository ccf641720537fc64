// Target pictures through the renderer, and Ghostscript's rasters, as
// levels (see dot_pages.hpp).
#include "dot_pages.hpp"

#include <cmath>
#include <cstring>
#include <vector>

#include "raster_input.hpp"

namespace vrelo_bench {

void unpack_row(const uint8_t* row, int bits, int32_t width, uint8_t* levels) {
    for (int32_t x = 0; x < width; ++x)
        levels[x] = bits == 1 ? static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1)
                              : static_cast<uint8_t>((row[x >> 2] >> (6 - 2 * (x & 3))) & 3);
}

bool render_picture(const Picture& picture, VreloInksOptions o, DotPage* page, std::string* error) {
    o.width = picture.width * kScaleX;
    o.input = picture.channels == 4 ? VRELO_INKS_CMYK : VRELO_INKS_RGB;
    o.sampleBits = 8;
    VreloInks* renderer = nullptr;
    char message[VRELO_INKS_MESSAGE_SIZE];
    if (vrelo_inks_new(&renderer, &o, message, sizeof message) != VRELO_INKS_OK) {
        *error = message;
        return false;
    }
    page->resize(o.width, picture.height * kScaleY, o.bits == 1 ? 1 : 3);
    std::vector<uint8_t> line(static_cast<size_t>(o.width) * static_cast<size_t>(picture.channels));
    vrelo_inks_start_page(renderer);
    for (int32_t y = 0; y < page->height; ++y) {
        const uint8_t* source = picture.at(0, y / kScaleY);
        for (int32_t x = 0; x < o.width; ++x)
            std::memcpy(
                &line[static_cast<size_t>(x) * static_cast<size_t>(picture.channels)],
                source + static_cast<size_t>(x / kScaleX) * static_cast<size_t>(picture.channels),
                static_cast<size_t>(picture.channels));
        RasterLine out;
        if (vrelo_inks_render_line(renderer, line.data(), &out) < 0) {
            *error = vrelo_inks_message(renderer);
            vrelo_inks_free(renderer);
            return false;
        }
        for (int p = 0; p < kInks; ++p)
            if (out.planes[p].data != nullptr)
                unpack_row(out.planes[p].data, o.bits, o.width,
                           &page->planes[static_cast<size_t>(p)]
                                        [static_cast<size_t>(y) * static_cast<size_t>(o.width)]);
    }
    vrelo_inks_free(renderer);
    return true;
}

bool read_raster_dots(const std::string& path, int32_t x0, int32_t y0, int32_t width,
                      int32_t height, DotPage* page, std::string* error) {
    vrelo_tools::RasterFile file(path, error);
    if (!file.opened()) return false;
    vrelo_tools::RasterFormat format;
    if (file.input().next_page(&format, error) != vrelo_tools::RasterInput::Next::kPage) {
        if (error->empty()) *error = path + " holds no page";
        return false;
    }
    // The raster holds the imageable area: the page's positions move by
    // its margins.
    const cups_page_header2_t& h = file.input().header();
    x0 -= static_cast<int32_t>(std::lround(h.cupsImagingBBox[0] * format.resX / 72.0));
    y0 -= static_cast<int32_t>(
        std::lround((h.cupsPageSize[1] - h.cupsImagingBBox[3]) * format.resY / 72.0));
    if (x0 < 0 || y0 < 0 || static_cast<int64_t>(x0) + width > static_cast<int64_t>(format.width) ||
        static_cast<int64_t>(y0) + height > static_cast<int64_t>(format.height)) {
        *error = path + " is smaller than the targets";
        return false;
    }
    page->resize(width, height, format.bits == 1 ? 1 : 3);
    std::vector<uint8_t> line(format.bytesPerLine), levels(format.width);
    vrelo_tools::PlaneRows planes;
    for (int32_t y = 0; y < y0 + height; ++y) {
        if (!file.input().read_line(line.data(), error)) return false;
        if (y < y0) continue;
        vrelo_tools::split_raster_line(format, line.data(), &planes);
        for (int p = 0; p < kInks; ++p) {
            unpack_row(planes[static_cast<size_t>(p)].data(), format.bits,
                       static_cast<int32_t>(format.width), levels.data());
            std::memcpy(&page->planes[static_cast<size_t>(p)]
                                     [static_cast<size_t>(y - y0) * static_cast<size_t>(width)],
                        levels.data() + x0, static_cast<size_t>(width));
        }
    }
    return true;
}

}  // namespace vrelo_bench
