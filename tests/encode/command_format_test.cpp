// The raster-skip and colour-raster formatters: their exact bytes, the
// 16-bit reading of counts, refused arguments and the splitting of long
// advances.
#include <gtest/gtest.h>

#include "command_stream.hpp"
#include "encode/commands.hpp"
#include "encode_calls.hpp"

namespace vrelo_test {
namespace {

const uint8_t kUntouched = 0xEE;

Bytes skip_command(int32_t count) {
    Bytes out(vrelo::kSkipCommandBytes, kUntouched);
    out.resize(static_cast<size_t>(WriteSkipCommand(count, out.data())));
    return out;
}

Bytes colour_header(int16_t row, int16_t colour, int16_t length) {
    Bytes out(vrelo::kColourHeaderBytes, kUntouched);
    WriteSpecColor(row, colour, length, out.data());
    return out;
}

TEST(RasterSkip, WritesTheCountHighByteFirst) {
    EXPECT_EQ(skip_command(1), from_hex("1B 28 65 02 00 00 01"));
    EXPECT_EQ(skip_command(32767), from_hex("1B 28 65 02 00 7F FF"));
    EXPECT_EQ(skip_command(300), from_hex("1B 28 65 02 00 01 2C"));
}

TEST(RasterSkip, ReadsOnlyTheLow16BitsAsASignedCount) {
    EXPECT_EQ(skip_command(65536 + 300), skip_command(300));
    for (int32_t count : {0, -1, -32767, 0x8000, 0xFFFF, 0x10000, 0x18000}) {
        Bytes out(vrelo::kSkipCommandBytes, kUntouched);
        EXPECT_EQ(WriteSkipCommand(count, out.data()), 0) << count;
        EXPECT_EQ(out, Bytes(vrelo::kSkipCommandBytes, kUntouched)) << count;
    }
}

TEST(RasterSkip, RefusesAMissingDestination) {
    EXPECT_EQ(WriteSkipCommand(5, nullptr), 0);
}

std::vector<CommandEvent> advance_events(int32_t lines) {
    Bytes out(static_cast<size_t>(lines / vrelo::kLongestSkip + 1) * vrelo::kSkipCommandBytes);
    out.resize(static_cast<size_t>(vrelo::write_line_advance(lines, out.data())));
    const CommandStream read = read_command_stream(out);
    EXPECT_EQ(read.error, "");
    return read.events;
}

TEST(LineAdvance, SplitsIntoCommandsOfAtMost32767Lines) {
    EXPECT_EQ(advance_events(32767), std::vector<CommandEvent>{skip_event(32767)});
    EXPECT_EQ(advance_events(32768), (std::vector<CommandEvent>{skip_event(32767), skip_event(1)}));
    EXPECT_EQ(advance_events(65536),
              (std::vector<CommandEvent>{skip_event(32767), skip_event(32767), skip_event(2)}));
}

TEST(LineAdvance, EveryAdvanceIsSentWhole) {
    for (int32_t lines = 1; lines < 4 * 32767; lines += 997) {
        const std::vector<CommandEvent> events = advance_events(lines);
        ASSERT_EQ(events.size(), static_cast<size_t>((lines + 32766) / 32767)) << lines;
        int32_t sent = 0;
        for (size_t i = 0; i + 1 < events.size(); ++i) EXPECT_EQ(events[i].lines, 32767);
        for (const CommandEvent& event : events) sent += event.lines;
        EXPECT_EQ(sent, lines);
    }
}

TEST(LineAdvance, NoAdvanceWritesNothing) {
    EXPECT_EQ(vrelo::write_line_advance(0, nullptr), 0);
    EXPECT_EQ(vrelo::write_line_advance(-5, nullptr), 0);
}

TEST(ColourHeader, WritesLengthLittleEndianAndTheColourLetter) {
    EXPECT_EQ(colour_header(0, 2, 0x0123), from_hex("1B 28 41 23 01 4D"));
    EXPECT_EQ(colour_header(1, 2, 0x0123), from_hex("1B 28 41 23 01 6D"));
    EXPECT_EQ(colour_header(0, 5, 1), from_hex("1B 28 41 01 00 63"));
    EXPECT_EQ(colour_header(0, 0, 32767), from_hex("1B 28 41 FF 7F 4B"));
}

TEST(ColourHeader, SecondRowExchangesDarkAndLightMagentaAndCyan) {
    const std::string letters[2] = {"KYMCmc", "KYmcMC"};
    for (int16_t row = 0; row < 2; ++row)
        for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour)
            EXPECT_EQ(colour_header(row, colour, 1).back(),
                      static_cast<uint8_t>(letters[row][static_cast<size_t>(colour)]))
                << row << " " << colour;
}

TEST(ColourHeader, BadRowColourOrDestinationWritesNothing) {
    const Bytes untouched(vrelo::kColourHeaderBytes, kUntouched);
    for (int16_t row : {-1, 2, 6, 0x7FFF}) EXPECT_EQ(colour_header(row, 0, 1), untouched) << row;
    for (int16_t colour : {-1, 6, 11, -0x8000})
        EXPECT_EQ(colour_header(0, colour, 1), untouched) << colour;
    WriteSpecColor(0, 0, 1, nullptr);
}

}  // namespace
}  // namespace vrelo_test
