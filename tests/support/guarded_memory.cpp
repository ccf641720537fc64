#include "guarded_memory.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace vrelo_test {

GuardedMemory::GuardedMemory(size_t capacity) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t usable = (capacity + page - 1) / page * page;
    mapped_ = page + usable + page;
    void* mapping =
        mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) std::abort();
    mapping_ = static_cast<uint8_t*>(mapping);
    front_ = mapping_ + page;
    guard_ = front_ + usable;
    if (mprotect(mapping_, page, PROT_NONE) != 0 || mprotect(guard_, page, PROT_NONE) != 0)
        std::abort();
}

GuardedMemory::~GuardedMemory() {
    munmap(mapping_, mapped_);
}

const uint8_t* GuardedMemory::place(const Bytes& bytes) {
    uint8_t* at = last(bytes.size());
    if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
    return at;
}

}  // namespace vrelo_test
