// A heap block of exactly the bytes a call may read, so AddressSanitizer
// reports any access past its end; the bytes at its front that the call
// must never read are poisoned as well. Without AddressSanitizer it is a
// plain block.
#ifndef VRELO_FUZZ_GUARDED_BUFFER_HPP
#define VRELO_FUZZ_GUARDED_BUFFER_HPP

#include <sanitizer/asan_interface.h>
#include <stddef.h>
#include <stdint.h>

namespace vrelo_fuzz {

class GuardedBuffer {
  public:
    GuardedBuffer(size_t size, size_t unreadable)
        : bytes_(new uint8_t[size]()), unreadable_(unreadable < size ? unreadable : size) {
        ASAN_POISON_MEMORY_REGION(bytes_, unreadable_);
    }
    ~GuardedBuffer() {
        ASAN_UNPOISON_MEMORY_REGION(bytes_, unreadable_);
        delete[] bytes_;
    }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    uint8_t* data() { return bytes_; }

  private:
    uint8_t* bytes_;
    size_t unreadable_;
};

}  // namespace vrelo_fuzz

#endif
