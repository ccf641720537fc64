// An independent model of a direct-mode job: from a page's lines it builds
// the bytes each call must answer, following the rules of the command
// stream directly (skips for the advance before the first row with ink,
// then per colour header, zero runs, PackBits and carriage return).
#ifndef VRELO_TEST_DIRECT_MODEL_HPP
#define VRELO_TEST_DIRECT_MODEL_HPP

#include "bytes.hpp"
#include "page_generator.hpp"

namespace vrelo_test {

class DirectModel {
  public:
    DirectModel(int16_t pixelShift, bool doubleX)
        : pixelShift_(pixelShift), doubleX_(doubleX) {}

    Bytes produce(const PageLine& line);
    Bytes form_feed();
    void start_page() { lastLine_ = curLine_ = 0; }

  private:
    void advance_to(int32_t line, Bytes& out);

    int16_t pixelShift_;
    bool doubleX_;
    int32_t lastLine_ = 0;
    int32_t curLine_ = 0;
};

}  // namespace vrelo_test

#endif
