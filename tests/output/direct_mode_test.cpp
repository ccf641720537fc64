// Direct-mode lines byte for byte: the worked chunks, zero-run prefixes,
// the scanned byte ranges, long advances and colour order; the page end;
// the produced gate and the failure exit; arguments refused before
// anything changes; a job in delayed mode or never configured.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "bytes.hpp"
#include "command_stream.hpp"
#include "job_driver.hpp"
#include "job_params.hpp"
#include "output/call_protocol.hpp"
#include "output/master_work.hpp"
#include "platform/alloc_fail.hpp"
#include "stream_commands.hpp"

namespace {

using vrelo_test::Bytes;
using vrelo_test::from_hex;
using vrelo_test::JobShape;

using vrelo_test::kLetters;

// A line with a single plane of data.
RasterLine line_with(int32_t lineNumber, int colour, const Bytes& bytes, int16_t width,
                     int16_t firstPixel = 0, int16_t tailBlank = 0) {
    RasterLine line{};
    line.lineNumber = lineNumber;
    line.planes[colour] = ColorPlane{bytes.data(), width, firstPixel, tailBlank, 0};
    return line;
}

RasterLine blank_line(int32_t lineNumber) {
    RasterLine line{};
    line.lineNumber = lineNumber;
    return line;
}

class DirectMode : public ::testing::Test {
  protected:
    void SetUp() override { configure(JobShape{}); }

    void configure(const JobShape& shape) {
        job_ = std::make_unique<vrelo_test::Job>(vrelo_test::param_for(shape));
    }

    MasterWork** job() { return job_->handle(); }
    MasterWork& work() { return *job_->work(); }
    OutStrct& table() { return *static_cast<OutStrct*>(work().outTableHandle.pointer); }

    // The chunks of one produced line, completed.
    std::vector<Bytes> produce(const RasterLine& line) {
        return vrelo_test::produce_line(job(), line).chunks;
    }

    // A list left pending, to show what a refused call leaves alone.
    OutList* pending_line(const RasterLine& line) {
        OutList* out = nullptr;
        EXPECT_EQ(OutputProduce(job(), &line, &out), VRELO_OK);
        return out;
    }

    std::unique_ptr<vrelo_test::Job> job_;
};

const Bytes kSixBytes = from_hex("00 00 FF FF FF 00");
const Bytes kElevenByteChunk = from_hex("1B 28 41 05 00 4B FF 00 FE FF 0D");

TEST_F(DirectMode, BlackRowOnLineZeroIsOneElevenByteChunk) {
    EXPECT_EQ(produce(line_with(0, 0, kSixBytes, 48)), std::vector<Bytes>{kElevenByteChunk});
    EXPECT_EQ(work().lastLine, 0);
}

TEST_F(DirectMode, FirstInkOnLineFiveBringsASkipCommand) {
    const std::vector<Bytes> chunks = produce(line_with(5, 0, kSixBytes, 48));
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].size(), 18u);
    EXPECT_EQ(chunks[0], vrelo_test::concat({from_hex("1B 28 65 02 00 00 05"), kElevenByteChunk}));
    EXPECT_EQ(work().lastLine, 5);
    EXPECT_EQ(work().curLine, 5);
}

TEST_F(DirectMode, LinesWithoutInkAnswerOneEmptyChunkAndCarryTheAdvance) {
    const Bytes zeros(6, 0);
    const RasterLine zeroRow = line_with(4, 2, zeros, 48);
    const RasterLine emptyRange = line_with(5, 0, kSixBytes, 17, 17);
    for (const RasterLine& line : {blank_line(3), zeroRow, emptyRange}) {
        EXPECT_EQ(produce(line), std::vector<Bytes>{Bytes{}});
        EXPECT_EQ(work().lastLine, 0);
        EXPECT_EQ(work().curLine, line.lineNumber);
    }
    EXPECT_EQ(produce(line_with(7, 0, kSixBytes, 48)),
              std::vector<Bytes>{
                  vrelo_test::concat({from_hex("1B 28 65 02 00 00 07"), kElevenByteChunk})});
}

