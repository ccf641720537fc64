// The raster-skip and colour-raster command formatters. Each call copies a
// constant template and fills in its variable bytes, so the output depends
// on the arguments alone.
#include <string.h>

#include "encode/commands.hpp"
#include "vrelo417.h"

namespace {

const uint8_t kSkipTemplate[vrelo::kSkipCommandBytes] = {0x1B, 0x28, 0x65, 0x02, 0x00, 0x00, 0x00};
const uint8_t kColourHeaderTemplate[vrelo::kColourHeaderBytes] = {0x1B, 0x28, 0x41,
                                                                  0x00, 0x00, 0x00};

// Letter of each colour (K, Y, M, C, m, c). The second row exchanges the
// dark and light letters of magenta and cyan.
const int16_t kLetterRows = 2;
const uint8_t kColourLetters[kLetterRows][VRELO_COLOURS] = {{'K', 'Y', 'M', 'C', 'm', 'c'},
                                                            {'K', 'Y', 'm', 'c', 'M', 'C'}};

}  // namespace

VRELO_API int32_t WriteSkipCommand(int32_t count, uint8_t* destination) {
    // Only the low 16 bits count, read as a signed line number.
    const int16_t lines = static_cast<int16_t>(count);
    if (destination == nullptr || lines <= 0) return 0;
    memcpy(destination, kSkipTemplate, sizeof kSkipTemplate);
    // The line count goes high byte first, unlike the parameter length.
    destination[5] = static_cast<uint8_t>(lines >> 8);
    destination[6] = static_cast<uint8_t>(lines & 0xFF);
    return vrelo::kSkipCommandBytes;
}

VRELO_API void WriteSpecColor(int16_t row, int16_t colour, int16_t length, uint8_t* destination) {
    if (destination == nullptr) return;
    if (row < 0 || row >= kLetterRows) return;
    if (colour < 0 || colour >= VRELO_COLOURS) return;
    const uint16_t field = static_cast<uint16_t>(length);
    memcpy(destination, kColourHeaderTemplate, sizeof kColourHeaderTemplate);
    destination[3] = static_cast<uint8_t>(field & 0xFF);
    destination[4] = static_cast<uint8_t>(field >> 8);
    destination[5] = kColourLetters[row][colour];
}

namespace vrelo {

int32_t write_line_advance(int32_t lines, uint8_t* destination) {
    int32_t written = 0;
    split_into_pieces(
        lines, [&](int32_t piece) { written += WriteSkipCommand(piece, destination + written); });
    return written;
}

}  // namespace vrelo
