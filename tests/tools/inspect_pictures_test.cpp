// The inspector's pictures and its comparison with a raster: the preview of
// a known stream has the colours the inks mix to, plane pictures have the
// page's size, and a raster matches the stream made of it exactly, while a
// changed byte or a missing row is named by page, colour, line and byte.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <random>

#include "png_file.hpp"
#include "raster_fixture.hpp"
#include "stream_pages.hpp"
#include "tool_run.hpp"

namespace {

using vrelo_test::PlanePage;

vrelo_tools::RgbImage read_picture(const std::string& path) {
    vrelo_tools::RgbImage image;
    std::string error;
    EXPECT_TRUE(vrelo_tools::read_png(vrelo_test::read_file(path), &image, &error)) << error;
    return image;
}

// Three lines of two full bytes each, in a direct stream: black on line 0,
// cyan on line 1, yellow and magenta (red) on line 2.
std::vector<uint8_t> known_stream() {
    const std::vector<uint8_t> full = {0x1B, 0x28, 0x41, 0x03, 0x00, 'K', 0xFF, 0xFF, 0x0D};
    const std::vector<uint8_t> skip = {0x1B, 0x28, 0x65, 0x02, 0x00, 0x00, 0x01};
    std::vector<uint8_t> stream;
    auto row = [&](char letter) {
        std::vector<uint8_t> command = full;
        command[5] = static_cast<uint8_t>(letter);
        stream.insert(stream.end(), command.begin(), command.end());
    };
    row('K');
    stream.insert(stream.end(), skip.begin(), skip.end());
    row('C');
    stream.insert(stream.end(), skip.begin(), skip.end());
    row('Y');
    row('M');
    stream.push_back(0x0C);
    return stream;
}

std::array<uint8_t, 3> pixel(const vrelo_tools::RgbImage& image, uint32_t x, uint32_t y) {
    const uint8_t* p = image.row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

TEST(InspectPictures, InksMixSubtractively) {
    const std::string stream = vrelo_test::temp_path("known.prn");
    const std::string png = vrelo_test::temp_path("known.png");
    vrelo_test::write_file(stream, known_stream());
    const auto run = vrelo_test::run_inspect("--scale 1 --png " + png + " " + stream);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const vrelo_tools::RgbImage image = read_picture(png);
    ASSERT_EQ(image.width, 16u);
    ASSERT_EQ(image.height, 3u);
    EXPECT_EQ(pixel(image, 0, 0), (std::array<uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(pixel(image, 15, 1), (std::array<uint8_t, 3>{0, 255, 255}));
    EXPECT_EQ(pixel(image, 7, 2), (std::array<uint8_t, 3>{255, 0, 0}));
    std::remove(stream.c_str());
    std::remove(png.c_str());
}

TEST(InspectPictures, PlanesHaveThePageSizeAndAShrinkAverages) {
    const std::string stream = vrelo_test::temp_path("known.prn");
    const std::string dir = vrelo_test::temp_path("planes");
    vrelo_test::write_file(stream, known_stream());
    ASSERT_EQ(vrelo_test::run_command("mkdir -p " + dir).exitStatus, 0);
    const auto run = vrelo_test::run_inspect("--scale 2 --planes " + dir + " " + stream);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    for (const char* name : {"black", "yellow", "magenta", "cyan", "light-magenta", "light-cyan"}) {
        const vrelo_tools::RgbImage plane = read_picture(dir + "/page-1-" + name + ".png");
        EXPECT_EQ(plane.width, 8u) << name;
        EXPECT_EQ(plane.height, 2u) << name;
    }
    // Black covers one line of the two a shrunk pixel averages.
    const vrelo_tools::RgbImage black = read_picture(dir + "/page-1-black.png");
    EXPECT_EQ(pixel(black, 0, 0), (std::array<uint8_t, 3>{128, 128, 128}));
    EXPECT_EQ(pixel(black, 0, 1), (std::array<uint8_t, 3>{255, 255, 255}));
    vrelo_test::run_command("rm -rf " + dir + " " + stream);
}

struct RasterCase {
    const char* name;
    cups_cspace_t space;
    cups_order_t order;
    int bits;
    int resX, resY;
    bool carryOver;
};

class InspectCompare : public ::testing::TestWithParam<RasterCase> {
  protected:
    std::vector<PlanePage> pages_;
    std::string raster_ = vrelo_test::temp_path("page.ras");
    std::string stream_ = vrelo_test::temp_path("page.prn");

    void SetUp() override {
        const RasterCase& c = GetParam();
        std::mt19937 rng(static_cast<uint32_t>(c.space * 7 + c.bits));
        for (int p = 0; p < 3; ++p) {
            pages_.push_back(vrelo_test::random_plane_page(rng, 203, 40 + 17 * p, c.bits));
            if (c.space == CUPS_CSPACE_CMYK || c.space == CUPS_CSPACE_KCMY)
                for (auto& line : pages_.back().lines)
                    for (int light : {4, 5}) std::fill(line[light].begin(), line[light].end(), 0);
        }
        vrelo_test::write_raster(raster_, pages_, c.space, c.order, static_cast<uint32_t>(c.resX),
                                 static_cast<uint32_t>(c.resY));
    }
    void TearDown() override {
        std::remove(raster_.c_str());
        std::remove(stream_.c_str());
    }

    vrelo_test::ToolRun compare_stream(const std::string& options = "") {
        const RasterCase& c = GetParam();
        vrelo_test::write_file(stream_,
                               vrelo_test::print_pages(pages_, c.resX, c.resY, c.carryOver));
        const bool delayed = c.resX == 1440 && c.resY == 720;
        return vrelo_test::run_inspect(std::string(delayed ? "--delays 1440x720 " : "") + options +
                                       "--compare " + raster_ + " " + stream_);
    }
};

TEST_P(InspectCompare, TheStreamOfARasterMatchesIt) {
    const auto run = compare_stream();
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("pages: 3, form feeds: 3"), std::string::npos) << run.out;
}

TEST_P(InspectCompare, AChangedByteIsNamed) {
    auto& row = pages_[1].lines[17][2];
    const size_t byte = row.size() / 2;
    row[byte] = static_cast<uint8_t>(row[byte] ^ 0x10);
    row.back() |= 0x80;  // the row keeps its length
    const auto run = compare_stream("--json ");
    EXPECT_EQ(run.exitStatus, 1);
    const std::string where = "page 2, colour M, line 17, byte " + std::to_string(byte);
    // The JSON report says the same as the message.
    const nlohmann::json compare = nlohmann::json::parse(run.out).at("compare");
    EXPECT_FALSE(compare.at("equal").get<bool>());
    const std::string difference = compare.at("difference").get<std::string>();
    EXPECT_EQ(difference.compare(0, where.size(), where), 0) << difference;
    EXPECT_NE(run.err.find(stream_ + " differs from " + raster_ + ": " + difference),
              std::string::npos)
        << run.err;
}

TEST_P(InspectCompare, AMissingRowIsNamed) {
    // The first yellow row of page 3 from line 5 on goes missing.
    size_t line = 5, first = 0;
    auto ink_from = [](const std::vector<uint8_t>& row) {
        size_t at = 0;
        while (at < row.size() && row[at] == 0) ++at;
        return at;
    };
    while ((first = ink_from(pages_[2].lines[line][1])) == pages_[2].lines[line][1].size()) ++line;
    auto& row = pages_[2].lines[line][1];
    std::fill(row.begin(), row.end(), 0);
    const auto run = compare_stream();
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("page 3, colour Y, line " + std::to_string(line) + ", byte " +
                           std::to_string(first) + ": the stream has no row"),
              std::string::npos)
        << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Rasters, InspectCompare,
    ::testing::Values(
        RasterCase{"kcmycm_chunked", CUPS_CSPACE_KCMYcm, CUPS_ORDER_CHUNKED, 1, 1440, 720, false},
        RasterCase{"kcmycm_banded_carry", CUPS_CSPACE_KCMYcm, CUPS_ORDER_BANDED, 1, 1440, 720,
                   true},
        RasterCase{"devicen_2bit", CUPS_CSPACE_DEVICE6, CUPS_ORDER_CHUNKED, 2, 1440, 720, false},
        RasterCase{"cmyk_2bit_direct", CUPS_CSPACE_CMYK, CUPS_ORDER_CHUNKED, 2, 720, 720, false},
        RasterCase{"kcmy_1bit_banded", CUPS_CSPACE_KCMY, CUPS_ORDER_BANDED, 1, 360, 360, false}),
    [](const ::testing::TestParamInfo<RasterCase>& param) { return param.param.name; });

}  // namespace
