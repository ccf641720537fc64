// Thousands of seeded random steps of the allocator checked against a small
// independent model of first-fit placement over a list of blocks: through
// the exported calls, and through the calls a job makes with its shelf
// (spare block, index of blocks, gap hints), which must place every range
// exactly where the exported calls do, also once the index has been
// outgrown and after the list has emptied again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "offsetmem/offset_alloc.hpp"
#include "vrelo417.h"

namespace {

struct ModelBlock {
    int id;
    std::vector<std::pair<int, int>> ranges;  // {offset, length}, sorted
};

// First fit exactly as documented, kept deliberately simple.
class Model {
  public:
    bool locked = false;
    int counter = 0;
    std::vector<ModelBlock> blocks;

    OffsetInfo allocate(int size) {
        for (ModelBlock& b : blocks) {
            if (b.ranges.size() >= 256) continue;
            // Candidate gaps in order: before the first range, then behind
            // each range up to the next one (or to byte 65535).
            std::vector<std::pair<size_t, std::pair<int, int>>> gaps;
            if (b.ranges[0].first != 0) gaps.push_back({0, {0, b.ranges[0].first}});
            for (size_t i = 0; i < b.ranges.size(); ++i) {
                const int end = b.ranges[i].first + b.ranges[i].second;
                const int next = i + 1 < b.ranges.size() ? b.ranges[i + 1].first : 65535;
                gaps.push_back({i + 1, {end, next}});
            }
            for (const auto& [index, gap] : gaps) {
                if (gap.second - gap.first < size) continue;
                b.ranges.insert(b.ranges.begin() + static_cast<long>(index), {gap.first, size});
                return {b.id, gap.first, size};
            }
        }
        do {
            counter = static_cast<int16_t>(counter + 1);
        } while (counter == 0 || std::any_of(blocks.begin(), blocks.end(),
                                             [&](const ModelBlock& b) { return b.id == counter; }));
        blocks.push_back({counter, {{0, size}}});
        return {counter, 0, size};
    }

