// The list of 64 KiB data blocks behind a sub-allocator. Each link exists
// as a handle (lasting) and as a cached pointer (valid while locked).
#include "offsetmem/block_list.hpp"

#include "platform/memory.hpp"

using vrelo::kNullHandle;

namespace vrelo {

// Every field but the slots, which are {0, 0} in a new block and in one
// whose last range was released.
OffsetBlock* start_block(const PtrHandle& header, int32_t id) {
    OffsetBlock* block = handle_target<OffsetBlock>(header);
    block->blockId = static_cast<int16_t>(id);
    block->slotCount = 0;
    block->nextHandle = kNullHandle;
    block->prevHandle = kNullHandle;
    block->nextPtr = nullptr;
    block->prevPtr = nullptr;
    block->gapBound = VRELO_OFFSET_BLOCK_BYTES;  // nothing known yet
    // Blocks are created while the allocator is locked, so the data pointer
    // starts cached.
    block->dataPtr = handle_target<uint8_t>(block->dataHandle);
    return block;
}

void free_block(PtrHandle* block) {
    MyDisposePH(&handle_target<OffsetBlock>(*block)->dataHandle);
    MyDisposePH(block);
}

int32_t unlink_block(PtrHandle* handle, PtrHandle* removed) {
    *removed = *handle;
    OffsetBlock* block = handle_target<OffsetBlock>(*removed);
    // Only the neighbours' handles are rewritten: this runs while unlocked,
    // and the next lock rebuilds the cached pointers from the handles.
    OffsetBlock* previous = handle_target<OffsetBlock>(block->prevHandle);
    OffsetBlock* following = handle_target<OffsetBlock>(block->nextHandle);
    if (previous != nullptr) previous->nextHandle = block->nextHandle;
    if (following != nullptr) following->prevHandle = block->prevHandle;
    *handle = following != nullptr ? block->nextHandle : kNullHandle;
    if (previous != nullptr && following != nullptr) return VRELO_LIST_MIDDLE;
    if (following != nullptr) return VRELO_LIST_FIRST;
    return previous != nullptr ? VRELO_LIST_LAST : VRELO_LIST_ONLY;
}

}  // namespace vrelo

VRELO_API int32_t newlist(PtrHandle* handle, OffsetBlock** block, int32_t id) {
    if (handle == nullptr || block == nullptr) return VRELO_FAILED;
    PtrHandle header;
    if (vrelo::failed(MyNewPH(sizeof(OffsetBlock), &header))) return VRELO_FAILED;
    // The header comes zero-filled: every slot is {0, 0}.
    OffsetBlock* created = vrelo::handle_target<OffsetBlock>(header);
    if (vrelo::failed(MyNewPH(VRELO_OFFSET_BLOCK_BYTES, &created->dataHandle))) {
        MyDisposePH(&header);
        return VRELO_FAILED;
    }
    *handle = header;
    *block = vrelo::start_block(header, id);
    return VRELO_OK;
}

VRELO_API int32_t appendlist(PtrHandle* afterHandle, OffsetBlock* after, PtrHandle* newHandle,
                             OffsetBlock* added) {
    if (after == nullptr || added == nullptr || afterHandle == nullptr || newHandle == nullptr)
        return VRELO_FAILED;
    added->prevHandle = *afterHandle;
    added->prevPtr = after;
    added->nextHandle = after->nextHandle;
    added->nextPtr = after->nextPtr;
    if (after->nextPtr != nullptr) {
        after->nextPtr->prevPtr = added;
        after->nextPtr->prevHandle = *newHandle;
    }
    after->nextHandle = *newHandle;
    after->nextPtr = added;
    return VRELO_OK;
}

VRELO_API int32_t disposelist(PtrHandle* handle) {
    if (handle == nullptr) return VRELO_FAILED;
    if (MyNullPHCheck(handle) || handle->pointer == nullptr) {
        *handle = kNullHandle;
        return VRELO_FAILED;
    }
    PtrHandle removed;
    const int32_t code = vrelo::unlink_block(handle, &removed);
    vrelo::free_block(&removed);
    return code;
}
