// Delayed-mode pages against the independent model at their limits: the
// largest calls the job accepts, pages climbing to the advance bound, and
// form feeds in turn. Random jobs of every shape run in every build
// (random_jobs.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "delayed_job.hpp"
#include "delayed_model.hpp"
#include "job_driver.hpp"
#include "job_params.hpp"
#include "output/master_work.hpp"
#include "row_shapes.hpp"

namespace {

using vrelo_test::Bytes;
using vrelo_test::Chunks;
using vrelo_test::SentRow;

using vrelo_test::kLetters;

using vrelo_test::uniform;

void expect_same_chunks(const Chunks& actual, const Chunks& expected) {
    EXPECT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i)
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "chunk " << i << " differs: " << actual[i].size()
                          << " bytes, expected " << expected[i].size();
            return;
        }
}

void expect_same_rows(const std::vector<SentRow>& printed, const std::vector<SentRow>& expected) {
    EXPECT_EQ(vrelo_test::row_differences(printed, expected), "");
}

// A job and the model side by side, on one page.
class Pair {
  public:
    explicit Pair(const vrelo_test::JobShape& shape)
        : shape_(shape), job_(vrelo_test::param_for(shape)), model_(shape.feedOnFlush) {}

    void new_page() {
        ASSERT_EQ(OutputInitPart(job_.handle(), nullptr), VRELO_OK);
        model_.init_part();
        given_.clear();
        stream_.clear();
        lastLine_ = -1;
    }

    void line(const vrelo_test::PageLine& l) {
        const RasterLine record = l.record();
        OutList* out = nullptr;
        const int32_t status = OutputProduce(job_.handle(), &record, &out);
        const vrelo_test::LineCommands commands =
            vrelo_test::line_commands(l, shape_.pixelShift, shape_.doubleX);
        if (!take(status, out, model_.produce(l.lineNumber, commands))) return;
        lastLine_ = l.lineNumber;
        for (int c = 0; c < VRELO_COLOURS; ++c) {
            Bytes row = vrelo_test::expected_row(l.planes[c], shape_.pixelShift, shape_.doubleX);
            if (!row.empty()) given_.push_back({l.lineNumber, kLetters[c], row});
        }
    }

    void flush() {
        OutList* out = nullptr;
        const int32_t status = OutputFlush(job_.handle(), &out);
        EXPECT_TRUE(take(status, out, model_.flush()));
    }

    void form_feed(int32_t endLine) {
        OutList* out = nullptr;
        const int32_t status = OutputFormFeed(job_.handle(), &out, endLine);
        const std::optional<Chunks> expected = model_.form_feed(endLine);
        EXPECT_TRUE(take(status, out, expected, model_.empty_list()));
    }

    // The rows given on the page, and those its stream printed.
    const std::vector<SentRow>& given() const { return given_; }
    std::vector<SentRow> printed() const { return vrelo_test::read_back(stream_).rows; }
    int32_t last_line() const { return lastLine_; }
    int refusals() const { return refusals_; }

  private:
    // The job's answer against the model's; false when both refused.
    bool take(int32_t status, OutList* out, const std::optional<Chunks>& expected,
              bool emptyList = false) {
        if (!expected) {
            EXPECT_EQ(status, VRELO_BAD_ARGUMENT);
            ++refusals_;
            return false;
        }
        EXPECT_EQ(status, VRELO_OK);
        if (status != VRELO_OK) return false;
        // A full table drops what is appended to it: no call may fill it.
        EXPECT_LT(out->count, OUT_TABLE_ENTRIES);
        EXPECT_EQ(out->entries == nullptr, emptyList);
        const Chunks chunks = vrelo_test::copy_chunks(*out);
        expect_same_chunks(chunks, *expected);
        for (const Bytes& chunk : chunks) stream_.insert(stream_.end(), chunk.begin(), chunk.end());
        EXPECT_EQ(OutputComplete(job_.handle()), VRELO_OK);
        model_.complete();
        return true;
    }

    vrelo_test::JobShape shape_;
    vrelo_test::Job job_;
    vrelo_test::DelayedModel model_;
    std::vector<SentRow> given_;
    Bytes stream_;
    int32_t lastLine_ = -1;
    int refusals_ = 0;
};

