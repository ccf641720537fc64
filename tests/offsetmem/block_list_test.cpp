// The block list: creation, linking behind a block, unlinking with the
// codes that tell the caller how the first block changed.
#include <gtest/gtest.h>

#include <vector>

#include "alloc_sweep.hpp"
#include "vrelo417.h"

namespace {

struct Block {
    PtrHandle handle{};
    OffsetBlock* block = nullptr;
};

Block make_block(int32_t id) {
    Block b;
    EXPECT_EQ(newlist(&b.handle, &b.block, id), VRELO_OK);
    return b;
}

OffsetBlock* target(const PtrHandle& h) {
    return static_cast<OffsetBlock*>(h.pointer);
}

// Links blocks in order through appendlist, as a locked allocator does.
std::vector<Block> make_chain(int n) {
    std::vector<Block> chain;
    for (int i = 0; i < n; ++i) {
        chain.push_back(make_block(i + 1));
        if (i > 0) {
            EXPECT_EQ(appendlist(&chain[i - 1].handle, chain[i - 1].block, &chain[i].handle,
                                 chain[i].block),
                      VRELO_OK);
        }
    }
    return chain;
}

TEST(BlockList, NewBlockIsEmptyUnlinkedAndHasItsDataCached) {
    Block b = make_block(7);
    EXPECT_EQ(b.block->blockId, 7);
    EXPECT_EQ(b.block->slotCount, 0);
    EXPECT_EQ(MyNullPHCheck(&b.block->nextHandle), 1);
    EXPECT_EQ(MyNullPHCheck(&b.block->prevHandle), 1);
    EXPECT_EQ(b.block->dataPtr, b.block->dataHandle.pointer);
    for (int i = 0; i < OFFSET_BLOCK_SLOTS; ++i)
        ASSERT_EQ(b.block->slots[i].offset | b.block->slots[i].length, 0);
    for (int i = 0; i < OFFSET_BLOCK_BYTES; ++i) ASSERT_EQ(b.block->dataPtr[i], 0);
    EXPECT_EQ(disposelist(&b.handle), VRELO_LIST_ONLY);
    EXPECT_EQ(MyNullPHCheck(&b.handle), 1);
}

TEST(BlockList, NewBlockTakesTheLowSixteenBitsOfItsId) {
    Block b = make_block(0x18001);
    EXPECT_EQ(b.block->blockId, -32767);
    disposelist(&b.handle);
}

TEST(BlockList, AppendingInTheMiddleRelinksBothNeighbours) {
    std::vector<Block> chain = make_chain(2);  // A, S
    Block n = make_block(9);
    ASSERT_EQ(appendlist(&chain[0].handle, chain[0].block, &n.handle, n.block), VRELO_OK);
    EXPECT_EQ(chain[0].block->nextPtr, n.block);
    EXPECT_EQ(target(chain[0].block->nextHandle), n.block);
    EXPECT_EQ(n.block->prevPtr, chain[0].block);
    EXPECT_EQ(target(n.block->nextHandle), chain[1].block);
    EXPECT_EQ(target(chain[1].block->prevHandle), n.block);
    EXPECT_EQ(chain[1].block->prevPtr, n.block);

    PtrHandle first = chain[0].handle;
    while (!MyNullPHCheck(&first)) disposelist(&first);
}

TEST(BlockList, AppendRefusesNullBlocks) {
    Block a = make_block(1);
    Block n = make_block(2);
    EXPECT_EQ(appendlist(&a.handle, nullptr, &n.handle, n.block), VRELO_FAILED);
    EXPECT_EQ(appendlist(&a.handle, a.block, &n.handle, nullptr), VRELO_FAILED);
    EXPECT_EQ(MyNullPHCheck(&a.block->nextHandle), 1);
    EXPECT_EQ(MyNullPHCheck(&n.block->prevHandle), 1);
    disposelist(&a.handle);
    disposelist(&n.handle);
}

TEST(BlockList, DisposeCodesTellWhereTheBlockStood) {
    {  // first of two
        std::vector<Block> c = make_chain(2);
        PtrHandle h = c[0].handle;
        EXPECT_EQ(disposelist(&h), VRELO_LIST_FIRST);
        EXPECT_EQ(target(h), c[1].block);
        EXPECT_EQ(MyNullPHCheck(&c[1].block->prevHandle), 1);
        EXPECT_EQ(disposelist(&h), VRELO_LIST_ONLY);
    }
    {  // last of two
        std::vector<Block> c = make_chain(2);
        PtrHandle h = c[1].handle;
        EXPECT_EQ(disposelist(&h), VRELO_LIST_LAST);
        EXPECT_EQ(MyNullPHCheck(&h), 1);
        EXPECT_EQ(MyNullPHCheck(&c[0].block->nextHandle), 1);
        EXPECT_EQ(disposelist(&c[0].handle), VRELO_LIST_ONLY);
    }
    {  // middle of three
        std::vector<Block> c = make_chain(3);
        PtrHandle h = c[1].handle;
        EXPECT_EQ(disposelist(&h), VRELO_LIST_MIDDLE);
        EXPECT_EQ(target(h), c[2].block);
        EXPECT_EQ(target(c[0].block->nextHandle), c[2].block);
        EXPECT_EQ(target(c[2].block->prevHandle), c[0].block);
        PtrHandle first = c[0].handle;
        EXPECT_EQ(disposelist(&first), VRELO_LIST_FIRST);
        EXPECT_EQ(disposelist(&first), VRELO_LIST_ONLY);
    }
    PtrHandle nullHandle{};
    EXPECT_EQ(disposelist(&nullHandle), VRELO_FAILED);
    EXPECT_EQ(disposelist(nullptr), VRELO_FAILED);
}

TEST(BlockList, CreationFailureLeavesNothingAllocated) {
    const int failures = vrelo_test::sweep_allocation_failures([](int) {
        PtrHandle handle{};
        OffsetBlock* block = nullptr;
        if (newlist(&handle, &block, 3) == VRELO_OK) {
            disposelist(&handle);
        } else {
            EXPECT_EQ(MyNullPHCheck(&handle), 1);
            EXPECT_EQ(block, nullptr);
        }
    });
    EXPECT_EQ(failures, 2);  // header, then data area
}

}  // namespace
