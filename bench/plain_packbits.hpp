// The plain baseline: PackBits written the straightforward way, one byte
// and one run at a time, as an encoder is written without attention to
// speed. It follows the library's record rules, so its bytes are the
// library's too.
#ifndef VRELO_BENCH_PLAIN_PACKBITS_HPP
#define VRELO_BENCH_PLAIN_PACKBITS_HPP

#include <cstdint>

namespace vrelo_bench {

int32_t plain_packbits(uint8_t* destination, const uint8_t* source, int32_t n);

}  // namespace vrelo_bench

#endif
