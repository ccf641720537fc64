// What the printer application should have sent for a raster document,
// worked out apart from the server: each page of a PWG or CUPS raster file
// is read with the app's page settings, cropped and rendered line by line
// through the app's rendering step, and written as a KCMYcm raster of the
// six planes, which vrelo-inspect --compare holds against the stream the
// server wrote: every row at its line, every page ended where it ends.
//   render_reference DRIVER draft|normal|high JOIN-PAGES(true|false) MEDIA-TYPE IN OUT
#include <cups/raster.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "drivers.hpp"
#include "line_render.hpp"
#include "page_settings.hpp"

namespace {

// Library plane of each raster channel, in the KCMYcm order.
constexpr std::array<int, vrelo_tools::kPlanes> kChannelPlanes = {0, 3, 2, 1, 5, 4};

ipp_quality_t quality(const std::string& name) {
    if (name == "draft") return IPP_QUALITY_DRAFT;
    return name == "high" ? IPP_QUALITY_HIGH : IPP_QUALITY_NORMAL;
}

cups_page_header2_t planes_header(const vrelo_app::PageSettings& page) {
    cups_page_header2_t h;
    std::memset(&h, 0, sizeof h);
    h.HWResolution[0] = static_cast<unsigned>(page.setup.resX);
    h.HWResolution[1] = static_cast<unsigned>(page.setup.resY);
    h.cupsWidth = page.width;
    h.cupsHeight = page.height;
    h.cupsColorSpace = CUPS_CSPACE_KCMYcm;
    h.cupsColorOrder = CUPS_ORDER_BANDED;
    h.cupsBitsPerColor = static_cast<unsigned>(page.setup.bits);
    h.cupsBitsPerPixel = static_cast<unsigned>(page.setup.bits);
    h.cupsBytesPerLine =
        static_cast<unsigned>(vrelo_tools::kPlanes) * ((page.width * h.cupsBitsPerColor + 7) / 8);
    h.cupsNumColors = vrelo_tools::kPlanes;
    return h;
}

bool write_page(cups_raster_t* in, cups_raster_t* out, const vrelo_app::PageSettings& page) {
    cups_page_header2_t h = planes_header(page);
    if (!cupsRasterWriteHeader2(out, &h)) return false;
    vrelo_app::LineRenderer renderer;
    std::string error;
    if (!renderer.start(page, "", &error)) {
        std::fprintf(stderr, "render_reference: %s\n", error.c_str());
        return false;
    }
    std::vector<uint8_t> line(page.lineBytes), bands(h.cupsBytesPerLine);
    const size_t planeBytes = h.cupsBytesPerLine / vrelo_tools::kPlanes;
    for (uint32_t y = 0; y < page.lines; ++y) {
        if (cupsRasterReadPixels(in, line.data(), page.lineBytes) != page.lineBytes) return false;
        if (y < page.top || y >= page.top + page.height) continue;
        RasterLine rendered;
        if (!renderer.render(line.data(), &rendered, &error)) return false;
        std::fill(bands.begin(), bands.end(), 0);
        for (int channel = 0; channel < vrelo_tools::kPlanes; ++channel) {
            const ColorPlane& plane = rendered.planes[kChannelPlanes[static_cast<size_t>(channel)]];
            if (plane.data != nullptr)
                std::memcpy(&bands[static_cast<size_t>(channel) * planeBytes], plane.data,
                            planeBytes);
        }
        if (cupsRasterWritePixels(out, bands.data(), h.cupsBytesPerLine) != h.cupsBytesPerLine)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fputs("usage: render_reference DRIVER QUALITY JOIN-PAGES MEDIA-TYPE IN OUT\n", stderr);
        return 2;
    }
    const vrelo_app::PrinterModel* model = vrelo_app::find_model(argv[1]);
    const int inFd = open(argv[5], O_RDONLY);
    const int outFd = open(argv[6], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (model == nullptr || inFd < 0 || outFd < 0) {
        std::fprintf(stderr, "render_reference: no driver %s, or cannot open %s or %s\n", argv[1],
                     argv[5], argv[6]);
        return 1;
    }
    cups_raster_t* in = cupsRasterOpen(inFd, CUPS_RASTER_READ);
    cups_raster_t* out = cupsRasterOpen(outFd, CUPS_RASTER_WRITE);
    pappl_pr_options_t options;
    std::memset(&options, 0, sizeof options);
    options.print_quality = quality(argv[2]);
    papplCopyString(options.media.type, argv[4], sizeof options.media.type);
    options.num_vendor = cupsAddOption(vrelo_app::kJoinPages, argv[3], 0, &options.vendor);
    int pages = 0;
    bool written = true;
    while (written && cupsRasterReadHeader2(in, &options.header)) {
        vrelo_app::PageSettings page;
        std::string error;
        if (!vrelo_app::read_page_settings(*model, options, &page, &error)) {
            std::fprintf(stderr, "render_reference: page %d: %s\n", pages + 1, error.c_str());
            return 1;
        }
        written = write_page(in, out, page);
        ++pages;
    }
    cupsFreeOptions(options.num_vendor, options.vendor);
    cupsRasterClose(in);
    cupsRasterClose(out);
    close(inFd);
    if (!written || close(outFd) != 0 || pages == 0) {
        std::fprintf(stderr, "render_reference: %s could not be read or %s written\n", argv[5],
                     argv[6]);
        return 1;
    }
    return 0;
}
