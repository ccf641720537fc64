// The offset allocator: byte ranges handed out first-fit from the block
// list, named by {block id, offset, length}. Allocation and address lookup
// need the root locked (cached pointers set); release needs it unlocked.
#include "offsetmem/offset_alloc.hpp"

#include "offsetmem/block_list.hpp"
#include "platform/memory.hpp"

namespace {

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

void insert_slot(OffsetBlock* block, int32_t index, int32_t offset,
                 int32_t size) {
    for (int32_t i = block->slotCount; i > index; --i)
        block->slots[i] = block->slots[i - 1];
    block->slots[index] = OffsetSlot{offset, size};
    ++block->slotCount;
}

// Start of the free gap in front of slot index, and its end behind it.
int32_t gap_start(const OffsetBlock* block, int32_t index) {
    if (index == 0) return 0;
    return block->slots[index - 1].offset + block->slots[index - 1].length;
}

int32_t gap_end(const OffsetBlock* block, int32_t index) {
    return index + 1 < block->slotCount ? block->slots[index + 1].offset
                                        : kRangeLimit;
}

void remove_slot(OffsetBlock* block, int32_t index) {
    // The released range joins the gaps on either side of it.
    const int32_t merged = gap_end(block, index) - gap_start(block, index);
    if (merged > block->gapBound) block->gapBound = merged;
    for (int32_t i = index; i + 1 < block->slotCount; ++i)
        block->slots[i] = block->slots[i + 1];
    --block->slotCount;
    block->slots[block->slotCount] = OffsetSlot{0, 0};
}

// First fit inside one block: before the first range, between ranges, or
// behind the last one. Returns the offset placed at, or -1. A block whose
// gaps are known to be smaller than size is passed over without a scan.
int32_t place_in_block(OffsetBlock* block, int32_t size) {
    const int32_t count = block->slotCount;
    if (count == 0 || count >= VRELO_OFFSET_BLOCK_SLOTS || block->gapBound < size)
        return -1;
    const OffsetSlot* slots = block->slots;
    if (slots[0].offset != 0 && slots[0].offset >= size) {
        insert_slot(block, 0, 0, size);
        return 0;
    }
    int32_t widest = slots[0].offset;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t end = slots[i].offset + slots[i].length;
        const int32_t room =
            (i + 1 < count ? slots[i + 1].offset : kRangeLimit) - end;
        if (room >= size) {
            insert_slot(block, i + 1, end, size);
            return end;
        }
        if (room > widest) widest = room;
    }
    // Every gap was seen: the widest is exact now, and placing ranges only
    // shrinks gaps, so it stays a bound until a release.
    block->gapBound = widest;
    return -1;
}

bool id_in_use(const OffsetMemory* root, int16_t id) {
    for (const OffsetBlock* b = root->firstPtr; b != nullptr; b = b->nextPtr)
        if (b->blockId == id) return true;
    return false;
}

// Advances the block counter to the next id that is neither 0 nor carried
// by a block still in the list, so a reference never names two blocks.
bool advance_block_counter(OffsetMemory* root) {
    for (int32_t tries = 0; tries < 65536; ++tries) {
        root->blockCounter = static_cast<int16_t>(root->blockCounter + 1);
        if (root->blockCounter != 0 && !id_in_use(root, root->blockCounter))
            return true;
    }
    return false;
}

// Locking fills every cached pointer of a block from its handle.
void cache_links(OffsetBlock* block) {
    block->dataPtr = vrelo::handle_target<uint8_t>(block->dataHandle);
    block->nextPtr = vrelo::handle_target<OffsetBlock>(block->nextHandle);
    block->prevPtr = vrelo::handle_target<OffsetBlock>(block->prevHandle);
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
int32_t make_block(const OffsetMemory& root, PtrHandle* spare,
                   PtrHandle* handle, OffsetBlock** block) {
    if (spare == nullptr || MyNullPHCheck(spare))
        return newlist(handle, block, root.blockCounter);
    *handle = *spare;
    *spare = kNullHandle;
    *block = vrelo::start_block(*handle, root.blockCounter);
    return VRELO_OK;
}

// The block's last range is gone, and the block with it: unlinked, then
// kept as the spare when there is none yet, else freed.
int32_t retire_block(PtrHandle* handle, PtrHandle* spare) {
    PtrHandle removed;
    if (vrelo::failed(vrelo::unlink_block(handle, &removed))) return VRELO_FAILED;
    if (spare == nullptr || !MyNullPHCheck(spare)) {
        vrelo::free_block(&removed);
        return VRELO_OK;
    }
    vrelo::handle_target<OffsetBlock>(removed)->slots[0] = OffsetSlot{0, 0};
    *spare = removed;
    return VRELO_OK;
}

}  // namespace

