// Taking turns on a printer (see printer_turn.hpp).
#include "printer_turn.hpp"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

namespace vrelo_app {
namespace {

// Threads started twice for one job start together: the last few jobs
// printed are remembered.
constexpr size_t kRememberedJobs = 32;

struct PrinterState {
    bool busy = false;
    std::deque<int> printed;
};

std::mutex lock;
std::condition_variable changed;
std::map<int, PrinterState> printers;

}  // namespace

PrinterTurn::PrinterTurn(pappl_job_t* job)
    : job_(job), printer_(papplPrinterGetID(papplJobGetPrinter(job))), jobId_(papplJobGetID(job)) {
    std::unique_lock<std::mutex> held(lock);
    PrinterState& state = printers[printer_];
    changed.wait(held, [&state] { return !state.busy; });
    state.busy = true;
    printedBefore_ =
        std::find(state.printed.begin(), state.printed.end(), jobId_) != state.printed.end();
}

PrinterTurn::~PrinterTurn() {
    if (ownDevice_ && device_ != nullptr) papplDeviceClose(device_);
    std::lock_guard<std::mutex> held(lock);
    PrinterState& state = printers[printer_];
    if (!printedBefore_) {
        state.printed.push_back(jobId_);
        if (state.printed.size() > kRememberedJobs) state.printed.pop_front();
    }
    state.busy = false;
    changed.notify_all();
}

pappl_device_t* PrinterTurn::device(pappl_device_t* given) {
    if (device_ != nullptr || ownDevice_) return device_;
    pappl_printer_t* printer = papplJobGetPrinter(job_);
    const char* uri = papplPrinterGetDeviceURI(printer);
    if (uri == nullptr || std::strncmp(uri, "file:", 5) != 0) return device_ = given;
    ownDevice_ = true;
    device_ =
        papplDeviceOpen(uri, papplJobGetName(job_), papplLogDevice, papplPrinterGetSystem(printer));
    return device_;
}

}  // namespace vrelo_app
