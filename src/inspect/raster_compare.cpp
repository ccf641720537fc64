// Stream against raster (see raster_compare.hpp). The raster is read one
// line at a time, so a page of it is never held whole.
#include "raster_compare.hpp"

#include <cstdio>
#include <vector>

#include "files.hpp"
#include "raster_input.hpp"

namespace vrelo_inspect {
namespace {

using vrelo_tools::PlaneRows;
using vrelo_tools::RasterFile;
using vrelo_tools::RasterFormat;
using vrelo_tools::RasterInput;

const Row kNoRow;

size_t trimmed_size(const std::vector<uint8_t>& row) {
    size_t size = row.size();
    while (size > 0 && row[size - 1] == 0) --size;
    return size;
}

std::string where(size_t page, int colour, int64_t line) {
    return "page " + std::to_string(page + 1) + ", colour " + kColourLetters[colour] + ", line " +
           std::to_string(line);
}

// A row's byte; rows end at their last non-zero byte, zeros follow.
uint8_t byte_at(const uint8_t* bytes, size_t size, size_t index) {
    return index < size ? bytes[index] : 0;
}

std::string byte_text(const uint8_t* bytes, size_t size, size_t index) {
    if (size == 0) return "no row";
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte_at(bytes, size, index));
    return text;
}

// The first byte where the stream's row and the raster's differ, or "".
std::string compare_row(const Row& sent, const std::vector<uint8_t>& raster) {
    const size_t rasterSize = trimmed_size(raster);
    const size_t longer = sent.size() > rasterSize ? sent.size() : rasterSize;
    size_t i = 0;
    while (i < longer &&
           byte_at(sent.data(), sent.size(), i) == byte_at(raster.data(), rasterSize, i))
        ++i;
    if (i == longer) return "";
    return "byte " + std::to_string(i) + ": the stream has " +
           byte_text(sent.data(), sent.size(), i) + ", the raster " +
           byte_text(raster.data(), rasterSize, i);
}

const Row& sent_row(const PageRows& page, int colour, int64_t line) {
    const auto found = page.rows[colour].find(line);
    return found == page.rows[colour].end() ? kNoRow : found->second;
}

// Rows of the stream that lie outside the raster's page.
std::string stray_row(const PageRows& page, size_t pageIndex, int64_t height) {
    for (int colour = 0; colour < kColours; ++colour) {
        const auto& rows = page.rows[colour];
        for (const auto& row : rows) {
            if (row.second.empty() || (row.first >= 0 && row.first < height)) continue;
            return where(pageIndex, colour, row.first) +
                   ": the stream has a row outside the raster's " + std::to_string(height) +
                   " lines";
        }
    }
    return "";
}

class Comparer {
  public:
    Comparer(RasterInput& input, DecodedStream* decoded, RasterComparison* result)
        : input_(input), decoded_(decoded), result_(result) {}

    bool run(std::string* error) {
        RasterFormat format;
        size_t page = 0;
        for (;; ++page) {
            const RasterInput::Next next = input_.next_page(&format, error);
            if (next == RasterInput::Next::kError) return false;
            if (next == RasterInput::Next::kEnd) break;
            if (page == 0) {
                result_->bits = format.bits;
                result_->resX = format.resX;
                result_->resY = format.resY;
            }
            if (!compare_page(page, format, error)) return false;
        }
        if (result_->equal && page < decoded_->pages.size())
            differ("page " + std::to_string(page + 1) +
                   ": the stream has more pages than the raster's " + std::to_string(page));
        return true;
    }

  private:
    void differ(const std::string& text) {
        if (!result_->equal) return;
        result_->equal = false;
        result_->difference = text;
    }

    bool compare_page(size_t page, const RasterFormat& format, std::string* error) {
        const PageRows empty;
        const PageRows& sent = page < decoded_->pages.size() ? decoded_->pages[page] : empty;
        std::vector<uint8_t> line(format.bytesPerLine);
        PlaneRows planes;
        for (uint32_t y = 0; y < format.height; ++y) {
            if (!input_.read_line(line.data(), error)) return false;
            if (!result_->equal) continue;
            vrelo_tools::split_raster_line(format, line.data(), &planes);
            compare_line(sent, page, y, planes);
        }
        const std::string stray = stray_row(sent, page, format.height);
        if (!stray.empty()) differ(stray);
        return true;
    }

    void compare_line(const PageRows& sent, size_t page, int64_t y, const PlaneRows& planes) {
        for (int colour = 0; colour < kColours && result_->equal; ++colour) {
            const std::string fault = compare_row(sent_row(sent, colour, y), planes[colour]);
            if (!fault.empty()) differ(where(page, colour, y) + ", " + fault);
        }
    }

    RasterInput& input_;
    DecodedStream* decoded_;
    RasterComparison* result_;
};

// The height of every page of the raster.
bool page_heights(RasterInput& input, std::vector<int64_t>* heights, std::string* error) {
    RasterFormat format;
    std::vector<uint8_t> line;
    for (;;) {
        const RasterInput::Next next = input.next_page(&format, error);
        if (next == RasterInput::Next::kError) return false;
        if (next == RasterInput::Next::kEnd) return true;
        heights->push_back(format.height);
        line.resize(format.bytesPerLine);
        for (uint32_t y = 0; y < format.height; ++y)
            if (!input.read_line(line.data(), error)) return false;
    }
}

// A fault inside the raster, named by its file.
bool in_raster(const std::string& path, std::string* error) {
    *error = vrelo_tools::input_name(path) + ": " + *error;
    return false;
}

}  // namespace

bool compare_with_raster(const std::string& path, DecodedStream* decoded, RasterComparison* result,
                         std::string* error) {
    std::vector<int64_t> heights;
    RasterFile measured(path, error);
    if (!measured.opened()) return false;
    if (!page_heights(measured.input(), &heights, error)) return in_raster(path, error);
    carry_rows_back(decoded, heights);
    RasterFile compared(path, error);
    if (!compared.opened()) return false;
    *result = RasterComparison();
    return Comparer(compared.input(), decoded, result).run(error) || in_raster(path, error);
}

}  // namespace vrelo_inspect
