// Page settings from PAPPL's options and the raster header (see
// page_settings.hpp).
#include "page_settings.hpp"

#include <cstring>

#include "media.hpp"
#include "print_quality.hpp"
#include "raster_format.hpp"

namespace vrelo_app {
namespace {

constexpr int kHundredthsMmPerInch = 2540;

bool read_contone(const cups_page_header2_t& h, Contone* contone, std::string* error) {
    const unsigned space = static_cast<unsigned>(h.cupsColorSpace);
    if (h.cupsBitsPerColor == 8 && h.cupsBitsPerPixel == 24 &&
        (space == CUPS_CSPACE_SRGB || space == CUPS_CSPACE_RGB)) {
        *contone = Contone::kSrgb8;
    } else if (h.cupsBitsPerColor == 8 && h.cupsBitsPerPixel == 8 &&
               (space == CUPS_CSPACE_SW || space == CUPS_CSPACE_W)) {
        *contone = Contone::kGrey8;
    } else {
        *error = "raster of colour space " + std::to_string(space) + " at " +
                 std::to_string(h.cupsBitsPerPixel) +
                 " bits a pixel: the printer takes sRGB and grey at 8 bits";
        return false;
    }
    return true;
}

bool resolution_supported(const PrinterModel& model, const cups_page_header2_t& h) {
    const unsigned x = h.HWResolution[0], y = h.HWResolution[1];
    return (x == 720 && y == 720) ||
           (model.delayed && x == VRELO_HOST_DELAYED_RES_X && y == VRELO_HOST_DELAYED_RES_Y);
}

uint32_t dots(int hundredthsMm, unsigned dpi) {
    return static_cast<uint32_t>(
        (static_cast<int64_t>(hundredthsMm) * dpi + kHundredthsMmPerInch / 2) /
        kHundredthsMmPerInch);
}

vrelo_tools::Quality quality(ipp_quality_t ipp) {
    if (ipp == IPP_QUALITY_DRAFT) return vrelo_tools::Quality::kDraft;
    return ipp == IPP_QUALITY_HIGH ? vrelo_tools::Quality::kHigh : vrelo_tools::Quality::kNormal;
}

bool join_pages(const pappl_pr_options_t& options) {
    const char* value = cupsGetOption(kJoinPages, options.num_vendor, options.vendor);
    return value != nullptr && std::strcmp(value, "true") == 0;
}

}  // namespace

bool read_page_settings(const PrinterModel& model, const pappl_pr_options_t& options,
                        PageSettings* page, std::string* error) {
    const cups_page_header2_t& h = options.header;
    PageSettings p;
    if (!read_contone(h, &p.contone, error)) return false;
    if (!resolution_supported(model, h)) {
        *error = "raster at " + std::to_string(h.HWResolution[0]) + "x" +
                 std::to_string(h.HWResolution[1]) + " dpi: the printer prints 720x720" +
                 (model.delayed ? " and 1440x720 dpi" : " dpi");
        return false;
    }
    if (h.cupsBytesPerLine != (static_cast<uint64_t>(h.cupsWidth) * h.cupsBitsPerPixel + 7) / 8) {
        *error = "raster lines of " + std::to_string(h.cupsBytesPerLine) + " bytes for " +
                 std::to_string(h.cupsWidth) + " pixels";
        return false;
    }
    // The tools' dots for the quality (Draft the faster mask, High three dot
    // sizes), within what the driver's printer has.
    VreloInksOptions inks;
    vrelo_inks_default_options(&inks, 1);
    vrelo_tools::apply_quality(quality(options.print_quality), &inks);
    p.halftone = inks.halftone;
    const int bits = model.threeDotSizes ? inks.bits : 1;
    p.setup = vrelo_host_setup(static_cast<int32_t>(h.HWResolution[0]),
                               static_cast<int32_t>(h.HWResolution[1]), bits);
    p.setup.carryOver = join_pages(options) ? 1 : 0;
    p.photoPaper = is_photo_paper(options.media.type);
    p.lineBytes = h.cupsBytesPerLine;
    p.lines = h.cupsHeight;
    // Lines come full media width and length; the head reaches to the
    // margins only.
    const uint32_t marginX = dots(kMarginHundredthsMm, h.HWResolution[0]);
    const uint32_t marginY = dots(kMarginHundredthsMm, h.HWResolution[1]);
    if (h.cupsWidth <= 2 * marginX || h.cupsHeight <= 2 * marginY ||
        h.cupsWidth - 2 * marginX > vrelo_tools::kWidestPage) {
        *error = "a page of " + std::to_string(h.cupsWidth) + "x" + std::to_string(h.cupsHeight) +
                 " pixels has no printable area the printer can reach";
        return false;
    }
    p.left = marginX;
    p.top = marginY;
    p.width = h.cupsWidth - 2 * marginX;
    p.height = h.cupsHeight - 2 * marginY;
    *page = p;
    return true;
}

}  // namespace vrelo_app
