#include "reference_packbits.hpp"

namespace vrelo_test {
namespace {

// Repeat records of 128 from the front of the run, then one record for the
// rest: a repeat record for 2 or more, a one-byte literal for 1.
uint8_t* put_run(uint8_t* out, uint8_t value, int32_t count) {
    for (; count > 128; count -= 128) {
        *out++ = 0x81;
        *out++ = value;
    }
    *out++ = static_cast<uint8_t>(1 - count);
    *out++ = value;
    return out;
}

}  // namespace

int32_t reference_packbits(uint8_t* destination, const uint8_t* source, int32_t n) {
    uint8_t* out = destination;
    uint8_t* literal = nullptr;  // control byte of the open literal
    int32_t i = 0;
    while (i < n) {
        const uint8_t b = source[i];
        int32_t k = 1;
        while (i + k < n && source[i + k] == b) ++k;
        i += k;
        if (literal != nullptr) {
            const int held = *literal + 1;
            if (k == 1) {
                ++*literal;
                *out++ = b;
                if (held + 1 == 128) literal = nullptr;
                continue;
            }
            if (k == 2) {
                // A pair joins a literal of at most 125 bytes, else starts one.
                if (held <= 125) {
                    *literal += 2;
                } else {
                    literal = out;
                    *out++ = 1;
                }
                *out++ = b;
                *out++ = b;
                continue;
            }
            literal = nullptr;
        }
        out = put_run(out, b, k);
        // A run cut into 128s whose remainder is one byte ends on a literal.
        if (k % 128 == 1) literal = out - 2;
    }
    return static_cast<int32_t>(out - destination);
}

Bytes reference_packbits(const Bytes& row) {
    Bytes out(row.size() + row.size() / 126 + 1);
    out.resize(static_cast<size_t>(
        reference_packbits(out.data(), row.data(), static_cast<int32_t>(row.size()))));
    return out;
}

Bytes reference_zero_prefix(int count) {
    Bytes out(static_cast<size_t>(2 * (count / 128 + 1)));
    out.resize(static_cast<size_t>(put_run(out.data(), 0, count) - out.data()));
    return out;
}

}  // namespace vrelo_test
