// Sizes and control bytes of the printer commands, for the code that
// reserves room for them and assembles lines, and the splitting of long
// paper advances into raster-skip commands.
#ifndef VRELO_ENCODE_COMMAND_FORMAT_HPP
#define VRELO_ENCODE_COMMAND_FORMAT_HPP

#include <stdint.h>

namespace vrelo {

const int32_t kSkipCommandBytes = 7;     // ESC ( e 02 00 count-hi count-lo
const int32_t kColourHeaderBytes = 6;    // ESC ( A len-lo len-hi letter
const int32_t kLongestSkip = 0x7FFF;     // most lines one skip command moves
const uint8_t kCarriageReturn = 0x0D;    // closes every colour-raster command
const uint8_t kFormFeed = 0x0C;

// Writes the raster-skip commands that advance the paper by lines (> 0):
// commands of kLongestSkip lines while more remain, then one for the rest.
// Returns the bytes written, kSkipCommandBytes per command; 0 for lines <= 0.
int32_t write_line_advance(int32_t lines, uint8_t* destination);

}  // namespace vrelo

#endif
