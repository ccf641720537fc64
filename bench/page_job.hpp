// A job driven through the public calls the way a host prints: a whole
// page of error-diffused rows, line by line, each list sent (here: its
// bytes counted) before OutputComplete, the page closed by OutputFlush.
// The same page can be checked by decoding every command, or measured for
// the heap it needs.
#ifndef VRELO_BENCH_PAGE_JOB_HPP
#define VRELO_BENCH_PAGE_JOB_HPP

#include <cstddef>
#include <cstdint>

#include "diffused_pages.hpp"
#include "vrelo417.h"

namespace vrelo_bench {

class PageJob {
  public:
    // Direct or delayed mode at the page's bits per pixel; exits when the
    // job cannot be opened or configured.
    PageJob(bool delayed, const vrelo_test::DiffusedRows& page);
    ~PageJob();
    PageJob(const PageJob&) = delete;
    PageJob& operator=(const PageJob&) = delete;

    // Prints the page's first `lines` lines; returns the bytes sent.
    size_t print(int lines);
    // Prints them and reads every call's commands back: each row must
    // arrive, decoded, at its line (plus its colour's delay in delayed
    // mode) exactly once. Exits with a message when one does not.
    void check(int lines);
    // The most heap in use, in bytes above what was in use before the
    // job was opened, sampled after every producing call of one page.
    size_t peak_heap(int lines);
    // One line with every colour, then a black row gap lines later.
    void gap(int32_t gap);

  private:
    void open();
    template <typename Send>
    void run_page(int lines, Send send);
    RasterLine line(int y, unsigned colours, int16_t width) const;
    const OutList* produce(const RasterLine& line);
    const OutList* flush();
    void complete();

    bool delayed_;
    const vrelo_test::DiffusedRows& page_;
    MasterWork* job_ = nullptr;
};

}  // namespace vrelo_bench

#endif
