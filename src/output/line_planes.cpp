// Preparing a line's planes for either mode: argument checks, doubled
// positions, and the trimming of a row to its first and last non-zero byte,
// scanned several words at a time from either end.
#include "output/line_planes.hpp"

#include <stdint.h>

#include "encode/scan_words.hpp"

namespace vrelo {
namespace {

// Rows are mostly blank at their ends: a step tests several words at once.
const ptrdiff_t kWordsPerStep = 4;
const ptrdiff_t kStepBytes = kWordsPerStep * static_cast<ptrdiff_t>(kScanWordBytes);

ScanWord words_ored(const uint8_t* from) {
    ScanWord any = 0;
    for (ptrdiff_t i = 0; i < kWordsPerStep; ++i)
        any |= load_word(from + i * static_cast<ptrdiff_t>(kScanWordBytes));
    return any;
}

// The first non-zero byte in [from, end), or end. Reads nothing outside.
const uint8_t* first_ink_byte(const uint8_t* from, const uint8_t* end) {
    while (end - from >= kStepBytes && words_ored(from) == 0) from += kStepBytes;
    for (; end - from >= static_cast<ptrdiff_t>(kScanWordBytes); from += kScanWordBytes) {
        const ScanWord word = load_word(from);
        if (word != 0) return from + first_marked_byte(word);
    }
    while (from < end && *from == 0) ++from;
    return from;
}

// The last non-zero byte in [begin, end), which must hold one. Reads
// nothing outside.
const uint8_t* last_ink_byte(const uint8_t* begin, const uint8_t* end) {
    while (end - begin >= kStepBytes && words_ored(end - kStepBytes) == 0) end -= kStepBytes;
    for (; end - begin >= static_cast<ptrdiff_t>(kScanWordBytes); end -= kScanWordBytes) {
        const ScanWord word = load_word(end - kScanWordBytes);
        if (word != 0) return end - kScanWordBytes + last_marked_byte(word);
    }
    while (end[-1] == 0) --end;
    return end - 1;
}

bool double_position(int16_t* position) {
    const int32_t doubled = 2 * static_cast<int32_t>(*position);
    if (doubled > INT16_MAX || doubled < INT16_MIN) return false;
    *position = static_cast<int16_t>(doubled);
    return true;
}

}  // namespace

int32_t prepare_planes(const MasterWork& job, const RasterLine& line, LinePlanes* planes) {
    for (int colour = 0; colour < VRELO_COLOURS; ++colour) {
        ColorPlane& used = planes->plane[colour];
        used = line.planes[colour];
        if (used.data == nullptr) continue;
        // A negative start or tail would make the row reach before its data;
        // a negative end names no row that could be printed.
        if (used.width < 0 || used.firstPixel < 0 || used.tailBlank < 0) return VRELO_BAD_ARGUMENT;
        if (job.doubleX != 1) continue;
        if (!double_position(&used.width) || !double_position(&used.firstPixel) ||
            !double_position(&used.tailBlank))
            return VRELO_BAD_ARGUMENT;
    }
    // A job not yet configured has no depth to read rows at; it refuses
    // every line before looking at one.
    for (int colour = 0; colour < VRELO_COLOURS; ++colour)
        planes->ink[colour] = job.pixelShift != 0 && find_ink(planes->plane[colour], job.pixelShift,
                                                              &planes->span[colour]);
    return VRELO_OK;
}

bool find_ink(const ColorPlane& plane, int16_t pixelShift, RowSpan* span) {
    if (plane.data == nullptr || plane.firstPixel == plane.width) return false;
    const int16_t first = static_cast<int16_t>(plane.firstPixel >> pixelShift);
    const int16_t last = static_cast<int16_t>((plane.width - plane.tailBlank - 1) >> pixelShift);
    if (first > last) return false;
    const uint8_t* const begin = plane.data + first;
    const uint8_t* const end = plane.data + last + 1;
    const uint8_t* const ink = first_ink_byte(begin, end);
    if (ink == end) return false;
    span->first = static_cast<int16_t>(ink - plane.data);
    span->last = static_cast<int16_t>(last_ink_byte(ink, end) - plane.data);
    return true;
}

}  // namespace vrelo
