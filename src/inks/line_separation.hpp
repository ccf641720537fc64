// One input line to the halftoners' amounts: each pixel's colour through
// the separation (the grid over the input's cube, the grey diagonal, the
// input profile's conversion first for grey and CMYK, or the device curves
// for CMYK without a profile), a run of equal pixels separated once.
#ifndef VRELO_INKS_LINE_SEPARATION_HPP
#define VRELO_INKS_LINE_SEPARATION_HPP

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "colour_profiles.hpp"
#include "ink_recipe.hpp"
#include "pixel_amounts.hpp"
#include "separation_table.hpp"
#include "vrelo417_inks.h"

namespace vrelo_inks {

class LineSeparation {
    struct Key {};  // only make() constructs

  public:
    // Null with *error when a profile cannot serve.
    static std::unique_ptr<LineSeparation> make(const VreloInksOptions& options,
                                                const Profile* input, const Profile* printer,
                                                std::string* error);

    // The amounts of one line, a record a pixel. False when the line has
    // no ink at all.
    bool separate(const void* samples, PixelAmounts* amounts);
    // The same in steps, for two threads: prepare() the line once, then
    // the pixels from..to-1 of it, any part on any thread.
    void prepare(const void* samples);
    bool separate(const void* samples, PixelAmounts* amounts, int32_t from, int32_t to) const;

    // The inks of one pixel (channels 0..65535 of the input's kind), as
    // coverage in 1/kFull.
    void pixel(const uint32_t* channels, InkLevels* out) const;

    LineSeparation(Key, const VreloInksOptions& options, const MediaLimits& limits);

  private:
    enum class Path { kTable, kGrey, kThroughSrgb, kDevice };
    // The grid through an input profile (RGB) and/or a printer profile.
    bool build_table(const Profile* input, const Profile* printer, std::string* error);
    // The grid's inks of an RGB colour, split when the grid holds tones.
    void from_table(uint32_t r, uint32_t g, uint32_t b, InkLevels* out) const;
    template <typename Sample, int kChannels>
    bool separate_samples(const Sample* samples, PixelAmounts* amounts, int32_t from,
                          int32_t to) const;
    template <typename Sample>
    bool separate_samples(const Sample* samples, PixelAmounts* amounts, int32_t from,
                          int32_t to) const;

    VreloInksOptions options_;
    InkRecipe recipe_;
    Path path_ = Path::kTable;
    std::shared_ptr<const SeparationTable> table_;
    std::unique_ptr<HueSplit> split_;  // when table_ holds hue tones
    std::vector<InkLevels> grey_;      // by grey value >> kGreyShift
    std::unique_ptr<DeviceInks> device_;
    std::unique_ptr<LineToSrgb> toSrgb_;
    std::vector<uint16_t> srgb_;
};

}  // namespace vrelo_inks

#endif
