// Thousands of seeded random steps of the allocator checked against a small
// independent model of first-fit placement over a list of blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <vector>

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
                const int next =
                    i + 1 < b.ranges.size() ? b.ranges[i + 1].first : 65535;
                gaps.push_back({i + 1, {end, next}});
            }
            for (const auto& [index, gap] : gaps) {
                if (gap.second - gap.first < size) continue;
                b.ranges.insert(b.ranges.begin() + static_cast<long>(index),
                                {gap.first, size});
                return {b.id, gap.first, size};
            }
        }
        do {
            counter = static_cast<int16_t>(counter + 1);
        } while (counter == 0 || std::any_of(blocks.begin(), blocks.end(),
                                             [&](const ModelBlock& b) {
                                                 return b.id == counter;
                                             }));
        blocks.push_back({counter, {{0, size}}});
        return {counter, 0, size};
    }

    void release(const OffsetInfo& ref) {
        for (size_t k = 0; k < blocks.size(); ++k) {
            auto& r = blocks[k].ranges;
            if (blocks[k].id != ref.blockId) continue;
            auto it = std::find(r.begin(), r.end(),
                                std::make_pair(ref.offset, ref.length));
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

TEST(OffsetAllocatorModel, RandomStepsAgreeWithFirstFitModel) {
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 rng(seed);
        OffsetMemory root;
        OffsetInitPara(&root);
        Model model;
        std::vector<OffsetInfo> live;
        for (int step = 0; step < 4000; ++step) {
            const int action = static_cast<int>(rng() % 10);
            if (action < 1) {  // toggle the lock
                const int32_t status = model.locked ? OffsetUnLockMemory(&root)
                                                    : OffsetLockMemory(&root);
                ASSERT_EQ(status, VRELO_OK);
                model.locked = !model.locked;
            } else if (action < 5) {  // allocate
                const int size = rng() % 8 == 0
                                     ? 1 + static_cast<int>(rng() % 65535)
                                     : 1 + static_cast<int>(rng() % 3000);
                OffsetInfo ref{};
                const int32_t status = OffsetNewID(&root, &ref, size);
                if (!model.locked) {
                    ASSERT_EQ(status, VRELO_FAILED);
                    continue;
                }
                ASSERT_EQ(status, VRELO_OK);
                const OffsetInfo expected = model.allocate(size);
                ASSERT_EQ(ref.blockId, expected.blockId) << "step " << step;
                ASSERT_EQ(ref.offset, expected.offset) << "step " << step;
                ASSERT_EQ(ref.length, size);
                uint8_t* p = OffsetNewPtr(&root, &ref);
                ASSERT_NE(p, nullptr);
                std::memset(p, stamp(ref), static_cast<size_t>(size));
                live.push_back(ref);
            } else if (action < 7 && !live.empty()) {  // resolve and verify
                const OffsetInfo& ref = live[rng() % live.size()];
                uint8_t* p = OffsetNewPtr(&root, &ref);
                if (!model.locked) {
                    ASSERT_EQ(p, nullptr);
                    continue;
                }
                ASSERT_NE(p, nullptr);
                // Another range overlapping this one would have overwritten it.
                for (int i = 0; i < ref.length; ++i)
                    ASSERT_EQ(p[i], stamp(ref)) << "overlap at step " << step;
            } else if (!live.empty()) {  // release
                const size_t k = rng() % live.size();
                OffsetInfo ref = live[k];
                const int32_t status = OffsetDisposeID(&root, &ref);
                if (model.locked) {
                    ASSERT_EQ(status, VRELO_FAILED);
                    continue;
                }
                ASSERT_EQ(status, VRELO_OK);
                ASSERT_EQ(ref.blockId | ref.offset | ref.length, 0);
                model.release(live[k]);
                live.erase(live.begin() + static_cast<long>(k));
            }
            ASSERT_TRUE(library_blocks(root) == model.blocks) << "step " << step;
        }
        if (model.locked) OffsetUnLockMemory(&root);
        OffsetDisposeMemory(&root);
    }
}

}  // namespace
