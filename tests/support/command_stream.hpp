// Reads a printer command stream back into events, for tests that check
// what the library sends: raster skips, colour rows (decoded), carriage
// returns and form feeds. Anything malformed stops the reading with an error.
#ifndef VRELO_TEST_COMMAND_STREAM_HPP
#define VRELO_TEST_COMMAND_STREAM_HPP

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "packbits_decode.hpp"

namespace vrelo_test {

enum class CommandKind { kSkip, kColourRow, kCarriageReturn, kFormFeed };

struct CommandEvent {
    CommandKind kind;
    int32_t lines;  // kSkip: lines advanced, 1..32767
    char letter;    // kColourRow: one of K Y M C m c
    Bytes row;      // kColourRow: the payload decoded, zero prefix included
};

CommandEvent skip_event(int32_t lines);
CommandEvent colour_event(char letter, Bytes row);
CommandEvent carriage_return_event();
CommandEvent form_feed_event();

bool operator==(const CommandEvent& a, const CommandEvent& b);
bool operator!=(const CommandEvent& a, const CommandEvent& b);
std::ostream& operator<<(std::ostream& out, const CommandEvent& event);

// The events read, and an error text (empty when the whole stream was
// sound; otherwise the events hold what came before the fault).
struct CommandStream {
    std::vector<CommandEvent> events;
    std::string error;
};

// Accepts ESC ( e 02 00 hi lo (count 1..32767), ESC ( A lo hi letter
// payload (length >= 1) immediately followed by 0x0D, a lone 0x0D, and
// 0x0C. A colour row's carriage return is reported as an event of its own.
CommandStream read_command_stream(const uint8_t* data, size_t size);
CommandStream read_command_stream(const Bytes& stream);

}  // namespace vrelo_test

#endif
