// The list of 64 KiB data blocks behind a sub-allocator. Each link exists
// as a handle (lasting) and as a cached pointer (valid while locked).
#include "platform/memory.hpp"

using vrelo::kNullHandle;

VRELO_API int32_t newlist(PtrHandle* handle, OffsetBlock** block, int32_t id) {
    if (handle == nullptr || block == nullptr) return VRELO_FAILED;
    PtrHandle header;
    if (vrelo::failed(MyNewPH(sizeof(OffsetBlock), &header))) return VRELO_FAILED;
    OffsetBlock* created = vrelo::handle_target<OffsetBlock>(header);
    // The header comes zero-filled: every slot is {0, 0}, every handle null
    // and every cached pointer NULL already.
    created->blockId = static_cast<int16_t>(id);
    created->gapBound = VRELO_OFFSET_BLOCK_BYTES;  // nothing known yet
    if (vrelo::failed(MyNewPH(VRELO_OFFSET_BLOCK_BYTES, &created->dataHandle))) {
        MyDisposePH(&header);
        return VRELO_FAILED;
    }
    // Blocks are created while the allocator is locked, so the data pointer
    // starts cached.
    created->dataPtr = vrelo::handle_target<uint8_t>(created->dataHandle);
    *handle = header;
    *block = created;
    return VRELO_OK;
}

VRELO_API int32_t appendlist(PtrHandle* afterHandle, OffsetBlock* after,
                             PtrHandle* newHandle, OffsetBlock* added) {
    if (after == nullptr || added == nullptr || afterHandle == nullptr ||
        newHandle == nullptr)
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
    PtrHandle removed = *handle;
    OffsetBlock* block = vrelo::handle_target<OffsetBlock>(removed);
    MyDisposePH(&block->dataHandle);

    // Only the neighbours' handles are rewritten: this runs while unlocked,
    // and the next lock rebuilds the cached pointers from the handles.
    OffsetBlock* previous = vrelo::handle_target<OffsetBlock>(block->prevHandle);
    OffsetBlock* following = vrelo::handle_target<OffsetBlock>(block->nextHandle);
    if (previous != nullptr) previous->nextHandle = block->nextHandle;
    if (following != nullptr) following->prevHandle = block->prevHandle;

    int32_t code;
    if (previous != nullptr && following != nullptr) {
        code = VRELO_LIST_MIDDLE;
    } else if (following != nullptr) {
        code = VRELO_LIST_FIRST;
    } else if (previous != nullptr) {
        code = VRELO_LIST_LAST;
    } else {
        code = VRELO_LIST_ONLY;
    }
    *handle = following != nullptr ? block->nextHandle : kNullHandle;
    MyDisposePH(&removed);
    return code;
}
