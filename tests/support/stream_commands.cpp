#include "stream_commands.hpp"

#include <algorithm>

#include "reference_packbits.hpp"

namespace vrelo_test {
namespace {
const int32_t kLongestSkip = 32767;
}  // namespace

Chunks skip_commands(int64_t lines) {
    Chunks out;
    for (; lines > 0; lines -= kLongestSkip) {
        const int64_t n = lines > kLongestSkip ? kLongestSkip : lines;
        out.push_back(
            {0x1B, 0x28, 0x65, 0x02, 0x00, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    }
    return out;
}

Bytes colour_command(int colour, const Bytes& row) {
    size_t zeros = 0;
    while (row[zeros] == 0) ++zeros;
    Bytes payload = zeros > 0 ? reference_zero_prefix(static_cast<int>(zeros)) : Bytes{};
    const Bytes ink = reference_packbits(Bytes(row.begin() + static_cast<long>(zeros), row.end()));
    payload.insert(payload.end(), ink.begin(), ink.end());
    const size_t length = payload.size() + 1;
    Bytes command(6 + payload.size() + 1);
    const uint8_t header[6] = {0x1B,
                               0x28,
                               0x41,
                               static_cast<uint8_t>(length & 0xFF),
                               static_cast<uint8_t>(length >> 8),
                               static_cast<uint8_t>(kLetters[colour])};
    std::copy(header, header + 6, command.begin());
    std::copy(payload.begin(), payload.end(), command.begin() + 6);
    command.back() = 0x0D;
    return command;
}

LineCommands line_commands(const PageLine& line, int16_t pixelShift, bool doubleX) {
    LineCommands commands;
    for (int c = 0; c < 6; ++c) {
        const Bytes row = expected_row(line.planes[c], pixelShift, doubleX);
        if (!row.empty()) commands[static_cast<size_t>(c)] = colour_command(c, row);
    }
    return commands;
}

}  // namespace vrelo_test
