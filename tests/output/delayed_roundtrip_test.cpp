// Random delayed-mode jobs through the exported calls, checked two ways:
// every call's chunks against the independent model, byte for byte, and
// each page's stream read back with every colour's delay undone to exactly
// the rows that must print: each once, at its line, rows carried over
// included. Also the largest calls the job accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "delayed_job.hpp"
#include "delayed_model.hpp"
#include "job_driver.hpp"
#include "job_params.hpp"
#include "row_shapes.hpp"

namespace {

using vrelo_test::Bytes;
using vrelo_test::Chunks;
using vrelo_test::SentRow;

using vrelo_test::kLetters;

using vrelo_test::uniform;

// Line numbers as a host with sparse pages hands them over: mostly close
// together, sometimes further apart than any delay or one skip command,
// now and then a million lines on, and now and then repeated (refused).
void number_lines(std::mt19937& rng, vrelo_test::Page& page) {
    int32_t line = uniform(rng, 0, 9) == 0 ? uniform(rng, 300, 1000) : uniform(rng, 0, 5);
    for (vrelo_test::PageLine& l : page) {
        l.lineNumber = line;
        const int pick = uniform(rng, 0, 199);
        line += pick < 8      ? 0
                : pick < 148  ? uniform(rng, 1, 4)
                : pick < 172  ? uniform(rng, 5, 336)
                : pick < 192  ? uniform(rng, 337, 2000)
                : pick < 198  ? uniform(rng, 32760, 70000)
                              : 1000000;
    }
}

enum class End { kFlush, kFormFeed, kFormFeedThenFlush, kFlushThenFormFeed };

bool has_flush(End end) { return end != End::kFormFeed; }
bool has_form_feed(End end) { return end != End::kFlush; }

// A form feed's end line around the page's last line: below it, right
// after it, within the longest delay (rows left to carry over), at its
// end, beyond it, far beyond it.
int32_t end_line_after(std::mt19937& rng, int32_t last) {
    const int pick = uniform(rng, 0, 9);
    if (pick < 2) return last + 1 - uniform(rng, 1, 50);
    if (pick < 4) return last + 1;
    if (pick < 7) return last + 1 + uniform(rng, 1, 335);
    if (pick < 8) return last + 1 + 336;
    if (pick < 9) return last + 1 + uniform(rng, 337, 700);
    return last + 1 + 100000;
}

// One page as run: the rows it was given, where its steps start on the
// job's one long step axis, and where its rings were rotated if a form
// feed alone ended it.
struct PageRecord {
    int64_t origin = 0;
    int32_t lastLine = -1;  // of the lines accepted
    End end = End::kFlush;
    int32_t endLine = 0;
    std::vector<SentRow> given;  // lines page-relative
    vrelo_test::ReadBack sent;   // lines page-relative

    // Rows due from here on go to the next page when carried over.
    int64_t rotatedAt() const {
        const int64_t next = int64_t{lastLine} + 1;
        return has_form_feed(end) ? std::max<int64_t>(endLine, next) : next;
    }
};

// Whether a row must print: a flush drains everything; a form feed alone
// prints what falls due before its end and leaves the rest to the next
// page with carry-over, or drops it without.
bool must_print(const std::vector<PageRecord>& pages, size_t page, int64_t due, bool carry) {
    for (size_t k = page; k < pages.size(); ++k) {
        if (has_flush(pages[k].end)) return true;
        if (due < pages[k].origin + pages[k].rotatedAt()) return true;
        if (!carry) return false;
    }
    return false;
}

void expect_same_chunks(const Chunks& actual, const Chunks& expected) {
    EXPECT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i)
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "chunk " << i << " differs: " << actual[i].size() << " bytes, expected "
                          << expected[i].size();
            return;
        }
}

// Lost and doubled rows, a few of each.
void expect_same_rows(std::vector<SentRow> printed, std::vector<SentRow> expected) {
    printed = vrelo_test::sorted(printed);
    expected = vrelo_test::sorted(expected);
    std::vector<SentRow> lost, extra;
    std::set_difference(expected.begin(), expected.end(), printed.begin(), printed.end(),
                        std::back_inserter(lost));
    std::set_difference(printed.begin(), printed.end(), expected.begin(), expected.end(),
                        std::back_inserter(extra));
    EXPECT_TRUE(lost.empty()) << lost.size() << " rows lost, first " << lost.front();
    EXPECT_TRUE(extra.empty()) << extra.size() << " rows doubled or misplaced, first " << extra.front();
}

// A job and the model side by side.
class Pair {
  public:
    explicit Pair(const vrelo_test::JobShape& shape)
        : shape_(shape), job_(vrelo_test::param_for(shape)), model_(shape.feedOnFlush) {}

    void new_page() {
        ASSERT_EQ(OutputInitPart(job_.handle(), nullptr), VRELO_OK);
        model_.init_part();
        page_ = PageRecord{};
        stream_.clear();
    }

