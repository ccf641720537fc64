// Colour-raster commands as the producing calls lay them out in memory,
// and the worst-case size of one direct-mode line.
#ifndef VRELO_OUTPUT_ROW_COMMANDS_HPP
#define VRELO_OUTPUT_ROW_COMMANDS_HPP

#include <stdint.h>

#include "encode/commands.hpp"
#include "encode/packbits.hpp"
#include "output/job_config.hpp"
#include "output/line_planes.hpp"

namespace vrelo {

constexpr int32_t kCarriageReturnBytes = 1;

// Writes the colour-raster command for the span of row: header, zero-run
// prefix for the bytes before span.first, PackBits of the span, then the
// carriage return. Returns the bytes written.
int32_t write_row_command(uint8_t* destination, int16_t colour, const uint8_t* row, RowSpan span);

// Bounds of what one line can need. Pixel positions are int16, so at 2
// bits per pixel a row's range ends at byte 8191.
constexpr int32_t kWidestRowBytes = ((INT16_MAX - 1) >> kTwoBitsPerPixel) + 1;
constexpr int32_t kRowCommandBound = kColourHeaderBytes + zero_run_bound(kWidestRowBytes) +
                                     packbits_bound(kWidestRowBytes) + kCarriageReturnBytes;
constexpr int32_t kAdvanceBound =
    static_cast<int32_t>(pieces_in(VRELO_MAX_ADVANCE)) * kSkipCommandBytes;

// The direct-mode command buffer holds the worst line: the longest advance
// and six incompressible rows of the widest size.
constexpr int32_t kCommandBufferBytes = kAdvanceBound + VRELO_COLOURS * kRowCommandBound;

}  // namespace vrelo

#endif
