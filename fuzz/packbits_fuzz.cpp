// PackBits on any row: a count of leading blank bytes, then the input's
// bytes. LeftPack, packbits and GetPackBitsLength must agree, stay within
// their bounds, decode back to the row, match the plain reference encoder,
// and every encoder variant must write what the portable one writes. The
// blank bytes are poisoned: nothing may read them.
#include <stdint.h>
#include <string.h>

#include "encode/packbits.hpp"
#include "fuzz_check.hpp"
#include "fuzz_input.hpp"
#include "guarded_buffer.hpp"
#include "packbits_decode.hpp"
#include "reference_packbits.hpp"
#include "vrelo417.h"

namespace {

using vrelo_fuzz::FuzzInput;
using vrelo_fuzz::GuardedBuffer;
using vrelo_fuzz::require;
using vrelo_test::Bytes;

// Longest row a job hands the encoder: 16-bit pixel positions at 2 bits
// per pixel end at byte 8191.
const size_t kLongestRow = 8192;

size_t payload_bound(size_t n) {
    return n + (n + 125) / 126;
}
size_t prefix_size(size_t blank) {
    return 2 * ((blank + 127) / 128);
}

// The bytes after the leading blanks, as packbits writes them.
Bytes encode_with(vrelo::PackBitsEncoder encode, const uint8_t* ink, size_t n) {
    GuardedBuffer out(payload_bound(n), 0);
    const int32_t written = encode(out.data(), ink, static_cast<int32_t>(n));
    require(written >= 0 && static_cast<size_t>(written) <= payload_bound(n),
            "a variant stays within the payload bound");
    return Bytes(out.data(), out.data() + written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const size_t blank = in.u16() % kLongestRow;
    const size_t n = in.left() < kLongestRow - blank ? in.left() : kLongestRow - blank;
    if (n == 0) return 0;
    GuardedBuffer row(blank + n, blank);
    in.take(row.data() + blank, n);
    const uint8_t* ink = row.data() + blank;

    GuardedBuffer out(prefix_size(blank) + payload_bound(n), 0);
    const int32_t prefix = blank > 0 ? LeftPack(out.data(), static_cast<int32_t>(blank)) : 0;
    require(static_cast<size_t>(prefix) == prefix_size(blank), "2 prefix bytes per started 128");
    const int32_t payload = packbits(out.data() + prefix, ink, static_cast<int32_t>(n));
    require(payload > 0 && static_cast<size_t>(payload) <= payload_bound(n),
            "packbits stays within n + ceil(n / 126)");
    const int32_t total = prefix + payload;
    require(GetPackBitsLength(row.data(), static_cast<int32_t>(blank),
                              static_cast<int32_t>(blank + n - 1)) == total,
            "GetPackBitsLength counts what LeftPack and packbits write");

    const vrelo_test::Decoded decoded =
        vrelo_test::packbits_decode(out.data(), static_cast<size_t>(total));
    require(decoded.error.empty() && decoded.bytes.size() == blank + n,
            "the records decode to the row's length");
    for (size_t i = 0; i < blank; ++i)
        require(decoded.bytes[i] == 0, "the prefix decodes to zeros");
    require(memcmp(decoded.bytes.data() + blank, ink, n) == 0, "the payload decodes to the row");

    const Bytes written(out.data() + prefix, out.data() + total);
    require(written == vrelo_test::reference_packbits(Bytes(ink, ink + n)),
            "packbits writes what the reference encoder writes");
    for (int32_t v = 0; v < vrelo::kPackBitsVariantCount; ++v)
        require(encode_with(vrelo::kPackBitsVariants[v].encode, ink, n) == written,
                "every variant writes what the portable encoder writes");
    return 0;
}
