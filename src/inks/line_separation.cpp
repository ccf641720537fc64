// A line's separation (see line_separation.hpp).
#include "line_separation.hpp"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

#include "tone_solver.hpp"

namespace vrelo_inks {
namespace {

constexpr uint32_t kMax = 65535;
// Grey input reads a table of 4096 greys (all of them at 8 bits).
constexpr int kGreyShift = 4;

// The grid of the renderer's own separation depends only on the limits
// and the dot sizes; each one made is kept for the process, so a host
// making renderer after renderer (a job per page format, tests) builds it
// once.
std::shared_ptr<const SeparationTable> own_table(const InkRecipe& recipe) {
    static std::mutex mutex;
    static std::map<std::tuple<double, double, int>, std::shared_ptr<const SeparationTable>> made;
    const auto key = std::make_tuple(recipe.limits().total, recipe.limits().perInk, recipe.bits());
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto found = made.find(key);
        if (found != made.end()) return found->second;
    }
    const ToneSolver solver(recipe);
    const InputColour colour(nullptr, 0);
    auto table = std::make_shared<SeparationTable>();
    Tones last;
    table->build([&](double r, double g, double b) {
        last = solver.solve(colour.lab(r, g, b), last);
        return recipe.hue_tones(last);
    });
    std::lock_guard<std::mutex> lock(mutex);
    return made.emplace(key, std::move(table)).first->second;
}

MediaLimits limits_for(const VreloInksOptions& o) {
    MediaLimits limits;
    media_limits(o.media, &limits);
    if (o.inkLimit != 0) limits.total = o.inkLimit;
    return limits;
}

}  // namespace

LineSeparation::LineSeparation(Key, const VreloInksOptions& options, const MediaLimits& limits)
    : options_(options), recipe_(limits, options.bits) {}

std::unique_ptr<LineSeparation> LineSeparation::make(const VreloInksOptions& o,
                                                     const Profile* input, const Profile* printer,
                                                     std::string* error) {
    auto s = std::make_unique<LineSeparation>(Key{}, o, limits_for(o));
    if (o.input == VRELO_INKS_CMYK && input == nullptr && printer == nullptr) {
        s->path_ = Path::kDevice;
        s->device_ = std::make_unique<DeviceInks>(s->recipe_);
        return s;
    }
    // Grey and CMYK with a profile come to the grid as sRGB.
    const Profile* gridProfile = o.input == VRELO_INKS_RGB ? input : nullptr;
    if (input != nullptr && o.input != VRELO_INKS_RGB) {
        s->toSrgb_ = std::make_unique<LineToSrgb>(*input, o.input, o.sampleBits, o.intent);
        if (!s->toSrgb_->ready()) {
            *error = input->name() + " cannot convert this input to colour";
            return nullptr;
        }
        s->path_ = Path::kThroughSrgb;
        s->srgb_.resize(static_cast<size_t>(o.width) * 3);
    } else if (o.input == VRELO_INKS_GREY) {
        s->path_ = Path::kGrey;
    } else if (o.input == VRELO_INKS_CMYK) {
        // CMYK without input profile but with a printer profile: the
        // amounts are taken as the printer's own, as with no profile.
        s->path_ = Path::kDevice;
        s->device_ = std::make_unique<DeviceInks>(s->recipe_);
        return s;
    }
    if (gridProfile == nullptr && printer == nullptr) {
        s->table_ = own_table(s->recipe_);
        s->split_ = std::make_unique<HueSplit>(s->recipe_);
    } else if (!s->build_table(gridProfile, printer, error)) {
        return nullptr;
    }
    if (s->path_ == Path::kGrey) {
        const uint32_t entries = o.sampleBits == 8 ? 256 : (kMax >> kGreyShift) + 1;
        s->grey_.resize(entries);
        for (uint32_t v = 0; v < entries; ++v) {
            const uint32_t value = o.sampleBits == 8 ? v * 257 : std::min(kMax, v << kGreyShift);
            s->from_table(value, value, value, &s->grey_[v]);
        }
    }
    return s;
}

