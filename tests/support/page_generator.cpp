#include "page_generator.hpp"

#include <algorithm>

#include "row_shapes.hpp"

namespace vrelo_test {
namespace {

bool chance(std::mt19937& rng, int percent) {
    return uniform(rng, 0, 99) < percent;
}

uint8_t nonzero_byte(std::mt19937& rng) {
    return static_cast<uint8_t>(uniform(rng, 1, 255));
}

// Ink between blank margins, in the shapes that exercise PackBits.
void fill_ink(std::mt19937& rng, std::vector<uint8_t>& bytes, int from, int to) {
    if (to <= from) return;
    const size_t size = static_cast<size_t>(to - from);
    const int shape = uniform(rng, 0, 3);
    const Bytes ink = shape == 0   ? distinct_neighbours_row(rng, size)
                      : shape == 1 ? runs_row(rng, size, 2)
                                   : mixed_runs_row(rng, size);
    std::copy(ink.begin(), ink.end(), bytes.begin() + from);
}

// Pixel range of a present plane, in host units (before doubling).
void choose_range(std::mt19937& rng, const PageShape& shape, PagePlane& p) {
    const int pixelsPerByte = 1 << shape.pixelShift;
    const int scale = shape.doubleX ? 2 : 1;
    // Doubled positions must still fit 16 bits.
    const int limit = 32767 / scale;
    const int span = std::min(shape.maxRowBytes * pixelsPerByte / scale, limit);
    p.firstPixel = static_cast<int16_t>(uniform(rng, 0, span));
    const int kind = uniform(rng, 0, 9);
    if (kind == 0) {
        p.width = p.firstPixel;  // empty range: skipped whatever data holds
    } else if (kind == 1) {
        p.width = static_cast<int16_t>(uniform(rng, 0, p.firstPixel));
    } else {
        p.width = static_cast<int16_t>(std::min(p.firstPixel + uniform(rng, 1, span), limit));
    }
    const int inRange = std::max(0, p.width - p.firstPixel);
    p.tailBlank = static_cast<int16_t>(uniform(rng, 0, inRange / 3 + 2));
}

PagePlane random_plane(std::mt19937& rng, const PageShape& shape) {
    PagePlane p;
    if (!chance(rng, shape.planePercent)) {
        // Positions of an absent plane are never looked at.
        p.width = static_cast<int16_t>(uniform(rng, -32768, 32767));
        p.firstPixel = static_cast<int16_t>(uniform(rng, -32768, 32767));
        p.tailBlank = static_cast<int16_t>(uniform(rng, -32768, 32767));
        return p;
    }
    p.present = true;
    choose_range(rng, shape, p);
    const int scale = shape.doubleX ? 2 : 1;
    const int first = (p.firstPixel * scale) >> shape.pixelShift;
    const int last = ((p.width - p.tailBlank) * scale - 1) >> shape.pixelShift;
    const int size = std::max(first, last) + 1 + uniform(rng, 0, 8);
    // Garbage everywhere, then the range: blank margins around the ink.
    p.bytes.resize(static_cast<size_t>(size));
    for (uint8_t& b : p.bytes) b = nonzero_byte(rng);
    if (last < first) return p;
    const int length = last - first + 1;
    const int lead = chance(rng, 50) ? uniform(rng, 0, length) : 0;
    const int tail = chance(rng, 50) ? uniform(rng, 0, length - lead) : 0;
    std::fill(p.bytes.begin() + first, p.bytes.begin() + last + 1, 0);
    if (!chance(rng, 10)) fill_ink(rng, p.bytes, first + lead, last + 1 - tail);
    return p;
}

}  // namespace

RasterLine PageLine::record() const {
    RasterLine line{};
    line.lineNumber = lineNumber;
    for (int c = 0; c < VRELO_COLOURS; ++c) {
        const PagePlane& p = planes[c];
        line.planes[c].data = p.present ? p.bytes.data() : nullptr;
        line.planes[c].width = p.width;
        line.planes[c].firstPixel = p.firstPixel;
        line.planes[c].tailBlank = p.tailBlank;
    }
    return line;
}

Page random_page(std::mt19937& rng, const PageShape& shape) {
    Page page(static_cast<size_t>(shape.lines));
    int32_t line = uniform(rng, 0, shape.maxGap);
    for (PageLine& l : page) {
        l.lineNumber = line;
        for (PagePlane& p : l.planes) p = random_plane(rng, shape);
        line += chance(rng, shape.longGapPercent) ? uniform(rng, 32760, 70000)
                                                  : uniform(rng, 0, shape.maxGap);
    }
    return page;
}

std::vector<uint8_t> expected_row(const PagePlane& plane, int16_t pixelShift, bool doubleX) {
    if (!plane.present || plane.firstPixel == plane.width) return {};
    const int scale = doubleX ? 2 : 1;
    const int first = (plane.firstPixel * scale) >> pixelShift;
    const int last = ((plane.width - plane.tailBlank) * scale - 1) >> pixelShift;
    int firstInk = -1;
    int lastInk = -1;
    for (int i = first; i <= last; ++i) {
        if (plane.bytes[static_cast<size_t>(i)] == 0) continue;
        if (firstInk < 0) firstInk = i;
        lastInk = i;
    }
    if (firstInk < 0) return {};
    std::vector<uint8_t> row(static_cast<size_t>(firstInk), 0);
    row.insert(row.end(), plane.bytes.begin() + firstInk, plane.bytes.begin() + lastInk + 1);
    return row;
}

}  // namespace vrelo_test
