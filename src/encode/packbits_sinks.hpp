// The two outputs of the PackBits rules: one writes the records to memory,
// the other only adds up their sizes.
#ifndef VRELO_ENCODE_PACKBITS_SINKS_HPP
#define VRELO_ENCODE_PACKBITS_SINKS_HPP

#include <stdint.h>
#include <string.h>

#include "encode/packbits_bounds.hpp"

namespace vrelo {

// Writes records at a destination. Remembers the control byte of the last
// record started, which a literal rewrites as it grows.
class WritingSink {
public:
    explicit WritingSink(uint8_t* destination)
        : start_(destination), next_(destination), control_(destination) {}

    // A record of count (1..128) copies of value: a repeat record, or for a
    // single byte a literal record holding it.
    void record(uint8_t value, int32_t count) {
        control_ = next_;
        next_[0] = static_cast<uint8_t>(1 - count);
        next_[1] = value;
        next_ += kShortRecordBytes;
    }
    // A new literal record holding count source bytes.
    void open_literal(const uint8_t* from, int32_t count) {
        control_ = next_++;
        *control_ = static_cast<uint8_t>(count - 1);
        copy(from, count);
    }
    // Adds count source bytes to the open literal, which then holds length.
    void extend_literal(const uint8_t* from, int32_t count, int32_t length) {
        *control_ = static_cast<uint8_t>(length - 1);
        copy(from, count);
    }
    int32_t size() const { return static_cast<int32_t>(next_ - start_); }

private:
    void copy(const uint8_t* from, int32_t count) {
        memcpy(next_, from, static_cast<size_t>(count));
        next_ += count;
    }

    uint8_t* start_;
    uint8_t* next_;
    uint8_t* control_;
};

// Counts the bytes the same records would take.
class CountingSink {
public:
    void record(uint8_t, int32_t) { size_ += kShortRecordBytes; }
    void open_literal(const uint8_t*, int32_t count) { size_ += 1 + count; }
    void extend_literal(const uint8_t*, int32_t count, int32_t) {
        size_ += count;
    }
    int32_t size() const { return size_; }

private:
    int32_t size_ = 0;
};

}  // namespace vrelo

#endif
