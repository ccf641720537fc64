// The outside baseline: libtiff's PackBits, encoding rows as one strip of
// a bilevel or 2-bit TIFF image written into memory.
#ifndef VRELO_BENCH_LIBTIFF_PACKBITS_HPP
#define VRELO_BENCH_LIBTIFF_PACKBITS_HPP

#include <cstdint>
#include <memory>
#include <vector>

namespace vrelo_bench {

class LibtiffStrip {
  public:
    // Rows of rowBytes bytes at bitsPerPixel (1 or 2), rows of them.
    LibtiffStrip(int32_t rowBytes, int32_t rows, int bitsPerPixel);
    ~LibtiffStrip();
    LibtiffStrip(const LibtiffStrip&) = delete;
    LibtiffStrip& operator=(const LibtiffStrip&) = delete;

    // Encodes the rows (rows * rowBytes bytes, one after the other) as the
    // image's strip; returns the compressed bytes, or empty on failure.
    std::vector<uint8_t> encode(const uint8_t* rows);
    // The same without keeping the bytes, for timing.
    bool encode_only(const uint8_t* rows);

  private:
    struct File;
    std::unique_ptr<File> file_;
    int32_t bytes_;
};

}  // namespace vrelo_bench

#endif
