// A row as both modes send it: trimmed to its ink (the first and last
// non-zero byte of a plane's range, found from rows of every length with
// ink at every pair of places, the range lying between two inaccessible
// pages so that any read before or past it faults), then laid out as one
// complete colour-raster command that reads back as the row.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "command_stream.hpp"
#include "guarded_memory.hpp"
#include "output/line_planes.hpp"
#include "output/row_commands.hpp"

namespace {

using vrelo_test::GuardedMemory;

const int16_t kTwoBits = 2;
const size_t kWidest = 8192;  // bytes 0..8191: pixels up to 32766

class RowTrimming : public testing::Test {
  protected:
    // The span find_ink reports for range, given as the plane's bytes
    // first .. first + range.size() - 1; the range fills the guarded room
    // exactly, so data itself points before it.
    bool trim(const std::vector<uint8_t>& range, int16_t first, vrelo::RowSpan* span) {
        uint8_t* at = memory_.last(range.size());
        std::copy(range.begin(), range.end(), at);
        ColorPlane plane{};
        plane.data = at - first;
        plane.firstPixel = static_cast<int16_t>(first << kTwoBits);
        plane.width = static_cast<int16_t>(
            std::min(INT16_MAX, (first + static_cast<int>(range.size())) << kTwoBits));
        return vrelo::find_ink(plane, kTwoBits, span);
    }

    void expect_span(size_t size, size_t firstInk, size_t lastInk, uint8_t fill) {
        std::vector<uint8_t> range(size, 0);
        for (size_t i = firstInk; i <= lastInk; ++i) range[i] = fill;
        range[firstInk] = range[lastInk] = 0x80;
        const int16_t first = size < kWidest ? static_cast<int16_t>(size % 5) : 0;
        vrelo::RowSpan span{};
        ASSERT_TRUE(trim(range, first, &span)) << size;
        EXPECT_EQ(span.first, first + static_cast<int>(firstInk)) << size << " " << firstInk;
        EXPECT_EQ(span.last, first + static_cast<int>(lastInk)) << size << " " << lastInk;
    }

    GuardedMemory memory_{kWidest};
};

TEST_F(RowTrimming, InkAtEveryPairOfPlacesInShortRows) {
    for (size_t size = 1; size <= 80; ++size)
        for (size_t firstInk = 0; firstInk < size; ++firstInk)
            for (size_t lastInk = firstInk; lastInk < size; ++lastInk) {
                // Blank bytes between the ends, or ink throughout.
                expect_span(size, firstInk, lastInk, 0x00);
                expect_span(size, firstInk, lastInk, 0x11);
                if (HasFatalFailure()) return;
            }
}

TEST_F(RowTrimming, InkNearTheEndsOfWideRows) {
    std::mt19937 rng(8);
    for (size_t size :
         {static_cast<size_t>(255), static_cast<size_t>(1488), static_cast<size_t>(2976), kWidest})
        for (int i = 0; i < 300; ++i) {
            const size_t a = rng() % 70, b = rng() % 70;
            const size_t firstInk = i % 2 ? a : rng() % size;
            const size_t lastInk = size - 1 - (i % 3 ? b : rng() % (size - firstInk));
            expect_span(size, firstInk, std::max(firstInk, lastInk), 0x00);
            if (HasFatalFailure()) return;
        }
}

TEST_F(RowTrimming, BlankRowsOfEveryLengthHaveNoInk) {
    vrelo::RowSpan span{};
    for (size_t size = 1; size <= 600; ++size)
        ASSERT_FALSE(trim(std::vector<uint8_t>(size, 0), static_cast<int16_t>(size % 7), &span))
            << size;
    ASSERT_FALSE(trim(std::vector<uint8_t>(kWidest, 0), 0, &span));
}

// The command of a row's ink: header, zero runs for the blank bytes before
// the ink, PackBits of the ink, carriage return.
vrelo_test::Bytes row_command(const vrelo_test::Bytes& row, int16_t colour) {
    vrelo::RowSpan span{};
    ColorPlane plane{};
    plane.data = row.data();
    plane.width = static_cast<int16_t>(row.size() * 8);
    EXPECT_TRUE(vrelo::find_ink(plane, 3, &span));
    vrelo_test::Bytes out(vrelo::kRowCommandBound);
    out.resize(static_cast<size_t>(vrelo::write_row_command(out.data(), colour, row.data(), span)));
    return out;
}

TEST(RowCommand, ATwoBytePayloadMakesANineByteCommand) {
    EXPECT_EQ(row_command({0x78}, 0), vrelo_test::from_hex("1B 28 41 03 00 4B 00 78 0D"));
}

TEST(RowCommand, ReadsBackAsTheRowUpToItsLastInkedByte) {
    vrelo_test::Bytes row(700, 0);
    for (size_t i = 300; i < 600; i += 7) row[i] = static_cast<uint8_t>(i | 1);
    const vrelo_test::CommandStream read = vrelo_test::read_command_stream(row_command(row, 3));
    ASSERT_EQ(read.error, "");
    row.resize(595);  // 594 is the last inked byte
    EXPECT_EQ(read.events,
              (std::vector<vrelo_test::CommandEvent>{vrelo_test::colour_event('C', row),
                                                     vrelo_test::carriage_return_event()}));
}

}  // namespace
