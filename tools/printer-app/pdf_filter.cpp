// The PDF filter (see pdf_filter.hpp). Copies are printed by running
// Ghostscript once per copy: a page's raster at 1440 x 720 is too large to
// keep.
#include "pdf_filter.hpp"

#include <unistd.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "ghostscript.hpp"
#include "raster_driver.hpp"

namespace vrelo_app {
namespace {

constexpr int kHundredthsMmPerInch = 2540;
constexpr int kPointsPerInch = 72;

// CUPS raster colour spaces Ghostscript's cups device writes.
constexpr int kGsSrgb = 19;
constexpr int kGsSgrey = 18;

std::string points(int hundredthsMm) {
    return std::to_string(static_cast<double>(hundredthsMm) * kPointsPerInch /
                          kHundredthsMmPerInch);
}

std::vector<std::string> device_arguments(const pappl_pr_options_t& options) {
    const bool grey = options.print_color_mode == PAPPL_COLOR_MODE_MONOCHROME ||
                      options.print_color_mode == PAPPL_COLOR_MODE_BI_LEVEL;
    std::vector<std::string> args = {
        "-sDEVICE=cups",
        "-dcupsColorSpace=" + std::to_string(grey ? kGsSgrey : kGsSrgb),
        "-dcupsBitsPerColor=8",
        "-dcupsColorOrder=0",
        "-r" + std::to_string(options.printer_resolution[0]) + "x" +
            std::to_string(options.printer_resolution[1]),
        "-dDEVICEWIDTHPOINTS=" + points(options.media.size_width),
        "-dDEVICEHEIGHTPOINTS=" + points(options.media.size_length),
        "-dFIXEDMEDIA",
    };
    if (options.print_scaling != PAPPL_SCALING_NONE) args.push_back("-dPDFFitPage");
    if (options.first_page > 1) args.push_back("-dFirstPage=" + std::to_string(options.first_page));
    if (options.last_page < static_cast<unsigned>(INT_MAX))
        args.push_back("-dLastPage=" + std::to_string(options.last_page));
    return args;
}

class PdfJob {
  public:
    PdfJob(pappl_job_t* job, pappl_device_t* device, pappl_pr_options_t* options)
        : job_(job), device_(device), options_(options) {}

    // Prints one copy: every page Ghostscript renders.
    bool print_copy() {
        // A job cancelled before it started has lost its file.
        const char* document = papplJobGetFilename(job_);
        if (document == nullptr) return fail("the job has no document");
        char messages[1024];
        const int fd = papplJobOpenFile(job_, messages, sizeof messages, nullptr, "gs-log", "w");
        if (fd < 0) return fail("no file for Ghostscript's messages");
        close(fd);
        Ghostscript gs;
        std::string error;
        if (!gs.start(device_arguments(*options_), document, messages, &error)) return fail(error);
        const bool printed = print_pages(gs.raster_fd());
        if (!printed || papplJobIsCanceled(job_)) gs.stop();
        std::string said;
        const bool rendered = gs.finish(&said);
        if (!printed) return false;
        if (!rendered && !papplJobIsCanceled(job_)) {
            papplLogJob(job_, PAPPL_LOGLEVEL_ERROR, "Ghostscript: %s", said.c_str());
            return fail("Ghostscript could not render the document");
        }
        if (pages_ == 0 && !papplJobIsCanceled(job_)) return fail("the document has no pages");
        return true;
    }

  private:
    bool print_pages(int fd) {
        std::unique_ptr<cups_raster_t, void (*)(cups_raster_t*)> raster(
            cupsRasterOpen(fd, CUPS_RASTER_READ), cupsRasterClose);
        cups_page_header2_t header;
        while (!papplJobIsCanceled(job_) && cupsRasterReadHeader2(raster.get(), &header)) {
            options_->header = header;
            if (!start_raster_page(job_, options_, device_, static_cast<unsigned>(pages_ + 1)))
                return false;
            std::vector<uint8_t> line(header.cupsBytesPerLine);
            for (unsigned y = 0; y < header.cupsHeight && !papplJobIsCanceled(job_); ++y) {
                if (cupsRasterReadPixels(raster.get(), line.data(), header.cupsBytesPerLine) == 0)
                    return fail("Ghostscript's raster ended inside page " +
                                std::to_string(pages_ + 1));
                if (!write_raster_line(job_, options_, device_, y, line.data())) return false;
            }
            if (!end_raster_page(job_, options_, device_, static_cast<unsigned>(pages_ + 1)))
                return false;
            ++pages_;
            papplJobSetImpressionsCompleted(job_, 1);
        }
        return true;
    }

    bool fail(const std::string& what) {
        papplLogJob(job_, PAPPL_LOGLEVEL_ERROR, "%s", what.c_str());
        papplJobSetMessage(job_, "%s", what.c_str());
        return false;
    }

    pappl_job_t* job_;
    pappl_device_t* device_;
    pappl_pr_options_t* options_;
    int pages_ = 0;
};

}  // namespace

bool print_pdf(pappl_job_t* job, pappl_device_t* device, void*) {
    // The page count is not known before Ghostscript has read the file.
    std::unique_ptr<pappl_pr_options_t, void (*)(pappl_pr_options_t*)> options(
        papplJobCreatePrintOptions(job, 0, true), papplJobDeletePrintOptions);
    if (!start_raster_job(job, options.get(), device)) return false;
    bool printed = true;
    for (int copy = 0; copy < options->copies && printed; ++copy) {
        if (raster_job_printed_before(job) || papplJobIsCanceled(job)) break;
        printed = PdfJob(job, device, options.get()).print_copy();
    }
    const bool ended = end_raster_job(job, options.get(), device);
    return printed && ended;
}

}  // namespace vrelo_app
