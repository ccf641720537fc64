#include "plain_packbits.hpp"

namespace vrelo_bench {

int32_t plain_packbits(uint8_t* destination, const uint8_t* source, int32_t n) {
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
        for (; k > 128; k -= 128) {
            *out++ = 0x81;
            *out++ = b;
        }
        if (k == 1) literal = out;
        *out++ = static_cast<uint8_t>(1 - k);
        *out++ = b;
    }
    return static_cast<int32_t>(out - destination);
}

}  // namespace vrelo_bench
