// Runs the encoding calls into buffers of exactly the size they may fill,
// so AddressSanitizer reports any byte written beyond the documented bound.
#ifndef VRELO_TEST_ENCODE_CALLS_HPP
#define VRELO_TEST_ENCODE_CALLS_HPP

#include <cstddef>
#include <ostream>

#include "bytes.hpp"
#include "encode/packbits.hpp"
#include "vrelo417.h"

namespace vrelo {
// Names the variant in test failures instead of dumping its bytes.
inline void PrintTo(const PackBitsVariant& variant, std::ostream* out) {
    *out << variant.name;
}
}  // namespace vrelo

namespace vrelo_test {

// Most bytes the payload of n source bytes may take: n + ceil(n / 126).
inline size_t packbits_bound(size_t n) {
    return n + (n + 125) / 126;
}

inline Bytes run_encoder(vrelo::PackBitsEncoder encode, const Bytes& source) {
    Bytes out(packbits_bound(source.size()));
    const int32_t written = encode(out.data(), source.data(), static_cast<int32_t>(source.size()));
    out.resize(static_cast<size_t>(written));
    return out;
}

inline Bytes run_packbits(const Bytes& source) {
    Bytes out(packbits_bound(source.size()));
    const int32_t written =
        packbits(out.data(), source.data(), static_cast<int32_t>(source.size()));
    out.resize(static_cast<size_t>(written));
    return out;
}

// The zero-run prefix for n blank bytes: 2 bytes per started 128.
inline Bytes run_left_pack(int32_t n) {
    Bytes out(2 * static_cast<size_t>((n + 127) / 128));
    out.resize(static_cast<size_t>(LeftPack(out.data(), n)));
    return out;
}

}  // namespace vrelo_test

#endif
