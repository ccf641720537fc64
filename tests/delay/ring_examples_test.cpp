// The delay lines' worked examples, slot numbers written out literally: the
// set-up of a page, moving rows between temporary slots and rings, the
// pointer counts, and the rotation after a form feed.
#include <gtest/gtest.h>

#include <utility>

#include "ring_fixture.hpp"

namespace delay_test {
namespace {

constexpr int16_t K = 0, Y = 1, M = 2, C = 3, m = 4, c = 5;

int read_slot(RingBuf* ring, int16_t colour) {
    OffsetInfo got{};
    EXPECT_EQ(RefOutbufReadInfo(ring, colour, &got), VRELO_OK);
    return slot_of(got);
}

int write_slot(RingBuf* ring, int16_t colour) {
    OffsetInfo got{};
    EXPECT_EQ(RefOutbufWriteInfo(ring, colour, &got), VRELO_OK);
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
    EXPECT_EQ(slot_of(ring->Outbuf[RING_OUTBUF_SLOTS - 1]),
              RING_OUTBUF_SLOTS - 1);
    EXPECT_EQ(slot_of(ring->spare), kSlots - 1);
}

TEST(RingPositions, ReadAndWriteSlotsOfAFreshPage) {
    auto ring = tagged_ring();
    EXPECT_EQ(read_slot(ring.get(), Y), 1);
    ring->RPointer = 512;
    EXPECT_EQ(read_slot(ring.get(), Y), 1);
    ring->RPointer = 513;
    EXPECT_EQ(read_slot(ring.get(), Y), 2);
    ring->RPointer = 130;
    EXPECT_EQ(read_slot(ring.get(), C), 771);
    EXPECT_EQ(read_slot(ring.get(), K), 0);

    const int first_write[VRELO_COLOURS] = {0, 337, 737, 881, 1121, 1265};
    for (int16_t colour = K; colour <= c; ++colour)
        EXPECT_EQ(write_slot(ring.get(), colour), first_write[colour]);
}

TEST(RingPositions, ReadPointerCountsWithoutWrapping) {
    auto ring = tagged_ring();
    InitRPointer(ring.get());
    for (int i = 0; i < 1000; ++i) IncreaseReadPtr(ring.get());
    EXPECT_EQ(ring->RPointer, 1000);
    EXPECT_EQ(read_slot(ring.get(), Y), 1 + 488);
    EXPECT_EQ(read_slot(ring.get(), M), 513 + 232);
    EXPECT_EQ(read_slot(ring.get(), m), 897 + 232);
    EXPECT_EQ(read_slot(ring.get(), C), 769 + 104);
    EXPECT_EQ(read_slot(ring.get(), c), 1153 + 104);
    ResetReadPtr(ring.get());
    EXPECT_EQ(ring->RPointer, 0);
}

TEST(RingPositions, WritePointersWrapAtTheirRingSize) {
    auto ring = tagged_ring();
    ring->WPointer[Y] = 510;
    IncreaseWritePtr(ring.get(), Y);
    EXPECT_EQ(ring->WPointer[Y], 511);
    IncreaseWritePtr(ring.get(), Y);
    EXPECT_EQ(ring->WPointer[Y], 0);

    // Calls from the initial value until the pointer first reads 0.
    const int calls_to_zero[VRELO_COLOURS] = {0, 176, 32, 16, 32, 16};
    for (int16_t colour = Y; colour <= c; ++colour) {
        InitWPointer(ring.get());
        int calls = 0;
        do {
            IncreaseWritePtr(ring.get(), colour);
            ++calls;
        } while (ring->WPointer[colour] != 0 && calls < 1000);
        EXPECT_EQ(calls, calls_to_zero[colour]) << "colour " << colour;
    }
}

TEST(RingRows, TemporarySlotKeepsTheRowParkedInIt) {
    auto ring = tagged_ring();
    const OffsetInfo row = {3, 4096, 1234};
    ASSERT_EQ(SetOffsetInfo(ring.get(), &row, M), VRELO_OK);
    OffsetInfo got{};
    ASSERT_EQ(RefOutbufTempInfo(ring.get(), M, &got), VRELO_OK);
    EXPECT_EQ(got.blockId, 3);
    EXPECT_EQ(got.offset, 4096);
    EXPECT_EQ(got.length, 1234);
    EXPECT_EQ(RefOutbufTempLength(ring.get(), M), 1234);

    InitRingBuf(ring.get());
    EXPECT_EQ(RefOutbufReadLength(ring.get(), M), 0);
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
    const OffsetInfo kEmpty = {0, 0, 0};
    for (const OffsetInfo* passed : {&unrelated, &kEmpty, static_cast<const OffsetInfo*>(nullptr)}) {
        auto ring = tagged_ring();
        auto expected = std::make_unique<RingBuf>(*ring);
        expected->Outbuf[737] = OffsetInfo{};
        ASSERT_EQ(ResetOffsetInfo(ring.get(), passed, M), VRELO_OK);
        EXPECT_TRUE(same_store(*ring, *expected));
    }
}

TEST(RingRows, IndexedAccessStaysInsideTheRing) {
    auto ring = tagged_ring();
    OffsetInfo got{};
    EXPECT_EQ(RefOptionalBuf(ring.get(), Y, 511, &got), VRELO_OPTIONAL_DONE);
    EXPECT_EQ(slot_of(got), 512);
    for (auto [colour, index] : {std::pair<int16_t, int32_t>{Y, 512}, {C, 128},
                                 {K, 1}, {m, -1}}) {
        got = tag(5);
        EXPECT_EQ(RefOptionalBuf(ring.get(), colour, index, &got),
                  VRELO_OPTIONAL_DONE);
        EXPECT_TRUE(is_null(got)) << colour << " " << index;
    }
    const OffsetInfo row = {9, 9, 9};
    EXPECT_EQ(SetOptionalBuf(ring.get(), K, 1, &row), VRELO_OPTIONAL_DONE);
    EXPECT_EQ(slot_of(ring->Outbuf[0]), 0);
    EXPECT_EQ(SetOptionalBuf(ring.get(), K, 0, &row), VRELO_OPTIONAL_DONE);
    EXPECT_EQ(ring->Outbuf[0].blockId, 9);
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

TEST(RingRotationExamples, YellowAtAWholeNumberOfTurnsStaysPut) {
    auto ring = tagged_ring();
    ring->RPointer = 1024;
    const auto before = std::make_unique<RingBuf>(*ring);
    ASSERT_EQ(ResetRingBuf(ring.get(), Y), VRELO_OK);
    EXPECT_TRUE(same_store(*ring, *before));
}

}  // namespace
}  // namespace delay_test
