// The SSE2 PackBits encoder. It compares each byte with its neighbour 16
// at a time into a bit mask a machine word wide, so a row is walked from
// one run of three or more equal bytes to the next; the bytes between such
// runs are runs of one and two, and nearly always make one literal record,
// copied whole. Writes exactly the bytes of the portable encoder.
#include <emmintrin.h>

#include "encode/packbits.hpp"
#include "encode/packbits_records.hpp"

#if defined(__i386__) || defined(__x86_64__)

// The i386 product is built for processors without SSE2: only this file's
// functions use it, and only once the processor has been asked.
#define VRELO_SSE2 __attribute__((target("sse2")))

namespace vrelo {
namespace {

// One bit per byte: a machine word, so masks stay in single registers on
// both targets.
using Mask = ScanWord;
const int32_t kMaskBits = kScanWordBits;
const int32_t kVectorBytes = 16;

// Shortest row worth the masks: one mask and the byte after it.
const int32_t kShortestRow = kMaskBits + 1;

// Bit i set when at[i] == at[i + 1], for i below kMaskBits; reads
// at[0..kMaskBits].
VRELO_SSE2 inline Mask equal_neighbours(const uint8_t* at) {
    Mask mask = 0;
    for (int32_t i = 0; i < kMaskBits; i += kVectorBytes) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + i + 1));
        const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, next)));
        mask |= static_cast<Mask>(bits) << i;
    }
    return mask;
}

inline int32_t trailing_zeros(Mask mask) {
    return __builtin_ctzl(mask);
}

// The lowest count (1..kMaskBits) bits.
inline Mask low_bits(int32_t count) {
    return count >= kMaskBits ? ~Mask{0} : (Mask{1} << count) - 1;
}

// A cached mask is reloaded once fewer bits than this remain of it.
const int32_t kMinimumValid = 8;

// Copies count (sizeof(Word) .. 2 * sizeof(Word)) bytes as two words that
// overlap in the middle.
template <typename Word>
inline void copy_ends(uint8_t* to, const uint8_t* from, int32_t count) {
    Word head, tail;
    memcpy(&head, from, sizeof head);
    memcpy(&tail, from + count - static_cast<int32_t>(sizeof tail), sizeof tail);
    memcpy(to, &head, sizeof head);
    memcpy(to + count - static_cast<int32_t>(sizeof tail), &tail, sizeof tail);
}

// Copies count (0..127) bytes exactly: the destination may end right
// after them. Overlapping moves of 16, 8, 4 and 1 bytes cover every count
// with a few moves and no loop below 32 bytes.
VRELO_SSE2 inline void copy_literal(uint8_t* to, const uint8_t* from, int32_t count) {
    if (count >= kVectorBytes) {
        const int32_t last = count - kVectorBytes;
        for (int32_t i = 0; i < last; i += kVectorBytes)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + last),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + last)));
    } else if (count >= 8) {
        copy_ends<uint64_t>(to, from, count);
    } else if (count >= 4) {
        copy_ends<uint32_t>(to, from, count);
    } else if (count > 0) {
        to[0] = from[0];
        to[count / 2] = from[count / 2];
        to[count - 1] = from[count - 1];
    }
}

// Walks one row of at least kShortestRow bytes.
class Sse2Encoder {
  public:
    Sse2Encoder(uint8_t* destination, const uint8_t* source, int32_t n)
        : start_(destination), out_(destination), source_(source), n_(n) {}

    VRELO_SSE2 int32_t encode() {
        int32_t at = 0;
        while (at < n_) {
            const int32_t run = next_long_run(at);
            literal_bytes(at, run);
            if (run == n_) break;
            at = run + long_run_length(run);
            emit_long_run(source_[run], at - run);
        }
        return static_cast<int32_t>(out_ - start_);
    }

  private:
    // Equal-neighbour bits from position at on; the bytes past the row
    // read as unequal. Loads stay inside the row.
    VRELO_SSE2 Mask neighbours_at(int32_t at) const {
        if (at + kMaskBits < n_) return equal_neighbours(source_ + at);
        if (at >= n_ - 1) return 0;
        const int32_t base = n_ - 1 - kMaskBits;
        return equal_neighbours(source_ + base) >> (at - base);
    }

