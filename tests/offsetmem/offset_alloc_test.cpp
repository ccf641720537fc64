// The offset allocator: lock protocol, first-fit placement, release and the
// block ids that references carry.
#include <gtest/gtest.h>

#include <vector>

#include "alloc_sweep.hpp"
#include "vrelo417.h"

namespace {

struct Root {
    OffsetMemory m{};
    Root() { OffsetInitPara(&m); }
    ~Root() { OffsetDisposeMemory(&m); }
    OffsetInfo take(int32_t size) {
        OffsetInfo ref{};
        EXPECT_EQ(OffsetNewID(&m, &ref, size), VRELO_OK) << size;
        return ref;
    }
    std::vector<int> ids() const {
        std::vector<int> out;
        for (auto* b = static_cast<OffsetBlock*>(m.firstHandle.pointer); b;
             b = static_cast<OffsetBlock*>(b->nextHandle.pointer))
            out.push_back(b->blockId);
        return out;
    }
};

bool same(const OffsetInfo& a, int32_t id, int32_t offset, int32_t length) {
    return a.blockId == id && a.offset == offset && a.length == length;
}

TEST(OffsetAllocator, NullRootAndWrongStateAreRefused) {
    OffsetInfo ref{1, 2, 3};
    EXPECT_EQ(OffsetLockMemory(nullptr), VRELO_FAILED);
    EXPECT_EQ(OffsetUnLockMemory(nullptr), VRELO_FAILED);
    EXPECT_EQ(OffsetNewID(nullptr, &ref, 10), VRELO_FAILED);
    EXPECT_EQ(OffsetNewPtr(nullptr, &ref), nullptr);
    EXPECT_EQ(OffsetDisposeID(nullptr, &ref), VRELO_FAILED);
    EXPECT_EQ(OffsetDisposeMemory(nullptr), VRELO_OK);
    OffsetInitPara(nullptr);

    Root r;
    EXPECT_EQ(OffsetUnLockMemory(&r.m), VRELO_FAILED);
    EXPECT_EQ(OffsetNewID(&r.m, &ref, 10), VRELO_FAILED);
    EXPECT_TRUE(same(ref, 1, 2, 3));
    ASSERT_EQ(OffsetLockMemory(&r.m), VRELO_OK);
    EXPECT_EQ(OffsetLockMemory(&r.m), VRELO_FAILED);
    OffsetInfo taken = r.take(10);
    EXPECT_EQ(OffsetDisposeID(&r.m, &taken), VRELO_FAILED);
    EXPECT_TRUE(same(taken, 1, 0, 10));
    EXPECT_EQ(OffsetNewID(&r.m, nullptr, 10), VRELO_FAILED);
    EXPECT_EQ(OffsetNewPtr(&r.m, nullptr), nullptr);
    ASSERT_EQ(OffsetUnLockMemory(&r.m), VRELO_OK);
    EXPECT_EQ(OffsetNewPtr(&r.m, &taken), nullptr);
}

TEST(OffsetAllocator, SizesOutsideOneTo65535ChangeNothing) {
    Root r;
    ASSERT_EQ(OffsetLockMemory(&r.m), VRELO_OK);
    for (int32_t size : {0, -1, 65536, INT32_MAX, INT32_MIN}) {
        OffsetInfo ref{4, 5, 6};
        EXPECT_EQ(OffsetNewID(&r.m, &ref, size), VRELO_FAILED) << size;
        EXPECT_TRUE(same(ref, 4, 5, 6));
    }
    EXPECT_EQ(r.m.blockCounter, 0);
    EXPECT_TRUE(r.ids().empty());
    OffsetInfo whole = r.take(65535);  // bytes 0..65534 of a new block
    EXPECT_TRUE(same(whole, 1, 0, 65535));
    OffsetUnLockMemory(&r.m);
}

TEST(OffsetAllocator, WorkedExample) {
    Root r;
    ASSERT_EQ(OffsetLockMemory(&r.m), VRELO_OK);
    OffsetInfo a = r.take(2352), b = r.take(300), c = r.take(500);
    EXPECT_TRUE(same(a, 1, 0, 2352));
    EXPECT_TRUE(same(b, 1, 2352, 300));
    EXPECT_TRUE(same(c, 1, 2652, 500));
    EXPECT_EQ(r.m.firstPtr, r.m.firstHandle.pointer);
    ASSERT_EQ(OffsetUnLockMemory(&r.m), VRELO_OK);
    ASSERT_EQ(OffsetDisposeID(&r.m, &b), VRELO_OK);
    EXPECT_TRUE(same(b, 0, 0, 0));
    auto* block = static_cast<OffsetBlock*>(r.m.firstHandle.pointer);
    ASSERT_EQ(block->slotCount, 2);
    EXPECT_EQ(block->slots[1].offset, 2652);
    EXPECT_EQ(block->slots[2].offset | block->slots[2].length, 0);

    ASSERT_EQ(OffsetLockMemory(&r.m), VRELO_OK);
    OffsetInfo d = r.take(200), e = r.take(101);
    EXPECT_TRUE(same(d, 1, 2352, 200));
    EXPECT_TRUE(same(e, 1, 3152, 101));
    EXPECT_EQ(block->slots[1].offset, 2352);
    ASSERT_EQ(OffsetUnLockMemory(&r.m), VRELO_OK);
    for (OffsetInfo* ref : {&a, &c, &d, &e}) OffsetDisposeID(&r.m, ref);
    EXPECT_EQ(MyNullPHCheck(&r.m.firstHandle), 1);

    ASSERT_EQ(OffsetLockMemory(&r.m), VRELO_OK);
    EXPECT_TRUE(same(r.take(10), 2, 0, 10));  // ids are not reused
    OffsetUnLockMemory(&r.m);
}

TEST(OffsetAllocator, PlacementLimitsOfOneBlock) {
    Root r;
    ASSERT_EQ(OffsetLockMemory(&r.m), VRELO_OK);
    OffsetInfo first = r.take(1000);
    // Behind the last range: exactly up to byte 65534, not one more.
    OffsetInfo fits = r.take(65535 - 1000);
    EXPECT_TRUE(same(fits, 1, 1000, 64535));
    OffsetUnLockMemory(&r.m);
    OffsetDisposeID(&r.m, &fits);
    OffsetLockMemory(&r.m);
    EXPECT_TRUE(same(r.take(65536 - 1000), 2, 0, 64536));
    OffsetUnLockMemory(&r.m);
    // Before the first range: a gap of 100 at offset 0.
    OffsetDisposeID(&r.m, &first);
    OffsetLockMemory(&r.m);
    OffsetInfo x = r.take(100);  // block 1 is gone; goes into block 2
    EXPECT_TRUE(same(x, 2, 64536, 100));
    OffsetUnLockMemory(&r.m);
}

TEST(OffsetAllocator, GapBeforeTheFirstRange) {
    Root r;
    OffsetLockMemory(&r.m);
    OffsetInfo a = r.take(100);
    OffsetInfo keep = r.take(50);
    OffsetUnLockMemory(&r.m);
    OffsetDisposeID(&r.m, &a);  // first range now starts at 100
    OffsetLockMemory(&r.m);
    OffsetInfo wide = r.take(101);
    EXPECT_TRUE(same(wide, 1, 150, 101));
    OffsetInfo exact = r.take(100);
    EXPECT_TRUE(same(exact, 1, 0, 100));
    OffsetUnLockMemory(&r.m);
    (void)keep;
}

TEST(OffsetAllocator, FullSlotTableIsPassedOver) {
    Root r;
    OffsetLockMemory(&r.m);
    for (int i = 0; i < OFFSET_BLOCK_SLOTS; ++i) r.take(4);
    EXPECT_TRUE(same(r.take(4), 2, 0, 4));
    OffsetUnLockMemory(&r.m);
}

TEST(OffsetAllocator, LookupByIdAndOffsetReleaseNeedsTheLength) {
    Root r;
    OffsetLockMemory(&r.m);
    OffsetInfo a = r.take(40);
    OffsetInfo b = r.take(60);
    uint8_t* p = OffsetNewPtr(&r.m, &b);
    ASSERT_NE(p, nullptr);
    OffsetInfo wrongLength{b.blockId, b.offset, 61};
    EXPECT_EQ(OffsetNewPtr(&r.m, &wrongLength), p);
    OffsetInfo noSuch{b.blockId, 41, 60};
    EXPECT_EQ(OffsetNewPtr(&r.m, &noSuch), nullptr);
    OffsetUnLockMemory(&r.m);

    EXPECT_EQ(OffsetDisposeID(&r.m, &wrongLength), VRELO_OK);
    EXPECT_TRUE(same(wrongLength, 0, 0, 0));
    auto* block = static_cast<OffsetBlock*>(r.m.firstHandle.pointer);
    EXPECT_EQ(block->slotCount, 2);  // not released
    EXPECT_EQ(OffsetDisposeID(&r.m, &b), VRELO_OK);
    EXPECT_EQ(block->slotCount, 1);
    (void)a;
}

// Cached pointers exist only while locked: a record a host can see never
// keeps one that may be left dangling.
TEST(OffsetAllocator, LockingCachesEveryLinkAndUnlockingClearsThemAll) {
    Root r;
    OffsetLockMemory(&r.m);
    for (int block = 0; block < 3; ++block) r.take(60000);
    for (int round = 0; round < 2; ++round) {
        for (auto* b = static_cast<OffsetBlock*>(r.m.firstHandle.pointer); b;
             b = static_cast<OffsetBlock*>(b->nextHandle.pointer)) {
            EXPECT_EQ(b->dataPtr, b->dataHandle.pointer);
            EXPECT_EQ(b->nextPtr, b->nextHandle.pointer);
            EXPECT_EQ(b->prevPtr, b->prevHandle.pointer);
        }
        ASSERT_EQ(OffsetUnLockMemory(&r.m), VRELO_OK);
        EXPECT_EQ(r.m.firstPtr, nullptr);
        for (auto* b = static_cast<OffsetBlock*>(r.m.firstHandle.pointer); b;
             b = static_cast<OffsetBlock*>(b->nextHandle.pointer)) {
            EXPECT_EQ(b->dataPtr, nullptr);
            EXPECT_EQ(b->nextPtr, nullptr);
            EXPECT_EQ(b->prevPtr, nullptr);
        }
        ASSERT_EQ(OffsetLockMemory(&r.m), VRELO_OK);
    }
    OffsetUnLockMemory(&r.m);
}

TEST(OffsetAllocator, ReleasingTheFirstBlockPromotesTheSecond) {
    Root r;
    OffsetLockMemory(&r.m);
    OffsetInfo big = r.take(60000);
    OffsetInfo other = r.take(60000);
    OffsetUnLockMemory(&r.m);
    EXPECT_EQ(r.ids(), (std::vector<int>{1, 2}));
    OffsetDisposeID(&r.m, &big);
    EXPECT_EQ(r.ids(), (std::vector<int>{2}));
    auto* second = static_cast<OffsetBlock*>(r.m.firstHandle.pointer);
    EXPECT_EQ(MyNullPHCheck(&second->prevHandle), 1);
    OffsetDisposeID(&r.m, &other);
    EXPECT_EQ(MyNullPHCheck(&r.m.firstHandle), 1);
}

TEST(OffsetAllocator, DisposeMemoryOnALockedRootKeepsLockAndCounter) {
    Root r;
    OffsetLockMemory(&r.m);
    r.take(60000);
    r.take(60000);
    r.take(60000);
    EXPECT_EQ(OffsetDisposeMemory(&r.m), VRELO_OK);
    EXPECT_EQ(r.m.lockFlag, 1);
    EXPECT_EQ(r.m.blockCounter, 3);
    EXPECT_EQ(r.m.firstPtr, nullptr);
    EXPECT_TRUE(r.ids().empty());
    EXPECT_TRUE(same(r.take(8), 4, 0, 8));
    EXPECT_EQ(OffsetLockMemory(&r.m), VRELO_FAILED);
    OffsetUnLockMemory(&r.m);
}

TEST(OffsetAllocator, BlockIdsSkipZeroAndIdsStillInTheList) {
    Root r;
    OffsetLockMemory(&r.m);
    r.m.blockCounter = 32766;
    EXPECT_EQ(r.take(60000).blockId, 32767);
    EXPECT_EQ(r.take(60000).blockId, -32768);
    r.m.blockCounter = -1;
    EXPECT_EQ(r.take(60000).blockId, 1);  // never 0
    // The counter comes round to ids still in use: they are passed over.
    r.m.blockCounter = 32766;
    EXPECT_EQ(r.take(60000).blockId, -32767);
    r.m.blockCounter = 0;
    EXPECT_EQ(r.take(60000).blockId, 2);
    EXPECT_EQ(r.ids(), (std::vector<int>{32767, -32768, 1, -32767, 2}));
    OffsetUnLockMemory(&r.m);
}

TEST(OffsetAllocator, BlockCreationFailureAdvancesTheCounterOnly) {
    Root r;
    OffsetLockMemory(&r.m);
    r.take(60000);
    const int failures = vrelo_test::sweep_allocation_failures([&](int) {
        OffsetInfo ref{7, 7, 7};
        if (OffsetNewID(&r.m, &ref, 60000) == VRELO_FAILED) {
            EXPECT_TRUE(same(ref, 7, 7, 7));
        }
    });
    EXPECT_EQ(failures, 2);
    // Two failed creations used ids 2 and 3; the successful one took 4.
    EXPECT_EQ(r.ids(), (std::vector<int>{1, 4}));
    OffsetUnLockMemory(&r.m);
}

}  // namespace
