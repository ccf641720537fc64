// The offset allocator: byte ranges handed out first-fit from the block
// list, named by {block id, offset, length}. Allocation and address lookup
// need the root locked (cached pointers set); release needs it unlocked.
#include "offsetmem/offset_alloc.hpp"

#include <string.h>

#include "offsetmem/block_list.hpp"
#include "platform/memory.hpp"

namespace {

using vrelo::BlockShelf;
using vrelo::GapHint;
using vrelo::kNullHandle;
using vrelo::kNullInfo;

// Byte 65535 of a data area is never handed out.
const int32_t kRangeLimit = VRELO_OFFSET_BLOCK_BYTES - 1;

bool null_root_or_state(const OffsetMemory* root, int16_t required) {
    return root == nullptr || root->lockFlag != required;
}

// Index of the used slot starting at offset, or -1. Slots are sorted by
// offset and never overlap, so offsets are unique within a block.
int32_t find_slot(const OffsetBlock* block, int32_t offset) {
    int32_t low = 0;
    int32_t high = block->slotCount - 1;
    while (low <= high) {
        int32_t middle = low + (high - low) / 2;
        int32_t at = block->slots[middle].offset;
        if (at == offset) return middle;
        if (at < offset) {
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return -1;
}

void insert_slot(OffsetBlock* block, int32_t index, int32_t offset, int32_t size) {
    memmove(&block->slots[index + 1], &block->slots[index],
            static_cast<size_t>(block->slotCount - index) * sizeof(OffsetSlot));
    block->slots[index] = OffsetSlot{offset, size};
    ++block->slotCount;
}

// Start of the free gap in front of slot index, and its end behind it.
int32_t gap_start(const OffsetBlock* block, int32_t index) {
    if (index == 0) return 0;
    return block->slots[index - 1].offset + block->slots[index - 1].length;
}

int32_t gap_end(const OffsetBlock* block, int32_t index) {
    return index + 1 < block->slotCount ? block->slots[index + 1].offset : kRangeLimit;
}

// The released range joins the gaps on either side of it into the gap in
// front of the slot: a hint past that gap no longer holds.
void remove_slot(OffsetBlock* block, int32_t index, GapHint* hint) {
    const int32_t merged = gap_end(block, index) - gap_start(block, index);
    if (merged > block->gapBound) block->gapBound = merged;
    memmove(&block->slots[index], &block->slots[index + 1],
            static_cast<size_t>(block->slotCount - index - 1) * sizeof(OffsetSlot));
    --block->slotCount;
    block->slots[block->slotCount] = OffsetSlot{0, 0};
    if (hint != nullptr && index < hint->gap) hint->gap = static_cast<uint16_t>(index);
}

// First fit inside one block: in the first gap, in slot order, before the
// first range, between ranges or behind the last one, that holds size
// bytes. Returns the offset placed at, or -1. A block whose gaps are known
// to be smaller than size is passed over without a search, and a hint lets
// the search start past gaps known to be too small. The range placed
// splits its gap, which keeps every gap before it as it was, so the hint
// then names its gap.
int32_t place_in_block(OffsetBlock* block, int32_t size, GapHint* hint) {
    const int32_t count = block->slotCount;
    if (count == 0 || count >= VRELO_OFFSET_BLOCK_SLOTS || block->gapBound < size) return -1;
    const bool skip = hint != nullptr && size > hint->widest;
    int32_t gap = skip ? hint->gap : 0;
    int32_t widest = skip ? hint->widest : 0;  // of the gaps before `gap`
    for (int32_t start = gap_start(block, gap); gap <= count; ++gap) {
        const int32_t end = gap < count ? block->slots[gap].offset : kRangeLimit;
        const int32_t room = end - start;
        if (room >= size) {
            insert_slot(block, gap, start, size);
            if (hint != nullptr)
                *hint = GapHint{static_cast<uint16_t>(gap), static_cast<uint16_t>(widest)};
            return start;
        }
        if (room > widest) widest = room;
        if (gap < count) start = end + block->slots[gap].length;
    }
    // Every gap was seen or known: no gap is wider, and placing ranges only
    // shrinks gaps, so it stays a bound until a release.
    block->gapBound = widest;
    return -1;
}

bool indexed(const BlockShelf* shelf) {
    return shelf != nullptr && shelf->count != vrelo::kIndexDropped;
}

// Calls visit(block) for the blocks in list order until it answers true:
// through the index when it holds them all, passing over blocks of other
// ids than `id` (any id when it is kAnyId) and without room for size
// bytes, else along the list's handles, which hold whether the root is
// locked or not. Returns the block it stopped at, or nullptr.
const int32_t kAnyId = 1 << 16;

template <typename Visit>
OffsetBlock* find_block(const OffsetMemory* root, const BlockShelf* shelf, int32_t id, int32_t size,
                        Visit visit) {
    if (indexed(shelf)) {
        for (int32_t i = 0; i < shelf->count; ++i) {
            if ((id != kAnyId && shelf->id[i] != id) || shelf->room[i] < size) continue;
            if (visit(shelf->block[i], i)) return shelf->block[i];
        }
        return nullptr;
    }
    for (OffsetBlock* b = vrelo::handle_target<OffsetBlock>(root->firstHandle); b != nullptr;
         b = vrelo::handle_target<OffsetBlock>(b->nextHandle))
        if ((id == kAnyId || b->blockId == id) && visit(b, -1)) return b;
    return nullptr;
}

// The room the index keeps for a block: none once its slots are used up,
// and no range is longer than kRangeLimit.
uint16_t room_of(const OffsetBlock* block) {
    if (block->slotCount >= VRELO_OFFSET_BLOCK_SLOTS) return 0;
    return static_cast<uint16_t>(block->gapBound < kRangeLimit ? block->gapBound : kRangeLimit);
}

GapHint* hint_at(BlockShelf* shelf, int32_t position) {
    return position >= 0 && indexed(shelf) ? &shelf->hint[position] : nullptr;
}

void note_room(BlockShelf* shelf, int32_t position, const OffsetBlock* block) {
    if (position >= 0 && indexed(shelf)) shelf->room[position] = room_of(block);
}

// The first block with the reference's id and a used slot at its offset
// (of its length too, when withLength), that slot's index and the block's
// index position (-1 outside the index). Ids are unique in an indexed list.
OffsetBlock* block_of_range(const OffsetMemory* root, BlockShelf* shelf, const OffsetInfo& ref,
                            bool withLength, int32_t* slot, int32_t* position) {
    auto holds = [&](const OffsetBlock* b) {
        *slot = find_slot(b, ref.offset);
        return *slot >= 0 && (!withLength || b->slots[*slot].length == ref.length);
    };
    *position = -1;
    if (indexed(shelf)) {
        uint8_t& recent = shelf->recent[ref.blockId & (vrelo::kRecentIds - 1)];
        int32_t at = recent;
        if (at >= shelf->count || shelf->id[at] != ref.blockId) {
            for (at = 0; at < shelf->count && shelf->id[at] != ref.blockId;) ++at;
            if (at == shelf->count) return nullptr;
            recent = static_cast<uint8_t>(at);
        }
        if (!holds(shelf->block[at])) return nullptr;
        *position = at;
        return shelf->block[at];
    }
    return find_block(root, shelf, ref.blockId, 0,
                      [&](const OffsetBlock* b, int32_t) { return holds(b); });
}

bool id_in_use(const OffsetMemory* root, const BlockShelf* shelf, int16_t id) {
    return find_block(root, shelf, id, 0, [](const OffsetBlock*, int32_t) { return true; }) !=
           nullptr;
}

// Advances the block counter to the next id that is neither 0 nor carried
// by a block still in the list, so a reference never names two blocks.
bool advance_block_counter(OffsetMemory* root, const BlockShelf* shelf) {
    for (int32_t tries = 0; tries < 65536; ++tries) {
        root->blockCounter = static_cast<int16_t>(root->blockCounter + 1);
        if (root->blockCounter != 0 && !id_in_use(root, shelf, root->blockCounter)) return true;
    }
    return false;
}

// The handle that names the block: the root's first handle, or the next
// handle of the block before it. Handles are lasting, so this holds
// whether the root is locked or not.
PtrHandle* handle_of(OffsetMemory* root, const OffsetBlock* block) {
    OffsetBlock* previous = vrelo::handle_target<OffsetBlock>(block->prevHandle);
    return previous == nullptr ? &root->firstHandle : &previous->nextHandle;
}

// Locking fills every cached pointer of a block from its handle.
void cache_links(OffsetBlock* block) {
    block->dataPtr = vrelo::handle_target<uint8_t>(block->dataHandle);
    block->nextPtr = vrelo::handle_target<OffsetBlock>(block->nextHandle);
    block->prevPtr = vrelo::handle_target<OffsetBlock>(block->prevHandle);
}

// Called while locked. Once the index is dropped the list's cached links
// are followed again: they are made exact now, as a full lock makes them.
void index_block(OffsetMemory* root, BlockShelf* shelf, OffsetBlock* block) {
    if (!indexed(shelf)) return;
    if (shelf->count == vrelo::kIndexedBlocks) {
        shelf->count = vrelo::kIndexDropped;
        root->firstPtr = vrelo::handle_target<OffsetBlock>(root->firstHandle);
        for (OffsetBlock* b = root->firstPtr; b != nullptr; b = b->nextPtr) cache_links(b);
        return;
    }
    shelf->id[shelf->count] = block->blockId;
    shelf->room[shelf->count] = room_of(block);
    shelf->hint[shelf->count] = GapHint{0, 0};
    shelf->block[shelf->count] = block;
    ++shelf->count;
}

void unindex_block(BlockShelf* shelf, const OffsetBlock* block) {
    if (!indexed(shelf)) return;
    int32_t at = 0;
    while (at < shelf->count && shelf->block[at] != block) ++at;
    if (at == shelf->count) return;
    for (; at + 1 < shelf->count; ++at) {
        shelf->id[at] = shelf->id[at + 1];
        shelf->room[at] = shelf->room[at + 1];
        shelf->hint[at] = shelf->hint[at + 1];
        shelf->block[at] = shelf->block[at + 1];
    }
    --shelf->count;
}

// An empty list is indexed again from its next block on.
void restart_index(const OffsetMemory* root, BlockShelf* shelf) {
    if (shelf != nullptr && MyNullPHCheck(&root->firstHandle)) shelf->count = 0;
}

// Unlocking clears them all, the root's included, so no record a host can
// see keeps a pointer that is only valid while locked.
void clear_cached_links(OffsetMemory* root) {
    OffsetBlock* block = root->firstPtr;
    while (block != nullptr) {
        OffsetBlock* next = block->nextPtr;
        block->dataPtr = nullptr;
        block->nextPtr = nullptr;
        block->prevPtr = nullptr;
        block = next;
    }
    root->firstPtr = nullptr;
}

}  // namespace

VRELO_API void OffsetInitPara(OffsetMemory* root) {
    if (root == nullptr) return;
    root->firstHandle = kNullHandle;
    root->firstPtr = nullptr;
    root->blockCounter = 0;
    root->lockFlag = 0;
}

VRELO_API int32_t OffsetLockMemory(OffsetMemory* root) {
    if (null_root_or_state(root, 0)) return VRELO_FAILED;
    if (!MyNullPHCheck(&root->firstHandle) && root->firstPtr == nullptr)
        root->firstPtr = vrelo::handle_target<OffsetBlock>(root->firstHandle);
    const PtrHandle* handle = &root->firstHandle;
    OffsetBlock* block = root->firstPtr;
    while (!MyNullPHCheck(handle)) {
        if (block == nullptr) return VRELO_FAILED;
        cache_links(block);
        handle = &block->nextHandle;
        block = block->nextPtr;
    }
    root->lockFlag = 1;
    return VRELO_OK;
}

VRELO_API int32_t OffsetUnLockMemory(OffsetMemory* root) {
    if (null_root_or_state(root, 1)) return VRELO_FAILED;
    clear_cached_links(root);
    root->lockFlag = 0;
    return VRELO_OK;
}

namespace {

// A block for the id the counter now holds: the spare renewed, or a new one.
int32_t make_block(const OffsetMemory& root, BlockShelf* shelf, PtrHandle* handle,
                   OffsetBlock** block) {
    if (shelf == nullptr || MyNullPHCheck(&shelf->spare))
        return newlist(handle, block, root.blockCounter);
    *handle = shelf->spare;
    shelf->spare = kNullHandle;
    *block = vrelo::start_block(*handle, root.blockCounter);
    return VRELO_OK;
}

// The block's last range is gone, and the block with it: unlinked, then
// kept as the spare when there is none yet, else freed.
int32_t retire_block(PtrHandle* handle, BlockShelf* shelf) {
    PtrHandle removed;
    if (vrelo::failed(vrelo::unlink_block(handle, &removed))) return VRELO_FAILED;
    if (shelf == nullptr || !MyNullPHCheck(&shelf->spare)) {
        vrelo::free_block(&removed);
        return VRELO_OK;
    }
    vrelo::handle_target<OffsetBlock>(removed)->slots[0] = OffsetSlot{0, 0};
    shelf->spare = removed;
    return VRELO_OK;
}

// First fit over the blocks in list order.
OffsetBlock* place_first_fit(const OffsetMemory* root, BlockShelf* shelf, int32_t size,
                             OffsetInfo* ref, uint8_t** data) {
    return find_block(root, shelf, kAnyId, size, [&](OffsetBlock* block, int32_t at) {
        const int32_t offset = place_in_block(block, size, hint_at(shelf, at));
        note_room(shelf, at, block);
        if (offset < 0) return false;
        *ref = OffsetInfo{block->blockId, offset, size};
        if (data != nullptr) *data = block->dataPtr + offset;
        return true;
    });
}

// The list's last block, or nullptr for an empty list.
OffsetBlock* last_block(const OffsetMemory* root, const BlockShelf* shelf) {
    if (indexed(shelf)) return shelf->count > 0 ? shelf->block[shelf->count - 1] : nullptr;
    OffsetBlock* last = nullptr;
    find_block(root, shelf, kAnyId, 0, [&](OffsetBlock* b, int32_t) {
        last = b;
        return false;
    });
    return last;
}

}  // namespace

namespace vrelo {

int32_t allocate_range(OffsetMemory* root, OffsetInfo* ref, int32_t size, BlockShelf* shelf,
                       uint8_t** data) {
    if (null_root_or_state(root, 1) || ref == nullptr) return VRELO_FAILED;
    if (size < 1 || size > kRangeLimit) return VRELO_FAILED;
    if (place_first_fit(root, shelf, size, ref, data) != nullptr) return VRELO_OK;
    OffsetBlock* last = last_block(root, shelf);

    if (!advance_block_counter(root, shelf)) return VRELO_FAILED;
    PtrHandle createdHandle;
    OffsetBlock* created;
    if (vrelo::failed(make_block(*root, shelf, &createdHandle, &created))) return VRELO_FAILED;
    created->slots[0] = OffsetSlot{0, size};
    created->slotCount = 1;
    if (last == nullptr) {
        root->firstHandle = createdHandle;
        root->firstPtr = created;
    } else {
        // The last block has no follower, whatever a link cached earlier
        // says.
        last->nextPtr = nullptr;
        if (vrelo::failed(appendlist(handle_of(root, last), last, &createdHandle, created)))
            return VRELO_FAILED;
    }
    index_block(root, shelf, created);
    *ref = OffsetInfo{root->blockCounter, 0, size};
    if (data != nullptr) *data = created->dataPtr;
    return VRELO_OK;
}

uint8_t* range_address(OffsetMemory* root, const OffsetInfo* ref, BlockShelf* shelf) {
    if (null_root_or_state(root, 1) || ref == nullptr) return nullptr;
    int32_t slot, position;
    const OffsetBlock* block = block_of_range(root, shelf, *ref, false, &slot, &position);
    if (block == nullptr || block->dataPtr == nullptr) return nullptr;
    return block->dataPtr + ref->offset;
}

int32_t release_range(OffsetMemory* root, OffsetInfo* ref, BlockShelf* shelf) {
    if (root == nullptr || ref == nullptr || root->lockFlag == 1) return VRELO_FAILED;
    int32_t slot, position;
    OffsetBlock* block = block_of_range(root, shelf, *ref, true, &slot, &position);
    if (block != nullptr && block->slotCount > 1) {
        remove_slot(block, slot, hint_at(shelf, position));
        note_room(shelf, position, block);
    } else if (block != nullptr) {
        // The block's last range: the block goes with it.
        PtrHandle* handle = handle_of(root, block);
        PtrHandle released = *handle;
        const bool wasFirst = handle == &root->firstHandle;
        unindex_block(shelf, block);
        if (failed(retire_block(&released, shelf))) return VRELO_FAILED;
        if (wasFirst) root->firstHandle = released;
        restart_index(root, shelf);
    }
    *ref = kNullInfo;
    return VRELO_OK;
}

int32_t lock_ranges(OffsetMemory* root, BlockShelf* shelf) {
    if (!indexed(shelf)) return OffsetLockMemory(root);
    if (null_root_or_state(root, 0)) return VRELO_FAILED;
    root->firstPtr = handle_target<OffsetBlock>(root->firstHandle);
    root->lockFlag = 1;
    return VRELO_OK;
}

// The blocks' links cached earlier may name blocks released since; only
// the root's is cleared, and nothing follows the others until a full lock
// or the drop of the index makes them exact again.
int32_t unlock_ranges(OffsetMemory* root, BlockShelf* shelf) {
    if (!indexed(shelf)) return OffsetUnLockMemory(root);
    if (null_root_or_state(root, 1)) return VRELO_FAILED;
    root->firstPtr = nullptr;
    root->lockFlag = 0;
    return VRELO_OK;
}

void release_spare(BlockShelf* shelf) {
    if (shelf != nullptr && !MyNullPHCheck(&shelf->spare)) free_block(&shelf->spare);
}

int32_t release_all_ranges(OffsetMemory* root, BlockShelf* shelf) {
    release_spare(shelf);
    if (root == nullptr) return VRELO_OK;
    // Links cached by an indexed job are not followed: they may be stale.
    if (indexed(shelf)) {
        root->firstPtr = nullptr;
    } else {
        clear_cached_links(root);
    }
    while (!MyNullPHCheck(&root->firstHandle)) {
        PtrHandle first = root->firstHandle;
        if (vrelo::failed(disposelist(&first))) return VRELO_FAILED;
        root->firstHandle = first;
    }
    restart_index(root, shelf);
    return VRELO_OK;
}

}  // namespace vrelo

VRELO_API int32_t isNullInfo(const OffsetInfo* info) {
    return vrelo::is_null_info(info);
}

VRELO_API int32_t OffsetNewID(OffsetMemory* root, OffsetInfo* ref, int32_t size) {
    return vrelo::allocate_range(root, ref, size, nullptr, nullptr);
}

VRELO_API uint8_t* OffsetNewPtr(OffsetMemory* root, const OffsetInfo* ref) {
    return vrelo::range_address(root, ref, nullptr);
}

VRELO_API int32_t OffsetDisposeID(OffsetMemory* root, OffsetInfo* ref) {
    return vrelo::release_range(root, ref, nullptr);
}

VRELO_API int32_t OffsetDisposeMemory(OffsetMemory* root) {
    return vrelo::release_all_ranges(root, nullptr);
}
