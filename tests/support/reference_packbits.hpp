// A deliberately plain PackBits encoder, following the record rules step by
// step, one byte and one run at a time, as an encoder is written without
// attention to speed: the library's encoders must match it byte for byte,
// and the benchmarks time them against it.
#ifndef VRELO_TEST_REFERENCE_PACKBITS_HPP
#define VRELO_TEST_REFERENCE_PACKBITS_HPP

#include <cstdint>

#include "packbits_decode.hpp"

namespace vrelo_test {

// The payload records for n source bytes, written at destination (room for
// n + n / 126 + 1 bytes); returns the bytes written.
int32_t reference_packbits(uint8_t* destination, const uint8_t* source, int32_t n);
// The same for a row.
Bytes reference_packbits(const Bytes& row);
// The zero-run prefix standing for count (>= 1) blank bytes.
Bytes reference_zero_prefix(int count);

}  // namespace vrelo_test

#endif
