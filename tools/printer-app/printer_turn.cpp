// Taking turns on a printer (see printer_turn.hpp).
#include "printer_turn.hpp"

#include <algorithm>
#include <condition_variable>
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
    int inside = 0;  // threads between taking the turn and leaving
    std::deque<int> printed;
};

std::mutex lock;
std::condition_variable changed;
std::map<int, PrinterState> printers;

}  // namespace

PrinterTurn::PrinterTurn(pappl_job_t* job)
    : printer_(papplPrinterGetID(papplJobGetPrinter(job))), job_(papplJobGetID(job)) {
    std::unique_lock<std::mutex> held(lock);
    PrinterState& state = printers[printer_];
    ++state.inside;
    changed.wait(held, [&state] { return !state.busy; });
    state.busy = true;
    printedBefore_ =
        std::find(state.printed.begin(), state.printed.end(), job_) != state.printed.end();
}

PrinterTurn::~PrinterTurn() {
    std::unique_lock<std::mutex> held(lock);
    PrinterState& state = printers[printer_];
    if (!printedBefore_) {
        state.printed.push_back(job_);
        if (state.printed.size() > kRememberedJobs) state.printed.pop_front();
    }
    state.busy = false;
    --state.inside;
    changed.notify_all();
    changed.wait(held, [&state] { return state.inside == 0; });
}

}  // namespace vrelo_app
