// A fuzz input read as a stream of small decisions: bytes, 16- and 32-bit
// values and runs of bytes. Past its end every read yields zeros, so any
// input, however short, drives a whole run.
#ifndef VRELO_FUZZ_FUZZ_INPUT_HPP
#define VRELO_FUZZ_FUZZ_INPUT_HPP

#include <stddef.h>
#include <stdint.h>

namespace vrelo_fuzz {

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    size_t left() const { return empty() ? 0 : size_ - at_; }

    uint8_t byte() { return empty() ? 0 : data_[at_++]; }
    uint16_t u16() { return static_cast<uint16_t>(byte() | byte() << 8); }
    uint32_t u32() { return u16() | static_cast<uint32_t>(u16()) << 16; }
    int32_t i32() { return static_cast<int32_t>(u32()); }

    // Up to count bytes from the input, consumed; how many were there.
    size_t take(uint8_t* to, size_t count) {
        size_t taken = 0;
        for (; taken < count && !empty(); ++taken) to[taken] = data_[at_++];
        return taken;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace vrelo_fuzz

#endif
