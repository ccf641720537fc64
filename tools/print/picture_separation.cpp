// Picture separation and halftoning (see picture_separation.hpp).
#include "picture_separation.hpp"

#include <algorithm>
#include <cmath>

namespace vrelo_print {
namespace {

using vrelo_tools::kPlanes;

enum { K, Y, M, C, LightM, LightC };

// A light ink darkens by this share of its dark ink; below it a tone is
// printed in light ink alone, which hides the dots in highlights.
constexpr float kLightShare = 0.35f;

// Error diffusion weights (Floyd and Steinberg), in sixteenths.
constexpr float kRight = 7 / 16.f, kBelowLeft = 3 / 16.f, kBelow = 5 / 16.f,
                kBelowRight = 1 / 16.f;

// An 8 x 8 ordered-dither pattern: thresholds spread evenly over a cell.
constexpr uint8_t kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},   {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},  {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},   {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};

void split_light(float tone, float* dark, float* light) {
    if (tone <= kLightShare) {
        *dark = 0;
        *light = tone / kLightShare;
    } else {
        *dark = (tone - kLightShare) / (1 - kLightShare);
        *light = 1 - *dark;
    }
}

void put_value(std::vector<uint8_t>* row, int bits, uint32_t x, int value) {
    const uint32_t bit = x * uint32_t(bits);
    (*row)[bit / 8] |= uint8_t(value << (8 - bits - int(bit % 8)));
}

uint32_t scaled(uint32_t size, uint32_t res, uint32_t dpi) {
    return std::max<uint32_t>(1, uint32_t(uint64_t(size) * res / dpi));
}

}  // namespace

Inks separate(uint8_t red, uint8_t green, uint8_t blue) {
    float cyan = 1 - red / 255.f, magenta = 1 - green / 255.f, yellow = 1 - blue / 255.f;
    // Black takes the grey all three share.
    const float black = std::min({cyan, magenta, yellow});
    cyan -= black;
    magenta -= black;
    yellow -= black;
    Inks inks{};
    inks[K] = black;
    inks[Y] = yellow;
    split_light(magenta, &inks[M], &inks[LightM]);
    split_light(cyan, &inks[C], &inks[LightC]);
    return inks;
}

PictureSeparation::PictureSeparation(const vrelo_tools::RgbImage& image,
                                     const PictureSettings& settings)
    : image_(image), settings_(settings), levels_((1 << settings.bits) - 1) {
    const uint32_t dpiX = settings.imageDpi ? settings.imageDpi
                                            : image.dpiX ? image.dpiX : kDefaultImageDpi;
    const uint32_t dpiY = settings.imageDpi ? settings.imageDpi
                                            : image.dpiY ? image.dpiY : kDefaultImageDpi;
    width_ = scaled(image.width, settings.resX, dpiX);
    lines_ = scaled(image.height, settings.resY, dpiY);
    for (int p = 0; p < kPlanes; ++p) {
        errorHere_[p].assign(width_ + 2, 0.f);
        errorNext_[p].assign(width_ + 2, 0.f);
    }
}

int PictureSeparation::halftone(int plane, uint32_t x, float share) {
    const float wanted = share * float(levels_);
    if (settings_.halftone == Halftone::kOrdered) {
        const float threshold = (kBayer[line_ % 8][x % 8] + 0.5f) / 64.f;
        return std::min(levels_, int(std::floor(wanted + threshold)));
    }
    // Errors sit one place to the right, so x - 1 is always in the buffer.
    std::vector<float>& here = errorHere_[plane];
    std::vector<float>& next = errorNext_[plane];
    const float value = wanted + here[x + 1];
    const int level = std::clamp(int(std::lround(value)), 0, levels_);
    const float error = value - float(level);
    here[x + 2] += error * kRight;
    next[x] += error * kBelowLeft;
    next[x + 1] += error * kBelow;
    next[x + 2] += error * kBelowRight;
    return level;
}

void PictureSeparation::next_line(vrelo_tools::PlaneRows* planes) {
    const size_t rowBytes = (size_t(width_) * settings_.bits + 7) / 8;
    for (auto& row : *planes) row.assign(rowBytes, 0);
    const uint32_t sourceY = uint32_t(uint64_t(line_) * image_.height / lines_);
    const uint8_t* source = image_.row(sourceY);
    for (uint32_t x = 0; x < width_; ++x) {
        const uint8_t* rgb = source + 3 * size_t(uint64_t(x) * image_.width / width_);
        const Inks inks = separate(rgb[0], rgb[1], rgb[2]);
        for (int p = 0; p < kPlanes; ++p) {
            const int level = halftone(p, x, inks[p]);
            if (level > 0) put_value(&(*planes)[p], settings_.bits, x, level);
        }
    }
    for (int p = 0; p < kPlanes; ++p) {
        errorHere_[p].swap(errorNext_[p]);
        std::fill(errorNext_[p].begin(), errorNext_[p].end(), 0.f);
    }
    ++line_;
}

}  // namespace vrelo_print
