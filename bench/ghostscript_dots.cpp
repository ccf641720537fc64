// Ghostscript's dots for the targets (see ghostscript_dots.hpp).
#include "ghostscript_dots.hpp"

#include <unistd.h>

#include <cstdio>

#include "dot_pages.hpp"

namespace vrelo_bench {
namespace {

constexpr double kPageHeight = 842;  // A4, points
constexpr double kMarginPoints = 36;
constexpr double kPointsAPixel = 72.0 / kTargetDpi;  // 0.4

bool write_picture(std::FILE* out, const Picture& p, double topPoints) {
    const double w = p.width * kPointsAPixel, h = p.height * kPointsAPixel;
    std::fprintf(out, "gsave %g %g translate %g %g scale\n", kMarginPoints,
                 kPageHeight - topPoints - h, w, h);
    std::fprintf(
        out, "%d %d 8 [%d 0 0 -%d 0 %d] currentfile /ASCIIHexDecode filter false %d colorimage\n",
        static_cast<int>(p.width), static_cast<int>(p.height), static_cast<int>(p.width),
        static_cast<int>(p.height), static_cast<int>(p.height), p.channels);
    for (size_t i = 0; i < p.pixels.size(); ++i)
        if (std::fprintf(out, (i + 1) % 40 ? "%02x" : "%02x\n", p.pixels[i]) < 0) return false;
    return std::fprintf(out, ">\ngrestore\n") > 0;
}

double inks_top_points(const Targets& t) {
    return kMarginPoints + t.colour.height * kPointsAPixel + kInksGapPoints;
}

}  // namespace

int32_t inks_at_y(const Targets& t) {
    return static_cast<int32_t>(inks_top_points(t) * 10 + 0.5);
}

bool write_target_page(const Targets& t, const std::string& path, std::string* error) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) {
        *error = "cannot create " + path;
        return false;
    }
    bool ok =
        std::fprintf(out, "%%!PS-Adobe-3.0\n%%%%Pages: 1\n%%%%EndComments\n%%%%Page: 1 1\n") > 0 &&
        write_picture(out, t.colour, kMarginPoints) &&
        write_picture(out, t.inks, inks_top_points(t)) &&
        std::fprintf(out, "showpage\n%%%%EOF\n") > 0;
    ok = std::fclose(out) == 0 && ok;
    if (!ok) *error = "cannot write " + path;
    return ok;
}

bool ghostscript_dots(const std::string& page, const std::string& ppd, int bits, const Targets& t,
                      DotPage* colour, DotPage* inks, std::string* error) {
    const std::string raster = page + "." + std::to_string(bits) + ".ras";
    const std::string command = "cupsfilter -e -p '" + ppd +
                                "' -o cupsPrintQuality=Draft -o BitDepth=" + std::to_string(bits) +
                                " -m application/vnd.cups-raster '" + page + "' >'" + raster +
                                "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
        *error = "cupsfilter could not make Ghostscript's raster: " + command;
        return false;
    }
    const bool read = read_raster_dots(raster, kColourAtX, kColourAtY, t.colour.width * kScaleX,
                                       t.colour.height * kScaleY, colour, error) &&
                      read_raster_dots(raster, kColourAtX, inks_at_y(t), t.inks.width * kScaleX,
                                       t.inks.height * kScaleY, inks, error);
    unlink(raster.c_str());
    return read;
}

}  // namespace vrelo_bench
