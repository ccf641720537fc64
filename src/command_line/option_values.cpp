// Argument and input helpers of the tools (see tool_args.hpp).
#include "option_values.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace vrelo_tools {

constexpr long kLargestResolution = 32767;

bool usage_error(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return false;
}

bool parse_number(const char* option, const char* text, long min, long max, long* value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < min || parsed > max)
        return usage_error(std::string(option) + " takes a number from " +
                           std::to_string(min) + " to " + std::to_string(max) +
                           ", not '" + text + "'");
    *value = parsed;
    return true;
}

bool parse_resolution(const char* text, long* resX, long* resY) {
    const std::string value = text;
    const size_t cross = value.find('x');
    const std::string x = value.substr(0, cross);
    const std::string y = cross == std::string::npos ? x : value.substr(cross + 1);
    return parse_number("--resolution", x.c_str(), 1, kLargestResolution, resX) &&
           parse_number("--resolution", y.c_str(), 1, kLargestResolution, resY);
}

std::string numbered_path(const std::string& pattern, int number) {
    const size_t at = pattern.find("%d");
    if (at == std::string::npos) return pattern;
    return pattern.substr(0, at) + std::to_string(number) + pattern.substr(at + 2);
}

bool read_whole_input(const std::string& path, std::vector<uint8_t>* bytes,
                      std::string* error) {
    std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot open " + path;
        return false;
    }
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + got);
    const bool failed = std::ferror(file) != 0;
    if (file != stdin) std::fclose(file);
    if (!failed) return true;
    *error = "cannot read " + path;
    return false;
}

}  // namespace vrelo_tools
