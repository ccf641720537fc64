// The list of PackBits encoder variants and the choice among them for the
// running processor, made once and kept in a function pointer.
#include <string.h>

#include "encode/packbits_encoders.hpp"
#include "encode/x86_features.hpp"

namespace vrelo {
namespace {

bool runs_anywhere() { return true; }

}  // namespace

const PackBitsVariant kPackBitsVariants[] = {
    {"portable", packbits_portable, runs_anywhere},
#if defined(__i386__) || defined(__x86_64__)
    {"sse2", packbits_sse2, has_sse2},
#endif
};
const int32_t kPackBitsVariantCount =
    sizeof kPackBitsVariants / sizeof kPackBitsVariants[0];

namespace {

PackBitsEncoder preferred_encoder() {
    for (int32_t i = kPackBitsVariantCount - 1; i > 0; --i)
        if (kPackBitsVariants[i].runs_here()) return kPackBitsVariants[i].encode;
    return kPackBitsVariants[0].encode;
}

// Null until the first call. Threads racing on it all store the same
// pointer; the atomic accesses keep that well defined.
PackBitsEncoder chosen = nullptr;

}  // namespace

PackBitsEncoder chosen_packbits_encoder() {
    PackBitsEncoder encoder = __atomic_load_n(&chosen, __ATOMIC_RELAXED);
    if (encoder != nullptr) return encoder;
    encoder = preferred_encoder();
    __atomic_store_n(&chosen, encoder, __ATOMIC_RELAXED);
    return encoder;
}

bool force_packbits_variant(const char* name) {
    for (int32_t i = 0; i < kPackBitsVariantCount; ++i) {
        const PackBitsVariant& variant = kPackBitsVariants[i];
        if (strcmp(variant.name, name) != 0 || !variant.runs_here()) continue;
        __atomic_store_n(&chosen, variant.encode, __ATOMIC_RELAXED);
        return true;
    }
    return false;
}

}  // namespace vrelo
