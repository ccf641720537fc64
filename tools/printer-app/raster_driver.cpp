// The raster callbacks (see raster_driver.hpp). A page's end is sent only
// once the next page's settings are known, or the job ends: with Join
// Pages the last page of a run ends differently from the others, and a
// page of other settings ends the run.
#include "raster_driver.hpp"

#include <cstring>
#include <memory>
#include <string>

#include "drivers.hpp"
#include "line_render.hpp"
#include "page_printer.hpp"
#include "page_settings.hpp"
#include "printer_turn.hpp"
#include "server_settings.hpp"

namespace vrelo_app {
namespace {

class RasterJob {
  public:
    RasterJob(pappl_job_t* job, const PrinterModel& model, const ServerSettings& settings)
        : turn_(job),
          model_(model),
          settings_(settings),
          printerName_(papplPrinterGetName(papplJobGetPrinter(job))) {}

    // Another thread PAPPL started for the same job has printed it: every
    // call does nothing.
    bool printed_before() const { return turn_.printed_before(); }

    bool start_page(pappl_job_t* job, const pappl_pr_options_t& options, pappl_device_t* given) {
        if (printed_before()) return true;
        if ((device_ = turn_.device(given)) == nullptr)
            return fail(job, "the printer's device could not be opened");
        if (++pages_ > settings_.maxJobPages)
            return fail(job, "the job has more than " + std::to_string(settings_.maxJobPages) +
                                 " pages, the most one job may print (max-job-pages)");
        PageSettings page;
        std::string error;
        if (!read_page_settings(model_, options, &page, &error)) return fail(job, error);
        const bool sameSetup = printer_.configured() &&
                               std::memcmp(&page.setup, &printer_.setup(), sizeof page.setup) == 0;
        // A page of other settings ends the run of pages before it.
        if (!send_ended_page(job, !sameSetup)) return false;
        vrelo_tools::PrintFault fault;
        if (!printer_.configure(page.setup, &fault)) return fail(job, fault.what);
        if (!renderer_.start(page, settings_.printerProfile(printerName_, page.photoPaper), &error))
            return fail(job, error);
        page_ = page;
        linesReached_ = 0;
        printer_.begin_page(pages_);
        return true;
    }

    bool write_line(pappl_job_t* job, unsigned y, const uint8_t* line) {
        if (failed_) return false;
        if (printed_before()) return true;
        if (y < page_.top || y >= page_.top + page_.height) return true;
        linesReached_ = y - page_.top + 1;
        RasterLine rendered;
        std::string error;
        if (!renderer_.render(line, &rendered, &error)) return fail(job, error);
        vrelo_tools::PrintFault fault;
        if (!printer_.print_rendered(rendered, &fault)) return fail(job, fault.what);
        return true;
    }

    // The page has ended; a cancelled job's page ends at the last line
    // that reached the printer, so the printer is left at a page boundary.
    // PAPPL goes on with the lines of a page whose line failed: the failed
    // page is never sent, and the job stops at its end.
    bool end_page(pappl_job_t* job) {
        if (failed_) return false;
        if (printed_before()) return true;
        endedLines_ = papplJobIsCanceled(job) ? linesReached_ : page_.height;
        pageEnded_ = true;
        return true;
    }

    bool finish(pappl_job_t* job) { return !failed_ && send_ended_page(job, true); }

  private:
    bool send_ended_page(pappl_job_t* job, bool lastPage) {
        if (!pageEnded_) return true;
        pageEnded_ = false;
        vrelo_tools::PrintFault fault;
        if (!printer_.end_page(static_cast<int32_t>(endedLines_), lastPage, &fault))
            return fail(job, fault.what);
        const std::vector<uint8_t>& bytes = printer_.page_bytes();
        if (papplDeviceWrite(device_, bytes.data(), bytes.size()) < 0)
            return fail(job, "the printer stream could not be written to the device");
        return true;
    }

    bool fail(pappl_job_t* job, const std::string& what) {
        failed_ = true;
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", what.c_str());
        papplJobSetMessage(job, "%s", what.c_str());
        return false;
    }

    PrinterTurn turn_;
    pappl_device_t* device_ = nullptr;
    const PrinterModel& model_;
    const ServerSettings& settings_;
    const std::string printerName_;
    vrelo_tools::PagePrinter printer_;
    PageSettings page_;
    LineRenderer renderer_;
    int pages_ = 0;
    uint32_t linesReached_ = 0;  // printable lines of the page that arrived
    bool pageEnded_ = false;     // a page has ended, its end not yet sent
    bool failed_ = false;
    uint32_t endedLines_ = 0;
};

RasterJob* raster_job(pappl_job_t* job) {
    return static_cast<RasterJob*>(papplJobGetData(job));
}

}  // namespace

bool start_raster_job(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
    pappl_printer_t* printer = papplJobGetPrinter(job);
    const PrinterModel* model = find_model(papplPrinterGetDriverName(printer));
    pappl_pr_driver_data_t data;
    papplPrinterGetDriverData(printer, &data);
    const ServerSettings* settings = static_cast<const ServerSettings*>(data.extension);
    if (model == nullptr || settings == nullptr) {
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The printer has no driver of this application.");
        return false;
    }
    // PAPPL holds the job's state until end_raster_job takes it back.
    papplJobSetData(job, std::make_unique<RasterJob>(job, *model, *settings).release());
    return true;
}

bool raster_job_printed_before(pappl_job_t* job) {
    return raster_job(job)->printed_before();
}

bool start_raster_page(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device,
                       unsigned) {
    return raster_job(job)->start_page(job, *options, device);
}

bool write_raster_line(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned y,
                       const unsigned char* line) {
    return raster_job(job)->write_line(job, y, line);
}

bool end_raster_page(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned) {
    return raster_job(job)->end_page(job);
}

bool end_raster_job(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
    std::unique_ptr<RasterJob> state(raster_job(job));
    papplJobSetData(job, nullptr);
    return state == nullptr || state->finish(job);
}

}  // namespace vrelo_app
