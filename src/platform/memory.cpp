// Zero-filled memory blocks and handles: the only place that calls malloc,
// free and memset. Every block the library uses comes from here.
#include <stdlib.h>
#include <string.h>

#include "platform/memory.hpp"

#ifdef VRELO_ALLOCATION_SWITCH
#include "platform/alloc_fail.hpp"
#else
namespace vrelo {
namespace {
// The product has no test switch: nothing is counted, nothing made to fail,
// and two jobs on two threads share no state here.
constexpr bool allocation_should_fail() {
    return false;
}
void note_block_made() {}
void note_block_released() {}
}  // namespace
}  // namespace vrelo
#endif

using vrelo::kNullHandle;

namespace vrelo {
void clear_bytes(void* destination, size_t count) {
    memset(destination, 0, count);
}
}  // namespace vrelo

VRELO_API void* MyNewPtr(int32_t size) {
    // Sizes are signed: a negative size is an allocation failure, never a
    // huge unsigned request.
    if (size < 0 || vrelo::allocation_should_fail()) return nullptr;
    void* block = malloc(static_cast<size_t>(size));
    if (block == nullptr) return nullptr;
    memset(block, 0, static_cast<size_t>(size));
    vrelo::note_block_made();
    return block;
}

VRELO_API void MyDisposePtr(void* block) {
    if (block == nullptr) return;
    vrelo::note_block_released();
    free(block);
}

VRELO_API int32_t MyNewPH(int32_t size, PtrHandle* handle) {
    if (handle == nullptr) return VRELO_FAILED;
    *handle = kNullHandle;
    handle->pointer = MyNewPtr(size);
    if (handle->pointer == nullptr) return VRELO_FAILED;
    handle->state = 0;
    return VRELO_OK;
}

VRELO_API void MyDisposePH(PtrHandle* handle) {
    if (handle == nullptr) return;
    MyDisposePtr(handle->pointer);
    *handle = kNullHandle;
}

VRELO_API int32_t MyNullPHCheck(const PtrHandle* handle) {
    if (handle == nullptr) return 1;
    return handle->pointer == nullptr && handle->reserved == 0 && handle->state == 0;
}

VRELO_API void* MyNewMasterWorkPtr(int32_t size) {
    // The block starts with the handle that owns it, so it must hold one.
    if (size < static_cast<int32_t>(sizeof(PtrHandle))) return nullptr;
    PtrHandle handle;
    if (vrelo::failed(MyNewPH(size, &handle))) return nullptr;
    *static_cast<PtrHandle*>(handle.pointer) = handle;
    return handle.pointer;
}

VRELO_API void MyDisposeMasterWorkPtr(void* block) {
    if (block == nullptr) return;
    PtrHandle handle = *static_cast<PtrHandle*>(block);
    MyDisposePH(&handle);
}
