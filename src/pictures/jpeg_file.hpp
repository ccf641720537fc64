// JPEG pictures through libjpeg, as 8-bit RGB with their embedded ICC
// profile and density.
#ifndef VRELO_TOOLS_JPEG_FILE_HPP
#define VRELO_TOOLS_JPEG_FILE_HPP

#include <cstdint>
#include <string>
#include <vector>

#include "png_file.hpp"

namespace vrelo_tools {

// True when bytes start as a JPEG file does.
bool is_jpeg(const std::vector<uint8_t>& start);

// The whole file in memory. Grey pictures come as RGB (without their grey
// profile); CMYK ones are refused with a message saying so.
bool read_jpeg(const std::vector<uint8_t>& file, RgbImage* image, std::string* error);

}  // namespace vrelo_tools

#endif
