// Delayed-mode line steps byte for byte: which row goes out on which step,
// the skips owed before it, the page end by flush and by form feed, and
// rows carried over into the next page.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "delayed_job.hpp"
#include "job_driver.hpp"

namespace {

using vrelo_test::Bytes;
using vrelo_test::Chunks;
using vrelo_test::marked_chunk;
using vrelo_test::skip_chunk;

using vrelo_test::kAllColours;
const Bytes kFormFeedByte = {0x0C};

Chunks joined(Chunks a, const Chunks& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

using DelayedSteps = vrelo_test::DelayedJobTest;

// The drain after lines 0 to 999 in every colour: steps 1000 to 1335, each
// opened by a one-line skip, yellow throughout, magenta and light magenta
// until 1223, cyan and light cyan until 1111.
Chunks drain_after_line_999() {
    Chunks expected;
    for (int32_t step = 1000; step <= 1335; ++step) {
        expected.push_back(skip_chunk(1));
        expected.push_back(marked_chunk(step - 336, 'Y'));
        if (step < 1224) expected.push_back(marked_chunk(step - 224, 'M'));
        if (step < 1112) expected.push_back(marked_chunk(step - 112, 'C'));
        if (step < 1224) expected.push_back(marked_chunk(step - 224, 'm'));
        if (step < 1112) expected.push_back(marked_chunk(step - 112, 'c'));
    }
    return expected;
}

TEST_F(DelayedSteps, BlackGoesOutAtOnceAndYellow336StepsLater) {
    EXPECT_EQ(line(0, "KY"), Chunks{marked_chunk(0, 'K')});
    EXPECT_EQ(work().blankRun, 1);
    EXPECT_EQ(line(1, "KY"), (Chunks{skip_chunk(1), marked_chunk(1, 'K')}));
    lines(2, 335, "KY");
    EXPECT_EQ(line(336, "KY"),
              (Chunks{skip_chunk(1), marked_chunk(336, 'K'), marked_chunk(0, 'Y')}));
    lines(337, 340, "KY");

    // Lines 341 to 399 are never given: their steps still send yellow.
    Chunks expected;
    for (int32_t step = 341; step < 400; ++step) {
        expected.push_back(skip_chunk(1));
        expected.push_back(marked_chunk(step - 336, 'Y'));
    }
    expected.push_back(skip_chunk(1));
    expected.push_back(marked_chunk(400, 'K'));
    expected.push_back(marked_chunk(64, 'Y'));
    EXPECT_EQ(line(400, "KY"), expected);
    EXPECT_EQ(work().lineGap, 60);
}

TEST_F(DelayedSteps, AFirstLineFiveWalksSixStepsBehindOneSkip) {
    EXPECT_EQ(line(5, "K"), (Chunks{skip_chunk(5), marked_chunk(5, 'K')}));
    EXPECT_EQ(work().lineGap, 6);
    EXPECT_EQ(work().ring.RPointer, 6);
}

TEST_F(DelayedSteps, ABlankLineStillSendsWhatFallsDueOnItsSteps) {
    line(0, "C");
    EXPECT_EQ(line(111, ""), Chunks{});
    EXPECT_EQ(work().blankRun, 112);
    EXPECT_EQ(line(112, ""), (Chunks{skip_chunk(112), marked_chunk(0, 'C')}));
    EXPECT_EQ(work().blankRun, 1);
}

TEST_F(DelayedSteps, ColoursOfOneStepGoOutInIndexOrder) {
    line(0, "Y");
    line(224, "C");
    EXPECT_EQ(line(336, "K"), (Chunks{skip_chunk(336), marked_chunk(336, 'K'), marked_chunk(0, 'Y'),
                                      marked_chunk(224, 'C')}));
}

// Line 500 after line 100: the read positions are consulted only for
// steps whose line came before this call; beyond that a ring may still
// hold a row sent long ago (cyan's ring of 128 holds the row of line 60 at
// the index step 300 reads) and it must not go out again.
TEST_F(DelayedSteps, AGapSendsOnlyRowsOfLinesGivenBeforeIt) {
    lines(0, 99, kAllColours);
    line(100, kAllColours);
    const Chunks gap = line(500, kAllColours);
    EXPECT_EQ(work().lineGap, 400);

    // Step 101 has nothing due, cyan's row of line 0 opens step 112.
    ASSERT_GE(gap.size(), 2u);
    EXPECT_EQ(gap[0], skip_chunk(12));
    EXPECT_EQ(gap[1], marked_chunk(0, 'C'));
    // Steps 437 to 499 send nothing; step 500 only black.
    EXPECT_EQ(gap[gap.size() - 2], skip_chunk(64));
    EXPECT_EQ(gap.back(), marked_chunk(500, 'K'));

    // Every row of lines 0 to 100 exactly once, none of line 500's delayed
    // colours; each on the step its delay says.
    const auto sent = vrelo_test::read_back(vrelo_test::concatenate(gap), 100).rows;
    std::vector<vrelo_test::SentRow> expected;
    for (const char letter : std::string("YMCmc"))
        for (int32_t n = 0; n <= 100; ++n)
            expected.push_back({n, letter, vrelo_test::marked_row(n, letter)});
    expected.push_back({500, 'K', vrelo_test::marked_row(500, 'K')});
    EXPECT_EQ(vrelo_test::sorted(sent), vrelo_test::sorted(expected));
}

TEST_F(DelayedSteps, AFlushDrainsThe336StepsAfterTheLastLine) {
    lines(0, 999, kAllColours);
    EXPECT_EQ(flush(), drain_after_line_999());
    EXPECT_EQ(work().ring.RPointer, 1336);
}

// With carry-over, a page that no form feed ended drains from where its
// lines left the read position, then ends with the form-feed byte, written
// right behind the last skip command.
TEST_F(DelayedSteps, AFlushWithCarryOverEndsWithTheFormFeedByte) {
    start(true);
    lines(0, 999, kAllColours);
    OutList* out = nullptr;
    ASSERT_EQ(OutputFlush(job(), &out), VRELO_OK);
    ASSERT_EQ(out, &table().list);
    const Chunks chunks = vrelo_test::copy_chunks(*out);
    EXPECT_EQ(chunks, joined(drain_after_line_999(), {kFormFeedByte}));
    const OutEntry& last = out->entries[out->count - 1];
    const OutEntry& lastSkip = out->entries[out->count - 3];  // skip, yellow, 0x0C
    ASSERT_EQ(lastSkip.length, 7);
    EXPECT_EQ(last.data, lastSkip.data + 7);
    EXPECT_EQ(OutputComplete(job()), VRELO_OK);
}

TEST_F(DelayedSteps, AFormFeedAtTheNextLineWalksNoStepAndAnswersTheEmptyList) {
    lines(0, 9, "KY");
    const RingBuf before = work().ring;
    OutList* out = nullptr;
    ASSERT_EQ(OutputFormFeed(job(), &out, 10), VRELO_OK);
    EXPECT_EQ(out, &table().emptyList);
    EXPECT_EQ(out->count, 0);
    EXPECT_EQ(work().feedRemain, 336);
    EXPECT_FALSE(isNullInfo(&work().skipInfo));  // allocated all the same
    ASSERT_EQ(OutputComplete(job()), VRELO_OK);
    EXPECT_TRUE(isNullInfo(&work().skipInfo));
    for (int c = 0; c < VRELO_COLOURS; ++c)
        EXPECT_EQ(work().ring.WPointer[c], before.WPointer[c]) << c;
}

TEST_F(DelayedSteps, AFormFeedBelowTheNextLineAnswersAnEmptyPrimaryList) {
    lines(0, 9, "KY");
    const RingBuf before = work().ring;
    OutList* out = nullptr;
    ASSERT_EQ(OutputFormFeed(job(), &out, 5), VRELO_OK);
    EXPECT_EQ(out, &table().list);
    EXPECT_EQ(out->count, 0);
    EXPECT_EQ(work().feedRemain, 341);
    ASSERT_EQ(OutputComplete(job()), VRELO_OK);
    EXPECT_EQ(work().ring.RPointer, before.RPointer);
    for (int c = 0; c < VRELO_COLOURS; ++c)
        EXPECT_EQ(work().ring.WPointer[c], before.WPointer[c]) << c;
}

// However far below: no step, whatever the distance's int32 arithmetic.
TEST_F(DelayedSteps, AFormFeedFarBelowTheNextLineWalksNoStep) {
    line(5, "KY");
    const RingBuf before = work().ring;
    EXPECT_EQ(form_feed(INT32_MIN), Chunks{});
    EXPECT_EQ(work().ring.RPointer, before.RPointer);
    EXPECT_EQ(flush(), (Chunks{vrelo_test::skip_chunk(336), marked_chunk(5, 'Y')}));
}

TEST_F(DelayedSteps, AFormFeed501LinesOnWalks500StepsAndCommitsThemAll) {
    lines(0, 9, kAllColours);
    const RingBuf before = work().ring;
    const Chunks chunks = form_feed(510);
    EXPECT_EQ(work().feedRemain, -164);
    EXPECT_EQ(work().ring.RPointer, before.RPointer + 500);
    for (int c = 1; c < VRELO_COLOURS; ++c)
        EXPECT_EQ(work().ring.WPointer[c], (before.WPointer[c] + 500) % ColorBufsize[c]) << c;
    // Every delayed row of the ten lines, the last (yellow of line 9) on
    // step 345; nothing after it.
    const auto sent = vrelo_test::read_back(vrelo_test::concatenate(chunks), 9).rows;
    EXPECT_EQ(sent.size(), 50u);
    for (const vrelo_test::SentRow& row : sent)
        EXPECT_EQ(row.row, vrelo_test::marked_row(static_cast<int32_t>(row.line), row.letter));
    EXPECT_EQ(chunks.back(), marked_chunk(9, 'Y'));
}

// A page ended at line 1000 with a yellow row on line 900: carried over,
// it goes out on step 236 of the next page (900 + 336 = 1000 + 236).
TEST_F(DelayedSteps, CarriedRowsGoOutOnTheNextPageWhereTheyFellDue) {
    for (bool carry : {false, true}) {
        SCOPED_TRACE(carry ? "carry-over" : "no carry-over");
        start(carry);
        line(900, "KY");
        EXPECT_EQ(form_feed(1000), Chunks{});
        next_page();
        const Chunks expected = carry ? Chunks{skip_chunk(236), marked_chunk(900, 'Y'),
                                               skip_chunk(64), marked_chunk(300, 'K')}
                                      : Chunks{skip_chunk(300), marked_chunk(300, 'K')};
        EXPECT_EQ(line(300, "K"), expected);
    }
}

// Whatever the form feed's end line, form feed and flush together send
// every row the page left waiting; the flush restarts from the rotated
// rings with or without carry-over, and only carry-over adds 0x0C.
TEST_F(DelayedSteps, FormFeedThenFlushSendsEveryRowLeft) {
    for (bool carry : {false, true})
        for (int32_t endLine : {900, 1000, 1100, 1400}) {
            SCOPED_TRACE(testing::Message() << "carry " << carry << " end " << endLine);
            start(carry);
            lines(0, 999, kAllColours);
            const Chunks fed = form_feed(endLine);
            const Chunks flushed = flush();
            Chunks expected = drain_after_line_999();
            if (carry) expected.push_back(kFormFeedByte);
            EXPECT_EQ(joined(fed, flushed), expected);
            EXPECT_EQ(vrelo_test::rows_in_rings(work()), 0);
        }
}

// Each form feed goes on where the one before it ended, so the rows still
// due go out on their own steps; one ending before the last end sends
// nothing, and the flush finds nothing left.
TEST_F(DelayedSteps, FurtherFormFeedsGoOnWhereTheLastOneEnded) {
    for (bool carry : {false, true}) {
        SCOPED_TRACE(carry ? "carry-over" : "no carry-over");
        start(carry);
        lines(0, 999, kAllColours);
        Chunks sent;
        for (int32_t endLine : {1000, 1100, 1050, 1223, 1400})
            sent = joined(sent, form_feed(endLine));
        EXPECT_EQ(sent, drain_after_line_999());
        EXPECT_EQ(flush(), carry ? Chunks{kFormFeedByte} : Chunks{});
    }
}

// The rotation a form feed left is carried into the next page; with no
// line produced there yet, a flush still restarts from it. The new page
// owes no advance before its first row.
TEST_F(DelayedSteps, AFlushOnACarriedPageWithNoLineSendsTheCarriedRows) {
    start(true);
    lines(0, 999, kAllColours);
    form_feed(1000);
    next_page();
    Chunks expected = drain_after_line_999();
    expected.erase(expected.begin());
    expected.push_back(kFormFeedByte);
    EXPECT_EQ(flush(), expected);
}

// A page that only carries rows, ended by a form feed at 200: its walk
// sends the carried rows due on its steps 0 to 199, each at its place, as
// if the page before had gone on (its line 1000 + i is this page's step
// i). A form feed at 0 after it walks no step and answers the empty list;
// the next page's flush sends what is left.
TEST_F(DelayedSteps, AFormFeedOnACarriedPageWithoutLinesSendsTheRowsDueBeforeItsEnd) {
    start(true);
    lines(0, 999, kAllColours);
    EXPECT_EQ(form_feed(1000), Chunks{});
    next_page();
    const std::vector<vrelo_test::SentRow> sent =
        vrelo_test::read_back(vrelo_test::concatenate(form_feed(200))).rows;
    std::vector<vrelo_test::SentRow> due;
    for (const char letter : std::string("YMCmc"))
        for (int32_t step = 1000; step < 1200; ++step) {
            const int32_t of = step - ColorOffset[vrelo_test::colour_of(letter)];
            if (of <= 999) due.push_back({of - 1000, letter, vrelo_test::marked_row(of, letter)});
        }
    EXPECT_EQ(vrelo_test::sorted(sent), vrelo_test::sorted(due));

    next_page();
    OutList* out = nullptr;
    ASSERT_EQ(OutputFormFeed(job(), &out, 0), VRELO_OK);
    EXPECT_EQ(out, &table().emptyList);
    EXPECT_EQ(out->count, 0);
    EXPECT_EQ(out->entries, nullptr);
    ASSERT_EQ(OutputComplete(job()), VRELO_OK);
    const std::vector<vrelo_test::SentRow> rest =
        vrelo_test::read_back(vrelo_test::concatenate(flush())).rows;
    ASSERT_EQ(rest.size(), 136u + 2 * 24);  // yellow of lines 864 on, magentas of 976 on
    EXPECT_EQ(rest.front(),
              (vrelo_test::SentRow{864 - 1200, 'Y', vrelo_test::marked_row(864, 'Y')}));
}

// A page end that lies after a new page start is a new page's end: a form
// feed there walks from the new page's line 0, not from where the form
// feed of the page before ended.
TEST_F(DelayedSteps, ANewPageStartsItsFormFeedsFromItsOwnFirstLine) {
    start(true);
    line(0, "Y");
    EXPECT_EQ(form_feed(300), Chunks{});
    next_page();
    EXPECT_EQ(form_feed(40), (Chunks{skip_chunk(36), marked_chunk(0, 'Y')}));
}

}  // namespace