// Bytes 0 to 40 all hold ink: what is sent shows the range scanned, the
// bytes before it going out as zeros and those after it not at all.
TEST_F(DirectMode, ScannedBytesFollowPixelShiftAndDoubledPositions) {
    struct Case {
        int16_t pixelShift;
        bool doubleX;
        const char* chunk;
    };
    const Case kCases[] = {
        {3, false, "1B 28 41 05 00 4B FF 00 F7 AA 0D"},  // bytes 2 to 11
        {2, false, "1B 28 41 05 00 4B FD 00 ED AA 0D"},  // bytes 4 to 23
        {3, true, "1B 28 41 05 00 4B FD 00 ED AA 0D"},   // pixels 34, 200, 8
    };
    const Bytes ink(41, 0xAA);
    for (const Case& c : kCases) {
        JobShape shape;
        shape.pixelShift = c.pixelShift;
        shape.doubleX = c.doubleX;
        configure(shape);
        EXPECT_EQ(produce(line_with(0, 0, ink, 100, 17, 4)), std::vector<Bytes>{from_hex(c.chunk)})
            << "shift " << c.pixelShift << " doubleX " << c.doubleX;
    }
}

TEST_F(DirectMode, ThreeHundredLeadingBlankBytesBecomeThreeZeroRuns) {
    Bytes row(301, 0);
    row[300] = 0x41;
    EXPECT_EQ(produce(line_with(0, 0, row, 301 * 8)),
              std::vector<Bytes>{from_hex("1B 28 41 09 00 4B 81 00 81 00 D5 00 00 41 0D")});
}

TEST_F(DirectMode, AdvancesAreCutInto32767LineCommands) {
    const Bytes one = from_hex("41");
    const Bytes row = from_hex("1B 28 41 03 00 4B 00 41 0D");
    EXPECT_EQ(produce(line_with(32767, 0, one, 8)),
              std::vector<Bytes>{vrelo_test::concat({from_hex("1B 28 65 02 00 7F FF"), row})});
    EXPECT_EQ(produce(line_with(32767 + 32768, 0, one, 8)),
              std::vector<Bytes>{vrelo_test::concat(
                  {from_hex("1B 28 65 02 00 7F FF"), from_hex("1B 28 65 02 00 00 01"), row})});
}

TEST_F(DirectMode, ColoursGoOutInOrderAfterOneSkip) {
    std::vector<Bytes> rows;
    RasterLine line = blank_line(2);
    for (int c = 0; c < VRELO_COLOURS; ++c) rows.push_back(Bytes{0, static_cast<uint8_t>(c + 1)});
    for (int c = VRELO_COLOURS - 1; c >= 0; --c)
        line.planes[c] = ColorPlane{rows[c].data(), 16, 0, 0, 0};
    const Bytes stream = vrelo_test::concatenate(produce(line));
    const vrelo_test::CommandStream read = vrelo_test::read_command_stream(stream);
    ASSERT_EQ(read.error, "");
    std::vector<vrelo_test::CommandEvent> expected = {vrelo_test::skip_event(2)};
    for (int c = 0; c < VRELO_COLOURS; ++c) {
        expected.push_back(vrelo_test::colour_event(kLetters[c], rows[c]));
        expected.push_back(vrelo_test::carriage_return_event());
    }
    EXPECT_EQ(read.events, expected);
}

