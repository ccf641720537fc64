// The host contract as docs/host-contract.md writes it down: its example
// host builds, runs and prints every row of its page, the page shows the
// example as it is built, and the page ends it describes lose no row.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "raster_fixture.hpp"
#include "stream_pages.hpp"
#include "tool_run.hpp"

namespace {

std::string text_of(const std::string& path) {
    const std::vector<uint8_t> bytes = vrelo_test::read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(HostContract, TheContractShowsTheExampleAsBuilt) {
    const std::string example = text_of(VRELO_SOURCE_DIR "/tools/example/print_page.c");
    ASSERT_FALSE(example.empty());
    EXPECT_NE(text_of(VRELO_SOURCE_DIR "/docs/host-contract.md").find(example), std::string::npos)
        << "docs/host-contract.md must hold tools/example/print_page.c verbatim";
}

TEST(HostContract, TheExamplePrintsEveryRowOfItsPage) {
    const std::string stream = vrelo_test::temp_path("example.prn");
    ASSERT_EQ(vrelo_test::run_command(std::string(VRELO_EXAMPLE_PATH) + " " + stream).exitStatus,
              0);
    const std::vector<uint8_t> bytes = vrelo_test::read_file(stream);
    vrelo_inspect::DecodedStream decoded;
    vrelo_inspect::StreamFault fault;
    ASSERT_TRUE(
        decode_stream(bytes.data(), bytes.size(), vrelo_inspect::kDelays1440x720, &decoded, &fault))
        << fault.what;
    ASSERT_EQ(decoded.pages.size(), 1u);
    EXPECT_TRUE(decoded.pages[0].formFeed);
    EXPECT_EQ(bytes.back(), 0x0C);
    for (int c = 0; c < 6; ++c) {
        const auto& rows = decoded.pages[0].rows[c];
        ASSERT_EQ(rows.size(), 720u) << "colour " << c;
        EXPECT_EQ(rows.begin()->first, 0);
        EXPECT_EQ(rows.rbegin()->first, 719);
    }
    std::remove(stream.c_str());
}

// Each way of ending delayed pages: every row arrives, and each page ends
// with exactly one form-feed byte.
TEST(HostContract, PageEndsLoseNoRowAndEjectOnce) {
    std::mt19937 rng(12);
    std::vector<vrelo_test::PlanePage> pages;
    for (int p = 0; p < 3; ++p) pages.push_back(vrelo_test::random_plane_page(rng, 64, 400, 1));
    for (const bool carryOver : {false, true}) {
        const std::vector<uint8_t> stream = vrelo_test::print_pages(pages, 1440, 720, carryOver);
        vrelo_inspect::DecodedStream decoded;
        vrelo_inspect::StreamFault fault;
        ASSERT_TRUE(decode_stream(stream.data(), stream.size(), vrelo_inspect::kDelays1440x720,
                                  &decoded, &fault));
        carry_rows_back(&decoded, {400, 400, 400});
        ASSERT_EQ(decoded.pages.size(), 3u);
        EXPECT_EQ(decoded.totals.formFeeds, 3);
        EXPECT_EQ(stream.back(), 0x0C);
        for (size_t p = 0; p < 3; ++p)
            for (int c = 0; c < 6; ++c)
                for (int y = 0; y < 400; ++y) {
                    const auto& want = pages[p].lines[static_cast<size_t>(y)][c];
                    const bool ink =
                        std::any_of(want.begin(), want.end(), [](uint8_t b) { return b; });
                    EXPECT_EQ(decoded.pages[p].rows[c].count(y), ink ? 1u : 0u)
                        << "carry-over " << carryOver << " page " << p << " colour " << c
                        << " line " << y;
                }
    }
}

}  // namespace