    void release(const OffsetInfo& ref) {
        for (size_t k = 0; k < blocks.size(); ++k) {
            auto& r = blocks[k].ranges;
            if (blocks[k].id != ref.blockId) continue;
            auto it = std::find(r.begin(), r.end(), std::make_pair(ref.offset, ref.length));
            if (it == r.end()) continue;
            r.erase(it);
            if (r.empty()) blocks.erase(blocks.begin() + k);
            return;
        }
    }
};

std::vector<ModelBlock> library_blocks(const OffsetMemory& root) {
    std::vector<ModelBlock> out;
    for (auto* b = static_cast<const OffsetBlock*>(root.firstHandle.pointer); b;
         b = static_cast<const OffsetBlock*>(b->nextHandle.pointer)) {
        ModelBlock m{b->blockId, {}};
        for (int i = 0; i < b->slotCount; ++i)
            m.ranges.push_back({b->slots[i].offset, b->slots[i].length});
        for (int i = b->slotCount; i < OFFSET_BLOCK_SLOTS; ++i)
            EXPECT_EQ(b->slots[i].offset | b->slots[i].length, 0);
        out.push_back(m);
    }
    return out;
}

bool operator==(const ModelBlock& a, const ModelBlock& b) {
    return a.id == b.id && a.ranges == b.ranges;
}

uint8_t stamp(const OffsetInfo& ref) {
    return static_cast<uint8_t>(ref.blockId * 31 + ref.offset * 7 + ref.length);
}

// The allocator's calls, through the exported names or a job's shelf.
struct Calls {
    vrelo::BlockShelf* shelf;  // nullptr: the exported calls
    int32_t allocate(OffsetMemory* root, OffsetInfo* ref, int32_t size) {
        return shelf == nullptr ? OffsetNewID(root, ref, size)
                                : vrelo::allocate_range(root, ref, size, shelf, nullptr);
    }
    uint8_t* address(OffsetMemory* root, const OffsetInfo* ref) {
        return shelf == nullptr ? OffsetNewPtr(root, ref) : vrelo::range_address(root, ref, shelf);
    }
    int32_t release(OffsetMemory* root, OffsetInfo* ref) {
        return shelf == nullptr ? OffsetDisposeID(root, ref)
                                : vrelo::release_range(root, ref, shelf);
    }
};

// Sizes as random requests come (now and then most of a block), as a
// job's rows do (released oldest first), or each filling most of a block.
enum class Load { kRandom, kRows, kWide };

// *dropped tells whether the shelf's index was ever outgrown.
void run_steps(uint32_t seed, Load load, Calls calls, bool* dropped = nullptr) {
    SCOPED_TRACE(testing::Message() << "seed " << seed << (calls.shelf ? ", shelf" : ""));
    std::mt19937 rng(seed);
    OffsetMemory root;
    OffsetInitPara(&root);
    Model model;
    std::vector<OffsetInfo> live;
    auto release = [&](size_t k) {
        OffsetInfo ref = live[k];
        ASSERT_EQ(calls.release(&root, &ref), VRELO_OK);
        ASSERT_EQ(ref.blockId | ref.offset | ref.length, 0);
        model.release(live[k]);
        live.erase(live.begin() + static_cast<long>(k));
    };
    // Past releaseFrom every range is released: the list empties, then
    // fills again.
    const int steps = load == Load::kWide ? 1800 : 4000;
    const int releaseFrom = steps - 1000;
    for (int step = 0; step < steps; ++step) {
        const bool emptying = step >= releaseFrom && !live.empty();
        int action = emptying ? 9 : static_cast<int>(rng() % 10);
        // Wide ranges pile up: each takes a block, more than the index holds.
        if (load == Load::kWide && action >= 7 && action < 9) action = 1;
        if (action < 1) {  // toggle the lock
            const int32_t status =
                model.locked ? OffsetUnLockMemory(&root) : OffsetLockMemory(&root);
            ASSERT_EQ(status, VRELO_OK);
            model.locked = !model.locked;
        } else if (action < 5) {  // allocate
            const int size = load == Load::kRows   ? 400 + static_cast<int>(rng() % 1200)
                             : load == Load::kWide ? 40000 + static_cast<int>(rng() % 25535)
                             : rng() % 8 == 0      ? 1 + static_cast<int>(rng() % 65535)
                                                   : 1 + static_cast<int>(rng() % 3000);
            OffsetInfo ref{};
            const int32_t status = calls.allocate(&root, &ref, size);
            if (!model.locked) {
                ASSERT_EQ(status, VRELO_FAILED);
                continue;
            }
            ASSERT_EQ(status, VRELO_OK);
            const OffsetInfo expected = model.allocate(size);
            ASSERT_EQ(ref.blockId, expected.blockId) << "step " << step;
            ASSERT_EQ(ref.offset, expected.offset) << "step " << step;
            ASSERT_EQ(ref.length, size);
            uint8_t* p = calls.address(&root, &ref);
            ASSERT_NE(p, nullptr);
            std::memset(p, stamp(ref), static_cast<size_t>(size));
            live.push_back(ref);
        } else if (action < 7 && !live.empty()) {  // resolve and verify
            const OffsetInfo& ref = live[rng() % live.size()];
            uint8_t* p = calls.address(&root, &ref);
            if (!model.locked) {
                ASSERT_EQ(p, nullptr);
                continue;
            }
            ASSERT_NE(p, nullptr);
            // Another range overlapping this one would have overwritten it.
            for (int i = 0; i < ref.length; ++i)
                ASSERT_EQ(p[i], stamp(ref)) << "overlap at step " << step;
        } else if (!live.empty()) {  // release
            if (model.locked && emptying) {
                ASSERT_EQ(OffsetUnLockMemory(&root), VRELO_OK);
                model.locked = false;
            }
            if (model.locked) {
                OffsetInfo ref = live[0];
                ASSERT_EQ(calls.release(&root, &ref), VRELO_FAILED);
                continue;
            }
            release(load == Load::kRows ? 0 : rng() % live.size());
        }
        ASSERT_TRUE(library_blocks(root) == model.blocks) << "step " << step;
        if (dropped != nullptr && calls.shelf->count == vrelo::kIndexDropped) *dropped = true;
    }
    if (model.locked) OffsetUnLockMemory(&root);
    vrelo::release_all_ranges(&root, calls.shelf);
}

TEST(OffsetAllocatorModel, RandomStepsAgreeWithFirstFitModel) {
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        run_steps(seed, Load::kRandom, Calls{nullptr});
        if (HasFatalFailure()) return;
    }
    run_steps(5, Load::kRows, Calls{nullptr});
}

TEST(OffsetAllocatorModel, AJobsShelfPlacesEveryRangeWhereTheExportedCallsDo) {
    bool dropped = false;
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        vrelo::BlockShelf shelf{};
        const Load load = seed == 5 ? Load::kRows : seed == 6 ? Load::kWide : Load::kRandom;
        run_steps(seed, load, Calls{&shelf}, &dropped);
        if (HasFatalFailure()) return;
        // Emptied at the end, the list is indexed again.
        EXPECT_EQ(shelf.count, 0);
    }
    EXPECT_TRUE(dropped);
}

}  // namespace
