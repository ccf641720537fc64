// Profiles through Little CMS 2 (see colour_profiles.hpp).
#include "colour_profiles.hpp"

#include <lcms2.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tone_solver.hpp"
#include "vrelo417_inks.h"

namespace vrelo_inks {
namespace {

// Six channels of doubles, and of 16-bit numbers, in the file's order.
constexpr cmsUInt32Number kSixDoubles =
    FLOAT_SH(1) | COLORSPACE_SH(PT_MCH6) | CHANNELS_SH(6) | BYTES_SH(0);
constexpr cmsUInt32Number kCmykDoubles = TYPE_CMYK_DBL;

// Grid points per axis of the profile written: device to colour over six
// inks, colour to device over CIELAB.
constexpr int kDeviceGrid = 5;
constexpr int kColourGrid = 17;

cmsHPROFILE handle_of(const Profile* p) {
    return static_cast<cmsHPROFILE>(p->handle());
}

cmsHPROFILE lab_profile() {
    return cmsCreateLab4Profile(nullptr);
}

cmsUInt32Number line_format(int input, int sampleBits) {
    const cmsUInt32Number bytes = BYTES_SH(sampleBits == 16 ? 2 : 1);
    if (input == VRELO_INKS_GREY) return COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | bytes;
    if (input == VRELO_INKS_CMYK) return COLORSPACE_SH(PT_CMYK) | CHANNELS_SH(4) | bytes;
    return COLORSPACE_SH(PT_RGB) | CHANNELS_SH(3) | bytes;
}

// The colour of inks as the renderer prints them, for the profile's
// device-to-colour table.
int sample_device(const cmsUInt16Number in[], cmsUInt16Number out[], void* context) {
    Inks inks;
    for (int i = 0; i < kInks; ++i)
        inks[static_cast<size_t>(i)] = static_cast<float>(in[i] / 65535.0);
    const Rgb r = static_cast<const InkRecipe*>(context)->look(inks);
    const Lab lab = linear_to_lab(r[0], r[1], r[2]);
    cmsCIELab l = {lab[0], lab[1], lab[2]};
    cmsFloat2LabEncoded(out, &l);
    return 1;
}

struct ColourSampling {
    const ToneSolver* solver;
    const InkRecipe* recipe;
    Tones last;
};

int sample_colour(const cmsUInt16Number in[], cmsUInt16Number out[], void* context) {
    ColourSampling* s = static_cast<ColourSampling*>(context);
    cmsCIELab l;
    cmsLabEncoded2Float(&l, in);
    s->last = s->solver->solve({l.L, l.a, l.b}, s->last);
    const Inks inks = s->recipe->inks(s->last);
    for (int i = 0; i < kInks; ++i)
        out[i] = cmsUInt16Number(
            std::clamp(static_cast<double>(inks[static_cast<size_t>(i)]), 0.0, 1.0) * 65535 + 0.5);
    return 1;
}

bool add_table(cmsHPROFILE profile, cmsTagSignature tag, int grid, int ins, int outs,
               cmsSAMPLER16 sampler, void* context) {
    cmsPipeline* pipe = cmsPipelineAlloc(nullptr, static_cast<cmsUInt32Number>(ins),
                                         static_cast<cmsUInt32Number>(outs));
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, static_cast<cmsUInt32Number>(grid),
                                             static_cast<cmsUInt32Number>(ins),
                                             static_cast<cmsUInt32Number>(outs), nullptr);
    // ICC's lutAtoB and lutBtoA types hold a table between curves: identity
    // curves on both sides.
    bool ok = pipe != nullptr && table != nullptr &&
              cmsStageSampleCLut16bit(table, sampler, context, 0) &&
              cmsPipelineInsertStage(
                  pipe, cmsAT_END,
                  cmsStageAllocToneCurves(nullptr, static_cast<cmsUInt32Number>(ins), nullptr)) &&
              cmsPipelineInsertStage(pipe, cmsAT_END, table);
    if (ok) table = nullptr;  // the pipeline owns it
    ok = ok && cmsPipelineInsertStage(
                   pipe, cmsAT_END,
                   cmsStageAllocToneCurves(nullptr, static_cast<cmsUInt32Number>(outs), nullptr));
    ok = ok && cmsWriteTag(profile, tag, pipe);
    if (table) cmsStageFree(table);
    if (pipe) cmsPipelineFree(pipe);
    return ok;
}

}  // namespace

