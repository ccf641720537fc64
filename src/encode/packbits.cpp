// The exported PackBits calls: the payload of a row, its zero-run prefix,
// and the size of both measured without writing anything.
#include "encode/packbits_encoders.hpp"
#include "encode/packbits_rules.hpp"
#include "encode/packbits_sinks.hpp"
#include "vrelo417.h"

// Counts and results are 16-bit signed values: only the low 16 bits of
// each count are read, and results are cut to 16 bits and widened again.

VRELO_API int32_t packbits(uint8_t* destination, const uint8_t* source,
                           int32_t n) {
    const int16_t count = static_cast<int16_t>(n);
    if (destination == nullptr || source == nullptr || count <= 0) return 0;
    return static_cast<int16_t>(
        vrelo::chosen_packbits_encoder()(destination, source, count));
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
VRELO_API int32_t GetPackBitsLength(const uint8_t* row, int32_t first,
                                    int32_t last) {
    const int16_t from = static_cast<int16_t>(first);
    const int16_t to = static_cast<int16_t>(last);
    if (row == nullptr || from < 0) return 0;
    vrelo::CountingSink sink;
    if (from > 0) vrelo::emit_run(sink, 0, from);
    const int16_t count = static_cast<int16_t>(to - from + 1);
    if (count > 0) vrelo::emit_records(sink, row + from, count);
    return static_cast<int16_t>(sink.size());
}
