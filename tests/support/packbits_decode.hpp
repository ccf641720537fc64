// An independent PackBits decoder for tests: expands a record stream back
// into bytes and names the first fault it meets instead of guessing.
#ifndef VRELO_TEST_PACKBITS_DECODE_HPP
#define VRELO_TEST_PACKBITS_DECODE_HPP

#include <cstddef>
#include <cstdint>
#include <string>

#include "bytes.hpp"

namespace vrelo_test {

// The expanded bytes, or an error text (empty when the stream is sound).
struct Decoded {
    Bytes bytes;
    std::string error;
};

// Faults: a 0x80 control byte, a record running past the end.
Decoded packbits_decode(const uint8_t* data, size_t size);
Decoded packbits_decode(const Bytes& stream);

}  // namespace vrelo_test

#endif
