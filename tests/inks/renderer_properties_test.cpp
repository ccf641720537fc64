// The renderer's dots against what its separation asks: a flat patch gets
// each ink's coverage within 1 %, the same page always the same dots, no
// pixel more ink than the media's limit, every level of every ink at 1
// and 2 bits, rows exactly as long as the line.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dot_levels.hpp"
#include "line_separation.hpp"
#include "vrelo417_inks.h"

namespace {

using vrelo_inks::InkLevels;
using vrelo_inks::kFull;
using vrelo_inks::kInks;
using vrelo_test::level_at;

struct Renderer {
    explicit Renderer(const VreloInksOptions& o) : options(o) {
        char message[VRELO_INKS_MESSAGE_SIZE];
        EXPECT_EQ(vrelo_inks_new(&r, &o, message, sizeof message), VRELO_INKS_OK) << message;
    }
    ~Renderer() { vrelo_inks_free(r); }
    VreloInksOptions options;
    VreloInks* r = nullptr;
};

VreloInksOptions options_for(int32_t width, int bits, int halftone, int input = VRELO_INKS_RGB) {
    VreloInksOptions o;
    vrelo_inks_default_options(&o, width);
    o.bits = bits;
    o.halftone = halftone;
    o.input = input;
    return o;
}

// Levels of each plane over a page of identical lines.
struct Dots {
    int32_t width = 0, lines = 0;
    std::array<std::vector<uint8_t>, kInks> levels;
};

// Renders lines (each options.width pixels of samples) and keeps the dots;
// checks on the way that each row is exactly as long as the line.
Dots render(Renderer& renderer, const std::vector<std::vector<uint8_t>>& lines) {
    const VreloInksOptions& o = renderer.options;
    Dots dots;
    dots.width = o.width;
    dots.lines = static_cast<int32_t>(lines.size());
    for (auto& l : dots.levels) l.assign(static_cast<size_t>(o.width) * lines.size(), 0);
    const size_t rowBytes = (static_cast<size_t>(o.width) * static_cast<size_t>(o.bits) + 7) / 8;
    EXPECT_EQ(vrelo_inks_start_page(renderer.r), VRELO_INKS_OK);
    for (size_t y = 0; y < lines.size(); ++y) {
        RasterLine line;
        const int inked = vrelo_inks_render_line(renderer.r, lines[y].data(), &line);
        EXPECT_GE(inked, 0) << vrelo_inks_message(renderer.r);
        EXPECT_EQ(line.lineNumber, static_cast<int32_t>(y));
        bool any = false;
        for (int p = 0; p < kInks; ++p) {
            const ColorPlane& plane = line.planes[p];
            if (plane.data == nullptr) {
                EXPECT_EQ(plane.width, 0);
                continue;
            }
            any = true;
            EXPECT_EQ(plane.width, o.width);
            EXPECT_EQ(plane.firstPixel, 0);
            // Nothing set past the last pixel of the row's last byte.
            const int unused = static_cast<int>(rowBytes * 8 - static_cast<size_t>(o.width) *
                                                                   static_cast<size_t>(o.bits));
            EXPECT_EQ(plane.data[rowBytes - 1] & ((1 << unused) - 1), 0) << "plane " << p;
            for (int32_t x = 0; x < o.width; ++x)
                dots.levels[static_cast<size_t>(p)]
                           [y * static_cast<size_t>(o.width) + static_cast<size_t>(x)] =
                    level_at(plane.data, o.bits, x);
        }
        EXPECT_EQ(inked, any ? 1 : 0);
    }
    return dots;
}

std::vector<std::vector<uint8_t>> flat(int32_t width, int32_t lines, std::vector<uint8_t> pixel) {
    std::vector<uint8_t> line;
    for (int32_t x = 0; x < width; ++x) line.insert(line.end(), pixel.begin(), pixel.end());
    return std::vector<std::vector<uint8_t>>(static_cast<size_t>(lines), line);
}

// The separation's inks for one 8-bit pixel, as coverage 0..1.
std::array<double, kInks> wanted(const VreloInksOptions& o, const std::vector<uint8_t>& pixel) {
    std::string error;
    const auto separation = vrelo_inks::LineSeparation::make(o, nullptr, nullptr, &error);
    EXPECT_TRUE(separation) << error;
    uint32_t channels[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < pixel.size(); ++i) channels[i] = pixel[i] * 257u;
    InkLevels inks;
    separation->pixel(channels, &inks);
    std::array<double, kInks> out;
    for (int i = 0; i < kInks; ++i)
        out[static_cast<size_t>(i)] = static_cast<double>(inks[static_cast<size_t>(i)]) / kFull;
    return out;
}

std::array<double, kInks> measured(const Dots& dots, int bits) {
    const int full = bits == 1 ? 1 : 3;
    std::array<double, kInks> out;
    for (int p = 0; p < kInks; ++p) {
        double sum = 0;
        for (const uint8_t v : dots.levels[static_cast<size_t>(p)]) sum += v;
        out[static_cast<size_t>(p)] =
            sum / (static_cast<double>(dots.levels[static_cast<size_t>(p)].size()) * full);
    }
    return out;
}

const std::vector<std::vector<uint8_t>> kColours = {
    {250, 250, 250}, {200, 200, 200}, {128, 128, 128}, {40, 40, 40},
    {230, 200, 210}, {0, 255, 255},   {255, 0, 255},   {255, 255, 0},
    {90, 160, 60},   {30, 60, 140},   {255, 240, 200}};

TEST(RendererDots, AFlatPatchGetsTheCoverageItsSeparationAsks) {
    for (const int halftone : {VRELO_INKS_DIFFUSION, VRELO_INKS_BLUE_NOISE})
        for (const int bits : {1, 2}) {
            const VreloInksOptions o = options_for(384, bits, halftone);
            Renderer renderer(o);
            for (const auto& colour : kColours) {
                const std::array<double, kInks> want = wanted(o, colour);
                const std::array<double, kInks> got =
                    measured(render(renderer, flat(o.width, 256, colour)), bits);
                for (int p = 0; p < kInks; ++p)
                    EXPECT_NEAR(got[static_cast<size_t>(p)], want[static_cast<size_t>(p)], 0.01)
                        << "plane " << p << ", colour " << static_cast<int>(colour[0]) << " "
                        << static_cast<int>(colour[1]) << " " << static_cast<int>(colour[2]) << ", "
                        << bits << " bit(s), halftone " << halftone;
            }
        }
}

TEST(RendererDots, TheSamePageAlwaysGivesTheSameDots) {
    std::mt19937 random(417);
    std::vector<std::vector<uint8_t>> page(40, std::vector<uint8_t>(3 * 301));
    for (auto& line : page)
        for (auto& v : line) v = static_cast<uint8_t>(random() % 256);
    for (const int bits : {1, 2}) {
        const VreloInksOptions o = options_for(301, bits, VRELO_INKS_DIFFUSION);
        Renderer first(o), second(o);
        const Dots a = render(first, page);
        render(second, flat(o.width, 7, {20, 90, 200}));  // another page before
        const Dots b = render(second, page);
        const Dots c = render(first, page);  // the same renderer again
        for (int p = 0; p < kInks; ++p) {
            EXPECT_EQ(a.levels[static_cast<size_t>(p)], b.levels[static_cast<size_t>(p)]) << p;
            EXPECT_EQ(a.levels[static_cast<size_t>(p)], c.levels[static_cast<size_t>(p)]) << p;
        }
    }
}

// A grey input profile in memory: grey input then goes through sRGB,
// converted on the calling thread before the line is shared.
std::vector<uint8_t> grey_profile() {
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(gamma);
    return bytes;
}

TEST(RendererDots, TwoThreadsGiveTheSameDotsAsOne) {
    // Random pages, smooth ones (long runs of equal pixels, lines without
    // ink) and widths from one pixel (the second thread has nothing to
    // separate) to three of its parts; every way into the separation: RGB
    // at 8 and 16 bits, device CMYK, grey through an input profile.
    const std::vector<uint8_t> profile = grey_profile();
    struct Kind {
        int input, sampleBits, channels;
        bool profiled;
    };
    const Kind kinds[] = {{VRELO_INKS_RGB, 8, 3, false},
                          {VRELO_INKS_RGB, 16, 3, false},
                          {VRELO_INKS_CMYK, 8, 4, false},
                          {VRELO_INKS_GREY, 8, 1, true}};
    std::mt19937 random(2);
    for (const int32_t width : {1, 5, 1500, 3000})
        for (const Kind& kind : kinds) {
            const size_t pixelBytes = static_cast<size_t>(kind.channels * kind.sampleBits / 8);
            const int paper = kind.input == VRELO_INKS_CMYK ? 0 : 255;
            std::vector<std::vector<uint8_t>> page(
                48, std::vector<uint8_t>(pixelBytes * static_cast<size_t>(width)));
            for (size_t y = 0; y < page.size(); ++y)
                for (size_t i = 0; i < page[y].size(); ++i)
                    page[y][i] = static_cast<uint8_t>(
                        y < 16   ? random() % 256
                        : y < 40 ? paper - static_cast<int>(i / pixelBytes / 64 % 2) * 60
                                 : paper);
            for (const int bits : {1, 2}) {
                VreloInksOptions one = options_for(width, bits, VRELO_INKS_DIFFUSION, kind.input);
                one.sampleBits = kind.sampleBits;
                if (kind.profiled) {
                    one.inputProfileData = profile.data();
                    one.inputProfileSize = profile.size();
                }
                VreloInksOptions two = one;
                two.threads = 2;
                Renderer a(one), b(two);
                for (int pass = 0; pass < 2; ++pass) {
                    const Dots da = render(a, page), db = render(b, page);
                    for (int p = 0; p < kInks; ++p)
                        EXPECT_EQ(da.levels[static_cast<size_t>(p)],
                                  db.levels[static_cast<size_t>(p)])
                            << "plane " << p << ", width " << width << ", input " << kind.input
                            << " at " << kind.sampleBits << " bits, " << bits << " bit(s)";
                }
            }
        }
}

TEST(RendererDots, NoPixelCarriesMoreInkThanTheMediasLimit) {
    std::mt19937 random(7);
    for (const int media : {VRELO_INKS_PLAIN, VRELO_INKS_PHOTO})
        for (const double limit : {0.0, 1.5}) {
            VreloInksOptions o = options_for(16, 1, VRELO_INKS_DIFFUSION);
            o.media = media;
            o.inkLimit = limit;
            vrelo_inks::MediaLimits limits;
            ASSERT_TRUE(vrelo_inks::media_limits(media, &limits));
            const double most = limit != 0 ? limit : limits.total;
            std::string error;
            const auto separation = vrelo_inks::LineSeparation::make(o, nullptr, nullptr, &error);
            ASSERT_TRUE(separation) << error;
            for (int i = 0; i < 4000; ++i) {
                const uint32_t c[4] = {static_cast<uint32_t>(random() % 65536),
                                       static_cast<uint32_t>(random() % 65536),
                                       static_cast<uint32_t>(random() % 65536), 0};
                InkLevels inks;
                separation->pixel(c, &inks);
                int32_t total = 0;
                for (const int32_t ink : inks) {
                    EXPECT_GE(ink, 0);
                    EXPECT_LE(ink, kFull);
                    total += ink;
                }
                // Fixed point: a unit of rounding per ink.
                EXPECT_LE(total, most * kFull + kInks) << c[0] << " " << c[1] << " " << c[2];
            }
        }
}

TEST(RendererDots, EveryLevelOfEveryInkIsReached) {
    // Each printer ink from none to full, as device CMYK, alone and over
    // half black: light and dark cyan and magenta both come from their
    // hue's ramp, the dark inks' small dots where black draws them in.
    for (const int bits : {1, 2}) {
        const VreloInksOptions o = options_for(256, bits, VRELO_INKS_DIFFUSION, VRELO_INKS_CMYK);
        Renderer renderer(o);
        std::array<std::array<bool, 4>, kInks> seen{};
        for (int channel = 0; channel < 4; ++channel)
            for (const uint8_t black : {0, 128}) {
                std::vector<std::vector<uint8_t>> lines(
                    64, std::vector<uint8_t>(static_cast<size_t>(o.width) * 4, 0));
                for (auto& line : lines)
                    for (int32_t x = 0; x < o.width; ++x) {
                        line[static_cast<size_t>(x) * 4 + 3] = black;
                        line[static_cast<size_t>(x) * 4 + static_cast<size_t>(channel)] =
                            static_cast<uint8_t>(x);
                    }
                const Dots dots = render(renderer, lines);
                for (int p = 0; p < kInks; ++p)
                    for (const uint8_t v : dots.levels[static_cast<size_t>(p)])
                        seen[static_cast<size_t>(p)][v] = true;
            }
        for (int p = 0; p < kInks; ++p)
            for (int level = 1; level < (1 << bits); ++level)
                EXPECT_TRUE(seen[static_cast<size_t>(p)][static_cast<size_t>(level)])
                    << "plane " << p << " level " << level << " at " << bits;
    }
}

TEST(RendererDots, RowsAreExactlyAsLongAsTheLine) {
    // Odd widths leave part of the last byte: never written. The rows
    // themselves are checked in render(); here widths around byte edges.
    for (const int32_t width : {1, 3, 7, 9, 15, 17, 33})
        for (const int bits : {1, 2}) {
            const VreloInksOptions o =
                options_for(width, bits, VRELO_INKS_DIFFUSION, VRELO_INKS_CMYK);
            Renderer renderer(o);
            const Dots dots = render(renderer, flat(width, 8, {0, 0, 0, 255}));
            // Full black ink covers every pixel of the line.
            for (const uint8_t v : dots.levels[vrelo_inks::kBlack]) EXPECT_EQ(v, bits == 1 ? 1 : 3);
        }
}

}  // namespace
