// The terminal progress line (see progress.hpp).
#include "progress.hpp"

#include <unistd.h>

#include <cstdio>

namespace vrelo_tools {
namespace {
constexpr auto kRedraw = std::chrono::milliseconds(150);
constexpr int kBarCells = 30;
}  // namespace

Progress::Progress(const std::string& program, bool quiet)
    : program_(program),
      shown_(!quiet && isatty(STDERR_FILENO)),
      start_(std::chrono::steady_clock::now()) {}

void Progress::page(int page, uint32_t lines) {
    page_ = page;
    lines_ = lines;
    line_ = 0;
    draw(true);
}

void Progress::line(uint32_t line) {
    linesDone_ += line - line_;
    line_ = line;
    draw(false);
}

void Progress::draw(bool force) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastDrawn_ < kRedraw) return;
    lastDrawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const int filled =
        lines_ == 0 ? 0 : static_cast<int>(static_cast<uint64_t>(line_) * kBarCells / lines_);
    std::fprintf(stderr, "\r%s: page %d [%-*s] line %u of %u, %.0f lines/s ", program_.c_str(),
                 page_, kBarCells, std::string(static_cast<size_t>(filled), '#').c_str(), line_,
                 lines_, seconds > 0 ? static_cast<double>(linesDone_) / seconds : 0.0);
    std::fflush(stderr);
}

void Progress::done() {
    if (!shown_ || page_ == 0) return;
    std::fprintf(stderr, "\r%*s\r", 100, "");
    std::fflush(stderr);
}

}  // namespace vrelo_tools
