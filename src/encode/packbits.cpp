// PackBits: the portable encoder, the choice among the encoder variants for
// the running processor (made once and kept in a function pointer; the
// i386 product's baseline has no SSE2, so its SSE2 code runs only where
// cpuid says it may), and the exported calls: the payload of a row, its
// zero-run prefix, and the size of both measured without writing anything.
#include <string.h>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include "encode/packbits.hpp"
#include "encode/packbits_records.hpp"
#include "vrelo417.h"

namespace vrelo {
namespace {

bool runs_anywhere() {
    return true;
}

#if defined(__i386__) || defined(__x86_64__)
bool has_sse2() {
#if defined(__x86_64__)
    return true;  // part of the x86-64 baseline
#else
    unsigned eax, ebx, ecx, edx;
    // __get_cpuid also answers false on processors without cpuid.
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    return (edx & bit_SSE2) != 0;
#endif
}
#endif

}  // namespace

int32_t packbits_portable(uint8_t* destination, const uint8_t* source, int32_t n) {
    WritingSink sink(destination);
    emit_records(sink, source, n);
    return sink.size();
}

const PackBitsVariant kPackBitsVariants[] = {
    {"portable", packbits_portable, runs_anywhere},
#if defined(__i386__) || defined(__x86_64__)
    {"sse2", packbits_sse2, has_sse2},
#endif
};
const int32_t kPackBitsVariantCount = sizeof kPackBitsVariants / sizeof kPackBitsVariants[0];

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

// Counts and results are 16-bit signed values: only the low 16 bits of
// each count are read, and results are cut to 16 bits and widened again.

VRELO_API int32_t packbits(uint8_t* destination, const uint8_t* source, int32_t n) {
    const int16_t count = static_cast<int16_t>(n);
    if (destination == nullptr || source == nullptr || count <= 0) return 0;
    return static_cast<int16_t>(vrelo::chosen_packbits_encoder()(destination, source, count));
}

VRELO_API int32_t LeftPack(uint8_t* destination, int32_t n) {
    const int16_t count = static_cast<int16_t>(n);
    if (destination == nullptr || count <= 0) return 0;
    vrelo::WritingSink sink(destination);
    vrelo::emit_run(sink, 0, count);
    return static_cast<int16_t>(sink.size());
}

// Counts what LeftPack (for first > 0) and packbits would write for the
// row, through the very rules they write by. A negative first would read
// before the row and is refused like a missing row.
VRELO_API int32_t GetPackBitsLength(const uint8_t* row, int32_t first, int32_t last) {
    const int16_t from = static_cast<int16_t>(first);
    const int16_t to = static_cast<int16_t>(last);
    if (row == nullptr || from < 0) return 0;
    vrelo::CountingSink sink;
    if (from > 0) vrelo::emit_run(sink, 0, from);
    const int16_t count = static_cast<int16_t>(to - from + 1);
    if (count > 0) vrelo::emit_records(sink, row + from, count);
    return static_cast<int16_t>(sink.size());
}
