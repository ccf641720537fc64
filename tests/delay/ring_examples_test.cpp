// The delay lines' worked examples the sweeps do not already cover, slot
// numbers written out literally: the set-up of a page, the read counter,
// moving a row from its temporary slot into its ring, emptying a write slot
// and the rotation after a form feed.
#include <gtest/gtest.h>

#include "ring_fixture.hpp"

namespace delay_test {
namespace {

constexpr int16_t K = 0, Y = 1, M = 2, C = 3;

int read_slot(RingBuf* ring, int16_t colour) {
    OffsetInfo got{};
    EXPECT_EQ(RefOutbufReadInfo(ring, colour, &got), VRELO_OK);
    return slot_of(got);
}

TEST(RingSetUp, PageStartEmptiesEverySlotAndSetsThePointers) {
    auto ring = tagged_ring();
    ring->RPointer = 77;
    for (int32_t& w : ring->WPointer) w = 5;
    InitRingBuf(ring.get());
    InitTempBuf(ring.get());
    InitRPointer(ring.get());
    InitWPointer(ring.get());
    for (int n = 0; n < kSlots - 1; ++n) ASSERT_TRUE(is_null(slot(*ring, n))) << n;
    EXPECT_EQ(slot_of(ring->spare), kSlots - 1);  // never touched
    EXPECT_EQ(ring->RPointer, 0);
    const int32_t delays[VRELO_COLOURS] = {0, 336, 224, 112, 224, 112};
    for (int colour = 0; colour < VRELO_COLOURS; ++colour)
        EXPECT_EQ(ring->WPointer[colour], delays[colour]);
}

TEST(RingSetUp, RingsAndTemporarySlotsAreEmptiedSeparately) {
    auto ring = tagged_ring();
    ring->RPointer = 77;
    InitRingBuf(ring.get());
    EXPECT_TRUE(is_null(ring->Outbuf[RING_OUTBUF_SLOTS - 1]));
    EXPECT_EQ(slot_of(ring->TempBuf[0]), kTempSlot);
    EXPECT_EQ(ring->RPointer, 77);
    EXPECT_EQ(ring->WPointer[Y], 336);

    ring = tagged_ring();
    InitTempBuf(ring.get());
    for (const OffsetInfo& t : ring->TempBuf) EXPECT_TRUE(is_null(t));
    EXPECT_EQ(slot_of(ring->Outbuf[RING_OUTBUF_SLOTS - 1]), RING_OUTBUF_SLOTS - 1);
    EXPECT_EQ(slot_of(ring->spare), kSlots - 1);
}

TEST(RingPositions, ReadPointerCountsWithoutWrapping) {
    auto ring = tagged_ring();
    InitRPointer(ring.get());
    for (int i = 0; i < 1000; ++i) IncreaseReadPtr(ring.get());
    EXPECT_EQ(ring->RPointer, 1000);
    EXPECT_EQ(read_slot(ring.get(), Y), 1 + 488);
    EXPECT_EQ(read_slot(ring.get(), C), 769 + 104);
    ResetReadPtr(ring.get());
    EXPECT_EQ(ring->RPointer, 0);
}

TEST(RingRows, CopyTempToOutbufMovesTheRowToTheWriteSlot) {
    auto ring = tagged_ring();
    ASSERT_EQ(CopyTempToOutbuf(ring.get(), Y), VRELO_OK);
    EXPECT_EQ(slot_of(ring->Outbuf[337]), kTempSlot + Y);
    EXPECT_TRUE(is_null(ring->TempBuf[Y]));
    EXPECT_EQ(ring->WPointer[Y], 336);

    ASSERT_EQ(CopyTempToOutbuf(ring.get(), K), VRELO_OK);
    EXPECT_EQ(slot_of(ring->Outbuf[0]), kTempSlot + K);
    EXPECT_TRUE(is_null(ring->TempBuf[K]));
}

TEST(RingRows, ResetOffsetInfoEmptiesOnlyTheWriteSlot) {
    const OffsetInfo unrelated = {50, 60, 70};
    const OffsetInfo empty = {0, 0, 0};
    const OffsetInfo* passedRefs[] = {&unrelated, &empty, nullptr};
    for (const OffsetInfo* passed : passedRefs) {
        auto ring = tagged_ring();
        auto expected = std::make_unique<RingBuf>(*ring);
        expected->Outbuf[737] = OffsetInfo{};
        ASSERT_EQ(ResetOffsetInfo(ring.get(), passed, M), VRELO_OK);
        EXPECT_TRUE(same_store(*ring, *expected));
    }
}

TEST(RingRotationExamples, CyanAtReadPointer130) {
    auto ring = tagged_ring();
    ring->RPointer = 130;
    ASSERT_EQ(ResetRingBuf(ring.get(), C), VRELO_OK);
    EXPECT_EQ(slot_of(ring->Outbuf[769 + 0]), 769 + 2);
    EXPECT_EQ(slot_of(ring->Outbuf[769 + 125]), 769 + 127);
    EXPECT_EQ(slot_of(ring->Outbuf[769 + 126]), 769 + 0);
    EXPECT_EQ(slot_of(ring->Outbuf[769 + 127]), 769 + 1);
    EXPECT_EQ(ring->RPointer, 130);
}

}  // namespace
}  // namespace delay_test
