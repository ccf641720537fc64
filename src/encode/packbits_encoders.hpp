// The PackBits encoders built into the library. Every variant writes the
// same bytes as the portable one; packbits calls the one chosen for the
// running processor, and tests run them all.
#ifndef VRELO_ENCODE_PACKBITS_ENCODERS_HPP
#define VRELO_ENCODE_PACKBITS_ENCODERS_HPP

#include <stdint.h>

namespace vrelo {

// Writes the records for n (>= 0) source bytes; returns the bytes written,
// at most n + ceil(n / 126).
using PackBitsEncoder = int32_t (*)(uint8_t* destination,
                                    const uint8_t* source, int32_t n);

struct PackBitsVariant {
    const char* name;
    PackBitsEncoder encode;
};

int32_t packbits_portable(uint8_t* destination, const uint8_t* source,
                          int32_t n);

// Every variant, the portable one first. A processor-specific variant is
// listed here beside it and picked by chosen_packbits_encoder.
extern const PackBitsVariant kPackBitsVariants[];
extern const int32_t kPackBitsVariantCount;

// The encoder packbits uses on this processor.
PackBitsEncoder chosen_packbits_encoder();

}  // namespace vrelo

#endif
