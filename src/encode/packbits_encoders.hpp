// The PackBits encoders built into the library. Every variant writes the
// same bytes as the portable one; packbits calls the one chosen for the
// running processor, and tests run them all.
#ifndef VRELO_ENCODE_PACKBITS_ENCODERS_HPP
#define VRELO_ENCODE_PACKBITS_ENCODERS_HPP

#include <stdint.h>

namespace vrelo {

// Writes the records for n (>= 0) source bytes; returns the bytes written,
// at most n + ceil(n / 126). Writes nothing past them.
using PackBitsEncoder = int32_t (*)(uint8_t* destination,
                                    const uint8_t* source, int32_t n);

struct PackBitsVariant {
    const char* name;
    PackBitsEncoder encode;
    bool (*runs_here)();  // whether this processor can run it
};

int32_t packbits_portable(uint8_t* destination, const uint8_t* source,
                          int32_t n);
#if defined(__i386__) || defined(__x86_64__)
int32_t packbits_sse2(uint8_t* destination, const uint8_t* source, int32_t n);
#endif

// Every variant, the portable one first, the preferred last.
extern const PackBitsVariant kPackBitsVariants[];
extern const int32_t kPackBitsVariantCount;

// The encoder packbits uses: the last variant that runs here, chosen on
// first use, unless a test forced another.
PackBitsEncoder chosen_packbits_encoder();

// For tests and benchmarks only (hidden from the product's exports):
// packbits uses the named variant from now on. False, and nothing
// changes, when no variant has that name or it cannot run here.
bool force_packbits_variant(const char* name);

}  // namespace vrelo

#endif
