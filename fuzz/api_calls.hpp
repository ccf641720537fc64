// One job driven through the exported calls as a careless host might, each
// call checked as it returns: its status is one the call documents, a call
// refused as a bad argument changed nothing, one refused otherwise stored
// no list (a range failure stores the empty one), every chunk handed out
// is read whole, every completion and page start leaves the chunk table
// empty, and each page's stream parses as printer commands.
#ifndef VRELO_FUZZ_API_CALLS_HPP
#define VRELO_FUZZ_API_CALLS_HPP

#include <stdint.h>

#include <functional>

#include "bytes.hpp"
#include "output/master_work.hpp"

namespace vrelo_fuzz {

class CheckedJob {
  public:
    // params[0] configures direct mode, params[1] delayed mode.
    CheckedJob(const OutputParam (&params)[2], bool delayed);
    ~CheckedJob();
    CheckedJob(const CheckedJob&) = delete;
    CheckedJob& operator=(const CheckedJob&) = delete;

    void produce(const RasterLine& line);
    void complete();
    void flush();
    void form_feed(int32_t endLine);
    void new_page();
    void configure(bool delayed);
    // One of the calls a host gets wrong: a NULL job, line or out pointer.
    void bad_call(uint8_t which, const RasterLine& line);

    const MasterWork& work() const { return *job_; }
    // The last line number this page accepted (0 before any).
    int32_t last_line() const { return lastLine_; }

  private:
    int32_t producing_call(const std::function<int32_t(OutList**)>& call);
    void expect_table_empty() const;
    void end_page();

    const OutputParam (&params_)[2];
    MasterWork* job_ = nullptr;
    vrelo_test::Bytes page_;
    int32_t lastLine_ = 0;
};

}  // namespace vrelo_fuzz

#endif
