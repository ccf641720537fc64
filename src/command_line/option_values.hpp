// Small pieces every command-line tool of the project shares: checked
// numbers and resolutions from arguments, numbered file names and whole
// inputs read from a file or standard input.
#ifndef VRELO_COMMAND_LINE_OPTION_VALUES_HPP
#define VRELO_COMMAND_LINE_OPTION_VALUES_HPP

#include <cstdint>
#include <string>
#include <vector>

namespace vrelo_tools {

// Prints the message on stderr; returns false for the caller to pass on.
bool usage_error(const std::string& message);

// A whole decimal number in min..max; false with a message on stderr
// naming the option.
bool parse_number(const char* option, const char* text, long min, long max, long* value);

// "XxY" or "N" (square), each 1..32767 dpi.
bool parse_resolution(const char* text, long* resX, long* resY);

// pattern with its first "%d" replaced by number; the pattern itself when
// it has none.
std::string numbered_path(const std::string& pattern, int number);

// Every byte of the file, or of standard input for "-".
bool read_whole_input(const std::string& path, std::vector<uint8_t>* bytes,
                      std::string* error);

}  // namespace vrelo_tools

#endif