// Nothing waits in direct mode; a page without lines has no advance owed.
TEST_F(DirectMode, FlushAndAnEarlyFormFeedHandOverEmptyListsToComplete) {
    OutList* out = nullptr;
    EXPECT_EQ(OutputFlush(job(), &out), VRELO_OK);
    ASSERT_EQ(out, &table().list);
    EXPECT_EQ(out->count, 0);
    EXPECT_EQ(out->entries, &table().entries[0]);
    EXPECT_EQ(work().flushSeen, 1);
    EXPECT_EQ(OutputComplete(job()), VRELO_OK);
    EXPECT_EQ(work().flushSeen, 0);
    out = nullptr;
    EXPECT_EQ(OutputFormFeed(job(), &out, 500), VRELO_OK);
    ASSERT_EQ(out, &table().list);
    EXPECT_EQ(out->count, 0);
    EXPECT_EQ(work().formFeedSeen, 1);
    EXPECT_EQ(OutputComplete(job()), VRELO_OK);
    EXPECT_EQ(work().formFeedSeen, 0);
    EXPECT_EQ(OutputComplete(job()), VRELO_OUT_OF_ORDER);
}

TEST_F(DirectMode, FormFeedAdvancesOverTheTrailingBlankLines) {
    const Bytes one = from_hex("41");
    for (int32_t line = 0; line <= 99; ++line)
        produce(line == 80 ? line_with(line, 3, one, 8) : blank_line(line));
    EXPECT_EQ(vrelo_test::form_feed(job(), 0).chunks,
              std::vector<Bytes>{from_hex("1B 28 65 02 00 00 13")});
    EXPECT_EQ(work().lastLine, 99);
    EXPECT_EQ(vrelo_test::form_feed(job(), 0).chunks, std::vector<Bytes>{});
}

TEST_F(DirectMode, TheHostGetsThePrimaryListOfTheTableBlock) {
    OutList* out = pending_line(line_with(0, 0, kSixBytes, 48));
    EXPECT_EQ(reinterpret_cast<const char*>(out),
              reinterpret_cast<const char*>(work().outTableHandle.pointer) +
                  OUT_TABLE_ENTRIES * sizeof(OutEntry));
    EXPECT_EQ(work().outTable, &table());
    EXPECT_EQ(OutputComplete(job()), VRELO_OK);
    EXPECT_EQ(work().outTable, nullptr);
    EXPECT_EQ(work().cmdBuf, nullptr);
    EXPECT_EQ(table().list.count, 0);
    EXPECT_EQ(table().list.entries, nullptr);
}