    void line(const vrelo_test::PageLine& l) {
        const RasterLine record = l.record();
        OutList* out = nullptr;
        const int32_t status = OutputProduce(job_.handle(), &record, &out);
        const vrelo_test::LineCommands commands =
            vrelo_test::line_commands(l, shape_.pixelShift, shape_.doubleX);
        if (!take(status, out, model_.produce(l.lineNumber, commands))) return;
        page_.lastLine = l.lineNumber;
        for (int c = 0; c < VRELO_COLOURS; ++c) {
            Bytes row = vrelo_test::expected_row(l.planes[c], shape_.pixelShift, shape_.doubleX);
            if (!row.empty()) page_.given.push_back({l.lineNumber, kLetters[c], row});
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
        EXPECT_TRUE(take(status, out, model_.form_feed(endLine)));
        page_.endLine = endLine;
    }

    PageRecord end_page(End end) {
        page_.end = end;
        page_.sent = vrelo_test::read_back(stream_);
        return page_;
    }

    const PageRecord& page() const { return page_; }
    int refusals() const { return refusals_; }

  private:
    // The job's answer against the model's; false when both refused.
    bool take(int32_t status, OutList* out, const std::optional<Chunks>& expected) {
        if (!expected) {
            EXPECT_EQ(status, VRELO_BAD_ARGUMENT);
            ++refusals_;
            return false;
        }
        EXPECT_EQ(status, VRELO_OK);
        if (status != VRELO_OK) return false;
        // A full table drops what is appended to it: no call may fill it.
        EXPECT_LT(out->count, OUT_TABLE_ENTRIES);
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
    PageRecord page_;
    Bytes stream_;
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

TEST(DelayedRoundTrip, RandomJobsMatchTheModelAndPrintEveryRowOnceAtItsLine) {
    std::mt19937 rng(4170336);
    size_t rowsChecked = 0;
    size_t carriedRows = 0;
    for (int job = 0; job < 16; ++job) {
        vrelo_test::JobShape shape;
        shape.delayed = true;
        shape.feedOnFlush = job % 2 == 1;
        shape.pixelShift = uniform(rng, 0, 1) ? 3 : 2;
        shape.doubleX = uniform(rng, 0, 3) == 0;
        Pair pair(shape);
        std::vector<PageRecord> pages;
        for (int page = 0; page < 4; ++page) {
            SCOPED_TRACE(testing::Message() << "job " << job << " page " << page);
            vrelo_test::PageShape pageShape;
            pageShape.pixelShift = shape.pixelShift;
            pageShape.doubleX = shape.doubleX;
            pageShape.lines = uniform(rng, 20, 200);
            // Wide rows now and then: blocks then fill by bytes, not slots.
            pageShape.maxRowBytes = uniform(rng, 0, 3) == 0 ? 3000 : 96;
            vrelo_test::Page lines = vrelo_test::random_page(rng, pageShape);
            number_lines(rng, lines);

            pair.new_page();
            for (const vrelo_test::PageLine& l : lines) pair.line(l);
            // A form feed alone most often: it is the end that carries over.
            // A job's last page ends as a host ends its last page: form
            // feed and flush, which send everything.
            const int pick = uniform(rng, 0, 9);
            const End end = page == 3   ? End::kFormFeedThenFlush
                            : pick < 4 ? End::kFormFeed
                                       : static_cast<End>(pick % 4);
            const int32_t endLine = end_line_after(rng, pair.page().lastLine);
            if (end == End::kFlush || end == End::kFlushThenFormFeed) pair.flush();
            if (has_form_feed(end)) pair.form_feed(endLine);
            if (end == End::kFormFeedThenFlush) pair.flush();
            pages.push_back(pair.end_page(end));
            pages.back().origin = page == 0 ? 0 : pages[page - 1].origin + pages[page - 1].rotatedAt();
            EXPECT_EQ(pages.back().sent.formFeeds, has_flush(end) && shape.feedOnFlush ? 1 : 0);
            if (HasFatalFailure()) return;
        }

        // The rows every page printed, on the job's step axis, against those
        // that must print.
        std::vector<SentRow> printed, expected;
        for (size_t p = 0; p < pages.size(); ++p) {
            for (SentRow row : pages[p].sent.rows) {
                carriedRows += row.line < 0 ? 1 : 0;
                row.line += pages[p].origin;
                printed.push_back(row);
            }
            for (SentRow row : pages[p].given) {
                row.line += pages[p].origin;
                const int64_t due = row.line + ColorOffset[vrelo_test::colour_of(row.letter)];
                if (must_print(pages, p, due, shape.feedOnFlush)) expected.push_back(row);
            }
        }
        SCOPED_TRACE(testing::Message() << "job " << job);
        expect_same_rows(printed, expected);
        rowsChecked += expected.size();
    }
    EXPECT_GT(rowsChecked, 10000u);
    EXPECT_GT(carriedRows, 20u);
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
            const Chunks chunks =
                vrelo_test::produce_line(job.handle(), vrelo_test::marked_line(n, "KYMCmc").record()).chunks;
            const Bytes bytes = vrelo_test::concatenate(chunks);
            stream.insert(stream.end(), bytes.begin(), bytes.end());
        }
        const int32_t last = 999 + gap;
        const Chunks largest =
            vrelo_test::produce_line(job.handle(), vrelo_test::marked_line(last, "K").record()).chunks;
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
        int32_t endLine = pair.page().lastLine;
        for (int feeds = uniform(rng, 2, 5); feeds > 0; --feeds) {
            endLine += uniform(rng, -60, 200);
            pair.form_feed(endLine);
        }
        pair.flush();
        const PageRecord record = pair.end_page(End::kFormFeedThenFlush);
        expect_same_rows(record.sent.rows, record.given);
        if (HasFatalFailure()) return;
    }
}

TEST(DelayedLimits, LongAdvancesAreSplitInto32767LineSkips) {
    vrelo_test::Job job(vrelo_test::delayed_param(false));
    EXPECT_EQ(vrelo_test::produce_line(job.handle(), vrelo_test::marked_line(65536, "K").record()).chunks,
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
    EXPECT_EQ(vrelo_test::produce_line(job.handle(), vrelo_test::marked_line(last, "K").record()).chunks,
              expected);
}

}  // namespace
