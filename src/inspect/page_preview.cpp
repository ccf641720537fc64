// Page pictures (see page_preview.hpp). Rows are visited in line order and
// their ink added into one band of output pixels at a time, so the work
// and memory follow the rows sent, not the page's size.
#include "page_preview.hpp"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "files.hpp"
#include "png_file.hpp"

namespace vrelo_inspect {
namespace {

using vrelo_tools::PngWriter;

// The largest picture side written, whatever --scale asks.
constexpr int64_t kLargestSide = 32767;
// How strongly a light ink darkens, against its full-strength ink.
constexpr double kLightInkStrength = 0.35;

const char* const kPlaneNames[kColours] = {"black", "yellow",        "magenta",
                                           "cyan",  "light-magenta", "light-cyan"};

int64_t ceil_div(int64_t a, int64_t b) {
    return (a + b - 1) / b;
}

struct Geometry {
    int64_t scaleX, scaleY;
    int64_t width, height;  // output pixels
};

// Ink of every colour over one band of output rows, as a share of full.
class InkBand {
  public:
    InkBand(const Geometry& g, int bits) : g_(g), bits_(bits) {
        for (auto& ink : ink_) ink.assign(static_cast<size_t>(g.width), 0.0);
    }

    void add(int colour, const Row& row) {
        const int perByte = 8 / bits_;
        const int mask = (1 << bits_) - 1;
        std::vector<double>& ink = ink_[colour];
        for (size_t i = 0; i < row.size(); ++i) {
            if (row[i] == 0) continue;
            for (int p = 0; p < perByte; ++p) {
                const int value = row[i] >> (8 - bits_ * (p + 1)) & mask;
                const int64_t x = (static_cast<int64_t>(i) * perByte + p) / g_.scaleX;
                if (value != 0 && x < g_.width) ink[static_cast<size_t>(x)] += value;
            }
        }
    }

    // The share of full ink of a colour at output pixel x.
    double share(int colour, int64_t x) const {
        const double full = static_cast<double>(g_.scaleX * g_.scaleY * ((1 << bits_) - 1));
        return std::min(1.0, ink_[colour][static_cast<size_t>(x)] / full);
    }

    void clear() {
        for (auto& ink : ink_) std::fill(ink.begin(), ink.end(), 0.0);
    }

