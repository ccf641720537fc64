// The test-side stream reader and PackBits decoder, which every round-trip
// test trusts: they must read sound streams into events and stop loudly at
// each kind of malformed input rather than skip over it.
#include <gtest/gtest.h>

#include "command_stream.hpp"

namespace vrelo_test {
namespace {

TEST(StreamReader, ReadsEachCommandIntoItsEvent) {
    const CommandStream read =
        read_command_stream(from_hex("1B 28 65 02 00 01 2C"                 // skip 300
                                     "1B 28 41 06 00 6D 81 00 01 07 08 0D"  // m: 128 blanks, 07 08
                                     "0D 0C"));
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.events,
              (std::vector<CommandEvent>{
                  skip_event(300), colour_event('m', concat({Bytes(128, 0), {7, 8}})),
                  carriage_return_event(), carriage_return_event(), form_feed_event()}));
}

TEST(StreamReader, StopsAtTheFirstMalformedCommand) {
    const struct {
        const char* stream;
        const char* fault;
    } cases[] = {
        {"00", "unknown byte 0x00"},
        {"1B 28 58 02 00 00 01", "unknown byte 0x1B"},
        {"1B 28 65 02 00 00", "raster skip cut short"},
        {"1B 28 65 03 00 00 01", "parameter length is not 2"},
        {"1B 28 65 02 00 00 00", "raster skip of 0 lines"},
        {"1B 28 65 02 00 80 00", "raster skip of 32768 lines"},
        {"1B 28 41 03 00", "header cut short"},
        {"1B 28 41 00 00 4B 0D", "length 0"},
        {"1B 28 41 03 00 58 00 01 0D", "unknown colour letter 0x58"},
        {"1B 28 41 05 00 4B 00 01", "payload cut short"},
        {"1B 28 41 03 00 4B 00 01", "not followed by a carriage return"},
        {"1B 28 41 03 00 4B 00 01 0C", "not followed by a carriage return"},
        {"1B 28 41 03 00 4B 80 00 0D", "control byte 0x80"},
        {"1B 28 41 03 00 4B 02 01 0D", "record at 0 needs 3 bytes, 1 left"},
        {"1B 28 41 02 00 4B FF 0D", "record at 0 needs 1 bytes, 0 left"},
    };
    for (const auto& c : cases) {
        const CommandStream read = read_command_stream(from_hex(c.stream));
        EXPECT_NE(read.error.find(c.fault), std::string::npos)
            << c.stream << " gave \"" << read.error << "\"";
    }
}

TEST(StreamReader, KeepsTheEventsBeforeAFaultAndSaysWhere) {
    const CommandStream read = read_command_stream(from_hex("0C 1B 28 65 02 00 00 05 42"));
    EXPECT_EQ(read.events, (std::vector<CommandEvent>{form_feed_event(), skip_event(5)}));
    EXPECT_EQ(read.error, "at byte 8: unknown byte 0x42");
}

TEST(PackBitsDecoder, ExpandsLiteralAndRepeatRecords) {
    const Decoded decoded = packbits_decode(from_hex("02 01 02 03 FE 09 81 00 00 05"));
    ASSERT_EQ(decoded.error, "");
    EXPECT_EQ(decoded.bytes, concat({{1, 2, 3, 9, 9, 9}, Bytes(128, 0), {5}}));
}

}  // namespace
}  // namespace vrelo_test
