// Memory between two inaccessible pages, so that a read or write one byte
// before or past what a test hands over faults at once, in every build (no
// sanitizer needed, and under the emulator too).
#ifndef VRELO_TEST_GUARDED_MEMORY_HPP
#define VRELO_TEST_GUARDED_MEMORY_HPP

#include <cstddef>
#include <cstdint>

#include "bytes.hpp"

namespace vrelo_test {

class GuardedMemory {
  public:
    // Room for up to capacity bytes between the guard pages.
    explicit GuardedMemory(size_t capacity);
    ~GuardedMemory();
    GuardedMemory(const GuardedMemory&) = delete;
    GuardedMemory& operator=(const GuardedMemory&) = delete;

    // The first byte after the front guard.
    uint8_t* first() { return front_; }
    // The last size bytes before the back guard.
    uint8_t* last(size_t size) { return guard_ - size; }
    // A copy of bytes ending right at the back guard.
    const uint8_t* place(const Bytes& bytes);

  private:
    uint8_t* mapping_;
    size_t mapped_;
    uint8_t* front_;
    uint8_t* guard_;
};

}  // namespace vrelo_test

#endif
