// vrelo-print's and the filter's parts for the renderer: area-averaging
// scaling against a direct sum over the covered areas, and the choice of a
// printer profile from a PPD's cupsICCProfile entries.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "picture_scaling.hpp"
#include "ppd_profiles.hpp"
#include "temp_files.hpp"

namespace {

vrelo_tools::RgbImage picture(uint32_t width, uint32_t height) {
    vrelo_tools::RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = static_cast<uint8_t>((i * 37 + i / 7) % 256);
    return image;
}

// The mean of the picture over output pixel (x, y)'s area, by summing the
// overlaps directly, as a 16-bit value.
double model(const vrelo_tools::RgbImage& image, uint32_t width, uint32_t lines, uint32_t x,
             uint32_t y, int c) {
    const double x0 = static_cast<double>(x) * image.width / width,
                 x1 = static_cast<double>(x + 1) * image.width / width;
    const double y0 = static_cast<double>(y) * image.height / lines,
                 y1 = static_cast<double>(y + 1) * image.height / lines;
    double sum = 0;
    for (uint32_t sy = 0; sy < image.height; ++sy)
        for (uint32_t sx = 0; sx < image.width; ++sx) {
            const double w =
                std::max(0.0, std::min(x1, sx + 1.0) - std::max(x0, static_cast<double>(sx))) *
                std::max(0.0, std::min(y1, sy + 1.0) - std::max(y0, static_cast<double>(sy)));
            sum += w * image.row(sy)[sx * 3 + c];
        }
    return sum / ((x1 - x0) * (y1 - y0)) * 257;
}

TEST(PictureScaling, EachPixelIsTheMeanOfTheAreaItCovers) {
    const vrelo_tools::RgbImage image = picture(7, 5);
    for (const auto& size :
         {std::make_pair(7u, 5u), std::make_pair(20u, 11u), std::make_pair(3u, 2u),
          std::make_pair(16u, 3u), std::make_pair(1u, 1u)}) {
        vrelo_print::AreaScaling scaling(image, size.first, size.second);
        std::vector<uint16_t> line(static_cast<size_t>(size.first) * 3);
        for (uint32_t y = 0; y < size.second; ++y) {
            scaling.line(y, line.data());
            for (uint32_t x = 0; x < size.first; ++x)
                for (int c = 0; c < 3; ++c)
                    // Weights are kept to 1/65536: within two 16-bit units.
                    EXPECT_NEAR(line[static_cast<size_t>(x) * 3 + static_cast<size_t>(c)],
                                model(image, size.first, size.second, x, y, c), 2.0)
                        << size.first << "x" << size.second << " at " << x << "," << y;
        }
    }
}

TEST(PpdProfiles, TheFirstEntryFittingThePageWhoseFileExists) {
    const vrelo_test::TempDir temp;
    const std::string dir = temp.path();
    ASSERT_EQ(system(("mkdir -p " + dir + "/profiles").c_str()), 0);
    std::ofstream(dir + "/profiles/plain.icc") << "x";
    std::ofstream(dir + "/own.icc") << "x";
    const auto entries = vrelo_filter::ppd_profiles(
        "*PPD-Adobe: \"4.3\"\n"
        "*cupsICCProfile KCMYcm.Photo.720dpi/Photo 720: \"missing.icc\"\n"
        "*cupsICCProfile KCMYcm.Photo./Photo: \"" +
        dir +
        "/own.icc\"\n"
        "*cupsICCProfile RGB.Plain./For Ghostscript: \"rgb.icc\"\n"
        "*cupsICCProfile ..1440x720dpi/Any at 1440: \"plain.icc\"\n");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].mediaType, "Photo");
    EXPECT_EQ(entries[0].resolution, "720dpi");
    vrelo_tools::RasterFormat page;
    page.resX = 720;
    page.resY = 720;
    page.mediaType = "Photo";
    // The first fits but its file is missing: the next.
    EXPECT_EQ(vrelo_filter::profile_for(entries, page, dir), dir + "/own.icc");
    page.mediaType = "Plain";
    EXPECT_EQ(vrelo_filter::profile_for(entries, page, dir),
              "");  // RGB is Ghostscript's, not the inks'
    page.resX = 1440;
    EXPECT_EQ(vrelo_filter::profile_for(entries, page, dir), dir + "/profiles/plain.icc");
}

}  // namespace
