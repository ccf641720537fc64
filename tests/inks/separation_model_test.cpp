// The separation against the look of its own dots: the colour the ink
// model predicts for a flat patch is the colour the diffused dots give
// (the assumption the separation is built on), and ramps through the
// separation darken smoothly, never turning back.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "colour_space.hpp"
#include "dot_levels.hpp"
#include "line_separation.hpp"
#include "vrelo417_inks.h"

namespace {

using vrelo_inks::InkLevels;
using vrelo_inks::Inks;
using vrelo_inks::kFull;
using vrelo_inks::kInks;
using vrelo_inks::Lab;
using vrelo_test::level_at;

Inks coverage(const InkLevels& levels) {
    Inks inks;
    for (int i = 0; i < kInks; ++i)
        inks[static_cast<size_t>(i)] = static_cast<float>(levels[static_cast<size_t>(i)]) / kFull;
    return inks;
}

vrelo_inks::InkRecipe plain_recipe(int bits) {
    vrelo_inks::MediaLimits limits;
    vrelo_inks::media_limits(VRELO_INKS_PLAIN, &limits);
    return vrelo_inks::InkRecipe(limits, bits);
}

Lab lab_of(const vrelo_inks::Rgb& r) {
    return vrelo_inks::linear_to_lab(r[0], r[1], r[2]);
}

TEST(SeparationModel, TheDotsLookAsTheModelSays) {
    const std::vector<std::vector<uint8_t>> colours = {
        {200, 200, 200}, {120, 120, 120}, {40, 40, 40},   {230, 190, 200},
        {90, 160, 60},   {60, 80, 170},   {255, 220, 120}};
    for (const int halftone : {VRELO_INKS_DIFFUSION, VRELO_INKS_BLUE_NOISE})
        for (const int bits : {1, 2}) {
            VreloInksOptions o;
            vrelo_inks_default_options(&o, 512);
            o.bits = bits;
            o.halftone = halftone;
            std::string error;
            const auto separation = vrelo_inks::LineSeparation::make(o, nullptr, nullptr, &error);
            ASSERT_TRUE(separation) << error;
            VreloInks* r = nullptr;
            char message[VRELO_INKS_MESSAGE_SIZE];
            ASSERT_EQ(vrelo_inks_new(&r, &o, message, sizeof message), VRELO_INKS_OK) << message;
            const vrelo_inks::InkRecipe recipe = plain_recipe(bits);
            for (const auto& colour : colours) {
                const uint32_t c[4] = {colour[0] * 257u, colour[1] * 257u, colour[2] * 257u, 0};
                InkLevels levels;
                separation->pixel(c, &levels);
                const Lab predicted = lab_of(recipe.look(coverage(levels)));
                // The dots of a flat patch, each pixel's reflectance by its own
                // dots, averaged away from the patch's first lines.
                std::vector<uint8_t> line;
                for (int32_t x = 0; x < o.width; ++x)
                    line.insert(line.end(), colour.begin(), colour.end());
                vrelo_inks_start_page(r);
                double sum[3] = {0, 0, 0};
                long pixels = 0;
                for (int y = 0; y < 192; ++y) {
                    RasterLine out;
                    ASSERT_GE(vrelo_inks_render_line(r, line.data(), &out), 0);
                    if (y < 32) continue;
                    for (int32_t x = 16; x < o.width - 16; ++x, ++pixels) {
                        Inks dots{};
                        for (int p = 0; p < kInks; ++p)
                            if (out.planes[p].data)
                                dots[static_cast<size_t>(p)] =
                                    static_cast<float>(level_at(out.planes[p].data, bits, x)) /
                                    static_cast<float>((1 << bits) - 1);
                        const vrelo_inks::Rgb px = vrelo_inks::dot_reflectance(dots);
                        for (int ch = 0; ch < 3; ++ch) sum[ch] += px[static_cast<size_t>(ch)];
                    }
                }
                const Lab printed = lab_of({static_cast<float>(sum[0] / pixels),
                                            static_cast<float>(sum[1] / pixels),
                                            static_cast<float>(sum[2] / pixels)});
                EXPECT_LT(vrelo_inks::delta_e(printed, predicted), 1.5)
                    << int(colour[0]) << " " << int(colour[1]) << " " << int(colour[2]) << " at "
                    << bits << " bit(s), halftone " << halftone << ": " << printed[0] << " "
                    << printed[1] << " " << printed[2] << " against " << predicted[0] << " "
                    << predicted[1] << " " << predicted[2];
            }
            vrelo_inks_free(r);
        }
}

TEST(SeparationModel, RampsDarkenWithoutTurningBack) {
    // White to each primary and secondary, and each of them to black, in
    // 256 steps of the input: the model's L* of the separation's inks.
    VreloInksOptions o;
    vrelo_inks_default_options(&o, 1);
    std::string error;
    const auto separation = vrelo_inks::LineSeparation::make(o, nullptr, nullptr, &error);
    ASSERT_TRUE(separation) << error;
    const vrelo_inks::InkRecipe recipe = plain_recipe(1);
    const int corners[6][3] = {{0, 1, 1}, {1, 0, 1}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const auto& corner : corners)
        for (const bool toBlack : {false, true}) {
            double previous = 101;
            for (int s = 0; s <= 255; ++s) {
                uint32_t c[4] = {0, 0, 0, 0};
                for (int i = 0; i < 3; ++i) {
                    const int full = corner[i] * 255;
                    const int v = toBlack ? full * (255 - s) / 255 : 255 - (255 - full) * s / 255;
                    c[i] = static_cast<uint32_t>(v) * 257u;
                }
                InkLevels levels;
                separation->pixel(c, &levels);
                const double l = lab_of(recipe.look(coverage(levels)))[0];
                EXPECT_LE(l, previous + 0.3)
                    << corner[0] << corner[1] << corner[2]
                    << (toBlack ? " to black" : " from white") << " step " << s;
                previous = l;
            }
        }
}

TEST(SeparationModel, EveryPixelSplitsItsHuesAsItsToneAsks) {
    // Between the grid's nodes too: a hue's light and dark ink are the
    // cross-fade's split of the pixel's own tone (dark plus a third of
    // light) beside its black, so highlights get no more dark ink than the
    // fade gives them.
    std::mt19937 random(90);
    for (const int bits : {1, 2}) {
        VreloInksOptions o;
        vrelo_inks_default_options(&o, 1);
        o.bits = bits;
        std::string error;
        const auto separation = vrelo_inks::LineSeparation::make(o, nullptr, nullptr, &error);
        ASSERT_TRUE(separation) << error;
        for (int i = 0; i < 3000; ++i) {
            // Mostly light colours, where the fades lie.
            uint32_t c[4] = {0, 0, 0, 0};
            for (int ch = 0; ch < 3; ++ch)
                c[ch] = (i % 2 ? 160 + random() % 96 : random() % 256) * 257u;
            InkLevels levels;
            separation->pixel(c, &levels);
            const Inks inks = coverage(levels);
            const struct {
                int dark, light;
            } hues[2] = {{vrelo_inks::kCyan, vrelo_inks::kLightCyan},
                         {vrelo_inks::kMagenta, vrelo_inks::kLightMagenta}};
            for (const auto& hue : hues) {
                const double tone =
                    inks[static_cast<size_t>(hue.dark)] + inks[static_cast<size_t>(hue.light)] / 3;
                double dark, light;
                vrelo_inks::split_hue(tone, vrelo_inks::dark_bias(inks[vrelo_inks::kBlack]), &dark,
                                      &light);
                EXPECT_NEAR(inks[static_cast<size_t>(hue.dark)], dark, 2.0 / kFull)
                    << c[0] / 257 << " " << c[1] / 257 << " " << c[2] / 257 << " ink " << hue.dark
                    << " at " << bits << " bit(s)";
            }
        }
    }
}

}  // namespace
