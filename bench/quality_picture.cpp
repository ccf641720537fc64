// The picture of the dots (see quality_picture.hpp).
#include "quality_picture.hpp"

#include <algorithm>
#include <cmath>

#include "png_file.hpp"

namespace vrelo_bench {
namespace {

const char* const kPatches[] = {"grey L82",   "grey L58", "light h210",
                                "skin light", "L55 h290", "sky"};
constexpr int32_t kCropWidth = 48, kCropHeight = 24;  // printer pixels
constexpr int32_t kZoomX = 4, kZoomY = 8;
constexpr int32_t kGap = 6;
constexpr int32_t kCell = kCropWidth * kZoomX;  // = kCropHeight * kZoomY

uint8_t encoded(double linear) {
    return static_cast<uint8_t>(
        std::lround(255 * vrelo_inks::linear_to_srgb(std::clamp(linear, 0.0, 1.0))));
}

}  // namespace

bool write_quality_picture(const Targets& t, const std::vector<PrintedPath>& paths,
                           const std::string& file, std::string* error) {
    std::vector<const PrintedPath*> drawn;
    for (const PrintedPath& p : paths)
        if (p.name.find("blue noise") == std::string::npos) drawn.push_back(&p);
    std::vector<const Patch*> patches;
    for (const char* name : kPatches)
        for (const Patch& p : t.patches)
            if (p.name == name) patches.push_back(&p);
    const int32_t columns = static_cast<int32_t>(drawn.size()) + 1;
    const int32_t width = columns * kCell + (columns + 1) * kGap;
    const int32_t height = static_cast<int32_t>(patches.size()) * kCell +
                           static_cast<int32_t>(patches.size() + 1) * kGap;
    vrelo_tools::PngWriter png;
    if (!png.open(file, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                  vrelo_tools::PngWriter::Kind::kRgb, error))
        return false;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (int32_t y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 255);
        const int32_t band = (y - kGap) / (kCell + kGap), inBand = (y - kGap) % (kCell + kGap);
        if (y >= kGap && inBand < kCell && band < static_cast<int32_t>(patches.size())) {
            const Patch& patch = *patches[static_cast<size_t>(band)];
            // The middle of the patch, where every path has settled.
            const Rect area = printer_area(patch.place, 0);
            const int32_t top = area.y + (area.height - kCropHeight) / 2;
            const int32_t left = area.x + (area.width - kCropWidth) / 2;
            for (int32_t c = 0; c < columns; ++c) {
                uint8_t* cell = &row[static_cast<size_t>(kGap + c * (kCell + kGap)) * 3];
                for (int32_t x = 0; x < kCell; ++x) {
                    uint8_t* px = cell + static_cast<size_t>(x) * 3;
                    if (c == 0) {
                        std::copy(patch.srgb.begin(), patch.srgb.end(), px);
                        continue;
                    }
                    const vrelo_inks::Rgb r =
                        pixel_reflectance(drawn[static_cast<size_t>(c - 1)]->colour,
                                          left + x / kZoomX, top + inBand / kZoomY);
                    for (int ch = 0; ch < 3; ++ch) px[ch] = encoded(r[static_cast<size_t>(ch)]);
                }
            }
        }
        if (!png.write_row(row.data(), error)) return false;
    }
    return png.close(error);
}

}  // namespace vrelo_bench
