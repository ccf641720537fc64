// Option values every program reads the same way: checked numbers and
// resolutions, and numbered file names.
#ifndef VRELO_COMMAND_LINE_OPTION_VALUES_HPP
#define VRELO_COMMAND_LINE_OPTION_VALUES_HPP

#include <string>

namespace vrelo_tools {

// A whole decimal number in min..max; false with *error naming the option.
bool parse_number(const char* option, const char* text, long min, long max, long* value,
                  std::string* error);

// "XxY" or "N" (square), each 1..32767 dpi.
bool parse_resolution(const char* text, long* resX, long* resY, std::string* error);

// pattern with its first "%d" replaced by number; the pattern itself when
// it has none.
std::string numbered_path(const std::string& pattern, int number);

}  // namespace vrelo_tools

#endif