// A delayed-mode job at 1 bit per pixel beside the model, its page begun.
std::unique_ptr<Pair> delayed_page(bool carry) {
    vrelo_test::JobShape shape;
    shape.delayed = true;
    shape.feedOnFlush = carry;
    auto pair = std::make_unique<Pair>(shape);
    pair->new_page();
    return pair;
}

// Lines no further apart than a few steps.
vrelo_test::PageShape close_lines(int lines) {
    vrelo_test::PageShape shape;
    shape.lines = lines;
    shape.longGapPercent = 0;
    return shape;
}

// The most one call can send: every row of 336 steps after dense lines in
// all colours, a skip before each step's first row, the longest advance
// allowed split into 32767-line skips, and the black row.
TEST(DelayedLimits, TheLargestCallFitsTheChunkTable) {
    for (int32_t gap : {500, VRELO_MAX_ADVANCE - 1}) {
        SCOPED_TRACE(testing::Message() << "gap " << gap);
        vrelo_test::Job job(vrelo_test::delayed_param(true));
        Bytes stream;
        for (int32_t n = 0; n < 1000; ++n) {
            const Chunks chunks = vrelo_test::produce_line(
                                      job.handle(), vrelo_test::marked_line(n, "KYMCmc").record())
                                      .chunks;
            const Bytes bytes = vrelo_test::concatenate(chunks);
            stream.insert(stream.end(), bytes.begin(), bytes.end());
        }
        const int32_t last = 999 + gap;
        const Chunks largest =
            vrelo_test::produce_line(job.handle(), vrelo_test::marked_line(last, "K").record())
                .chunks;
        const size_t tailSkips = vrelo_test::skip_commands(gap - 336).size();
        EXPECT_EQ(largest.size(), 336 + 1008 + tailSkips + 1);
        // Short of the table's last entry: a full table may have dropped some.
        EXPECT_LT(largest.size(), static_cast<size_t>(OUT_TABLE_ENTRIES));
        EXPECT_EQ(vrelo_test::flush(job.handle()).chunks, Chunks{{0x0C}});

        const Bytes bytes = vrelo_test::concatenate(largest);
        stream.insert(stream.end(), bytes.begin(), bytes.end());
        std::vector<SentRow> expected;
        for (int32_t n = 0; n < 1000; ++n)
            for (const char letter : std::string(kLetters))
                expected.push_back({n, letter, vrelo_test::marked_row(n, letter)});
        expected.push_back({last, 'K', vrelo_test::marked_row(last, 'K')});
        expect_same_rows(vrelo_test::read_back(stream).rows, expected);
    }
}

// Rows no encoder can shrink, at the widest range positions allow, in all
// six colours at 2 bits: the rows waiting need more blocks than the job's
// index of blocks holds, so it follows its block list instead, and every
// row still prints once, at its line.
TEST(DelayedLimits, RowsOutgrowingTheBlockIndexStillPrintExactly) {
    std::mt19937 rng(8192);
    vrelo_test::JobShape shape;
    shape.delayed = true;
    shape.pixelShift = 2;
    vrelo_test::Job job(vrelo_test::param_for(shape));
    Bytes stream;
    std::vector<SentRow> given;
    bool outgrown = false;
    std::vector<Bytes> rows(7);
    for (Bytes& row : rows) {
        row = vrelo_test::distinct_neighbours_row(rng, 8192);
        row.front() = row.back() = 0x5A;
    }
    auto send = [&](const Chunks& chunks) {
        const Bytes bytes = vrelo_test::concatenate(chunks);
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    };
    for (int32_t n = 0; n < 260; ++n) {
        vrelo_test::PageLine line;
        line.lineNumber = n;
        for (int c = 0; c < VRELO_COLOURS; ++c) {
            vrelo_test::PagePlane& plane = line.planes[c];
            plane.present = true;
            plane.bytes = rows[(n + c) % rows.size()];
            plane.width = 32767;
            given.push_back({n, kLetters[c], plane.bytes});
        }
        send(vrelo_test::produce_line(job.handle(), line.record()).chunks);
        outgrown |= job.work()->shelf.count == vrelo::kIndexDropped;
    }
    send(vrelo_test::flush(job.handle()).chunks);
    EXPECT_TRUE(outgrown);
    expect_same_rows(vrelo_test::read_back(stream).rows, given);
}