bool LineSeparation::build_table(const Profile* input, const Profile* printer, std::string* error) {
    InputColour colour(input, options_.intent);
    if (!colour.ready()) {
        *error = input->name() + " cannot convert RGB to colour";
        return false;
    }
    std::unique_ptr<PrinterInks> printerInks;
    if (printer != nullptr) {
        printerInks = std::make_unique<PrinterInks>(*printer, recipe_, options_.intent);
        if (!printerInks->ready()) {
            *error = printer->name() + " cannot convert colours to its inks";
            return false;
        }
    }
    const ToneSolver solver(recipe_);
    auto table = std::make_shared<SeparationTable>();
    Tones last;
    table->build([&](double r, double g, double b) {
        // Paper white prints no ink, whatever a profile's table gives there.
        if (r == 1 && g == 1 && b == 1) return Inks{};
        const Lab lab = colour.lab(r, g, b);
        if (printerInks) return printerInks->inks(lab);
        last = solver.solve(lab, last);
        return recipe_.hue_tones(last);
    });
    table_ = std::move(table);
    if (!printerInks) split_ = std::make_unique<HueSplit>(recipe_);
    return true;
}

void LineSeparation::pixel(const uint32_t* c, InkLevels* out) const {
    switch (path_) {
        case Path::kDevice:
            device_->lookup(c[0], c[1], c[2], c[3], out);
            return;
        case Path::kGrey:
            *out = grey_[options_.sampleBits == 8 ? c[0] >> 8 : c[0] >> kGreyShift];
            return;
        default:
            from_table(c[0], c[1], c[2], out);
            return;
    }
}

void LineSeparation::from_table(uint32_t r, uint32_t g, uint32_t b, InkLevels* out) const {
    table_->lookup(r, g, b, out);
    if (split_) split_->apply(out);
}

template <typename Sample, int kChannels>
bool LineSeparation::separate_samples(const Sample* samples, PixelAmounts* amounts, int32_t from,
                                      int32_t to) const {
    const uint32_t toFull = sizeof(Sample) == 1 ? 257 : 1;
    const int32_t shift = 2;  // kFull coverage -> one level unit at 1 bit
    const int32_t levels = (1 << options_.bits) - 1;
    const auto at = [&](int32_t x) {
        return samples + static_cast<size_t>(x) * static_cast<size_t>(kChannels);
    };
    bool any = false;
    for (int32_t x = from; x < to;) {
        // A run of equal pixels: separated once, its amounts filled in.
        const Sample* p = at(x);
        int32_t end = x + 1;
        while (end < to && std::equal(p, p + kChannels, at(end))) ++end;
        uint32_t c[4] = {0, 0, 0, 0};
        for (int i = 0; i < kChannels; ++i) c[i] = static_cast<uint32_t>(p[i]) * toFull;
        InkLevels inks;
        pixel(c, &inks);
        const auto amount = [&](int32_t coverage) {
            return static_cast<int16_t>((coverage * levels) >> shift);
        };
        const PixelAmounts a = {{amount(inks[kBlack]), amount(inks[kMagenta] + inks[kLightMagenta]),
                                 amount(inks[kCyan] + inks[kLightCyan]), amount(inks[kYellow])},
                                {0, amount(inks[kMagenta]), amount(inks[kCyan]), 0}};
        any = any || (a.hue[0] | a.hue[1] | a.hue[2] | a.hue[3]) != 0;
        std::fill(amounts + x, amounts + end, a);
        x = end;
    }
    return any;
}

template <typename Sample>
bool LineSeparation::separate_samples(const Sample* samples, PixelAmounts* amounts, int32_t from,
                                      int32_t to) const {
    if (path_ == Path::kThroughSrgb || options_.input == VRELO_INKS_RGB)
        return separate_samples<Sample, 3>(samples, amounts, from, to);
    if (options_.input == VRELO_INKS_GREY)
        return separate_samples<Sample, 1>(samples, amounts, from, to);
    return separate_samples<Sample, 4>(samples, amounts, from, to);
}

void LineSeparation::prepare(const void* samples) {
    if (path_ == Path::kThroughSrgb) toSrgb_->convert(samples, srgb_.data(), options_.width);
}

bool LineSeparation::separate(const void* samples, PixelAmounts* amounts, int32_t from,
                              int32_t to) const {
    if (path_ == Path::kThroughSrgb) return separate_samples(srgb_.data(), amounts, from, to);
    if (options_.sampleBits == 8)
        return separate_samples(static_cast<const uint8_t*>(samples), amounts, from, to);
    return separate_samples(static_cast<const uint16_t*>(samples), amounts, from, to);
}

bool LineSeparation::separate(const void* samples, PixelAmounts* amounts) {
    prepare(samples);
    return separate(samples, amounts, 0, options_.width);
}

}  // namespace vrelo_inks
