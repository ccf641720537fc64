// Where each accessor lands: the tables, the ring layout, the read, write
// and indexed positions over the pointers' whole range, and the wrap-around
// that brings a row back to the read side after its colour's delay.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "ring_fixture.hpp"

namespace delay_test {
namespace {

// The exported tables hold what hosts read in them: each colour's delay and
// the size of its ring.
TEST(RingTables, HoldEachColoursDelayAndRingSize) {
    for (int c = 0; c < VRELO_COLOURS; ++c) {
        EXPECT_EQ(ColorOffset[c], kDelay[c]) << "colour " << c;
        EXPECT_EQ(ColorBufsize[c], kSize[c]) << "colour " << c;
    }
}

// Counter values to try: every value around zero for a few ring lengths,
// then a stride across the whole int32 range, its ends included.
std::vector<int64_t> pointer_values(int size) {
    std::vector<int64_t> values;
    for (int64_t p = -3 * size; p < 4 * size; ++p) values.push_back(p);
    for (int64_t p = INT32_MIN; p <= INT32_MAX; p += 0x7fff1) values.push_back(p);
    for (int64_t p = INT32_MAX - 2 * size; p <= INT32_MAX; ++p) values.push_back(p);
    for (int64_t p = INT32_MIN; p <= INT32_MIN + 2 * size; ++p) values.push_back(p);
    return values;
}

TEST(RingLayout, ReadPositionIsRPointerModuloRingSize) {
    auto ring = tagged_ring();
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
        for (int64_t p : pointer_values(kSize[c])) {
            ring->RPointer = static_cast<int32_t>(p);
            const int expected = kFirst[c] + model_index(p, kSize[c]);
            OffsetInfo got{};
            ASSERT_EQ(RefOutbufReadInfo(ring.get(), c, &got), VRELO_OK);
            ASSERT_EQ(slot_of(got), expected) << "colour " << c << " at " << p;
            ASSERT_EQ(RefOutbufReadLength(ring.get(), c), tag(expected).length);
        }
    }
}

TEST(RingLayout, SetOutbufReadInfoStoresIntoTheReadSlotOnly) {
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
        for (int64_t p : {int64_t{5}, int64_t{-1}, int64_t{INT32_MAX}}) {
            auto ring = tagged_ring();
            ring->RPointer = static_cast<int32_t>(p);
            auto expected = std::make_unique<RingBuf>(*ring);
            OffsetInfo row = {900, 901, 902};
            slot(*expected, kFirst[c] + model_index(p, kSize[c])) = row;
            ASSERT_EQ(SetOutbufReadInfo(ring.get(), c, &row), VRELO_OK);
            EXPECT_TRUE(same_store(*ring, *expected)) << "colour " << c;
        }
    }
}

TEST(RingLayout, WritePositionIsTheColoursWritePointer) {
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
        // A host may set a pointer outside its ring: it still lands inside.
        std::vector<int64_t> values = {-1, kSize[c], 3 * kSize[c] + 5, INT32_MIN, INT32_MAX};
        for (int i = 0; i < kSize[c]; ++i) values.push_back(i);
        for (int64_t w : values) {
            auto ring = tagged_ring();
            ring->WPointer[c] = static_cast<int32_t>(w);
            const int target = kFirst[c] + model_index(w, kSize[c]);
            OffsetInfo got{};
            ASSERT_EQ(RefOutbufWriteInfo(ring.get(), c, &got), VRELO_OK);
            ASSERT_EQ(slot_of(got), target) << "colour " << c << " at " << w;

            auto expected = std::make_unique<RingBuf>(*ring);
            OffsetInfo row = {900, 901, 902};
            slot(*expected, target) = row;
            ASSERT_EQ(SetOutbufWriteInfo(ring.get(), c, &row), VRELO_OK);
            ASSERT_TRUE(same_store(*ring, *expected));

            slot(*expected, target) = OffsetInfo{};
            ASSERT_EQ(ResetOffsetInfo(ring.get(), &row, c), VRELO_OK);
            ASSERT_TRUE(same_store(*ring, *expected));
        }
    }
}

