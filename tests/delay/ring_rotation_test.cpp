// ResetRingBuf against a model of the rotation: for every read position of
// every colour, ring index k ends up holding what index (s + k) mod n held,
// and nothing outside the colour's ring moves. Also its failure path: the
// scratch block refused by the memory layer.
#include <gtest/gtest.h>

#include <climits>

#include "alloc_sweep.hpp"
#include "platform/alloc_fail.hpp"
#include "ring_fixture.hpp"

namespace delay_test {
namespace {

// What the store must look like after rotating colour c's ring.
std::unique_ptr<RingBuf> rotated_model(const RingBuf& before, int c) {
    auto after = std::make_unique<RingBuf>(before);
    const int shift = model_index(before.RPointer, kSize[c]);
    for (int k = 0; k < kSize[c]; ++k)
        after->Outbuf[kFirst[c] + k] = before.Outbuf[kFirst[c] + (shift + k) % kSize[c]];
    return after;
}

TEST(RingRotation, MatchesTheModelForEveryReadPosition) {
    auto ring = tagged_ring();
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
        const int size = kSize[c];
        for (int s = 0; s < size; ++s) {
            // The same read position reached plainly, after many turns,
            // from a negative value a host may have set, and near the top.
            for (int64_t p : {int64_t{s}, int64_t{s} + 9 * size, int64_t{s} - 3 * size,
                              int64_t{INT32_MAX} - size + 1 + s}) {
                ring->RPointer = static_cast<int32_t>(p);
                auto expected = rotated_model(*ring, c);
                ASSERT_EQ(ResetRingBuf(ring.get(), c), VRELO_OK);
                ASSERT_TRUE(same_store(*ring, *expected)) << "colour " << c << " RPointer " << p;
            }
        }
    }
}

// What the rotation is for: with the pointers set back for a new page, the
// rows come out in the order they would have come out without the reset.
TEST(RingRotation, NewPageReadsOnInTheSameOrder) {
    auto ring = tagged_ring();
    ring->RPointer = 1000;
    int expected[VRELO_COLOURS][512];
    for (int step = 0; step < 512; ++step) {
        for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
            OffsetInfo due{};
            RefOutbufReadInfo(ring.get(), c, &due);
            expected[c][step] = slot_of(due);
        }
        IncreaseReadPtr(ring.get());
    }
    ring->RPointer = 1000;
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) ASSERT_EQ(ResetRingBuf(ring.get(), c), VRELO_OK);
    InitRPointer(ring.get());
    for (int step = 0; step < 512; ++step) {
        for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
            OffsetInfo due{};
            RefOutbufReadInfo(ring.get(), c, &due);
            ASSERT_EQ(slot_of(due), expected[c][step]) << "colour " << c << " step " << step;
        }
        IncreaseReadPtr(ring.get());
    }
}

// One scratch block per call, whatever the read position: refused, the call
// fails and the store is untouched; granted, the ring rotates and the block
// is given back (LeakSanitizer watches the native build).
TEST(RingRotation, RefusedScratchBlockLeavesTheStoreUnchanged) {
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
        for (int32_t p : {0, 130, kSize[c] - 1}) {
            auto before = tagged_ring();
            before->RPointer = p;
            const auto rotated = rotated_model(*before, c);
            const int failures = vrelo_test::sweep_allocation_failures([&](int) {
                auto ring = std::make_unique<RingBuf>(*before);
                const int32_t result = ResetRingBuf(ring.get(), c);
                const bool refused = !vrelo::allocation_failure_armed();
                EXPECT_EQ(result, refused ? VRELO_FAILED : VRELO_OK);
                EXPECT_TRUE(same_store(*ring, refused ? *before : *rotated))
                    << "colour " << c << " RPointer " << p;
            });
            EXPECT_EQ(failures, 1) << "colour " << c;
        }
    }
}

TEST(RingRotation, BadColourAllocatesNothing) {
    auto ring = tagged_ring();
    const int64_t allocations = vrelo::allocation_count();
    for (int16_t c : {int16_t{-1}, int16_t{6}})
        EXPECT_EQ(ResetRingBuf(ring.get(), c), VRELO_FAILED);
    EXPECT_EQ(ResetRingBuf(nullptr, 1), VRELO_FAILED);
    EXPECT_EQ(vrelo::allocation_count(), allocations);
}

}  // namespace
}  // namespace delay_test
