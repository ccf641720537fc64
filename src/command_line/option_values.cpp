// Option values (see option_values.hpp).
#include "option_values.hpp"

#include <cerrno>
#include <cstdlib>

namespace vrelo_tools {

constexpr long kLargestResolution = 32767;

bool parse_number(const char* option, const char* text, long min, long max, long* value,
                  std::string* error) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno == 0 && end != text && *end == '\0' && parsed >= min && parsed <= max) {
        *value = parsed;
        return true;
    }
    *error = std::string(option) + " takes a number from " + std::to_string(min) + " to " +
             std::to_string(max) + ", not '" + text + "'";
    return false;
}

bool parse_resolution(const char* text, long* resX, long* resY, std::string* error) {
    const std::string value = text;
    const size_t cross = value.find('x');
    const std::string x = value.substr(0, cross);
    const std::string y = cross == std::string::npos ? x : value.substr(cross + 1);
    return parse_number("--resolution", x.c_str(), 1, kLargestResolution, resX, error) &&
           parse_number("--resolution", y.c_str(), 1, kLargestResolution, resY, error);
}

std::string numbered_path(const std::string& pattern, int number) {
    const size_t at = pattern.find("%d");
    if (at == std::string::npos) return pattern;
    return pattern.substr(0, at) + std::to_string(number) + pattern.substr(at + 2);
}

}  // namespace vrelo_tools