namespace vrelo {

int32_t allocate_range(OffsetMemory* root, OffsetInfo* ref, int32_t size,
                       PtrHandle* spare, uint8_t** data) {
    if (null_root_or_state(root, 1) || ref == nullptr) return VRELO_FAILED;
    if (size < 1 || size > kRangeLimit) return VRELO_FAILED;

    PtrHandle* lastHandle = nullptr;
    OffsetBlock* last = nullptr;
    PtrHandle* handle = &root->firstHandle;
    for (OffsetBlock* block = root->firstPtr; block != nullptr;
         block = block->nextPtr) {
        const int32_t offset = place_in_block(block, size);
        if (offset >= 0) {
            *ref = OffsetInfo{block->blockId, offset, size};
            if (data != nullptr) *data = block->dataPtr + offset;
            return VRELO_OK;
        }
        lastHandle = handle;
        last = block;
        handle = &block->nextHandle;
    }

    if (!advance_block_counter(root)) return VRELO_FAILED;
    PtrHandle createdHandle;
    OffsetBlock* created;
    if (vrelo::failed(make_block(*root, spare, &createdHandle, &created)))
        return VRELO_FAILED;
    created->slots[0] = OffsetSlot{0, size};
    created->slotCount = 1;
    if (last == nullptr) {
        root->firstHandle = createdHandle;
        root->firstPtr = created;
    } else if (vrelo::failed(appendlist(lastHandle, last, &createdHandle, created))) {
        return VRELO_FAILED;
    }
    *ref = OffsetInfo{root->blockCounter, 0, size};
    if (data != nullptr) *data = created->dataPtr;
    return VRELO_OK;
}

}  // namespace vrelo

VRELO_API int32_t OffsetNewID(OffsetMemory* root, OffsetInfo* ref,
                              int32_t size) {
    return vrelo::allocate_range(root, ref, size, nullptr, nullptr);
}

VRELO_API uint8_t* OffsetNewPtr(OffsetMemory* root, const OffsetInfo* ref) {
    if (null_root_or_state(root, 1) || ref == nullptr) return nullptr;
    for (OffsetBlock* block = root->firstPtr; block != nullptr;
         block = block->nextPtr) {
        if (block->blockId != ref->blockId) continue;
        if (find_slot(block, ref->offset) >= 0 && block->dataPtr != nullptr)
            return block->dataPtr + ref->offset;
    }
    return nullptr;
}

namespace vrelo {

int32_t release_range(OffsetMemory* root, OffsetInfo* ref, PtrHandle* spare) {
    if (root == nullptr || ref == nullptr || root->lockFlag == 1)
        return VRELO_FAILED;
    // Unlocked, the list is followed through the handles; a handle without
    // a pointer ends it.
    PtrHandle* handle = &root->firstHandle;
    for (OffsetBlock* block; (block = handle_target<OffsetBlock>(*handle)) != nullptr;) {
        const int32_t index = block->blockId == ref->blockId
                                  ? find_slot(block, ref->offset)
                                  : -1;
        if (index >= 0 && block->slots[index].length == ref->length) {
            if (block->slotCount > 1) {
                remove_slot(block, index);
                break;
            }
            // The block's last range: the block goes with it.
            PtrHandle released = *handle;
            const bool wasFirst = handle == &root->firstHandle;
            if (failed(retire_block(&released, spare))) return VRELO_FAILED;
            if (wasFirst) root->firstHandle = released;
            break;
        }
        handle = &block->nextHandle;
    }
    *ref = kNullInfo;
    return VRELO_OK;
}

void release_spare(PtrHandle* spare) {
    if (spare != nullptr && !MyNullPHCheck(spare)) free_block(spare);
}

int32_t release_all_ranges(OffsetMemory* root, PtrHandle* spare) {
    release_spare(spare);
    if (root == nullptr) return VRELO_OK;
    clear_cached_links(root);
    while (!MyNullPHCheck(&root->firstHandle)) {
        PtrHandle first = root->firstHandle;
        if (vrelo::failed(disposelist(&first))) return VRELO_FAILED;
        root->firstHandle = first;
    }
    return VRELO_OK;
}

}  // namespace vrelo

VRELO_API int32_t OffsetDisposeID(OffsetMemory* root, OffsetInfo* ref) {
    return vrelo::release_range(root, ref, nullptr);
}

VRELO_API int32_t OffsetDisposeMemory(OffsetMemory* root) {
    return vrelo::release_all_ranges(root, nullptr);
}
