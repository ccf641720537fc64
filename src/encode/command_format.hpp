// Sizes and control bytes of the printer commands, for the code that
// reserves room for them and assembles lines, and the writing of long
// paper advances as raster-skip commands.
#ifndef VRELO_ENCODE_COMMAND_FORMAT_HPP
#define VRELO_ENCODE_COMMAND_FORMAT_HPP

#include <stdint.h>

#include "encode/pieces.hpp"

namespace vrelo {

const int32_t kSkipCommandBytes = 7;     // ESC ( e 02 00 count-hi count-lo
const int32_t kColourHeaderBytes = 6;    // ESC ( A len-lo len-hi letter
const int32_t kLongestSkip = kLongestPiece;  // most lines one skip moves
const uint8_t kCarriageReturn = 0x0D;    // closes every colour-raster command
const uint8_t kFormFeed = 0x0C;

// Writes the raster-skip commands that advance the paper by lines, one per
// piece of split_into_pieces. Returns the bytes written, kSkipCommandBytes
// per command; 0 for lines <= 0.
int32_t write_line_advance(int32_t lines, uint8_t* destination);

}  // namespace vrelo

#endif
