// A job of the library as the project's host programs drive it: planes of
// raster lines in, the printer stream of each page out. A page's bytes are
// held until the page has ended, so a page that breaks off (a raster cut
// short, a failure of the library) never reaches the printer half-sent.
#ifndef VRELO_TOOLS_PAGE_PRINTER_HPP
#define VRELO_TOOLS_PAGE_PRINTER_HPP

#include <cstdint>
#include <string>
#include <vector>

#include "raster_format.hpp"
#include "vrelo417_host.h"

namespace vrelo_tools {

// What went wrong, in words: the status's name and sentence, the page and
// the line.
struct PrintFault {
    int32_t status = VRELO_OK;
    std::string what;
};

class PagePrinter {
  public:
    PagePrinter() = default;
    ~PagePrinter();
    PagePrinter(const PagePrinter&) = delete;
    PagePrinter& operator=(const PagePrinter&) = delete;

    // Opens the job, or configures it again when the setup changes; a page
    // still open must have ended first.
    bool configure(const VreloJobSetup& setup, PrintFault* fault);
    const VreloJobSetup& setup() const { return setup_; }
    bool configured() const { return job_ != nullptr; }

    // Starts page number `page` (1 for the first, for messages).
    void begin_page(int page);
    bool page_open() const { return pageOpen_; }

    // One raster line of the current page: the library's six planes, each
    // a row of widthPixels pixels. Lines without ink cost nothing.
    bool print_line(int32_t lineNumber, const PlaneRows& planes, uint32_t widthPixels,
                    PrintFault* fault);

    // One line as the renderer gives it (vrelo417_inks.h): planes without
    // ink have no data. A line without any ink costs nothing.
    bool print_rendered(const RasterLine& line, PrintFault* fault);

    // Ends the current page of pageLines lines as the host contract says;
    // lastPage when no page of this setup follows. The page's bytes are
    // then in page_bytes().
    bool end_page(int32_t pageLines, bool lastPage, PrintFault* fault);

    // The bytes of the page last ended, until the next page begins.
    const std::vector<uint8_t>& page_bytes() const { return bytes_; }

  private:
    bool send(const RasterLine& line, PrintFault* fault);
    bool fail(int32_t status, const std::string& where, PrintFault* fault);
    static int take_bytes(void* context, const uint8_t* data, size_t length);

    MasterWork* job_ = nullptr;
    VreloJobSetup setup_{};
    int page_ = 0;
    bool pageOpen_ = false;
    std::vector<uint8_t> bytes_;
};

}  // namespace vrelo_tools

#endif