  private:
    Geometry g_;
    int bits_;
    std::array<std::vector<double>, kColours> ink_;
};

Geometry geometry_of(const PageRows& page, const PreviewSettings& settings, int aspect) {
    const PageExtent extent = page_extent(page, settings.bits);
    const int64_t scale = preview_scale(extent, settings);
    Geometry g;
    g.scaleX = scale * aspect;
    g.scaleY = scale;
    g.width = ceil_div(extent.dots, g.scaleX);
    g.height = ceil_div(extent.lines, g.scaleY);
    return g;
}

bool fits(const Geometry& g, std::string* error) {
    if (g.width <= kLargestSide && g.height <= kLargestSide) return true;
    *error = "the picture would be " + std::to_string(g.width) + " x " + std::to_string(g.height) +
             " pixels: give a larger --scale";
    return false;
}

// Calls paint for every output row in order, with the ink band of the rows
// that fall on it.
using PaintRow = std::function<bool(const InkBand&)>;

bool paint_rows(const PageRows& page, const Geometry& g, int bits, const PaintRow& paint) {
    InkBand band(g, bits);
    std::array<std::map<int64_t, Row>::const_iterator, kColours> next;
    for (int c = 0; c < kColours; ++c) next[c] = page.rows[c].lower_bound(0);
    for (int64_t y = 0; y < g.height; ++y) {
        const int64_t end = (y + 1) * g.scaleY;
        for (int c = 0; c < kColours; ++c)
            for (; next[c] != page.rows[c].end() && next[c]->first < end; ++next[c])
                band.add(c, next[c]->second);
        if (!paint(band)) return false;
        band.clear();
    }
    return true;
}

uint8_t level(double light) {
    return static_cast<uint8_t>(255.0 * light + 0.5);
}

// Subtractive mixing: each ink takes away the light it absorbs.
void mix(const InkBand& band, int64_t x, uint8_t* rgb) {
    const double k = band.share(0, x);
    const double c = std::min(1.0, band.share(3, x) + kLightInkStrength * band.share(5, x));
    const double m = std::min(1.0, band.share(2, x) + kLightInkStrength * band.share(4, x));
    const double yel = band.share(1, x);
    rgb[0] = level((1 - c) * (1 - k));
    rgb[1] = level((1 - m) * (1 - k));
    rgb[2] = level((1 - yel) * (1 - k));
}

// One picture being written: its file and how a band becomes its row.
struct Picture {
    PngWriter writer;
    int channels = 1;
    std::function<void(const InkBand&, uint8_t*)> fill;
    std::vector<uint8_t> pixels;
};

// Writes every picture in one pass over the page's rows.
bool write_pictures(const PageRows& page, const Geometry& g, int bits,
                    std::vector<std::unique_ptr<Picture>>* pictures,
                    const std::vector<std::string>& paths, std::string* error) {
    if (!fits(g, error)) return false;
    for (size_t i = 0; i < pictures->size(); ++i) {
        Picture& picture = *(*pictures)[i];
        const auto kind = picture.channels == 3 ? PngWriter::Kind::kRgb : PngWriter::Kind::kGrey;
        if (!picture.writer.open(paths[i], static_cast<uint32_t>(g.width),
                                 static_cast<uint32_t>(g.height), kind, error))
            return false;
        picture.pixels.assign(static_cast<size_t>(g.width) * static_cast<size_t>(picture.channels),
                              0);
    }
    const bool painted = paint_rows(page, g, bits, [&](const InkBand& band) {
        for (auto& picture : *pictures) {
            picture->fill(band, picture->pixels.data());
            if (!picture->writer.write_row(picture->pixels.data(), error)) return false;
        }
        return true;
    });
    if (!painted) return false;
    for (auto& picture : *pictures)
        if (!picture->writer.close(error)) return false;
    return true;
}

}  // namespace

PageExtent page_extent(const PageRows& page, int bits) {
    PageExtent extent;
    // Rows alone give the extent: with delays, the paper's advance runs on
    // past the last line by the longest delay.
    int64_t lastLine = 0;
    size_t widest = 0;
    for (const auto& rows : page.rows) {
        if (!rows.empty()) lastLine = std::max(lastLine, rows.rbegin()->first);
        for (const auto& row : rows) widest = std::max(widest, row.second.size());
    }
    extent.dots = std::max<int64_t>(1, static_cast<int64_t>(widest) * (8 / bits));
    extent.lines = lastLine + 1;
    return extent;
}

int64_t preview_scale(const PageExtent& extent, const PreviewSettings& settings) {
    if (settings.scale > 0) return settings.scale;
    const int64_t side = std::max(ceil_div(extent.dots, settings.aspect), extent.lines);
    return std::max<int64_t>(1, ceil_div(side, kPreviewSide));
}

bool write_composite_png(const PageRows& page, const PreviewSettings& settings,
                         const std::string& path, std::string* error) {
    const Geometry g = geometry_of(page, settings, settings.aspect);
    std::vector<std::unique_ptr<Picture>> pictures;
    pictures.push_back(std::make_unique<Picture>());
    pictures[0]->channels = 3;
    pictures[0]->fill = [&](const InkBand& band, uint8_t* rgb) {
        for (int64_t x = 0; x < g.width; ++x) mix(band, x, rgb + 3 * x);
    };
    return write_pictures(page, g, settings.bits, &pictures, {path}, error);
}

bool write_plane_pngs(const PageRows& page, const PreviewSettings& settings,
                      const std::string& directory, int pageNumber, std::string* error) {
    if (!vrelo_tools::make_folders(directory, error)) return false;
    // Every plane of a page has the page's size, whatever its own ink.
    const Geometry g = geometry_of(page, settings, 1);
    std::vector<std::unique_ptr<Picture>> pictures;
    std::vector<std::string> paths;
    for (int colour = 0; colour < kColours; ++colour) {
        paths.push_back(directory + "/page-" + std::to_string(pageNumber) + "-" +
                        kPlaneNames[colour] + ".png");
        pictures.push_back(std::make_unique<Picture>());
        pictures.back()->fill = [colour, &g](const InkBand& band, uint8_t* grey) {
            for (int64_t x = 0; x < g.width; ++x) grey[x] = level(1 - band.share(colour, x));
        };
    }
    return write_pictures(page, g, settings.bits, &pictures, paths, error);
}

}  // namespace vrelo_inspect
