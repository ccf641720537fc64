// Reads a CUPS raster stream through libcups, page by page and line by
// line, with every header checked before its pixels are used and every
// short read, inside a header or inside the pixels, reported as an error.
#ifndef VRELO_TOOLS_RASTER_INPUT_HPP
#define VRELO_TOOLS_RASTER_INPUT_HPP

#include <cups/raster.h>

#include <csignal>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "raster_format.hpp"

namespace vrelo_tools {

class RasterInput {
  public:
    // Reads from fd, which stays open, after the bytes of prefix (those a
    // caller took from fd to tell what it holds).
    explicit RasterInput(int fd, std::vector<uint8_t> prefix = {});
    ~RasterInput();
    RasterInput(const RasterInput&) = delete;
    RasterInput& operator=(const RasterInput&) = delete;

    // A read waiting for input gives up once *cancel is set by a signal.
    void set_cancel(const volatile std::sig_atomic_t* cancel) { cancel_ = cancel; }

    // False when the stream does not start as a CUPS raster stream.
    bool opened() const { return raster_ != nullptr; }
    // Why it is not, naming the input as `name`: a read that failed, or a
    // start that is not CUPS raster.
    std::string not_raster(const std::string& name) const;

    enum class Next { kPage, kEnd, kError };
    // The next page's header, checked. kError names the page and the field,
    // or a stream cut inside the header.
    Next next_page(RasterFormat* format, std::string* error);
    // One line of the current page, format.bytesPerLine bytes. False with
    // *error when the stream ends inside the page's pixels.
    bool read_line(uint8_t* line, std::string* error);

    int page() const { return page_; }            // 1 for the first page
    uint32_t line() const { return linesRead_; }  // lines read of the page
    const cups_page_header2_t& header() const { return header_; }

  private:
    static ssize_t read_bytes(void* context, unsigned char* buffer, size_t length);
    // Why the stream stopped on page `page`: a read that failed, else what
    // was cut short.
    std::string stopped(int page, const std::string& cut) const;

    int fd_;
    std::vector<uint8_t> prefix_;
    size_t prefixUsed_ = 0;
    const volatile std::sig_atomic_t* cancel_ = nullptr;
    cups_raster_t* raster_ = nullptr;
    cups_page_header2_t header_{};
    RasterFormat format_;
    int page_ = 0;
    uint32_t linesRead_ = 0;
    // What libcups last asked for and how much it got since a header read
    // began: tells a stream cut inside a header from one that ended.
    size_t lastRequest_ = 0;
    uint64_t delivered_ = 0;
    int readError_ = 0;  // errno of a read that failed
};

// A raster file opened by name, or standard input for "-".
class RasterFile {
  public:
    // On failure opened() is false and *error names the file and says why.
    RasterFile(const std::string& path, std::string* error);
    ~RasterFile();
    RasterFile(const RasterFile&) = delete;
    RasterFile& operator=(const RasterFile&) = delete;

    bool opened() const { return input_ != nullptr; }
    RasterInput& input() { return *input_; }

  private:
    int fd_ = -1;
    std::unique_ptr<RasterInput> input_;
};

}  // namespace vrelo_tools

#endif
