// The commands a printer must receive, built straight from their byte
// layouts for the models to compare against: the raster skips of an
// advance and the complete colour-raster command of one row.
#ifndef VRELO_TEST_STREAM_COMMANDS_HPP
#define VRELO_TEST_STREAM_COMMANDS_HPP

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bytes.hpp"
#include "page_generator.hpp"

namespace vrelo_test {

// The colour letters of row 0, by colour index: the order rows go out in.
inline const char kLetters[] = "KYMCmc";
inline const std::string kAllColours = kLetters;

using Chunks = std::vector<Bytes>;

// Raster-skip commands for an advance of `lines` (none for 0 or less), one
// per chunk, split at 32767 lines.
Chunks skip_commands(int64_t lines);

// Header, zero-run prefix, PackBits payload and carriage return of one
// colour's row; row is what the printer must print, leading zeros included
// (expected_row), and must hold a non-zero byte.
Bytes colour_command(int colour, const Bytes& row);

// The colour-raster command of each colour of a line, nothing for a colour
// that prints nothing.
using LineCommands = std::array<std::optional<Bytes>, 6>;
LineCommands line_commands(const PageLine& line, int16_t pixelShift, bool doubleX);

}  // namespace vrelo_test

#endif
