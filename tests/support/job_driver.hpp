// Drives a job through the exported calls as a host does: each producing
// call's chunks are copied out before OutputComplete, and a page's chunks
// concatenated give the byte stream the printer receives.
#ifndef VRELO_TEST_JOB_DRIVER_HPP
#define VRELO_TEST_JOB_DRIVER_HPP

#include <cstdint>
#include <vector>

#include "bytes.hpp"
#include "job_script.hpp"
#include "page_generator.hpp"
#include "vrelo417.h"

namespace vrelo_test {

// An opened and configured job, closed when the object goes.
class Job {
  public:
    explicit Job(const OutputParam& param);
    ~Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
    MasterWork** handle() { return &work_; }
    MasterWork* work() { return work_; }

  private:
    MasterWork* work_ = nullptr;
};

// The chunks of a list, copied.
std::vector<Bytes> copy_chunks(const OutList& list);

// OutputProduce, OutputFlush or OutputFormFeed, the chunks copied, then
// OutputComplete (run_call); both statuses must be 0 (checked with
// GoogleTest).
CallResult produce_line(MasterWork** job, const RasterLine& line);
CallResult flush(MasterWork** job);
CallResult form_feed(MasterWork** job, int32_t endLine);

// How a page ends: the calls in order, each completed.
struct PageEndCall {
    bool formFeed = false;  // else OutputFlush
    int32_t endLine = 0;    // OutputFormFeed's end line
};
using PageEnd = std::vector<PageEndCall>;

struct PageRun {
    Bytes stream;                   // every chunk in sending order
    std::vector<CallResult> calls;  // one per producing call
};

// Every line of the page, then its end.
PageRun run_page(MasterWork** job, const Page& page, const PageEnd& end);

Bytes concatenate(const std::vector<Bytes>& chunks);

}  // namespace vrelo_test

#endif