    // Equal-neighbour bits from position at on, of which the lowest
    // *valid are known (more than kMinimumValid). Records are short, so
    // the mask of one load serves several of them.
    VRELO_SSE2 Mask window(int32_t at, int32_t* valid) {
        if (at - base_ >= kMaskBits - kMinimumValid) {
            base_ = at;
            mask_ = neighbours_at(at);
        }
        *valid = base_ + kMaskBits - at;
        return mask_ >> (at - base_);
    }

    // The start of the first run of three or more equal bytes at or after
    // at (a run start), or n_. Such a run's first two neighbour bits are
    // both set; the first such pair after a run start begins a run.
    VRELO_SSE2 int32_t next_long_run(int32_t at) {
        while (at < n_ - 2) {
            int32_t valid;
            const Mask equal = window(at, &valid);
            const Mask starts = equal & (equal >> 1) & low_bits(valid - 1);
            if (starts != 0) return at + trailing_zeros(starts);
            at += valid - 1;
        }
        return n_;
    }

    // Length of the run of equal bytes starting at at.
    VRELO_SSE2 int32_t long_run_length(int32_t at) {
        int32_t length = 1;
        for (;;) {
            int32_t valid;
            const Mask unequal = ~window(at, &valid) & low_bits(valid);
            if (unequal != 0) return length + trailing_zeros(unequal);
            length += valid;
            at += valid;
        }
    }

    bool pair_at(int32_t at, int32_t end) const {
        return at + 1 < end && source_[at] == source_[at + 1];
    }

    // The runs of one and two in [at, end) by the record rules: a pair
    // with no literal open is a repeat record; otherwise bytes fill the
    // open literal, taken whole as long as it stays within 127 bytes, then
    // one run at a time at its full end.
    VRELO_SSE2 void literal_bytes(int32_t at, int32_t end) {
        while (at < end) {
            if (literal_ == 0) {
                if (pair_at(at, end)) {
                    put_repeat(source_[at], 2);
                    at += 2;
                    continue;
                }
                open_literal();
            }
            int32_t taken =
                end - at < kLongestRecord - 1 - literal_ ? end - at : kLongestRecord - 1 - literal_;
            // A pair cut by the limit stays whole for the next step.
            if (taken > 0 && at + taken < end && source_[at + taken - 1] == source_[at + taken])
                --taken;
            add_to_literal(at, taken);
            at += taken;
            if (at < end) at += one_run_at_limit(at, end);
        }
    }

    // The run after a literal of 126 or 127 bytes: a single fills it (to
    // 128, which closes it), a pair opens a new literal. Returns its size.
    VRELO_SSE2 int32_t one_run_at_limit(int32_t at, int32_t end) {
        if (pair_at(at, end)) {
            open_literal();
            add_to_literal(at, 2);
            return 2;
        }
        add_to_literal(at, 1);
        if (literal_ == kLongestRecord) literal_ = 0;
        return 1;
    }

    void open_literal() {
        control_ = out_++;
        literal_ = 0;
    }

    VRELO_SSE2 void add_to_literal(int32_t at, int32_t count) {
        copy_literal(out_, source_ + at, count);
        out_ += count;
        literal_ += count;
        *control_ = static_cast<uint8_t>(literal_ - 1);
    }

    void put_repeat(uint8_t value, int32_t count) {
        out_[0] = static_cast<uint8_t>(1 - count);
        out_[1] = value;
        out_ += kShortRecordBytes;
    }

    // A run of three or more closes any open literal and becomes repeat
    // records of 128 from its front; a rest of one opens a literal.
    void emit_long_run(uint8_t value, int32_t count) {
        for (; count > kLongestRecord; count -= kLongestRecord) put_repeat(value, kLongestRecord);
        literal_ = 0;
        if (count > 1) {
            put_repeat(value, count);
            return;
        }
        open_literal();
        *out_++ = value;
        literal_ = 1;
        *control_ = 0;
    }

    int32_t base_ = -kMaskBits;  // position of the cached mask's bit 0
    Mask mask_ = 0;
    uint8_t* start_;
    uint8_t* out_;
    uint8_t* control_ = nullptr;  // control byte of the open literal
    int32_t literal_ = 0;         // bytes in the open literal; 0: none open
    const uint8_t* source_;
    int32_t n_;
};

}  // namespace

VRELO_SSE2 int32_t packbits_sse2(uint8_t* destination, const uint8_t* source, int32_t n) {
    if (n < kShortestRow) return packbits_portable(destination, source, n);
    Sse2Encoder encoder(destination, source, n);
    return encoder.encode();
}

}  // namespace vrelo

#endif
