// Internal helpers of the memory layer for the other subsystems.
#ifndef VRELO_PLATFORM_MEMORY_HPP
#define VRELO_PLATFORM_MEMORY_HPP

#include <stddef.h>

#include "platform/records.hpp"

namespace vrelo {

// Sets count bytes to zero (the one wrapper of memset).
void clear_bytes(void* destination, size_t count);

// Reads a handle's block as a record of type T (the "locked" pointer).
template <typename T>
T* handle_target(const PtrHandle& handle) {
    return static_cast<T*>(handle.pointer);
}

}  // namespace vrelo

#endif
