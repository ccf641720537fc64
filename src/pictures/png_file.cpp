// PNG writing and reading through libpng (see png_file.hpp). libpng reports
// errors by longjmp; every call into it sits behind one setjmp.
#include "png_file.hpp"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstring>

#include "files.hpp"

namespace vrelo_tools {

namespace {

// libpng stops a call with a message, which is kept here rather than
// printed, and a longjmp back to the caller's setjmp.
void on_png_error(png_structp png, png_const_charp message) {
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

void no_warnings(png_structp, png_const_charp) {}

}  // namespace

struct PngWriter::Png {
    OutputFile file;
    png_structp write = nullptr;
    png_infop info = nullptr;
    uint32_t rowsLeft = 0;
    std::string failure = "the rows do not match the picture's height";
    ~Png() { png_destroy_write_struct(&write, &info); }

    // Why a write stopped: the reason of the write that failed, where one
    // did (errno is cleared before each call), else libpng's.
    bool failed(std::string* error) {
        *error = errno != 0 ? file_error("write", file.name())
                            : "cannot write " + file.name() + ": " + failure;
        return false;
    }
};

PngWriter::PngWriter() = default;
PngWriter::~PngWriter() = default;

bool PngWriter::open(const std::string& path, uint32_t width, uint32_t height, Kind kind,
                     std::string* error) {
    png_ = std::make_unique<Png>();
    png_->rowsLeft = height;
    if (!png_->file.open(path, error)) return false;
    errno = 0;
    png_->write =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &png_->failure, on_png_error, no_warnings);
    png_->info = png_->write ? png_create_info_struct(png_->write) : nullptr;
    if (png_->info == nullptr || setjmp(png_jmpbuf(png_->write))) return png_->failed(error);
    png_init_io(png_->write, png_->file.file());
    png_set_IHDR(png_->write, png_->info, width, height, 8,
                 kind == Kind::kGrey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png_->write, png_->info);
    return true;
}

bool PngWriter::write_row(const uint8_t* row, std::string* error) {
    errno = 0;
    if (png_->rowsLeft == 0 || setjmp(png_jmpbuf(png_->write))) return png_->failed(error);
    png_write_row(png_->write, row);
    --png_->rowsLeft;
    return true;
}

bool PngWriter::close(std::string* error) {
    errno = 0;
    if (png_->rowsLeft != 0 || setjmp(png_jmpbuf(png_->write))) return png_->failed(error);
    png_write_end(png_->write, nullptr);
    return png_->file.close(error);
}

namespace {

// Turns any PNG into 8-bit RGB with alpha laid onto white.
void ask_for_rgb(png_structp png, png_infop info) {
    const png_byte type = png_get_color_type(png, info);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (png_get_bit_depth(png, info) < 8) png_set_packing(png);
    if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    png_color_16 white = {0, 255, 255, 255, 255};
    png_set_background(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// A PNG file in memory as libpng reads it.
struct MemoryFile {
    const std::vector<uint8_t>* bytes;
    size_t at = 0;
};

void read_memory(png_structp png, png_bytep out, png_size_t length) {
    MemoryFile* source = static_cast<MemoryFile*>(png_get_io_ptr(png));
    if (source->bytes->size() - source->at < length) png_error(png, "the file ends early");
    std::memcpy(out, source->bytes->data() + source->at, length);
    source->at += length;
}

// Dots per inch from a pHYs density in dots per metre.
uint32_t dots_per_inch(png_uint_32 perMetre) {
    return static_cast<uint32_t>(perMetre * 0.0254 + 0.5);
}

}  // namespace

bool is_png(const std::vector<uint8_t>& start) {
    static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G'};
    return start.size() >= sizeof kSignature &&
           std::equal(kSignature, kSignature + sizeof kSignature, start.begin());
}

bool read_png(const std::vector<uint8_t>& file, RgbImage* image, std::string* error) {
    MemoryFile source{&file};
    std::string failure = "libpng failed";
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, on_png_error, no_warnings);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_bytep> rows;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        *error = "not a readable PNG image (" + failure + ")";
        return false;
    }
    png_set_read_fn(png, &source, read_memory);
    png_read_info(png, info);
    png_uint_32 perMetreX = 0, perMetreY = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &perMetreX, &perMetreY, &unit) && unit == PNG_RESOLUTION_METER) {
        image->dpiX = dots_per_inch(perMetreX);
        image->dpiY = dots_per_inch(perMetreY);
    }
    png_charp name = nullptr;
    png_bytep profile = nullptr;
    png_uint_32 profileSize = 0;
    int compression = 0;
    const png_byte type = png_get_color_type(png, info);
    if ((type & PNG_COLOR_MASK_COLOR) != 0 &&
        png_get_iCCP(png, info, &name, &compression, &profile, &profileSize) && profileSize > 0)
        image->iccProfile.assign(profile, profile + profileSize);
    ask_for_rgb(png, info);
    image->width = png_get_image_width(png, info);
    image->height = png_get_image_height(png, info);
    if (static_cast<uint64_t>(image->width) * image->height > kLargestImagePixels) {
        png_destroy_read_struct(&png, &info, nullptr);
        *error = "the PNG image is larger than " + std::to_string(kLargestImagePixels) + " pixels";
        return false;
    }
    image->pixels.assign(static_cast<size_t>(image->width) * image->height * 3, 0);
    rows.resize(image->height);
    for (uint32_t y = 0; y < image->height; ++y)
        rows[y] = image->pixels.data() + static_cast<size_t>(y) * image->width * 3;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace vrelo_tools
