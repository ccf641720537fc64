// The printer commands as the producing calls lay them out: their sizes
// and control bytes, the splitting of a count into pieces an int16 can hold
// (a raster skip moves the paper at most 32767 lines, and a chunk handed to
// the host holds at most 32767 bytes; both modes cut their advances and
// chunks here), and the writing of long paper advances as raster-skip
// commands.
#ifndef VRELO_ENCODE_COMMANDS_HPP
#define VRELO_ENCODE_COMMANDS_HPP

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

const int32_t kSkipCommandBytes = 7;         // ESC ( e 02 00 count-hi count-lo
const int32_t kColourHeaderBytes = 6;        // ESC ( A len-lo len-hi letter
const int32_t kLongestSkip = kLongestPiece;  // most lines one skip moves
const uint8_t kCarriageReturn = 0x0D;        // closes every colour-raster command
const uint8_t kFormFeed = 0x0C;

// Writes the raster-skip commands that advance the paper by lines, one per
// piece of split_into_pieces. Returns the bytes written, kSkipCommandBytes
// per command; 0 for lines <= 0.
int32_t write_line_advance(int32_t lines, uint8_t* destination);

}  // namespace vrelo

#endif
