// The worst line direct mode accepts, checked byte for byte against the
// independent model and read back to its rows, and no allocation per line.
// Random pages against the model run in every build (random_jobs.cpp).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "direct_model.hpp"
#include "job_driver.hpp"
#include "job_params.hpp"
#include "output/row_commands.hpp"
#include "placed_rows.hpp"
#include "platform/alloc_fail.hpp"
#include "row_shapes.hpp"
#include "stream_commands.hpp"

namespace {

using vrelo_test::Bytes;

using vrelo_test::kLetters;

using vrelo_test::SentRow;

// What a printer makes of a direct-mode stream: every row at the line the
// skips have brought the paper to, closed by its carriage return.
std::vector<SentRow> read_back(const Bytes& stream) {
    const vrelo_test::ReadBack read = vrelo_test::place_rows(stream, false);
    EXPECT_EQ(read.error, "");
    return read.rows;
}

std::vector<SentRow> rows_with_ink(const vrelo_test::Page& page, int16_t shift, bool doubleX) {
    std::vector<SentRow> rows;
    for (const vrelo_test::PageLine& line : page)
        for (int c = 0; c < VRELO_COLOURS; ++c) {
            Bytes row = vrelo_test::expected_row(line.planes[c], shift, doubleX);
            if (!row.empty()) rows.push_back({line.lineNumber, kLetters[c], row});
        }
    return rows;
}

// Every call answers one chunk for a line, or its advance; only the last
// piece of a long output may be shorter than 32767 bytes.
void expect_chunking(const vrelo_test::CallResult& call) {
    for (size_t i = 0; i + 1 < call.chunks.size(); ++i) EXPECT_EQ(call.chunks[i].size(), 32767u);
    if (!call.chunks.empty()) {
        EXPECT_LE(call.chunks.back().size(), 32767u);
    }
}

// Rows that PackBits cannot shrink, at the widest range positions allow,
// in all six colours behind the longest advance accepted: the line is
// longer than one chunk can carry and must still arrive whole.
TEST(DirectRoundTrip, TheWorstLineArrivesWholeInChunksOfAtMost32767) {
    std::mt19937 rng(417);
    const int kWidest = vrelo::kWidestRowBytes;
    ASSERT_EQ(kWidest, 8192);
    enum Kind { kNoise, kLeadingZero, kPairs };
    auto row_of = [&](Kind kind) {
        Bytes row = vrelo_test::distinct_neighbours_row(rng, kWidest);
        // Ink at both ends, so the whole width is sent.
        if (row.front() == 0) row.front() = row[1] == 1 ? 2 : 1;
        if (row.back() == 0) row.back() = row[kWidest - 2] == 1 ? 2 : 1;
        if (kind == kLeadingZero) row[0] = 0;
        // 126 bytes unlike their neighbours then a pair: the pair starts a
        // new literal record, the costliest pattern of the encoder.
        if (kind == kPairs)
            for (int i = 126; i + 1 < kWidest; i += 128) row[i + 1] = row[i];
        return row;
    };
    vrelo_test::JobShape shape;
    shape.pixelShift = 2;
    for (Kind kind : {kNoise, kLeadingZero, kPairs}) {
        vrelo_test::Job job(vrelo_test::param_for(shape));
        vrelo_test::PageLine line;
        line.lineNumber = VRELO_MAX_ADVANCE;
        for (vrelo_test::PagePlane& plane : line.planes) {
            plane.present = true;
            plane.bytes = row_of(kind);
            plane.width = 32767;
        }
        const vrelo_test::CallResult call = vrelo_test::produce_line(job.handle(), line.record());
        ASSERT_EQ(call.chunks.size(), 2u);
        expect_chunking(call);
        const Bytes stream = vrelo_test::concatenate(call.chunks);
        EXPECT_LE(stream.size(), static_cast<size_t>(vrelo::kCommandBufferBytes));
        vrelo_test::DirectModel model(2, false);
        EXPECT_EQ(stream, *model.produce(line));
        EXPECT_EQ(read_back(stream), rows_with_ink({line}, 2, false));
    }
}

// The command buffer is allocated once: no line, flush or form feed
// allocates.
TEST(DirectRoundTrip, NoCallOfAPageAllocates) {
    std::mt19937 rng(7);
    vrelo_test::Job job(vrelo_test::param_for(vrelo_test::JobShape{}));
    const vrelo_test::Page page = vrelo_test::random_page(rng, vrelo_test::PageShape{});
    const int64_t before = vrelo::allocation_count();
    vrelo_test::run_page(job.handle(), page, {{false, 0}, {true, 0}});
    EXPECT_EQ(vrelo::allocation_count(), before);
}

}  // namespace