Profile::~Profile() {
    if (handle_) cmsCloseProfile(handle_of(this));
}

bool Profile::open_file(const char* path, const std::string& what, std::string* error) {
    name_ = what + " " + path;
    handle_ = cmsOpenProfileFromFile(path, "r");
    if (handle_ == nullptr) {
        std::FILE* f = std::fopen(path, "rb");
        *error = f ? name_ + " is not an ICC profile Little CMS can read"
                   : name_ + " cannot be opened (" + std::strerror(errno) + ")";
        if (f) std::fclose(f);
        return false;
    }
    return check(what, error);
}

bool Profile::open_memory(const void* data, size_t size, const std::string& what,
                          std::string* error) {
    name_ = what;
    handle_ = cmsOpenProfileFromMem(data, static_cast<cmsUInt32Number>(size));
    if (handle_ == nullptr) {
        *error = name_ + " (" + std::to_string(size) + " bytes in memory) is not an ICC profile";
        return false;
    }
    return check(what, error);
}

bool Profile::check(const std::string&, std::string* error) {
    if (cmsGetPCS(handle_of(this)) == cmsSigLabData || cmsGetPCS(handle_of(this)) == cmsSigXYZData)
        return true;
    *error = name_ + " has no CIELAB or XYZ connection space";
    return false;
}

int Profile::channels() const {
    return static_cast<int>(cmsChannelsOf(cmsGetColorSpace(handle_of(this))));
}

bool Profile::is_output() const {
    return cmsGetDeviceClass(handle_of(this)) == cmsSigOutputClass;
}

std::string Profile::description() const {
    const auto* text =
        static_cast<const cmsMLU*>(cmsReadTag(handle_of(this), cmsSigProfileDescriptionTag));
    if (text == nullptr) return "";
    const cmsUInt32Number size = cmsMLUgetASCII(text, "en", "US", nullptr, 0);
    if (size == 0) return "";
    std::string out(size, '\0');
    cmsMLUgetASCII(text, "en", "US", &out[0], size);
    out.resize(size - 1);  // the terminating NUL
    return out;
}

InputColour::InputColour(const Profile* profile, int intent) : profile_(profile) {
    if (profile == nullptr) return;
    cmsHPROFILE lab = lab_profile();
    transform_ = cmsCreateTransform(handle_of(profile), TYPE_RGB_DBL, lab, TYPE_Lab_DBL,
                                    static_cast<cmsUInt32Number>(intent), 0);
    cmsCloseProfile(lab);
}

InputColour::~InputColour() {
    if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

Lab InputColour::lab(double r, double g, double b) const {
    if (profile_ == nullptr)
        return linear_to_lab(srgb_to_linear(r), srgb_to_linear(g), srgb_to_linear(b));
    // Little CMS takes floating-point RGB as 0..1.
    const double in[3] = {r, g, b};
    cmsCIELab out;
    cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), in, &out, 1);
    return {out.L, out.a, out.b};
}

LineToSrgb::LineToSrgb(const Profile& profile, int input, int sampleBits, int intent) {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    transform_ = cmsCreateTransform(handle_of(&profile), line_format(input, sampleBits), srgb,
                                    TYPE_RGB_16, static_cast<cmsUInt32Number>(intent), 0);
    cmsCloseProfile(srgb);
}

LineToSrgb::~LineToSrgb() {
    if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

void LineToSrgb::convert(const void* samples, uint16_t* rgb, int32_t pixels) const {
    cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), samples, rgb,
                   static_cast<cmsUInt32Number>(pixels));
}

PrinterInks::PrinterInks(const Profile& profile, const InkRecipe& recipe, int intent)
    : recipe_(recipe), channels_(profile.channels()) {
    cmsHPROFILE lab = lab_profile();
    transform_ = cmsCreateTransform(lab, TYPE_Lab_DBL, handle_of(&profile),
                                    channels_ == 6 ? kSixDoubles : kCmykDoubles,
                                    static_cast<cmsUInt32Number>(intent), 0);
    cmsCloseProfile(lab);
}