// The produced gate: a call while a list is pending is refused through the
// failure exit, which also clears the pending state.
TEST_F(DirectMode, ACallOutOfOrderIsRefusedAndTheNextOneAccepted) {
    pending_line(line_with(5, 0, kSixBytes, 48));
    const Bytes before(work().cmdBuf, work().cmdBuf + 18);
    OutList* sentinel = reinterpret_cast<OutList*>(&sentinel);
    OutList* out = sentinel;
    const RasterLine next = line_with(9, 1, kSixBytes, 48);
    EXPECT_EQ(OutputProduce(job(), &next, &out), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(out, sentinel);
    EXPECT_EQ(work().produced, 0);
    EXPECT_EQ(work().curLine, 5);
    EXPECT_EQ(work().lastLine, 5);
    EXPECT_EQ(Bytes(work().cmdBuf, work().cmdBuf + 18), before);
    // The exit empties the table: the host holds no entry into the buffer.
    EXPECT_EQ(table().list.count, 0);
    EXPECT_EQ(table().list.entries, nullptr);
    EXPECT_EQ(table().entries[0].data, nullptr);
    EXPECT_EQ(table().entries[0].length, 0);
    EXPECT_EQ(produce(next).size(), 1u);
}

TEST_F(DirectMode, EveryProducingCallIsGatedAndEveryCompletionNeedsOne) {
    EXPECT_EQ(OutputComplete(job()), VRELO_OUT_OF_ORDER);
    OutList* out = nullptr;
    const RasterLine line = blank_line(0);
    for (int refused = 0; refused < 3; ++refused) {
        ASSERT_EQ(OutputFlush(job(), &out), VRELO_OK);
        OutList* kept = out;
        int32_t status = 0;
        if (refused == 0) status = OutputProduce(job(), &line, &out);
        if (refused == 1) status = OutputFlush(job(), &out);
        if (refused == 2) status = OutputFormFeed(job(), &out, 0);
        EXPECT_EQ(status, VRELO_OUT_OF_ORDER);
        EXPECT_EQ(out, kept);
        EXPECT_EQ(work().produced, 0);
        EXPECT_EQ(OutputComplete(job()), VRELO_OUT_OF_ORDER);
    }
}

TEST_F(DirectMode, ARefusedFormFeedLeavesItsFlagSetARefusedFlushDoesNot) {
    OutList* out = nullptr;
    pending_line(blank_line(1));
    EXPECT_EQ(OutputFlush(job(), &out), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(work().flushSeen, 0);
    pending_line(blank_line(2));
    EXPECT_EQ(OutputFormFeed(job(), &out, 0), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(work().formFeedSeen, 1);
    EXPECT_EQ(out, nullptr);
}

TEST_F(DirectMode, OutputInitPartStartsAPageFromLineZeroAndIdle) {
    pending_line(line_with(5, 0, kSixBytes, 48));
    EXPECT_EQ(OutputInitPart(job(), nullptr), VRELO_OK);
    EXPECT_EQ(OutputComplete(job()), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(produce(line_with(5, 0, kSixBytes, 48))[0].size(), 18u);
}

// Each bad call comes while a list is pending: it must leave the list, the
// gate and the counters exactly as they were.
TEST_F(DirectMode, BadArgumentsAreRefusedBeforeAnythingChanges) {
    const Bytes row(16, 0x11);
    MasterWork* none = nullptr;
    OutList* sentinel = reinterpret_cast<OutList*>(&none);
    struct Call {
        const char* what;
        std::function<int32_t(MasterWork**, OutList**)> call;
    };
    auto produce_plane = [&](ColorPlane plane) {
        return [=](MasterWork** j, OutList** o) {
            RasterLine line = blank_line(20);
            line.planes[4] = plane;
            return OutputProduce(j, &line, o);
        };
    };
    const RasterLine far = line_with(20 + VRELO_MAX_ADVANCE + 1, 0, row, 8);
    const std::vector<Call> calls = {
        {"no job pointer", [](MasterWork**, OutList** o) { return OutputFlush(nullptr, o); }},
        {"no job", [&](MasterWork**, OutList** o) { return OutputFormFeed(&none, o, 0); }},
        {"no job to complete", [&](MasterWork**, OutList**) { return OutputComplete(&none); }},
        {"no line", [](MasterWork** j, OutList** o) { return OutputProduce(j, nullptr, o); }},
        {"no out to produce",
         [&](MasterWork** j, OutList**) {
             const RasterLine line = blank_line(30);
             return OutputProduce(j, &line, nullptr);
         }},
        {"no out to flush", [](MasterWork** j, OutList**) { return OutputFlush(j, nullptr); }},
        {"no out to feed", [](MasterWork** j, OutList**) { return OutputFormFeed(j, nullptr, 0); }},
        {"negative firstPixel", produce_plane(ColorPlane{row.data(), 64, -1, 0, 0})},
        {"negative tailBlank", produce_plane(ColorPlane{row.data(), 64, 0, -8, 0})},
        {"negative width", produce_plane(ColorPlane{row.data(), -64, 0, 0, 0})},
        {"line going back",
         [&](MasterWork** j, OutList** o) {
             const RasterLine back = line_with(19, 0, row, 8);
             return OutputProduce(j, &back, o);
         }},
        {"advance too long",
         [&](MasterWork** j, OutList** o) { return OutputProduce(j, &far, o); }},
    };
    for (const Call& c : calls) {
        OutList* listed = pending_line(line_with(20, 0, kSixBytes, 48));
        const OutEntry entry = listed->entries[0];
        OutList* out = sentinel;
        EXPECT_EQ(c.call(job(), &out), VRELO_BAD_ARGUMENT) << c.what;
        EXPECT_EQ(out, sentinel) << c.what;
        EXPECT_EQ(work().produced, 1) << c.what;
        EXPECT_EQ(work().curLine, 20) << c.what;
        EXPECT_EQ(work().lastLine, 20) << c.what;
        EXPECT_EQ(work().formFeedSeen, 0) << c.what;
        EXPECT_EQ(table().list.count, 1) << c.what;
        EXPECT_EQ(table().entries[0].data, entry.data) << c.what;
        EXPECT_EQ(table().entries[0].length, entry.length) << c.what;
        EXPECT_EQ(OutputComplete(job()), VRELO_OK) << c.what;
        EXPECT_EQ(OutputInitPart(job(), nullptr), VRELO_OK);
    }
}

TEST_F(DirectMode, DoubledPositionsMustStillFit16Bits) {
    JobShape shape;
    shape.doubleX = true;
    configure(shape);
    const Bytes row(8192, 0x22);
    const ColorPlane kRefused[] = {
        {row.data(), 16384, 0, 0, 0},
        {row.data(), 16383, 16384, 0, 0},
        {row.data(), 16383, 0, 16384, 0},
        {row.data(), -16385, 0, 0, 0},
    };
    OutList* out = nullptr;
    for (const ColorPlane& plane : kRefused) {
        RasterLine line = blank_line(1);
        line.planes[0] = plane;
        EXPECT_EQ(OutputProduce(job(), &line, &out), VRELO_BAD_ARGUMENT);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(work().produced, 0);
        EXPECT_EQ(work().curLine, 0);
    }
    // 16383 doubles to 32766: at 1 bit per pixel the row ends at byte 4095.
    // Any position of an absent plane is accepted.
    RasterLine line = blank_line(1);
    line.planes[0] = ColorPlane{row.data(), 16383, 0, 0, 0};
    line.planes[1] = ColorPlane{nullptr, -32768, -32768, 32767, 0};
    const std::vector<Bytes> chunks = produce(line);
    const vrelo_test::CommandStream read =
        vrelo_test::read_command_stream(vrelo_test::concatenate(chunks));
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.events.size(), 3u);
    EXPECT_EQ(read.events[1].row, Bytes(4096, 0x22));
}

TEST_F(DirectMode, TheLongestAllowedAdvanceGoesOutWhole) {
    const Bytes one = from_hex("41");
    const std::vector<Bytes> chunks = produce(line_with(VRELO_MAX_ADVANCE, 0, one, 8));
    const vrelo_test::CommandStream read =
        vrelo_test::read_command_stream(vrelo_test::concatenate(chunks));
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(read.events.size(), 306u + 2u);
    int64_t lines = 0;
    for (size_t i = 0; i < 306; ++i) lines += read.events[i].lines;
    EXPECT_EQ(lines, VRELO_MAX_ADVANCE);
    EXPECT_EQ(read.events[305].lines, VRELO_MAX_ADVANCE - 305 * 32767);
}

TEST_F(DirectMode, AFormFeedOwingTooLongAnAdvanceIsRefused) {
    work().curLine = VRELO_MAX_ADVANCE + 1;  // only reachable by going back
    OutList* out = nullptr;
    EXPECT_EQ(OutputFormFeed(job(), &out, 0), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(work().formFeedSeen, 0);
    work().curLine = VRELO_MAX_ADVANCE;
    EXPECT_EQ(vrelo_test::form_feed(job(), 0).chunks[0].size(), 306u * 7u);
}

// The paper cannot go back: a line below the last one of the page, however
// far back, is refused, and the page goes on as if it had never come. The
// same line again prints onto the line printed last, without a skip.
TEST_F(DirectMode, ALineBelowTheLastOneIsRefusedTheSameLineAllowed) {
    const Bytes one = from_hex("41");
    const Bytes row = from_hex("1B 28 41 03 00 4B 00 41 0D");
    OutList* out = nullptr;
    for (int32_t back : {-1, INT32_MIN}) {
        const RasterLine line = line_with(back, 0, one, 8);
        EXPECT_EQ(OutputProduce(job(), &line, &out), VRELO_BAD_ARGUMENT) << back;
    }
    produce(line_with(40, 0, one, 8));
    for (int32_t back : {39, -65536 + 40, INT32_MIN}) {
        const RasterLine line = line_with(back, 0, one, 8);
        EXPECT_EQ(OutputProduce(job(), &line, &out), VRELO_BAD_ARGUMENT) << back;
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(work().curLine, 40);
    EXPECT_EQ(work().produced, 0);
    EXPECT_EQ(produce(line_with(40, 0, one, 8)), std::vector<Bytes>{row});
    EXPECT_EQ(produce(line_with(41, 0, one, 8)),
              std::vector<Bytes>{vrelo_test::concat({from_hex("1B 28 65 02 00 00 01"), row})});
}

TEST_F(DirectMode, FailureExitReleasesRangesAndAnswers128WithTheEmptyList) {
    ASSERT_EQ(OffsetLockMemory(&work().offsetMemory), VRELO_OK);
    OffsetInfo ref;
    ASSERT_EQ(OffsetNewID(&work().offsetMemory, &ref, 100), VRELO_OK);
    ASSERT_EQ(OffsetUnLockMemory(&work().offsetMemory), VRELO_OK);
    pending_line(line_with(0, 0, kSixBytes, 48));
    OutList* out = nullptr;
    EXPECT_EQ(vrelo::fail_call(&work(), VRELO_RANGE_FAILED, &out), VRELO_RANGE_FAILED);
    EXPECT_EQ(out, &table().emptyList);
    EXPECT_EQ(out->count, 0);
    EXPECT_EQ(out->entries, nullptr);
    EXPECT_EQ(work().produced, 0);
    EXPECT_EQ(table().entries[0].data, nullptr);
    EXPECT_EQ(MyNullPHCheck(&work().offsetMemory.firstHandle), 1);
    out = nullptr;
    EXPECT_EQ(vrelo::fail_call(&work(), VRELO_LOCK_FAILED, &out), VRELO_LOCK_FAILED);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(vrelo::fail_call(&work(), VRELO_RANGE_FAILED, nullptr), VRELO_RANGE_FAILED);
}

TEST(UnusableJob, ANeverConfiguredJobHandsOutNothing) {
    MasterWork* job = nullptr;
    ASSERT_EQ(OutputOpen(&job), VRELO_OPEN_OK);
    const Bytes row(6, 0x33);
    const RasterLine line = line_with(0, 0, row, 48);
    OutList* out = nullptr;
    EXPECT_EQ(OutputProduce(&job, &line, &out), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(OutputFlush(&job, &out), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(OutputFormFeed(&job, &out, 0), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(out, nullptr);
    OutputClose(&job);
}

TEST(UnusableJob, APartlyBuiltJobIsRefusedAsABadArgument) {
    MasterWork* job = nullptr;
    vrelo::fail_allocation_after(3);  // the command buffer
    ASSERT_EQ(OutputOpen(&job), VRELO_OPEN_FAILED);
    ASSERT_NE(job, nullptr);
    const OutputParam param = vrelo_test::param_for(JobShape{});
    EXPECT_EQ(OutputInit(&job, &param), VRELO_OK);
    const Bytes row(6, 0x33);
    const RasterLine line = line_with(0, 0, row, 48);
    OutList* out = nullptr;
    EXPECT_EQ(OutputProduce(&job, &line, &out), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(OutputFlush(&job, &out), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(OutputFormFeed(&job, &out, 0), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(OutputComplete(&job), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(out, nullptr);
    OutputClose(&job);
}

}  // namespace
