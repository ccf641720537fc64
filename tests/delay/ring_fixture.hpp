// Test helpers for the delay lines: a store whose every slot holds a
// reference naming that slot, and the layout written out by hand, so tests
// can tell which slot an accessor touched without trusting the library's
// own arithmetic.
#ifndef VRELO_TEST_RING_FIXTURE_HPP
#define VRELO_TEST_RING_FIXTURE_HPP

#include <cstdint>
#include <cstring>
#include <memory>

#include "vrelo417.h"

namespace delay_test {

constexpr int kSlots = RING_OUTBUF_SLOTS + VRELO_COLOURS + 1;  // + spare
constexpr int kTempSlot = RING_OUTBUF_SLOTS;                   // of colour 0
constexpr int kDelay[VRELO_COLOURS] = {0, 336, 224, 112, 224, 112};
constexpr int kSize[VRELO_COLOURS] = {1, 512, 256, 128, 256, 128};
constexpr int kFirst[VRELO_COLOURS] = {0, 1, 513, 769, 897, 1153};

// The slot named by its number: Outbuf, then TempBuf, then the spare slot.
inline OffsetInfo& slot(RingBuf& ring, int n) {
    if (n < RING_OUTBUF_SLOTS) return ring.Outbuf[n];
    if (n < kTempSlot + VRELO_COLOURS) return ring.TempBuf[n - kTempSlot];
    return ring.spare;
}

// Distinct, never null, and decodable back to the slot number.
inline OffsetInfo tag(int n) {
    return {n + 1, 7 * n + 3, n + 100};
}

// The slot a tag names, or -1 for anything that is not a tag.
inline int slot_of(const OffsetInfo& ref) {
    const int n = ref.blockId - 1;
    if (n < 0 || n >= kSlots) return -1;
    const OffsetInfo t = tag(n);
    return ref.offset == t.offset && ref.length == t.length ? n : -1;
}

inline bool is_null(const OffsetInfo& ref) {
    return ref.blockId == 0 && ref.offset == 0 && ref.length == 0;
}

// The true remainder, in 64 bits: what a ring index must be.
inline int model_index(int64_t pointer, int size) {
    const int64_t r = pointer % size;
    return static_cast<int>(r < 0 ? r + size : r);
}

// A heap store (it is 15 KiB) with every slot tagged and the pointers as
// a fresh page leaves them.
inline std::unique_ptr<RingBuf> tagged_ring() {
    auto ring = std::make_unique<RingBuf>();
    for (int n = 0; n < kSlots; ++n) slot(*ring, n) = tag(n);
    ring->RPointer = 0;
    for (int c = 0; c < VRELO_COLOURS; ++c) ring->WPointer[c] = kDelay[c];
    return ring;
}

inline bool same_store(const RingBuf& a, const RingBuf& b) {
    return std::memcmp(&a, &b, sizeof(RingBuf)) == 0;
}

}  // namespace delay_test

#endif
