// Whole pages through the exported calls in direct mode, checked two ways:
// byte for byte against the independent model, and read back (skips give
// positions, PackBits gives bytes) to exactly the rows with ink at their
// lines. Also the worst line the job accepts, and no allocation per line.
#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

#include "stream_commands.hpp"
#include "command_stream.hpp"
#include "direct_model.hpp"
#include "job_driver.hpp"
#include "job_params.hpp"
#include "output/row_commands.hpp"
#include "row_shapes.hpp"
#include "platform/alloc_fail.hpp"

namespace {

using vrelo_test::Bytes;
using vrelo_test::CommandKind;

using vrelo_test::kLetters;

struct PrintedRow {
    int64_t line;
    char letter;
    Bytes row;
    bool operator==(const PrintedRow& o) const {
        return std::tie(line, letter, row) == std::tie(o.line, o.letter, o.row);
    }
};

std::ostream& operator<<(std::ostream& out, const PrintedRow& r) {
    return out << "line " << r.line << " " << r.letter << " (" << r.row.size() << " bytes)";
}

// What a printer makes of a direct-mode stream: every row at the line the
// skips have brought the paper to. Each row must be closed by its carriage
// return; nothing else may appear. Returns the final paper position.
int64_t read_back(const Bytes& stream, std::vector<PrintedRow>* rows) {
    const vrelo_test::CommandStream read = vrelo_test::read_command_stream(stream);
    EXPECT_EQ(read.error, "");
    int64_t position = 0;
    for (size_t i = 0; i < read.events.size(); ++i) {
        const vrelo_test::CommandEvent& e = read.events[i];
        if (e.kind == CommandKind::kSkip) {
            position += e.lines;
        } else if (e.kind == CommandKind::kColourRow) {
            rows->push_back({position, e.letter, e.row});
            EXPECT_TRUE(i + 1 < read.events.size() &&
                        read.events[i + 1].kind == CommandKind::kCarriageReturn);
            ++i;
        } else {
            ADD_FAILURE() << "stray event " << e;
        }
    }
    return position;
}

std::vector<PrintedRow> rows_with_ink(const vrelo_test::Page& page, int16_t shift, bool doubleX) {
    std::vector<PrintedRow> rows;
    for (const vrelo_test::PageLine& line : page)
        for (int c = 0; c < VRELO_COLOURS; ++c) {
            Bytes row = vrelo_test::expected_row(line.planes[c], shift, doubleX);
            if (!row.empty()) rows.push_back({line.lineNumber, kLetters[c], row});
        }
    return rows;
}

// Every call answers one chunk for a line, or its advance; only the last
// piece of a long output may be shorter than 32767 bytes.
void expect_chunking(const vrelo_test::CallOutput& call) {
    for (size_t i = 0; i + 1 < call.chunks.size(); ++i)
        EXPECT_EQ(call.chunks[i].size(), 32767u);
    if (!call.chunks.empty()) {
        EXPECT_LE(call.chunks.back().size(), 32767u);
    }
}

const vrelo_test::PageEnd kPageEnds[] = {
    {},
    {{false, 0}},
    {{true, 0}},
    {{false, 0}, {true, 0}},
    {{true, 0}, {false, 0}},
};

TEST(DirectRoundTrip, RandomPagesMatchTheModelAndReadBackToTheirRows) {
    std::mt19937 rng(20240417);
    int pages = 0;
    size_t rowsChecked = 0;
    for (int job = 0; job < 24; ++job) {
        vrelo_test::JobShape shape;
        shape.pixelShift = rng() % 2 ? 3 : 2;
        shape.doubleX = rng() % 3 == 0;
        vrelo_test::Job jobUnderTest(vrelo_test::param_for(shape));
        vrelo_test::DirectModel model(shape.pixelShift, shape.doubleX);
        for (int page = 0; page < 3; ++page, ++pages) {
            SCOPED_TRACE(testing::Message() << "job " << job << " page " << page);
            vrelo_test::PageShape pageShape;
            pageShape.pixelShift = shape.pixelShift;
            pageShape.doubleX = shape.doubleX;
            pageShape.maxRowBytes = rng() % 4 == 0 ? 3000 : 96;
            const vrelo_test::Page lines = vrelo_test::random_page(rng, pageShape);
            const vrelo_test::PageEnd& end = kPageEnds[rng() % 5];

            ASSERT_EQ(OutputInitPart(jobUnderTest.handle(), nullptr), VRELO_OK);
            model.start_page();
            const vrelo_test::PageRun run = vrelo_test::run_page(jobUnderTest.handle(), lines, end);

            Bytes expected;
            for (const vrelo_test::PageLine& line : lines) {
                const Bytes bytes = model.produce(line);
                expected.insert(expected.end(), bytes.begin(), bytes.end());
            }
            for (const vrelo_test::PageEndCall& call : end) {
                const Bytes bytes = call.formFeed ? model.form_feed() : Bytes{};
                expected.insert(expected.end(), bytes.begin(), bytes.end());
            }
            ASSERT_EQ(run.stream, expected);
            for (size_t i = 0; i < run.calls.size(); ++i) {
                expect_chunking(run.calls[i]);
                if (i < lines.size()) {
                    EXPECT_GE(run.calls[i].chunks.size(), 1u);
                }
            }

            std::vector<PrintedRow> printed;
            const int64_t position = read_back(run.stream, &printed);
            const std::vector<PrintedRow> inked = rows_with_ink(lines, shape.pixelShift, shape.doubleX);
            ASSERT_EQ(printed, inked);
            rowsChecked += inked.size();
            bool fed = false;
            for (const vrelo_test::PageEndCall& call : end) fed |= call.formFeed;
            if (fed) {
                EXPECT_EQ(position, lines.back().lineNumber);
            }
        }
    }
    EXPECT_EQ(pages, 72);
    EXPECT_GT(rowsChecked, 2000u);
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
        const vrelo_test::CallOutput call = vrelo_test::produce_line(job.handle(), line.record());
        ASSERT_EQ(call.chunks.size(), 2u);
        expect_chunking(call);
        const Bytes stream = vrelo_test::concatenate(call.chunks);
        EXPECT_LE(stream.size(), static_cast<size_t>(vrelo::kCommandBufferBytes));
        vrelo_test::DirectModel model(2, false);
        EXPECT_EQ(stream, model.produce(line));
        std::vector<PrintedRow> printed;
        read_back(stream, &printed);
        EXPECT_EQ(printed, rows_with_ink({line}, 2, false));
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
