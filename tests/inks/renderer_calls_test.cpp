// The renderer's calls as a host meets them: options and profiles refused
// with a message that names what is wrong, calls out of order refused,
// blank lines without planes, profiles from files and memory used, the
// renderer's own printer profile written and read back.
#include <gtest/gtest.h>

#include <lcms2.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "temp_files.hpp"
#include "vrelo417_inks.h"

namespace {

using vrelo_test::TempDir;

// Makes a renderer; returns the result and the message.
int make(const VreloInksOptions& o, std::string* message, VreloInks** out = nullptr) {
    char text[VRELO_INKS_MESSAGE_SIZE];
    VreloInks* r = reinterpret_cast<VreloInks*>(&text);  // must be reset to NULL on failure
    const int result = vrelo_inks_new(&r, &o, text, sizeof text);
    *message = text;
    if (result != VRELO_INKS_OK) {
        EXPECT_EQ(r, nullptr);
    }
    if (out != nullptr)
        *out = r;
    else
        vrelo_inks_free(r);
    return result;
}

VreloInksOptions defaults(int32_t width = 64) {
    VreloInksOptions o;
    vrelo_inks_default_options(&o, width);
    return o;
}

TEST(RendererCalls, BadOptionsAreRefusedByName) {
    struct Case {
        void (*change)(VreloInksOptions*);
        const char* words;
    };
    const Case cases[] = {
        {[](VreloInksOptions* o) { o->input = 7; }, "input is 7"},
        {[](VreloInksOptions* o) { o->sampleBits = 12; }, "sampleBits is 12"},
        {[](VreloInksOptions* o) { o->width = 0; }, "width is 0 pixels"},
        {[](VreloInksOptions* o) { o->width = 40000; }, "width is 40000 pixels"},
        {[](VreloInksOptions* o) { o->bits = 3; }, "bits is 3"},
        {[](VreloInksOptions* o) { o->media = 0; }, "media is 0"},
        {[](VreloInksOptions* o) { o->halftone = 9; }, "halftone is 9"},
        {[](VreloInksOptions* o) { o->intent = 4; }, "intent is 4"},
        {[](VreloInksOptions* o) { o->inkLimit = 0.5; }, "inkLimit is 0.5"},
        {[](VreloInksOptions* o) { o->inputProfileSize = 10; }, "inputProfileSize is set"},
        {[](VreloInksOptions* o) { o->threads = -1; }, "threads is -1"},
    };
    for (const Case& c : cases) {
        VreloInksOptions o = defaults();
        c.change(&o);
        std::string message;
        EXPECT_EQ(make(o, &message), VRELO_INKS_BAD_OPTION) << c.words;
        EXPECT_NE(message.find(c.words), std::string::npos) << message;
    }
    VreloInks* r = nullptr;
    EXPECT_EQ(vrelo_inks_new(&r, nullptr, nullptr, 0), VRELO_INKS_BAD_CALL);
    EXPECT_EQ(vrelo_inks_new(nullptr, nullptr, nullptr, 0), VRELO_INKS_BAD_CALL);
}

TEST(RendererCalls, UnusableProfilesAreRefusedWithTheirName) {
    const TempDir dir;
    const std::string text = dir.file("text.icc");
    std::ofstream(text) << "not a profile";
    const std::string grey = dir.file("grey.icc");
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE greyProfile = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
    ASSERT_TRUE(cmsSaveProfileToFile(greyProfile, grey.c_str()));
    cmsCloseProfile(greyProfile);
    cmsFreeToneCurve(gamma);
    struct Case {
        const char *input, *printer, *words;
    };
    const std::string missing = dir.file("missing.icc");
    const Case cases[] = {
        {missing.c_str(), nullptr, "cannot be opened (No such file or directory)"},
        {text.c_str(), nullptr, "is not an ICC profile"},
        {grey.c_str(), nullptr, "has 1 colour channels: the input is RGB, 3"},
        {nullptr, grey.c_str(), "is not an output (printer) profile"},
    };
    for (const Case& c : cases) {
        VreloInksOptions o = defaults();
        o.inputProfile = c.input;
        o.printerProfile = c.printer;
        std::string message;
        EXPECT_EQ(make(o, &message), VRELO_INKS_BAD_PROFILE) << c.words;
        EXPECT_NE(message.find(c.words), std::string::npos) << message;
        EXPECT_NE(message.find(c.input ? c.input : c.printer), std::string::npos) << message;
    }
    VreloInksOptions o = defaults();
    const char junk[] = "junk";
    o.inputProfileData = junk;
    o.inputProfileSize = sizeof junk;
    std::string message;
    EXPECT_EQ(make(o, &message), VRELO_INKS_BAD_PROFILE);
    EXPECT_NE(message.find("embedded input profile (5 bytes in memory)"), std::string::npos)
        << message;
}

TEST(RendererCalls, LinesNeedAPageAndBlankLinesHaveNoPlanes) {
    VreloInks* r = nullptr;
    std::string message;
    ASSERT_EQ(make(defaults(), &message, &r), VRELO_INKS_OK) << message;
    std::vector<uint8_t> white(64 * 3, 255), grey(64 * 3, 128);
    RasterLine line;
    EXPECT_EQ(vrelo_inks_render_line(r, white.data(), &line), VRELO_INKS_BAD_CALL);
    EXPECT_NE(std::string(vrelo_inks_message(r)).find("before vrelo_inks_start_page"),
              std::string::npos);
    ASSERT_EQ(vrelo_inks_start_page(r), VRELO_INKS_OK);
    EXPECT_STREQ(vrelo_inks_message(r), "");
    EXPECT_EQ(vrelo_inks_render_line(r, nullptr, &line), VRELO_INKS_BAD_CALL);
    EXPECT_EQ(vrelo_inks_render_line(r, white.data(), nullptr), VRELO_INKS_BAD_CALL);
    ASSERT_EQ(vrelo_inks_render_line(r, white.data(), &line), 0);
    for (const ColorPlane& p : line.planes) EXPECT_EQ(p.data, nullptr);
    EXPECT_EQ(vrelo_inks_render_line(r, grey.data(), &line), 1);
    EXPECT_EQ(line.lineNumber, 1);  // the refused calls counted no line
    // White after ink: nothing carries over into paper white.
    EXPECT_EQ(vrelo_inks_render_line(r, white.data(), &line), 0);
    vrelo_inks_free(r);
    vrelo_inks_free(nullptr);
    EXPECT_EQ(vrelo_inks_start_page(nullptr), VRELO_INKS_BAD_CALL);
    EXPECT_EQ(vrelo_inks_render_line(nullptr, white.data(), &line), VRELO_INKS_BAD_CALL);
}

// Renders one flat line of samples and returns the dots of every plane.
std::vector<std::vector<uint8_t>> render_flat(const VreloInksOptions& o, const void* line,
                                              int lines) {
    VreloInks* r = nullptr;
    std::string message;
    EXPECT_EQ(make(o, &message, &r), VRELO_INKS_OK) << message;
    std::vector<std::vector<uint8_t>> rows;
    if (r == nullptr) return rows;
    vrelo_inks_start_page(r);
    const size_t bytes = (static_cast<size_t>(o.width) * static_cast<size_t>(o.bits) + 7) / 8;
    for (int y = 0; y < lines; ++y) {
        RasterLine out;
        EXPECT_GE(vrelo_inks_render_line(r, line, &out), 0);
        for (const ColorPlane& p : out.planes)
            rows.emplace_back(p.data ? std::vector<uint8_t>(p.data, p.data + bytes)
                                     : std::vector<uint8_t>(bytes));
    }
    vrelo_inks_free(r);
    return rows;
}

TEST(RendererCalls, EveryInputKindAndDepthRenders) {
    // The same grey as 8- and 16-bit RGB, grey, and through an sRGB input
    // profile (from a file and from memory) gives the same dots.
    const int32_t width = 96;
    std::vector<uint8_t> rgb8(width * 3, 140), grey8(width, 140);
    std::vector<uint16_t> rgb16(width * 3, 140 * 257);
    VreloInksOptions o = defaults(width);
    const auto reference = render_flat(o, rgb8.data(), 16);
    o.sampleBits = 16;
    EXPECT_EQ(render_flat(o, rgb16.data(), 16), reference);
    o = defaults(width);
    o.input = VRELO_INKS_GREY;
    EXPECT_EQ(render_flat(o, grey8.data(), 16), reference);

    const TempDir dir;
    const std::string srgb = dir.file("srgb.icc");
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    ASSERT_TRUE(cmsSaveProfileToFile(profile, srgb.c_str()));
    cmsCloseProfile(profile);
    o = defaults(width);
    o.inputProfile = srgb.c_str();
    const auto throughFile = render_flat(o, rgb8.data(), 16);
    std::ifstream in(srgb, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    o.inputProfile = nullptr;
    o.inputProfileData = bytes.data();
    o.inputProfileSize = bytes.size();
    EXPECT_EQ(render_flat(o, rgb8.data(), 16), throughFile);
    // Through the profile the grey is the same colour, not always the same
    // ink to the last unit: the dots differ little.
    size_t differing = 0, total = 0;
    for (size_t i = 0; i < reference.size(); ++i)
        for (size_t b = 0; b < reference[i].size(); ++b, ++total)
            differing += reference[i][b] != throughFile[i][b];
    EXPECT_LT(differing, total / 4);

    // CMYK, with and without a profile of its own kind refused for RGB.
    o = defaults(width);
    o.input = VRELO_INKS_CMYK;
    std::vector<uint8_t> cmyk(width * 4, 0);
    for (int32_t x = 0; x < width; ++x) cmyk[static_cast<size_t>(x) * 4] = 200;
    const auto cyan = render_flat(o, cmyk.data(), 16);
    bool cyanInk = false, otherInk = false;
    for (size_t i = 0; i < cyan.size(); ++i)
        for (const uint8_t b : cyan[i]) {
            const size_t plane = i % VRELO_COLOURS;
            (plane == 3 || plane == 5 ? cyanInk : otherInk) |= b != 0;
        }
    EXPECT_TRUE(cyanInk);
    EXPECT_FALSE(otherInk);
}

TEST(RendererCalls, TheOwnPrinterProfileIsWrittenAndServesAsAPrinterProfile) {
    const TempDir dir;
    const std::string path = dir.file("plain.icc");
    char message[VRELO_INKS_MESSAGE_SIZE];
    ASSERT_EQ(vrelo_inks_write_profile(VRELO_INKS_PLAIN, path.c_str(), message, sizeof message),
              VRELO_INKS_OK)
        << message;
    EXPECT_EQ(vrelo_inks_write_profile(5, path.c_str(), message, sizeof message),
              VRELO_INKS_BAD_OPTION);
    EXPECT_NE(std::string(message).find("media is 5"), std::string::npos);
    EXPECT_EQ(vrelo_inks_write_profile(VRELO_INKS_PLAIN, "/nonexistent-dir/x.icc", message,
                                       sizeof message),
              VRELO_INKS_CANNOT_WRITE);
    EXPECT_NE(std::string(message).find("/nonexistent-dir/x.icc (No such file or directory)"),
              std::string::npos)
        << message;

    cmsHPROFILE profile = cmsOpenProfileFromFile(path.c_str(), "r");
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(cmsGetDeviceClass(profile), cmsSigOutputClass);
    EXPECT_EQ(cmsGetColorSpace(profile), cmsSig6colorData);
    EXPECT_EQ(cmsGetPCS(profile), cmsSigLabData);
    cmsCloseProfile(profile);

    // As the printer profile, a mid grey prints with ink, white without.
    VreloInksOptions o = defaults(64);
    o.printerProfile = path.c_str();
    std::vector<uint8_t> grey(64 * 3, 128), white(64 * 3, 255);
    bool ink = false;
    for (const auto& row : render_flat(o, grey.data(), 8))
        for (const uint8_t b : row) ink |= b != 0;
    EXPECT_TRUE(ink);
    for (const auto& row : render_flat(o, white.data(), 8))
        for (const uint8_t b : row) EXPECT_EQ(b, 0);
}

TEST(RendererCalls, TheOwnProfileForTheMediaStandsForTheOwnSeparationAtEitherDotSize) {
    // It holds one dot size's separation; three dot sizes look otherwise,
    // so a renderer given it prints as with no profile. The other media's
    // profile is a profile like any other.
    const TempDir dir;
    const std::string plain = dir.file("plain.icc"), photo = dir.file("photo.icc");
    char message[VRELO_INKS_MESSAGE_SIZE];
    ASSERT_EQ(vrelo_inks_write_profile(VRELO_INKS_PLAIN, plain.c_str(), message, sizeof message),
              VRELO_INKS_OK);
    ASSERT_EQ(vrelo_inks_write_profile(VRELO_INKS_PHOTO, photo.c_str(), message, sizeof message),
              VRELO_INKS_OK);
    std::vector<uint8_t> line;
    for (int x = 0; x < 64; ++x)
        line.insert(line.end(), {static_cast<uint8_t>(x * 4), static_cast<uint8_t>(200 - x),
                                 static_cast<uint8_t>(90 + x)});
    for (const int bits : {1, 2}) {
        VreloInksOptions o = defaults(64);
        o.bits = bits;
        const auto own = render_flat(o, line.data(), 16);
        o.printerProfile = plain.c_str();
        EXPECT_EQ(render_flat(o, line.data(), 16), own) << bits << " bit(s)";
        o.printerProfile = photo.c_str();
        EXPECT_NE(render_flat(o, line.data(), 16), own) << bits << " bit(s)";
    }
}

}  // namespace
