// The PackBits records, written once over an output sink: the same
// decisions drive the encoders (a sink that writes records to memory) and
// the size measure (a sink that only adds up their sizes), so the two can
// never disagree.
#ifndef VRELO_ENCODE_PACKBITS_RECORDS_HPP
#define VRELO_ENCODE_PACKBITS_RECORDS_HPP

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "encode/packbits.hpp"
#include "encode/scan_words.hpp"

namespace vrelo {

// Writes records at a destination. Remembers the control byte of the last
// record started, which a literal rewrites as it grows.
class WritingSink {
  public:
    explicit WritingSink(uint8_t* destination)
        : start_(destination), next_(destination), control_(destination) {}

    // A record of count (1..128) copies of value: a repeat record, or for a
    // single byte a literal record holding it.
    void record(uint8_t value, int32_t count) {
        control_ = next_;
        next_[0] = static_cast<uint8_t>(1 - count);
        next_[1] = value;
        next_ += kShortRecordBytes;
    }
    // A new literal record holding count source bytes.
    void open_literal(const uint8_t* from, int32_t count) {
        control_ = next_++;
        *control_ = static_cast<uint8_t>(count - 1);
        copy(from, count);
    }
    // Adds count source bytes to the open literal, which then holds length.
    void extend_literal(const uint8_t* from, int32_t count, int32_t length) {
        *control_ = static_cast<uint8_t>(length - 1);
        copy(from, count);
    }
    int32_t size() const { return static_cast<int32_t>(next_ - start_); }

  private:
    void copy(const uint8_t* from, int32_t count) {
        memcpy(next_, from, static_cast<size_t>(count));
        next_ += count;
    }

    uint8_t* start_;
    uint8_t* next_;
    uint8_t* control_;
};

// Counts the bytes the same records would take.
class CountingSink {
  public:
    void record(uint8_t, int32_t) { size_ += kShortRecordBytes; }
    void open_literal(const uint8_t*, int32_t count) { size_ += 1 + count; }
    void extend_literal(const uint8_t*, int32_t count, int32_t) { size_ += count; }
    int32_t size() const { return size_; }

  private:
    int32_t size_ = 0;
};

// 0x80 in exactly the bytes of word that are zero, 0 elsewhere.
inline ScanWord zero_byte_marks(ScanWord word) {
    const ScanWord lowSeven = word & ~kHighBits;
    return ~((lowSeven + ~kHighBits) | word | ~kHighBits);
}

// One past the last byte equal to value in [from, end).
inline const uint8_t* run_end(const uint8_t* from, const uint8_t* end, uint8_t value) {
    const ScanWord pattern = value * kLowBits;
    for (; static_cast<size_t>(end - from) >= sizeof(ScanWord); from += sizeof(ScanWord)) {
        const ScanWord differing = load_word(from) ^ pattern;
        if (differing != 0) return from + first_marked_byte(differing);
    }
    while (from < end && *from == value) ++from;
    return from;
}

// The first byte in [from, end) equal to the byte after it, or end. Every
// byte before it is a run of one.
inline const uint8_t* next_repeat(const uint8_t* from, const uint8_t* end) {
    for (; static_cast<size_t>(end - from) > sizeof(ScanWord); from += sizeof(ScanWord)) {
        const ScanWord marks = zero_byte_marks(load_word(from) ^ load_word(from + 1));
        if (marks != 0) return from + first_marked_byte(marks);
    }
    for (; end - from > 1; ++from)
        if (from[0] == from[1]) return from;
    return end;
}

// Writes a run of count (>= 1) equal bytes as repeat records of 128 from
// its front, then one record for the rest. A rest of one byte becomes a
// literal record of that byte; returns true then, as the literal is open.
template <typename Sink>
bool emit_run(Sink& sink, uint8_t value, int32_t count) {
    for (; count > kLongestRecord; count -= kLongestRecord) sink.record(value, kLongestRecord);
    sink.record(value, count);
    return count == 1;
}

// Adds count runs of one byte to literals: the open one (holding literal
// bytes, 0 for none) until it reaches 128, then new ones. Returns the
// bytes the literal left open holds.
template <typename Sink>
int32_t emit_singles(Sink& sink, const uint8_t* from, int32_t count, int32_t literal) {
    while (count > 0) {
        const int32_t room = kLongestRecord - literal;
        const int32_t taken = count < room ? count : room;
        if (literal == 0) {
            sink.open_literal(from, taken);
        } else {
            sink.extend_literal(from, taken, literal + taken);
        }
        literal = literal + taken == kLongestRecord ? 0 : literal + taken;
        from += taken;
        count -= taken;
    }
    return literal;
}

// Encodes n (>= 0) source bytes as PackBits records, run by run: runs of
// one fill literals up to 128 bytes, a pair joins an open literal that has
// room for it, and longer runs are repeated.
template <typename Sink>
void emit_records(Sink& sink, const uint8_t* source, int32_t n) {
    const uint8_t* at = source;
    const uint8_t* const end = source + n;
    int32_t literal = 0;  // bytes in the open literal record; 0: none open
    while (at < end) {
        const uint8_t* const repeat = next_repeat(at, end);
        literal = emit_singles(sink, at, static_cast<int32_t>(repeat - at), literal);
        if (repeat == end) return;
        const uint8_t* const after = run_end(repeat + 2, end, *repeat);
        const int32_t count = static_cast<int32_t>(after - repeat);
        if (count == 2 && literal != 0 && literal <= kPairJoinLimit) {
            literal += 2;
            sink.extend_literal(repeat, 2, literal);
        } else if (count == 2 && literal != 0) {
            literal = 2;
            sink.open_literal(repeat, 2);
        } else {
            literal = emit_run(sink, *repeat, count) ? 1 : 0;
        }
        at = after;
    }
}

}  // namespace vrelo

#endif
