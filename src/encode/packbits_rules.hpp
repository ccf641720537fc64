// The PackBits record rules, written once over an output sink: the same
// decisions drive the encoder (a sink that writes) and the size measure
// (a sink that only counts), so the two can never disagree.
#ifndef VRELO_ENCODE_PACKBITS_RULES_HPP
#define VRELO_ENCODE_PACKBITS_RULES_HPP

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace vrelo {

// A record stands for at most this many bytes.
const int32_t kLongestRecord = 128;
// An open literal holding at most this many bytes takes in a following
// pair; a fuller one leaves the pair to a literal of its own.
const int32_t kPairJoinLimit = 125;

// One past the last byte equal to value in [from, end). Compares a machine
// word at a time: runs in halftone rows are long, and this loop is where
// the encoder spends its time on them.
inline const uint8_t* run_end(const uint8_t* from, const uint8_t* end,
                              uint8_t value) {
    // unsigned long is the register width on both Linux ABIs we build for.
    using Word = unsigned long;
    const Word pattern = value * (~Word{0} / 0xFF);
    while (static_cast<size_t>(end - from) >= sizeof(Word)) {
        Word word;
        memcpy(&word, from, sizeof word);
        const Word differing = word ^ pattern;
        if (differing != 0) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            return from + __builtin_ctzl(differing) / 8;
#else
            return from + __builtin_clzl(differing) / 8;
#endif
        }
        from += sizeof word;
    }
    while (from < end && *from == value) ++from;
    return from;
}

// Writes a run of count (>= 1) equal bytes as repeat records of 128 from
// its front, then one record for the rest. A rest of one byte becomes a
// literal record of that byte; returns true then, as the literal is open.
template <typename Sink>
bool emit_run(Sink& sink, uint8_t value, int32_t count) {
    for (; count > kLongestRecord; count -= kLongestRecord)
        sink.record(value, kLongestRecord);
    sink.record(value, count);
    return count == 1;
}

// Encodes n (>= 0) source bytes as PackBits records, run by run: runs of
// three or more are repeated, a pair joins an open literal that has room
// for it, and single bytes fill literals up to 128 bytes.
template <typename Sink>
void emit_records(Sink& sink, const uint8_t* source, int32_t n) {
    const uint8_t* at = source;
    const uint8_t* const end = source + n;
    int32_t literal = 0;  // bytes in the open literal record; 0: none open
    while (at < end) {
        const uint8_t value = *at;
        const uint8_t* const after = run_end(at + 1, end, value);
        const int32_t count = static_cast<int32_t>(after - at);
        at = after;
        if (literal != 0 && count == 1) {
            sink.extend_literal(value, 1, ++literal);
            if (literal == kLongestRecord) literal = 0;
        } else if (literal != 0 && count == 2) {
            if (literal <= kPairJoinLimit) {
                literal += 2;
                sink.extend_literal(value, 2, literal);
            } else {
                sink.pair_literal(value);
                literal = 2;
            }
        } else {
            literal = emit_run(sink, value, count) ? 1 : 0;
        }
    }
}

}  // namespace vrelo

#endif
