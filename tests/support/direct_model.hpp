// An independent model of a direct-mode job: from a page's lines it builds
// the bytes each call must answer, following the rules of the command
// stream directly (skips for the advance before the first row with ink,
// then per colour header, zero runs, PackBits and carriage return).
#ifndef VRELO_TEST_DIRECT_MODEL_HPP
#define VRELO_TEST_DIRECT_MODEL_HPP

#include <optional>

#include "bytes.hpp"
#include "page_generator.hpp"

namespace vrelo_test {

class DirectModel {
  public:
    DirectModel(int16_t pixelShift, bool doubleX) : pixelShift_(pixelShift), doubleX_(doubleX) {}

    // The line's bytes, or nothing when the job must refuse it with
    // VRELO_BAD_ARGUMENT: a line below the latest one, or further from
    // the paper than VRELO_MAX_ADVANCE lines, printing or not (the form
    // feed takes the paper to it).
    std::optional<Bytes> produce(const PageLine& line);
    // The advance to the latest line.
    Bytes form_feed();
    void start_page() { lastLine_ = curLine_ = 0; }

  private:
    void advance_to(int32_t line, Bytes& out);

    int16_t pixelShift_;
    bool doubleX_;
    int32_t lastLine_ = 0;  // where the paper stands
    int32_t curLine_ = 0;   // the latest line
};

}  // namespace vrelo_test

#endif
