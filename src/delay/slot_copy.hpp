// Copying references between a slot found by ring_slot and the caller, with
// the failure rules every accessor shares: a missing slot (bad colour,
// missing store) or a missing caller reference fails, nothing in the store
// changes, and a reader's out-reference is emptied.
#ifndef VRELO_DELAY_SLOT_COPY_HPP
#define VRELO_DELAY_SLOT_COPY_HPP

#include "delay/ring_slot.hpp"

namespace vrelo {

// ref = *slot; without a slot, ref = the null reference.
inline int32_t copy_from_slot(const OffsetInfo* slot, OffsetInfo* ref) {
    if (ref == nullptr) return VRELO_FAILED;
    *ref = slot != nullptr ? *slot : kNullInfo;
    return slot != nullptr ? VRELO_OK : VRELO_FAILED;
}

// *slot = ref; without a slot the caller's reference is left as it is.
inline int32_t copy_into_slot(OffsetInfo* slot, const OffsetInfo* ref) {
    if (slot == nullptr || ref == nullptr) return VRELO_FAILED;
    *slot = *ref;
    return VRELO_OK;
}

// As copy_into_slot, but a refused store also empties the caller's
// reference, so a host cannot mistake it for a stored row.
inline int32_t copy_into_slot_or_clear(OffsetInfo* slot, OffsetInfo* ref) {
    if (slot == nullptr && ref != nullptr) *ref = kNullInfo;
    return copy_into_slot(slot, ref);
}

inline int32_t length_in_slot(const OffsetInfo* slot) {
    return slot != nullptr ? slot->length : 0;
}

}  // namespace vrelo

#endif
