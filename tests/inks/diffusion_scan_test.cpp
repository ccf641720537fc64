// Every scan variant this processor runs gives the dots of the portable
// scan, line after line down pages of random, flat and extreme amounts in
// both directions, at 1 and 2 bits, so they also carry the same error.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "diffusion_scan.hpp"
#include "error_diffusion.hpp"

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

}  // namespace