// Pages that climb to the bound: lines near the top of the page, then
// lines at the edge of what can still be sent, many without black, then a
// page end. Rows the walk sends from the rings move the paper, so whether
// a line is taken depends on what the rings hold: the job must take and
// refuse exactly what the model does.
TEST(DelayedLimits, AtTheBoundTheJobTakesAndRefusesWhatTheModelDoes) {
    std::mt19937 rng(99336);
    int refusals = 0;
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        const std::unique_ptr<Pair> job = delayed_page(round % 2 == 1);
        Pair& pair = *job;
        vrelo_test::PageShape pageShape = close_lines(uniform(rng, 1, 30));
        pageShape.maxGap = 3;
        pageShape.maxRowBytes = 4;
        vrelo_test::Page lines = vrelo_test::random_page(rng, pageShape);
        int32_t edge = VRELO_MAX_ADVANCE - 336 + uniform(rng, -20, 400);
        for (vrelo_test::PageLine& far : vrelo_test::random_page(rng, pageShape)) {
            far.lineNumber = edge;
            edge += uniform(rng, 0, 120);
            lines.push_back(far);
            if (lines.size() > 40) break;
        }
        for (const vrelo_test::PageLine& l : lines) pair.line(l);
        if (uniform(rng, 0, 1) == 0) pair.form_feed(edge - uniform(rng, 0, 400));
        pair.flush();
        refusals += pair.refusals();
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(refusals, 30);
}

// Several form feeds end a page in turn, at end lines that rise, fall back
// and jump, then a flush: the calls match the model, and every row given
// prints once, at its line.
TEST(DelayedRoundTrip, FormFeedsInTurnPrintEveryRowAtItsLine) {
    std::mt19937 rng(4170224);
    for (int page = 0; page < 30; ++page) {
        SCOPED_TRACE(testing::Message() << "page " << page);
        const std::unique_ptr<Pair> job = delayed_page(page % 2 == 1);
        Pair& pair = *job;
        vrelo_test::Page lines = vrelo_test::random_page(rng, close_lines(uniform(rng, 20, 150)));
        for (const vrelo_test::PageLine& l : lines) pair.line(l);
        int32_t endLine = pair.last_line();
        for (int feeds = uniform(rng, 2, 5); feeds > 0; --feeds) {
            endLine += uniform(rng, -60, 200);
            pair.form_feed(endLine);
        }
        pair.flush();
        expect_same_rows(pair.printed(), pair.given());
        if (HasFatalFailure()) return;
    }
}

TEST(DelayedLimits, LongAdvancesAreSplitInto32767LineSkips) {
    vrelo_test::Job job(vrelo_test::delayed_param(false));
    EXPECT_EQ(
        vrelo_test::produce_line(job.handle(), vrelo_test::marked_line(65536, "K").record()).chunks,
        (Chunks{vrelo_test::skip_chunk(32767), vrelo_test::skip_chunk(32767),
                vrelo_test::skip_chunk(2), vrelo_test::marked_chunk(65536, 'K')}));

    // The longest advance one call may owe.
    ASSERT_EQ(OutputInitPart(job.handle(), nullptr), VRELO_OK);
    vrelo_test::produce_line(job.handle(), vrelo_test::marked_line(4999999, "").record());
    const int32_t last = 4999999 + 5000000;
    Chunks expected = vrelo_test::skip_commands(last);
    ASSERT_EQ(expected.size(), 306u);
    ASSERT_EQ(expected.back(), vrelo_test::skip_chunk(last - 305 * 32767));
    expected.push_back(vrelo_test::marked_chunk(last, 'K'));
    EXPECT_EQ(
        vrelo_test::produce_line(job.handle(), vrelo_test::marked_line(last, "K").record()).chunks,
        expected);
}

}  // namespace