PrinterInks::~PrinterInks() {
    if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

Inks PrinterInks::inks(const Lab& lab) const {
    const cmsCIELab in = {lab[0], lab[1], lab[2]};
    double out[6] = {0, 0, 0, 0, 0, 0};
    cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), &in, out, 1);
    // Double device values run 0..100 in Little CMS for ink spaces.
    for (double& v : out) v = std::clamp(v / 100, 0.0, 1.0);
    if (channels_ == 4) return recipe_.device_inks(out[0], out[1], out[2], out[3]);
    Inks inks;
    for (int i = 0; i < kInks; ++i) inks[static_cast<size_t>(i)] = static_cast<float>(out[i]);
    // The profile's inks, held to the media's limits.
    const double total = total_ink(inks);
    const MediaLimits& limits = recipe_.limits();
    for (float& ink : inks) {
        ink = std::min(ink, static_cast<float>(limits.perInk));
        if (total > limits.total) ink = static_cast<float>(ink * limits.total / total);
    }
    return inks;
}

namespace {

// Writes the profile's bytes to path; false with *error naming the file
// and the reason.
bool save_profile(cmsHPROFILE profile, const char* path, std::string* error) {
    cmsUInt32Number size = 0;
    std::vector<uint8_t> bytes;
    if (cmsSaveProfileToMem(profile, nullptr, &size)) {
        bytes.resize(size);
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
    }
    if (bytes.empty()) {
        *error = "the printer profile could not be made";
        return false;
    }
    errno = 0;
    std::FILE* f = std::fopen(path, "wb");
    bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int reason = ok ? 0 : errno;
    if (f != nullptr) {
        if (std::fclose(f) != 0 && ok) {
            ok = false;
            reason = errno;
        }
        if (!ok) std::remove(path);
    }
    if (!ok)
        *error = std::string("cannot write the printer profile ") + path + " (" +
                 std::strerror(reason != 0 ? reason : EIO) + ")";
    return ok;
}

}  // namespace

std::string own_profile_description(int media) {
    return std::string("vrelo417 inks (K Y M C m c) on ") +
           (media == VRELO_INKS_PHOTO ? "photo" : "plain") + " paper, from the look of the inks";
}

bool write_own_profile(int media, const InkRecipe& recipe, const ToneSolver& solver,
                       const char* path, std::string* error) {
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    bool ok = profile != nullptr;
    if (ok) {
        cmsSetProfileVersion(profile, 4.3);
        cmsSetDeviceClass(profile, cmsSigOutputClass);
        cmsSetColorSpace(profile, cmsSig6colorData);
        cmsSetPCS(profile, cmsSigLabData);
        cmsSetHeaderRenderingIntent(profile, INTENT_RELATIVE_COLORIMETRIC);
        cmsMLU* text = cmsMLUalloc(nullptr, 1);
        cmsMLUsetASCII(text, "en", "US", own_profile_description(media).c_str());
        ok = cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
        cmsMLUsetASCII(text, "en", "US", "No copyright: made by vrelo417");
        ok = ok && cmsWriteTag(profile, cmsSigCopyrightTag, text);
        cmsMLUfree(text);
        ok = ok && cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
        ok = ok && add_table(profile, cmsSigAToB0Tag, kDeviceGrid, kInks, 3, sample_device,
                             const_cast<InkRecipe*>(&recipe));
        ColourSampling sampling = {&solver, &recipe, {}};
        ok = ok &&
             add_table(profile, cmsSigBToA0Tag, kColourGrid, 3, kInks, sample_colour, &sampling);
        ok = ok && cmsLinkTag(profile, cmsSigAToB1Tag, cmsSigAToB0Tag) &&
             cmsLinkTag(profile, cmsSigBToA1Tag, cmsSigBToA0Tag) &&
             cmsLinkTag(profile, cmsSigAToB2Tag, cmsSigAToB0Tag) &&
             cmsLinkTag(profile, cmsSigBToA2Tag, cmsSigBToA0Tag);
    }
    if (!ok)
        *error = "the printer profile could not be made";
    else
        ok = save_profile(profile, path, error);
    if (profile) cmsCloseProfile(profile);
    return ok;
}

}  // namespace vrelo_inks
