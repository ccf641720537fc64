// A deliberately plain PackBits encoder for tests, following the record
// rules step by step with no attention to speed: the library's encoders
// must match it byte for byte.
#ifndef VRELO_TEST_REFERENCE_PACKBITS_HPP
#define VRELO_TEST_REFERENCE_PACKBITS_HPP

#include "packbits_decode.hpp"

namespace vrelo_test {

// The payload records for a row.
Bytes reference_packbits(const Bytes& row);
// The zero-run prefix standing for count (>= 1) blank bytes.
Bytes reference_zero_prefix(int count);

}  // namespace vrelo_test

#endif
