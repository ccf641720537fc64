// JPEG reading through libjpeg (see jpeg_file.hpp). libjpeg reports errors
// through an exit callback; here it jumps back to the one setjmp.
#include "jpeg_file.hpp"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace vrelo_tools {
namespace {

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void on_error(j_common_ptr info) {
    ErrorJump* e = reinterpret_cast<ErrorJump*>(info->err);
    (*info->err->format_message)(info, e->message);
    std::longjmp(e->jump, 1);
}

void no_warnings(j_common_ptr, int) {}

uint32_t density(const jpeg_decompress_struct& info, UINT16 value) {
    if (info.density_unit == 1) return value;                                      // dots per inch
    if (info.density_unit == 2) return static_cast<uint32_t>(value * 2.54 + 0.5);  // per cm
    return 0;
}

}  // namespace

bool is_jpeg(const std::vector<uint8_t>& start) {
    return start.size() >= 3 && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
}

bool read_jpeg(const std::vector<uint8_t>& file, RgbImage* image, std::string* error) {
    jpeg_decompress_struct info;
    ErrorJump e;
    info.err = jpeg_std_error(&e.manager);
    e.manager.error_exit = on_error;
    e.manager.emit_message = no_warnings;
    jpeg_create_decompress(&info);
    JOCTET* profile = nullptr;
    if (setjmp(e.jump)) {
        *error = std::string("not a readable JPEG image (") + e.message + ")";
        jpeg_destroy_decompress(&info);
        std::free(profile);
        return false;
    }
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);  // ICC profile chunks
    jpeg_read_header(&info, TRUE);
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        *error = "a CMYK JPEG image: save the picture as RGB";
        jpeg_destroy_decompress(&info);
        return false;
    }
    unsigned int profileSize = 0;
    if (info.num_components == 3 && jpeg_read_icc_profile(&info, &profile, &profileSize))
        image->iccProfile.assign(profile, profile + profileSize);
    std::free(profile);
    profile = nullptr;
    image->dpiX = density(info, info.X_density);
    image->dpiY = density(info, info.Y_density);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image->width = info.output_width;
    image->height = info.output_height;
    if (static_cast<uint64_t>(image->width) * image->height > kLargestImagePixels) {
        *error = "the JPEG image is larger than " + std::to_string(kLargestImagePixels) + " pixels";
        jpeg_destroy_decompress(&info);
        return false;
    }
    image->pixels.assign(static_cast<size_t>(image->width) * image->height * 3, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row =
            image->pixels.data() + static_cast<size_t>(info.output_scanline) * image->width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace vrelo_tools
