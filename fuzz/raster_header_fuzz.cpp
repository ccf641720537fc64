// Fuzz target: the host programs' raster-header checks and the split of a
// raster line into the library's planes, on arbitrary headers and pixels.
// A header either names its fault or gives a format whose line size and
// plane size agree with its width and depth; splitting a line of that
// size never reads or writes outside it.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.hpp"
#include "raster_format.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cups_page_header2_t header;
    std::memset(&header, 0, sizeof header);
    std::memcpy(&header, data, size < sizeof header ? size : sizeof header);
    vrelo_tools::RasterFormat format;
    const std::string fault = vrelo_tools::check_raster_header(header, &format);
    if (!fault.empty()) return 0;
    vrelo_fuzz::require(format.width > 0 && format.width <= vrelo_tools::kWidestPage &&
                            format.bytesPerLine == header.cupsBytesPerLine &&
                            format.planeBytes() <= 8192,
                        "an accepted header gives a format the library can take");
    // One line of exactly the size the header gives: the rest of the input,
    // repeated.
    std::vector<uint8_t> line(format.bytesPerLine);
    const size_t rest = size > sizeof header ? size - sizeof header : 0;
    for (size_t i = 0; i < line.size() && rest > 0; ++i) line[i] = data[sizeof header + i % rest];
    vrelo_tools::PlaneRows planes;
    vrelo_tools::split_raster_line(format, line.data(), &planes);
    for (const auto& plane : planes)
        vrelo_fuzz::require(plane.size() == format.planeBytes(), "every plane has its size");
    return 0;
}
