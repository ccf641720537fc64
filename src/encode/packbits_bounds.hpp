// How large PackBits output can grow: the record limits the encoder works
// by and the most bytes it writes for a row and for its zero-run prefix,
// for callers that size buffers and ranges before compressing.
#ifndef VRELO_ENCODE_PACKBITS_BOUNDS_HPP
#define VRELO_ENCODE_PACKBITS_BOUNDS_HPP

#include <stdint.h>

namespace vrelo {

// A record stands for at most this many bytes.
inline constexpr int32_t kLongestRecord = 128;
// An open literal holding at most this many bytes takes in a following
// pair; a fuller one leaves the pair to a literal of its own.
inline constexpr int32_t kPairJoinLimit = 125;
// A repeat record and a one-byte literal each take a control byte and a
// value byte.
inline constexpr int32_t kShortRecordBytes = 2;

// The most bytes packbits writes for n source bytes: repeat records never
// take more than they stand for, and a literal gives way to a pair only
// once it holds more than kPairJoinLimit bytes, so at most one control
// byte comes on top of every kPairJoinLimit + 1 bytes.
constexpr int32_t packbits_bound(int32_t n) {
    return n + (n + kPairJoinLimit) / (kPairJoinLimit + 1);
}

// The bytes LeftPack writes for n (>= 1) blank bytes: one short record per
// started kLongestRecord.
constexpr int32_t zero_run_bound(int32_t n) {
    return kShortRecordBytes * ((n + kLongestRecord - 1) / kLongestRecord);
}

}  // namespace vrelo

#endif