TEST(RingLayout, IndexedPositionCoversExactlyTheColoursRing) {
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
        const int size = kSize[c];
        for (int64_t n = -2; n < size + 2; ++n) {
            for (int64_t index : {n, int64_t{INT32_MIN}, int64_t{INT32_MAX}}) {
                const bool inside = index >= 0 && index < size;
                auto ring = tagged_ring();
                OffsetInfo got = {1, 2, 3};
                ASSERT_EQ(RefOptionalBuf(ring.get(), c, index, &got), VRELO_OPTIONAL_DONE);
                if (inside) {
                    ASSERT_EQ(slot_of(got), kFirst[c] + index);
                } else {
                    ASSERT_TRUE(is_null(got)) << "colour " << c << " " << index;
                }

                auto expected = tagged_ring();
                OffsetInfo row = {900, 901, 902};
                if (inside) slot(*expected, kFirst[c] + index) = row;
                ASSERT_EQ(SetOptionalBuf(ring.get(), c, index, &row), VRELO_OPTIONAL_DONE);
                ASSERT_TRUE(same_store(*ring, *expected)) << "colour " << c << " " << index;
            }
        }
    }
}

TEST(RingLayout, TempSlotFollowsTheColour) {
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
        auto ring = tagged_ring();
        OffsetInfo got{};
        ASSERT_EQ(RefOutbufTempInfo(ring.get(), c, &got), VRELO_OK);
        EXPECT_EQ(slot_of(got), kTempSlot + c);
        EXPECT_EQ(RefOutbufTempLength(ring.get(), c), tag(kTempSlot + c).length);

        auto expected = std::make_unique<RingBuf>(*ring);
        const OffsetInfo row = {3, 4096, 1234};
        slot(*expected, kTempSlot + c) = row;
        ASSERT_EQ(SetOffsetInfo(ring.get(), &row, c), VRELO_OK);
        EXPECT_TRUE(same_store(*ring, *expected)) << "colour " << c;
    }
}

// Across the int32 limit the counter goes on without a signed overflow and
// every colour's read index still steps by exactly one.
TEST(RingWrap, ReadIndexStepsByOneAcrossTheCounterLimit) {
    auto ring = tagged_ring();
    ring->RPointer = INT32_MAX - 700;
    for (int step = 0; step < 1400; ++step) {
        int before[VRELO_COLOURS];
        for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
            OffsetInfo got{};
            RefOutbufReadInfo(ring.get(), c, &got);
            before[c] = slot_of(got) - kFirst[c];
        }
        IncreaseReadPtr(ring.get());
        for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
            OffsetInfo got{};
            RefOutbufReadInfo(ring.get(), c, &got);
            ASSERT_EQ(slot_of(got) - kFirst[c], (before[c] + 1) % kSize[c])
                << "colour " << c << " step " << step;
        }
    }
}

TEST(RingWrap, WritePointerRunsThroughItsRingAndBack) {
    for (int16_t c = 1; c < VRELO_COLOURS; ++c) {
        auto ring = tagged_ring();
        for (int call = 1; call <= 2 * kSize[c]; ++call) {
            IncreaseWritePtr(ring.get(), c);
            ASSERT_EQ(ring->WPointer[c], (kDelay[c] + call) % kSize[c])
                << "colour " << c << " call " << call;
        }
    }
    auto ring = tagged_ring();
    ring->WPointer[0] = 7;  // black's pointer never moves, whatever it holds
    IncreaseWritePtr(ring.get(), 0);
    EXPECT_EQ(ring->WPointer[0], 7);
}

// The promise the job builds on: a row stored at the write position comes
// back at the read position exactly ColorOffset[c] line steps later, over
// several turns of every ring, and not a step before.
TEST(RingWrap, RowComesBackAfterItsColoursDelay) {
    auto ring = std::make_unique<RingBuf>();
    InitRingBuf(ring.get());
    InitRPointer(ring.get());
    InitWPointer(ring.get());
    for (int line = 0; line < 3 * 512 + 17; ++line) {
        for (int16_t c = 1; c < VRELO_COLOURS; ++c) {
            OffsetInfo due{};
            ASSERT_EQ(RefOutbufReadInfo(ring.get(), c, &due), VRELO_OK);
            const int sent = line - kDelay[c];
            if (sent < 0) {
                ASSERT_TRUE(is_null(due)) << "colour " << c << " line " << line;
            } else {
                ASSERT_EQ(due.blockId, sent + 1) << "colour " << c << " line " << line;
                ASSERT_EQ(due.offset, c);
            }
        }
        IncreaseReadPtr(ring.get());
        for (int16_t c = 1; c < VRELO_COLOURS; ++c) {
            OffsetInfo row = {line + 1, c, 10};
            ASSERT_EQ(SetOutbufWriteInfo(ring.get(), c, &row), VRELO_OK);
            IncreaseWritePtr(ring.get(), c);
        }
    }
}

}  // namespace
}  // namespace delay_test
