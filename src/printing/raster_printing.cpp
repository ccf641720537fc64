// The shared raster job loop (see raster_printing.hpp). A page ends only
// once the next page's header is known, because the last page of a
// carry-over job ends differently from the others.
#include "raster_printing.hpp"

#include <cstring>

#include "contone_rendering.hpp"
#include "page_printer.hpp"

namespace vrelo_tools {
namespace {

// Lines between two progress reports.
constexpr uint32_t kProgressLines = 64;

class JobLoop {
  public:
    JobLoop(RasterInput& input, const PrintOptions& options, const PrintEvents& events,
            const volatile std::sig_atomic_t* cancel)
        : input_(input), options_(options), events_(events), cancel_(cancel) {}

    PrintResult run() {
        RasterFormat format;
        for (;;) {
            const RasterInput::Next next = input_.next_page(&format, &result_.error);
            if (cancelled()) return finish_cancelled();
            if (next == RasterInput::Next::kEnd) break;
            if (next == RasterInput::Next::kError) return finish_open_page(), result_;
            if (!start_page(format) || !print_lines(format)) return result_;
            if (result_.cancelled) return result_;
        }
        finish_open_page();
        return result_;
    }

  private:
    bool cancelled() const { return cancel_ != nullptr && *cancel_ != 0; }

    PrintResult finish_cancelled() {
        result_.cancelled = true;
        result_.error.clear();
        finish_open_page();
        return result_;
    }

    bool fail(const PrintFault& fault) {
        if (result_.error.empty()) result_.error = fault.what;
        return false;
    }

    // A failure of one page, named by its number.
    bool fail_on_page(int page, const std::string& what) {
        result_.error = "page " + std::to_string(page) + ": " + what;
        return false;
    }

    // Ends the page still open and sends it.
    bool end_open_page(bool lastPage) {
        if (!printer_.page_open()) return true;
        PrintFault fault;
        if (!printer_.end_page(static_cast<int32_t>(pageLines_), lastPage, &fault))
            return fail(fault);
        ++result_.pagesSent;
        std::string error;
        if (events_.pageEnded && !events_.pageEnded(page_, printer_.page_bytes(), &error))
            return fail_on_page(page_, error);
        return true;
    }

    void finish_open_page() {
        std::string error = result_.error;
        end_open_page(true);
        if (!error.empty()) result_.error = error;
    }

    bool start_page(const RasterFormat& format) {
        const VreloJobSetup setup = setup_for_page(format, options_);
        const bool sameSetup =
            printer_.configured() && std::memcmp(&setup, &printer_.setup(), sizeof setup) == 0;
        // A page of another setup ends the job's pages so far: they drain.
        if (!end_open_page(!sameSetup)) return false;
        PrintFault fault;
        if (!printer_.configure(setup, &fault)) return fail_on_page(input_.page(), fault.what);
        page_ = input_.page();
        pageLines_ = format.height;
        if (format.contone) {
            const int media = options_.media != 0 ? options_.media : format.media;
            const std::string profile =
                options_.printerProfile ? options_.printerProfile(format) : "";
            std::string error;
            if (!rendering_.start_page(format, media, profile, &error))
                return fail_on_page(page_, error);
        }
        printer_.begin_page(page_);
        if (events_.pageBegins) events_.pageBegins(page_, format);
        return true;
    }

    bool print_lines(const RasterFormat& format) {
        std::vector<uint8_t> line(format.bytesPerLine);
        PlaneRows planes;
        PrintFault fault;
        for (uint32_t y = 0; y < format.height; ++y) {
            if (cancelled()) {
                // The page ends where the raster stopped.
                pageLines_ = y;
                finish_cancelled();
                return true;
            }
            if (!input_.read_line(line.data(), &result_.error)) {
                if (cancelled()) return finish_cancelled(), true;
                return false;  // the broken page is never sent
            }
            if (format.contone) {
                RasterLine rendered;
                std::string error;
                if (!rendering_.render(line.data(), &rendered, &error))
                    return fail_on_page(page_, error);
                if (!printer_.print_rendered(rendered, &fault)) return fail(fault);
            } else {
                split_raster_line(format, line.data(), &planes);
                if (!printer_.print_line(static_cast<int32_t>(y), planes, format.width, &fault))
                    return fail(fault);
            }
            if (events_.lineDone && (y % kProgressLines == 0 || y + 1 == format.height))
                events_.lineDone(page_, y + 1);
        }
        return true;
    }

    RasterInput& input_;
    const PrintOptions& options_;
    const PrintEvents& events_;
    const volatile std::sig_atomic_t* cancel_;
    PagePrinter printer_;
    ContoneRendering rendering_;
    PrintResult result_;
    int page_ = 0;
    uint32_t pageLines_ = 0;
};

}  // namespace

VreloJobSetup setup_for_page(const RasterFormat& format, const PrintOptions& options) {
    VreloJobSetup setup = vrelo_host_setup(static_cast<int32_t>(format.resX),
                                           static_cast<int32_t>(format.resY), format.bits);
    setup.model = options.model;
    setup.carryOver = options.carryOver ? 1 : 0;
    return setup;
}

PrintResult print_raster(RasterInput& input, const PrintOptions& options, const PrintEvents& events,
                         const volatile std::sig_atomic_t* cancel) {
    return JobLoop(input, options, events, cancel).run();
}

}  // namespace vrelo_tools
