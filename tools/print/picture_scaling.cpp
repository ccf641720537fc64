// Area-averaging scaling (see picture_scaling.hpp).
#include "picture_scaling.hpp"

#include <algorithm>

namespace vrelo_print {

constexpr uint32_t kWhole = 65536;

void AreaScaling::make_spans(uint32_t from, uint32_t to, std::vector<Span>* spans,
                             std::vector<uint32_t>* weights) {
    // Output pixel i covers source [i * from / to, (i + 1) * from / to),
    // measured in 1/to of a source pixel.
    for (uint32_t i = 0; i < to; ++i) {
        const uint64_t start = static_cast<uint64_t>(i) * from,
                       end = static_cast<uint64_t>(i + 1) * from;
        const uint32_t first = static_cast<uint32_t>(start / to),
                       last = static_cast<uint32_t>((end - 1) / to);
        Span span{first, last - first + 1, static_cast<uint32_t>(weights->size())};
        uint32_t given = 0;
        for (uint32_t s = first; s <= last; ++s) {
            const uint64_t lo = std::max<uint64_t>(start, static_cast<uint64_t>(s) * to);
            const uint64_t hi = std::min<uint64_t>(end, static_cast<uint64_t>(s + 1) * to);
            uint32_t w = static_cast<uint32_t>((hi - lo) * kWhole / from);
            if (s == last) w = kWhole - given;  // the rounding's remainder
            given += w;
            weights->push_back(w);
        }
        spans->push_back(span);
    }
}

AreaScaling::AreaScaling(const vrelo_tools::RgbImage& image, uint32_t width, uint32_t lines)
    : image_(image), width_(width), lines_(lines), row_(static_cast<size_t>(image.width) * 3) {
    make_spans(image.width, width, &across_, &acrossWeights_);
    make_spans(image.height, lines, &down_, &downWeights_);
}

void AreaScaling::line(uint32_t y, uint16_t* rgb) {
    const Span& d = down_[y];
    std::fill(row_.begin(), row_.end(), 0);
    for (uint32_t i = 0; i < d.count; ++i) {
        const uint32_t w = downWeights_[d.weights + i];
        const uint8_t* source = image_.row(d.first + i);
        for (size_t v = 0; v < row_.size(); ++v) row_[v] += source[v] * w;
    }
    for (uint32_t x = 0; x < width_; ++x) {
        const Span& a = across_[x];
        uint64_t sum[3] = {0, 0, 0};
        for (uint32_t i = 0; i < a.count; ++i) {
            const uint64_t w = acrossWeights_[a.weights + i];
            const uint32_t* source = &row_[static_cast<size_t>(a.first + i) * 3];
            for (int c = 0; c < 3; ++c) sum[c] += source[c] * w;
        }
        // 8-bit values x 65536 x 65536 -> 16-bit: x 257 / 2^32.
        for (int c = 0; c < 3; ++c)
            rgb[static_cast<size_t>(x) * 3 + c] =
                static_cast<uint16_t>((sum[c] * 257 + (static_cast<uint64_t>(1) << 31)) >> 32);
    }
}

}  // namespace vrelo_print
