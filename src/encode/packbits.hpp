// PackBits inside the library: how large its output can grow (the record
// limits the encoder works by, and the most bytes it writes for a row and
// for its zero-run prefix, for callers that size buffers and ranges before
// compressing), and the encoders built in. Every variant writes the same
// bytes as the portable one; packbits calls the one chosen for the running
// processor, and tests run them all.
#ifndef VRELO_ENCODE_PACKBITS_HPP
#define VRELO_ENCODE_PACKBITS_HPP

#include <stdint.h>

namespace vrelo {

// A record stands for at most this many bytes.
inline constexpr int32_t kLongestRecord = 128;
// An open literal holding at most this many bytes takes in a following
// pair; a fuller one leaves the pair to a literal of its own.
inline constexpr int32_t kPairJoinLimit = 125;
// A repeat record and a one-byte literal each take a control byte and a
// value byte.
inline constexpr int32_t kShortRecordBytes = 2;

// The most bytes packbits writes for n source bytes: repeat records never
// take more than they stand for, and a literal gives way to a pair only
// once it holds more than kPairJoinLimit bytes, so at most one control
// byte comes on top of every kPairJoinLimit + 1 bytes.
constexpr int32_t packbits_bound(int32_t n) {
    return n + (n + kPairJoinLimit) / (kPairJoinLimit + 1);
}

// The bytes LeftPack writes for n (>= 1) blank bytes: one short record per
// started kLongestRecord.
constexpr int32_t zero_run_bound(int32_t n) {
    return kShortRecordBytes * ((n + kLongestRecord - 1) / kLongestRecord);
}

// Writes the records for n (>= 0) source bytes; returns the bytes written,
// at most n + ceil(n / 126). Writes nothing past them.
using PackBitsEncoder = int32_t (*)(uint8_t* destination, const uint8_t* source, int32_t n);

struct PackBitsVariant {
    const char* name;
    PackBitsEncoder encode;
    bool (*runs_here)();  // whether this processor can run it
};

int32_t packbits_portable(uint8_t* destination, const uint8_t* source, int32_t n);
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
