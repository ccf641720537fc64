// Lays out one colour-raster command with the encoder's formatters;
// shared by both modes.
#include "output/row_commands.hpp"

namespace vrelo {
namespace {
// The line-production calls always take the letters of row 0.
constexpr int16_t kLetterRow = 0;
}  // namespace

int32_t write_row_command(uint8_t* destination, int16_t colour, const uint8_t* row, RowSpan span) {
    uint8_t* payload = destination + kColourHeaderBytes;
    // Bytes before the first ink go out as zero runs made from the count.
    const int32_t prefix = span.first > 0 ? LeftPack(payload, span.first) : 0;
    const int32_t packed = packbits(payload + prefix, row + span.first, span.last - span.first + 1);
    const int32_t total = prefix + packed;
    // The header is written last: only now is the payload size known.
    WriteSpecColor(kLetterRow, colour, static_cast<int16_t>(total + 1), destination);
    payload[total] = kCarriageReturn;
    return kColourHeaderBytes + total + kCarriageReturnBytes;
}

}  // namespace vrelo
