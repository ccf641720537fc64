// A picture through scaling, the renderer and a job (see
// picture_printing.hpp).
#include "picture_printing.hpp"

#include <algorithm>
#include <cstring>

#include "picture_scaling.hpp"

namespace vrelo_print {
namespace {

uint32_t scaled(uint32_t size, uint32_t res, uint32_t dpi) {
    return std::max<uint32_t>(1, static_cast<uint32_t>(static_cast<uint64_t>(size) * res / dpi));
}

// The renderer's planes of a line as rows of the whole width.
vrelo_tools::PlaneRows rows_of(const RasterLine& line, size_t rowBytes) {
    vrelo_tools::PlaneRows rows;
    for (int c = 0; c < vrelo_tools::kPlanes; ++c) {
        rows[static_cast<size_t>(c)].assign(rowBytes, 0);
        if (line.planes[c].data != nullptr)
            std::memcpy(rows[static_cast<size_t>(c)].data(), line.planes[c].data, rowBytes);
    }
    return rows;
}

class Renderer {
  public:
    ~Renderer() { vrelo_inks_free(renderer_); }
    bool make(const VreloInksOptions& options, std::string* error) {
        char message[VRELO_INKS_MESSAGE_SIZE];
        if (vrelo_inks_new(&renderer_, &options, message, sizeof message) == VRELO_INKS_OK)
            return true;
        *error = message;
        return false;
    }
    VreloInks* get() const { return renderer_; }

  private:
    VreloInks* renderer_ = nullptr;
};

}  // namespace

PrintedPicture print_picture(const vrelo_tools::RgbImage& image, const PictureSettings& settings,
                             const vrelo_tools::PrintOptions& print, bool keepPlanes,
                             vrelo_tools::Progress* progress) {
    PrintedPicture out;
    const uint32_t dpiX = settings.imageDpi ? settings.imageDpi
                          : image.dpiX      ? image.dpiX
                                            : kDefaultImageDpi;
    const uint32_t dpiY = settings.imageDpi ? settings.imageDpi
                          : image.dpiY      ? image.dpiY
                                            : kDefaultImageDpi;
    const uint32_t width = scaled(image.width, settings.resX, dpiX);
    const uint32_t lines = scaled(image.height, settings.resY, dpiY);
    if (width > vrelo_tools::kWidestPage) {
        out.error = "the picture is " + std::to_string(width) +
                    " dots wide at this resolution; the widest line is " +
                    std::to_string(vrelo_tools::kWidestPage);
        return out;
    }
    VreloInksOptions options;
    vrelo_inks_default_options(&options, static_cast<int32_t>(width));
    options.sampleBits = 16;
    options.media = settings.media;
    options.threads = 2;  // the renderer's second thread: the same dots, sooner
    vrelo_tools::apply_quality(settings.quality, &options);
    if (!image.iccProfile.empty()) {
        options.inputProfileData = image.iccProfile.data();
        options.inputProfileSize = image.iccProfile.size();
    }
    if (!settings.printerProfile.empty()) options.printerProfile = settings.printerProfile.c_str();
    Renderer renderer;
    if (!renderer.make(options, &out.error)) return out;

    VreloJobSetup setup = vrelo_host_setup(static_cast<int32_t>(settings.resX),
                                           static_cast<int32_t>(settings.resY), options.bits);
    setup.model = print.model;
    setup.carryOver = print.carryOver;
    vrelo_tools::PagePrinter printer;
    vrelo_tools::PrintFault fault;
    if (!printer.configure(setup, &fault)) {
        out.error = fault.what;
        return out;
    }
    printer.begin_page(1);
    progress->page(1, lines);
    AreaScaling scaling(image, width, lines);
    std::vector<uint16_t> rgb(static_cast<size_t>(width) * 3);
    const size_t rowBytes =
        (static_cast<size_t>(width) * static_cast<size_t>(options.bits) + 7) / 8;
    vrelo_inks_start_page(renderer.get());
    for (uint32_t y = 0; y < lines; ++y) {
        scaling.line(y, rgb.data());
        RasterLine line;
        if (vrelo_inks_render_line(renderer.get(), rgb.data(), &line) < 0) {
            out.error = vrelo_inks_message(renderer.get());
            return out;
        }
        if (!printer.print_rendered(line, &fault)) {
            out.error = fault.what;
            return out;
        }
        if (keepPlanes) out.planes.push_back(rows_of(line, rowBytes));
        progress->line(y + 1);
    }
    if (!printer.end_page(static_cast<int32_t>(lines), true, &fault)) {
        out.error = fault.what;
        return out;
    }
    out.bytes = printer.page_bytes();
    return out;
}

}  // namespace vrelo_print
