// Splitting a count into pieces an int16 can hold: a raster skip moves the
// paper at most 32767 lines, and a chunk handed to the host holds at most
// 32767 bytes. Both modes cut their advances and chunks here.
#ifndef VRELO_ENCODE_PIECES_HPP
#define VRELO_ENCODE_PIECES_HPP

#include <stdint.h>

namespace vrelo {

inline constexpr int32_t kLongestPiece = 0x7FFF;

// Calls take(piece) for consecutive pieces that add up to total: pieces of
// kLongestPiece while more remain, then one for the rest. Nothing for a
// total of 0 or less.
template <typename Take>
void split_into_pieces(int64_t total, Take take) {
    for (; total > kLongestPiece; total -= kLongestPiece) take(kLongestPiece);
    if (total > 0) take(static_cast<int32_t>(total));
}

// How many pieces split_into_pieces makes of total (>= 0).
constexpr int64_t pieces_in(int64_t total) {
    return (total + kLongestPiece - 1) / kLongestPiece;
}

}  // namespace vrelo

#endif
