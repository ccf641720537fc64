// Driving a job page by page (see page_printer.hpp).
#include "page_printer.hpp"

#include <cstring>

namespace vrelo_tools {

PagePrinter::~PagePrinter() {
    if (job_ != nullptr) OutputClose(&job_);
}

int PagePrinter::take_bytes(void* context, const uint8_t* data, size_t length) {
    std::vector<uint8_t>* bytes = &static_cast<PagePrinter*>(context)->bytes_;
    bytes->insert(bytes->end(), data, data + length);
    return 0;
}

bool PagePrinter::fail(int32_t status, const std::string& where, PrintFault* fault) {
    fault->status = status;
    fault->what =
        std::string(vrelo_status_name(status)) + " (" + vrelo_status_text(status) + ")" + where;
    pageOpen_ = false;
    return false;
}

bool PagePrinter::configure(const VreloJobSetup& setup, PrintFault* fault) {
    if (job_ != nullptr && std::memcmp(&setup, &setup_, sizeof setup) == 0) return true;
    if (job_ != nullptr) OutputClose(&job_);
    OutputParam param;
    const int result = vrelo_host_param(&setup, &param);
    if (result != VRELO_HOST_SETUP_OK) {
        fault->status = VRELO_BAD_ARGUMENT;
        fault->what = vrelo_host_setup_text(result);
        return false;
    }
    setup_ = setup;
    const int32_t status = vrelo_host_open(&job_, &setup);
    if (status != VRELO_OK) return fail(status, ", opening the job", fault);
    return true;
}

void PagePrinter::begin_page(int page) {
    page_ = page;
    pageOpen_ = true;
    bytes_.clear();
}

bool PagePrinter::print_line(int32_t lineNumber, const PlaneRows& planes, uint32_t widthPixels,
                             PrintFault* fault) {
    RasterLine line;
    std::memset(&line, 0, sizeof line);
    line.lineNumber = lineNumber;
    bool ink = false;
    for (int colour = 0; colour < kPlanes; ++colour) {
        const std::vector<uint8_t>& row = planes[colour];
        bool rowInk = false;
        for (const uint8_t byte : row) rowInk = rowInk || byte != 0;
        if (!rowInk) continue;
        ink = true;
        line.planes[colour].data = row.data();
        line.planes[colour].width = static_cast<int16_t>(widthPixels);
    }
    // A line without ink is a gap the next line's advance covers.
    return !ink || send(line, fault);
}

bool PagePrinter::print_rendered(const RasterLine& line, PrintFault* fault) {
    for (const ColorPlane& plane : line.planes)
        if (plane.data != nullptr) return send(line, fault);
    return true;
}

bool PagePrinter::send(const RasterLine& line, PrintFault* fault) {
    const int32_t status = vrelo_host_send_line(&job_, &line, take_bytes, this);
    if (status == VRELO_OK) return true;
    return fail(status,
                ", page " + std::to_string(page_) + ", line " + std::to_string(line.lineNumber),
                fault);
}

bool PagePrinter::end_page(int32_t pageLines, bool lastPage, PrintFault* fault) {
    const int32_t status =
        vrelo_host_end_page(&job_, &setup_, pageLines, lastPage ? 1 : 0, take_bytes, this);
    pageOpen_ = false;
    if (status == VRELO_OK) return true;
    return fail(status, ", ending page " + std::to_string(page_), fault);
}

}  // namespace vrelo_tools
