// A pixel's level in a row of the renderer's planes, as the library reads
// it: 1 bit (pixel 0 in the high bit of byte 0) or 2 bits a pixel.
#ifndef VRELO_TEST_DOT_LEVELS_HPP
#define VRELO_TEST_DOT_LEVELS_HPP

#include <cstdint>

namespace vrelo_test {

inline uint8_t level_at(const uint8_t* row, int bits, int32_t x) {
    return bits == 1 ? static_cast<uint8_t>(row[x >> 3] >> (7 - (x & 7)) & 1)
                     : static_cast<uint8_t>(row[x >> 2] >> (6 - 2 * (x & 3)) & 3);
}

}  // namespace vrelo_test

#endif
