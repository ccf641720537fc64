// What a parameter block makes of a job, as a host sees it in the stream:
// how many bits a pixel takes (the bytes of a row the job reads), whether
// colours other than black wait for their delay, whether pixel positions
// are doubled, and whether a flush ends with the form feed. The cases are
// the configuration rules' own examples and their edges, for every model
// group.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "command_stream.hpp"
#include "job_driver.hpp"

namespace {

using vrelo_test::Bytes;
using vrelo_test::CommandKind;

OutputParam blank_param() {
    OutputParam p;
    std::memset(&p, 0, sizeof p);
    p.inResX = p.outResX = 360;  // no doubling unless a case asks for it
    p.inResY = p.outResY = 360;
    return p;
}

// A job configured through OutputInitTwo with the block and model code.
class Configured : public vrelo_test::Job {
  public:
    Configured(const OutputParam& p, int32_t model) : Job(p) {
        EXPECT_EQ(OutputInitTwo(handle(), &p, model), VRELO_OK);
    }

    // The rows line 0 sends at once, given a black and a yellow plane of
    // 16 pixels starting at pixel 8 over bytes that all carry ink.
    std::vector<vrelo_test::CommandEvent> first_line_rows() {
        static const uint8_t kInk[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
        RasterLine line{};
        for (int colour : {0, 1}) line.planes[colour] = {kInk, 24, 8, 0, 0};
        const vrelo_test::CallResult call = vrelo_test::produce_line(handle(), line);
        const vrelo_test::CommandStream read =
            vrelo_test::read_command_stream(vrelo_test::concatenate(call.chunks));
        EXPECT_EQ(read.error, "");
        std::vector<vrelo_test::CommandEvent> rows;
        for (const vrelo_test::CommandEvent& e : read.events)
            if (e.kind == CommandKind::kColourRow) rows.push_back(e);
        return rows;
    }

    // Whether a flush's list ends with the form-feed byte.
    bool flush_feeds() {
        const vrelo_test::CallResult call = vrelo_test::flush(handle());
        return !call.chunks.empty() && call.chunks.back() == Bytes{0x0C};
    }
};

// Pixels 8 to 23 at 1 bit lie in bytes 1 and 2, at 2 bits in bytes 2 to 5;
// doubled, pixels 16 to 47 lie in bytes 2 to 5 and 4 to 11.
size_t black_row_bytes(Configured& job) {
    const std::vector<vrelo_test::CommandEvent> rows = job.first_line_rows();
    return rows.empty() || rows[0].letter != 'K' ? 0 : rows[0].row.size();
}
constexpr size_t kOneBitRow = 3;  // a zero run for byte 0, then bytes 1-2
constexpr size_t kTwoBitRow = 6;  // bytes 0-1 as zeros, then bytes 2-5

struct DepthCase {
    const char* what;
    int32_t model;
    int16_t modeLevel, selA, selB, selC;
    size_t rowBytes;
};

TEST(JobConfig, TheBlockChoosesOneOrTwoBitsPerPixel) {
    const DepthCase kCases[] = {
        {"group A, level 5, selC 24", 'F', 5, 0, 0, 24, kTwoBitRow},
        {"group A, level 5, selC 23", 'F', 5, 0, 0, 23, kOneBitRow},
        {"group A, level 10, selA 4", 'c', 10, 4, 0, 0, kOneBitRow},
        {"group A, level 10, selA 2", ';', 10, 2, 0, 0, kTwoBitRow},
        {"group A, level 15", 'F', 15, 2, 27, 24, kOneBitRow},
        {"group A, level 0 ignores selB", 'M', 0, 2, 27, 24, kOneBitRow},
        {"group B, level 0, selB 27", 'K', 0, 0, 27, 0, kTwoBitRow},
        {"group B, level 0, selB 26", 'b', 0, 0, 26, 0, kOneBitRow},
        {"group B, level 5 ignores selC", 'K', 5, 0, 27, 24, kOneBitRow},
        {"group B, level 10, selA 4", 'L', 10, 4, 0, 0, kOneBitRow},
        {"group B, level 10, selA 2", 'a', 10, 2, 0, 0, kTwoBitRow},
        {"group B, level -1 acts like 15", 'K', -1, 2, 27, 24, kOneBitRow},
        {"neither group", 'A', 10, 2, 27, 24, kOneBitRow},
        {"only the low 16 bits of the model", 0x1003B, 10, 2, 0, 0, kTwoBitRow},
        {"0x103B is no model of group A", 0x103B, 10, 2, 0, 0, kOneBitRow},
    };
    for (const DepthCase& c : kCases) {
        OutputParam p = blank_param();
        p.modeLevel = c.modeLevel;
        p.depthSelA = c.selA;
        p.depthSelB = c.selB;
        p.depthSelC = c.selC;
        Configured job(p, c.model);
        EXPECT_EQ(black_row_bytes(job), c.rowBytes) << c.what;
    }
}

struct DelayCase {
    const char* what;
    int32_t model;
    int16_t outX, outY, modeBits, selB;
    bool delayed;
};

// Delayed mode shows as a yellow row that waits: line 0 sends black alone.
TEST(JobConfig, DelayedModeNeedsItsModelResolutionAndModeBits) {
    const DelayCase kCases[] = {
        {"group A at 1440 x 720, modeBits 4", 'M', 1440, 720, 0x0004, 0, true},
        {"modeBits 5", 'M', 1440, 720, 0x0005, 0, true},
        {"modeBits 0xFFF7", 'Q', 1440, 720, static_cast<int16_t>(0xFFF7), 0, true},
        {"modeBits 0xC", 'M', 1440, 720, 0x000C, 0, false},
        {"modeBits 8", 'M', 1440, 720, 0x0008, 0, false},
        {"1440 x 360", 'M', 1440, 360, 0x0004, 0, false},
        {"1441 x 720", 'M', 1441, 720, 0x0004, 0, false},
        {"group B", 'L', 1440, 720, 0x0004, 0, true},
        {"group B with selB 22", 'L', 1440, 720, 0x0004, 22, false},
        {"group A with selB 22", 'R', 1440, 720, 0x0004, 22, true},
        {"neither group", 'A', 1440, 720, 0x0004, 0, false},
    };
    for (const DelayCase& c : kCases) {
        OutputParam p = blank_param();
        p.outResX = c.outX;
        p.outResY = c.outY;
        p.modeBits = c.modeBits;
        p.depthSelB = c.selB;
        Configured job(p, c.model);
        EXPECT_EQ(job.first_line_rows().size(), c.delayed ? 1u : 2u) << c.what;
    }
}

TEST(JobConfig, PositionsAreDoubledAtHalfTheWidthAndTheFullHeight) {
    struct Case {
        int16_t inX, inY, outX, outY;
        bool doubled;
    };
    const Case kCases[] = {
        {720, 720, 1440, 720, true},   {720, 720, 1441, 720, true},  {720, 360, 1440, 720, false},
        {721, 720, 1441, 720, false},  {720, 720, 1439, 720, false}, {360, 360, 720, 360, true},
        {1440, 720, 1440, 720, false}, {-360, 5, -721, 5, true},
    };
    for (const Case& c : kCases) {
        OutputParam p = blank_param();
        p.inResX = c.inX;
        p.inResY = c.inY;
        p.outResX = c.outX;
        p.outResY = c.outY;
        Configured job(p, 'A');
        // Doubled, pixels 16 to 47 at 1 bit lie in bytes 2 to 5.
        EXPECT_EQ(black_row_bytes(job), c.doubled ? 6u : kOneBitRow)
            << c.inX << "/" << c.inY << " -> " << c.outX << "/" << c.outY;
    }
}

TEST(JobConfig, ADelayedFlushFeedsOnlyForFeedFlagOne) {
    for (int16_t flag : {1, 0, 2, -1, 257}) {
        OutputParam p = blank_param();
        p.outResX = 1440;
        p.outResY = 720;
        p.modeBits = 0x0004;
        p.feedFlag = flag;
        Configured job(p, 'M');
        EXPECT_EQ(job.flush_feeds(), flag == 1) << flag;
    }
}

}  // namespace
