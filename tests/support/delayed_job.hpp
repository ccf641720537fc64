// Shared by the delayed-mode tests: lines whose rows name their line and
// colour, the chunks those rows are sent as, and looks into what a job
// holds between calls (its delay rings, temporary slots, skip block and the
// ranges live in its sub-allocator).
#ifndef VRELO_TEST_DELAYED_JOB_HPP
#define VRELO_TEST_DELAYED_JOB_HPP

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bytes.hpp"
#include "job_driver.hpp"
#include "output/master_work.hpp"
#include "page_generator.hpp"
#include "placed_rows.hpp"
#include "stream_commands.hpp"

namespace vrelo_test {

// A delayed-mode job at 1 bit per pixel, with or without carry-over.
OutputParam delayed_param(bool feedOnFlush);

// Colour index of a letter of "KYMCmc".
int colour_of(char letter);

// The three non-zero bytes of the row of that colour on that line.
Bytes marked_row(int32_t line, char letter);
// A line with a row in each colour its letters name ("KY": black and
// yellow). Every row is three non-zero bytes telling line and colour apart.
PageLine marked_line(int32_t line, const std::string& letters);
// The chunk that sends the row of that colour on that line.
Bytes marked_chunk(int32_t line, char letter);
// The one raster-skip command for 1..32767 lines.
Bytes skip_chunk(int32_t lines);

// Reads a delayed-mode stream that starts with the paper at `position`,
// each colour's delay undone (place_rows); anything but skips, closed rows
// and form feeds is a test failure.
ReadBack read_back(const Bytes& stream, int64_t position = 0);

// Ranges the job's sub-allocator holds (rows waiting or pending, skip block).
int live_ranges(const MasterWork& job);
// The reference at a ring index of a colour.
OffsetInfo ring_entry(MasterWork& job, int colour, int index);
// Non-null references in all six rings.
int rows_in_rings(MasterWork& job);
bool temp_slots_empty(const MasterWork& job);
bool chunk_table_empty(const MasterWork& job);

// A fresh delayed-mode job per test, driven line by line with marked rows.
class DelayedJobTest : public ::testing::Test {
  protected:
    void SetUp() override { start(false); }
    void start(bool feedOnFlush) {
        param_ = delayed_param(feedOnFlush);
        job_ = std::make_unique<Job>(param_);
    }
    MasterWork** job() { return job_->handle(); }
    MasterWork& work() { return *job_->work(); }
    OutStrct& table() { return *static_cast<OutStrct*>(work().outTableHandle.pointer); }
    // Produces and completes one marked line; its chunks.
    Chunks line(int32_t number, const std::string& letters) {
        const PageLine l = marked_line(number, letters);
        return produce_line(job(), l.record()).chunks;
    }
    void lines(int32_t from, int32_t to, const std::string& letters) {
        for (int32_t n = from; n <= to; ++n) line(n, letters);
    }
    Chunks flush() { return vrelo_test::flush(job()).chunks; }
    Chunks form_feed(int32_t endLine) { return vrelo_test::form_feed(job(), endLine).chunks; }
    void next_page() { ASSERT_EQ(OutputInitPart(job(), nullptr), VRELO_OK); }

    OutputParam param_{};
    std::unique_ptr<Job> job_;
};

// What every failure exit must leave: nothing pending, nothing allocated,
// and no reference left behind in the rings, the temporary slots, the skip
// block or the chunk table that could name a released range.
void expect_nothing_held(MasterWork& job);

}  // namespace vrelo_test

#endif
