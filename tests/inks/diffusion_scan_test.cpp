// Every scan variant this processor runs gives the dots of the portable
// scan, line after line down pages of random, flat and extreme amounts in
// both directions, at 1 and 2 bits, so they also carry the same error.
// Between three dot sizes a colour shows through black's dots as much as
// its amount says, and its dark share splits pixels as the rule says; at
// one, the two colour hues with the most ink overlap as little as they can,
// and random colours look as the ink model says.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "colour_space.hpp"
#include "diffusion_scan.hpp"
#include "dot_levels.hpp"
#include "error_diffusion.hpp"
#include "ink_model.hpp"
#include "ink_recipe.hpp"
#include "vrelo417_inks.h"

namespace {

using vrelo_inks::ErrorDiffusion;
using vrelo_inks::kHues;
using vrelo_inks::kLevelUnit;

using vrelo_inks::PixelAmounts;
using Amounts = std::vector<PixelAmounts>;  // a line's

// Lines of every kind the scan meets: random amounts up to the fullest
// pixel, flat runs, blank lines (after ink, so error is carried into
// them), hues all dark or all light, amounts at their extremes.
std::vector<Amounts> page(int32_t width, int bits, std::mt19937& random) {
    const int32_t full = ((1 << bits) - 1) * kLevelUnit;
    std::vector<Amounts> lines(40);
    for (size_t y = 0; y < lines.size(); ++y) {
        const int kind = static_cast<int>(y % 5);
        Amounts& a = lines[y];
        a.assign(static_cast<size_t>(width), PixelAmounts{});
        if (kind == 3) continue;  // blank
        const int32_t flatValue = static_cast<int32_t>(random() % (full + 1));
        for (size_t x = 0; x < static_cast<size_t>(width); ++x) {
            for (size_t h = 0; h < kHues; ++h) {
                const int32_t v = kind == 0   ? static_cast<int32_t>(random() % (full + 1))
                                  : kind == 1 ? flatValue
                                  : kind == 2 ? (random() % 2 != 0 ? full : 0)
                                              : static_cast<int32_t>(random() % 64);
                a[x].hue[h] = static_cast<int16_t>(v);
            }
            for (const int h : {vrelo_inks::kHueMagenta, vrelo_inks::kHueCyan}) {
                const int32_t amount = a[x].hue[h];
                const int way = static_cast<int>(random() % 3);
                a[x].dark[h] = static_cast<int16_t>(way == 0   ? amount
                                                    : way == 1 ? 0
                                                               : random() % (amount + 1));
            }
        }
    }
    return lines;
}

// The rows and answers of a page through a diffusion made while the
// named variant is chosen.
std::vector<std::vector<uint8_t>> dots(const char* variant, int32_t width, int bits,
                                       const std::vector<Amounts>& lines) {
    EXPECT_TRUE(vrelo_inks::force_scan_variant(variant)) << variant;
    ErrorDiffusion diffusion(width, bits);
    diffusion.start_page();
    const size_t rowBytes = (static_cast<size_t>(width) * static_cast<size_t>(bits) + 7) / 8;
    std::vector<std::vector<uint8_t>> out;
    for (size_t y = 0; y < lines.size(); ++y) {
        std::vector<uint8_t> rows(6 * rowBytes, 0);
        const vrelo_inks::LineRows to{
            {&rows[0], &rows[rowBytes], &rows[2 * rowBytes], &rows[3 * rowBytes]},
            {nullptr, &rows[4 * rowBytes], &rows[5 * rowBytes], nullptr}};
        const unsigned hues = diffusion.line(static_cast<int32_t>(y), lines[y].data(), to);
        rows.push_back(static_cast<uint8_t>(hues));
        out.push_back(rows);
    }
    return out;
}

TEST(DiffusionScan, EveryVariantGivesThePortableScansDots) {
    std::mt19937 random(11);
    int compared = 0;
    for (const int bits : {1, 2})
        for (const int32_t width : {1, 2, 7, 129, 1000}) {
            const std::vector<Amounts> lines = page(width, bits, random);
            const auto portable = dots("portable", width, bits, lines);
            for (const char* variant : {"sse4.1"}) {
                if (!vrelo_inks::force_scan_variant(variant)) continue;
                EXPECT_EQ(dots(variant, width, bits, lines), portable)
                    << variant << ", width " << width << ", " << bits << " bit(s)";
                ++compared;
            }
        }
    // Every test after this one gets the fastest scan again.
    EXPECT_TRUE(vrelo_inks::force_scan_variant("sse4.1") ||
                vrelo_inks::force_scan_variant("portable"));
    if (compared == 0) GTEST_SKIP() << "no scan variant but the portable one runs here";
}

TEST(DiffusionScan, OnlyVariantsThatExistAndRunHereCanBeForced) {
    EXPECT_FALSE(vrelo_inks::force_scan_variant("avx9"));
    EXPECT_TRUE(vrelo_inks::force_scan_variant("portable"));
    EXPECT_EQ(vrelo_inks::scan_kernel(1), vrelo_inks::kScanPortable[0]);
    EXPECT_TRUE(vrelo_inks::force_scan_variant("sse4.1") ||
                vrelo_inks::force_scan_variant("portable"));
}

TEST(DiffusionScan, BetweenThreeDotSizesAColourShowsThroughBlackAsItsAmount) {
    // Black between two levels, so its levels alternate under the colours;
    // magenta's dark share mixes sizes in a pixel, cyan's keeps whole
    // pixels.
    constexpr int32_t kWidth = 512, kLines = 96, kMargin = 16;
    PixelAmounts flat{};
    flat.hue[vrelo_inks::kHueBlack] = 2662;
    flat.hue[vrelo_inks::kHueMagenta] = 1946;
    flat.dark[vrelo_inks::kHueMagenta] = 584;
    flat.hue[vrelo_inks::kHueCyan] = 1229;
    flat.dark[vrelo_inks::kHueCyan] = 61;
    flat.hue[vrelo_inks::kHueYellow] = 2355;
    const std::vector<Amounts> lines(kLines, Amounts(kWidth, flat));
    const auto rows = dots("portable", kWidth, 2, lines);
    const size_t rowBytes = kWidth / 4;
    // What a pixel of black's level lets through, from the inks' model.
    const auto shade = [](int black) {
        return 1 - vrelo_inks::kAbsorbance[vrelo_inks::kBlack][0] * black / 3.0;
    };
    double seen = 0, shown[kHues] = {}, shownDark[kHues] = {};
    int mixed[kHues] = {};
    for (int32_t y = kMargin; y < kLines; ++y)
        for (int32_t x = kMargin; x < kWidth - kMargin; ++x) {
            const auto at = [&](int row) {
                return vrelo_test::level_at(&rows[static_cast<size_t>(y)][row * rowBytes], 2, x);
            };
            const double s = shade(at(0));
            seen += s;
            for (int h = 1; h < kHues; ++h) {
                const int dark = at(h), light = h == vrelo_inks::kHueYellow ? 0 : at(3 + h);
                shown[h] += s * (dark + light);
                shownDark[h] += s * dark;
                mixed[h] += dark > 0 && light > 0;
            }
        }
    for (int h = 1; h < kHues; ++h) {
        EXPECT_NEAR(shown[h] / seen, static_cast<double>(flat.hue[h]) / kLevelUnit, 0.02) << h;
        if (h != vrelo_inks::kHueYellow) {
            EXPECT_NEAR(shownDark[h] / seen, static_cast<double>(flat.dark[h]) / kLevelUnit, 0.02)
                << h;
        }
    }
    EXPECT_GT(mixed[vrelo_inks::kHueMagenta], 0);
    EXPECT_EQ(mixed[vrelo_inks::kHueCyan], 0);
}

TEST(DiffusionScan, AtOneDotSizeTwoColourHuesOverlapNoMoreThanTheyMust) {
    // Black, magenta and yellow: first with room for both beside black,
    // then with yellow overlapping magenta by what it lacks room for, the
    // overlap taking magenta's dark share first. Cyan, with none, stays out.
    constexpr int32_t kWidth = 1024, kLines = 96, kMargin = 16;
    struct Case {
        int16_t black, magenta, dark, yellow;
        double overlap;  // pixels with magenta and yellow, off black
    };
    for (const Case c :
         {Case{530, 130, 130, 360, 0}, Case{240, 620, 310, 460, 296.0 / kLevelUnit}}) {
        PixelAmounts flat{};
        flat.hue[vrelo_inks::kHueBlack] = c.black;
        flat.hue[vrelo_inks::kHueMagenta] = c.magenta;
        flat.dark[vrelo_inks::kHueMagenta] = c.dark;
        flat.hue[vrelo_inks::kHueYellow] = c.yellow;
        const std::vector<Amounts> lines(kLines, Amounts(kWidth, flat));
        const auto rows = dots("portable", kWidth, 1, lines);
        const size_t rowBytes = kWidth / 8;
        double pixels = 0, both = 0, bothDark = 0, colourOnBlack = 0, bare = 0;
        double magenta = 0, yellow = 0;
        for (int32_t y = kMargin; y < kLines; ++y)
            for (int32_t x = kMargin; x < kWidth - kMargin; ++x) {
                const auto at = [&](int row) {
                    return vrelo_test::level_at(&rows[static_cast<size_t>(y)][row * rowBytes], 1,
                                                x);
                };
                const int k = at(0), darkM = at(1), m = darkM + at(4), ye = at(3);
                ++pixels;
                magenta += m;
                yellow += ye;
                colourOnBlack += k != 0 && m + ye != 0;
                bare += k + m + ye == 0;
                both += k == 0 && m != 0 && ye != 0;
                bothDark += k == 0 && darkM != 0 && ye != 0;
            }
        EXPECT_NEAR(magenta / pixels, c.magenta / double{kLevelUnit}, 0.01);
        EXPECT_NEAR(yellow / pixels, c.yellow / double{kLevelUnit}, 0.01);
        EXPECT_NEAR(both / pixels, c.overlap, 0.01) << c.magenta;
        EXPECT_LT(colourOnBlack / pixels, 0.01) << c.magenta;
        if (c.overlap > 0) {
            EXPECT_LT(bare / pixels, 0.01);
            EXPECT_GT(bothDark, 0.97 * both);
        }
    }
}

TEST(DiffusionScan, AtOneDotSizeRandomColoursLookAsTheInkModelSays) {
    // Flat patches of random amounts within plain paper's ink limit, every
    // way the pair can fall (room for both, overlap, no room beside black;
    // dark shares from none to all): the patch's mean reflectance from its
    // dots against the ink model's.
    constexpr int32_t kWidth = 256, kLines = 112, kMargin = 16;
    vrelo_inks::MediaLimits limits;
    ASSERT_TRUE(vrelo_inks::media_limits(VRELO_INKS_PLAIN, &limits));
    std::mt19937 random(5);
    const auto any = [&random](int32_t most) {
        return static_cast<int16_t>(random() % static_cast<uint32_t>(most + 1));
    };
    for (int patch = 0; patch < 40; ++patch) {
        PixelAmounts flat{};
        int32_t total;
        do {
            total = 0;
            for (int h = 0; h < kHues; ++h) total += flat.hue[h] = any(kLevelUnit);
        } while (total > limits.total * kLevelUnit);
        for (const int h : {vrelo_inks::kHueMagenta, vrelo_inks::kHueCyan})
            flat.dark[h] = any(flat.hue[h]);
        const std::vector<Amounts> lines(kLines, Amounts(kWidth, flat));
        const auto rows = dots("portable", kWidth, 1, lines);
        const size_t rowBytes = kWidth / 8;
        // Rows: black, magenta, cyan, yellow, light magenta, light cyan.
        const vrelo_inks::Ink inkOfRow[6] = {vrelo_inks::kBlack,        vrelo_inks::kMagenta,
                                             vrelo_inks::kCyan,         vrelo_inks::kYellow,
                                             vrelo_inks::kLightMagenta, vrelo_inks::kLightCyan};
        double sum[3] = {0, 0, 0};
        long pixels = 0;
        for (int32_t y = kMargin; y < kLines; ++y)
            for (int32_t x = kMargin; x < kWidth - kMargin; ++x, ++pixels) {
                vrelo_inks::Inks dot{};
                for (int row = 0; row < 6; ++row)
                    dot[inkOfRow[row]] = static_cast<float>(
                        vrelo_test::level_at(&rows[static_cast<size_t>(y)][row * rowBytes], 1, x));
                const vrelo_inks::Rgb r = vrelo_inks::dot_reflectance(dot);
                for (int ch = 0; ch < 3; ++ch) sum[ch] += r[static_cast<size_t>(ch)];
            }
        vrelo_inks::Inks cover{};
        const auto share = [](int32_t v) { return static_cast<float>(v) / kLevelUnit; };
        cover[vrelo_inks::kBlack] = share(flat.hue[vrelo_inks::kHueBlack]);
        cover[vrelo_inks::kYellow] = share(flat.hue[vrelo_inks::kHueYellow]);
        cover[vrelo_inks::kMagenta] = share(flat.dark[vrelo_inks::kHueMagenta]);
        cover[vrelo_inks::kLightMagenta] =
            share(flat.hue[vrelo_inks::kHueMagenta] - flat.dark[vrelo_inks::kHueMagenta]);
        cover[vrelo_inks::kCyan] = share(flat.dark[vrelo_inks::kHueCyan]);
        cover[vrelo_inks::kLightCyan] =
            share(flat.hue[vrelo_inks::kHueCyan] - flat.dark[vrelo_inks::kHueCyan]);
        const vrelo_inks::Rgb model = vrelo_inks::area_reflectance(cover, 1);
        const vrelo_inks::Lab predicted = vrelo_inks::linear_to_lab(model[0], model[1], model[2]);
        const vrelo_inks::Lab printed =
            vrelo_inks::linear_to_lab(sum[0] / pixels, sum[1] / pixels, sum[2] / pixels);
        // Most come within a few tenths; three hues over black at 2.6 dots a
        // pixel, more than a separation gives, to 1.6. Hues laid apart, as
        // before the pair, came to 3.5.
        EXPECT_LT(vrelo_inks::delta_e(printed, predicted), 2.0)
            << "K " << flat.hue[0] << " M " << flat.hue[1] << " (dark " << flat.dark[1] << ") C "
            << flat.hue[2] << " (dark " << flat.dark[2] << ") Y " << flat.hue[3];
    }
}

}  // namespace
