// Serpentine error diffusion of black and of each hue with black, line by
// line down a page (see error_diffusion.hpp).
#include "error_diffusion.hpp"

#include <algorithm>
#include <cstring>

namespace vrelo_inks {
namespace {

// The codes a row byte holds at 1 bit, the most.
constexpr int32_t kMostCodesPerByte = 8;

// Codes are 0/1 at 1 bit and 0..3 at 2, so shifting each pixel's code
// bytes to its place in a row byte and ORing them gives a row byte of
// every ink at once, one in each byte of the word.
template <int kBits>
void pack_codes(const uint8_t* codes, int32_t width, const LineRows& rows) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "codes are read as words");
    constexpr int32_t kPerByte = 8 / kBits;
    std::array<uint8_t*, kCodeBytes> out;
    for (size_t h = 0; h < kHues; ++h) {
        out[h] = rows.dark[h];
        out[kHues + h] = rows.light[h];
    }
    const int32_t bytes = (width + kPerByte - 1) / kPerByte;
    for (int32_t i = 0; i < bytes; ++i) {
        uint64_t word = 0;
#pragma GCC unroll 8
        for (int32_t j = 0; j < kPerByte; ++j) {
            uint64_t code;
            std::memcpy(&code, codes + kCodeBytes * (i * kPerByte + j), sizeof code);
            word |= code << (kBits * (kPerByte - 1 - j));
        }
#pragma GCC unroll 8
        for (size_t b = 0; b < out.size(); ++b)
            if (out[b] != nullptr) out[b][i] = static_cast<uint8_t>(word >> (8 * b));
    }
}

}  // namespace

ErrorDiffusion::ErrorDiffusion(int32_t width, int bits)
    : width_(width),
      bits_(bits),
      scan_(scan_kernel(bits)),
      error_(kHues * (static_cast<size_t>(width) + 2)),
      darkError_(2 * (static_cast<size_t>(width) + 2)),
      codes_(kCodeBytes * (static_cast<size_t>(width) + kMostCodesPerByte)) {}

void ErrorDiffusion::start_page() {
    std::fill(error_.begin(), error_.end(), 0);
    std::fill(darkError_.begin(), darkError_.end(), 0);
    pending_ = false;
}

unsigned ErrorDiffusion::line(int32_t y, const PixelAmounts* amounts, const LineRows& rows) {
    begin(y, amounts);
    scan(width_);
    return finish(rows);
}

void ErrorDiffusion::begin(int32_t y, const PixelAmounts* amounts) {
    line_ = {y, width_, amounts, error_.data() + kHues, darkError_.data() + 2, codes_.data()};
    state_ = {};
    scanned_ = 0;
}

void ErrorDiffusion::scan(int32_t to) {
    scan_(line_, scanned_, to, &state_);
    scanned_ = to;
}

unsigned ErrorDiffusion::finish(const LineRows& rows) {
    if (bits_ == 1)
        pack_codes<1>(codes_.data(), width_, rows);
    else
        pack_codes<2>(codes_.data(), width_, rows);
    unsigned hues = 0;
    int32_t left = 0;
    for (int h = 0; h < kHues; ++h) {
        if (state_.placed[h] != 0) hues |= 1u << h;
        left |= state_.left[h];
    }
    pending_ = left != 0;
    return hues;
}

}  // namespace vrelo_inks
