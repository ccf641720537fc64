// PNG files through libpng: a writer that takes one row at a time, so that
// a page is never held whole, and a reader that gives 8-bit RGB rows.
#ifndef VRELO_TOOLS_PNG_FILE_HPP
#define VRELO_TOOLS_PNG_FILE_HPP

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vrelo_tools {

class PngWriter {
  public:
    enum class Kind { kGrey, kRgb };
    PngWriter();
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // False with *error naming the file and the reason when it cannot be
    // created; so for each call.
    bool open(const std::string& path, uint32_t width, uint32_t height, Kind kind,
              std::string* error);
    // One row of width pixels: 1 byte each (grey) or 3 (RGB).
    bool write_row(const uint8_t* row, std::string* error);
    // Finishes the file; false when it could not be written whole.
    bool close(std::string* error);

  private:
    struct Png;
    std::unique_ptr<Png> png_;
};

// A picture as 8-bit RGB, whatever its colour type and depth (grey,
// palette, alpha composited onto white).
struct RgbImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t dpiX = 0, dpiY = 0;      // from the file (pHYs, JFIF); 0 if none
    std::vector<uint8_t> pixels;      // width * 3 bytes per row
    std::vector<uint8_t> iccProfile;  // the file's own RGB profile, if any
    const uint8_t* row(uint32_t y) const {
        return pixels.data() + static_cast<size_t>(y) * width * 3;
    }
};

// True when bytes start as a PNG file does.
bool is_png(const std::vector<uint8_t>& start);

// The whole file in memory. A colour PNG's embedded ICC profile (iCCP)
// comes with it; a grey one's would not describe the RGB it is turned
// into, so it is left.
bool read_png(const std::vector<uint8_t>& file, RgbImage* image, std::string* error);

// Largest picture read, in pixels: far beyond a page at print resolution,
// and small enough to hold in memory.
constexpr uint64_t kLargestImagePixels = static_cast<uint64_t>(1) << 28;

}  // namespace vrelo_tools

#endif
