// What every layer shares of the platform: the all-zero records copied over
// a handle or a reference to reset it, and the one test of what a failed
// status is.
#ifndef VRELO_PLATFORM_RECORDS_HPP
#define VRELO_PLATFORM_RECORDS_HPP

#include "vrelo417.h"

namespace vrelo {

inline constexpr PtrHandle kNullHandle = {nullptr, 0, 0};
inline constexpr OffsetInfo kNullInfo = {0, 0, 0};

// The null reference names no range; neither does a missing one.
inline bool is_null_info(const OffsetInfo* info) {
    return info == nullptr || (info->blockId == 0 && info->offset == 0 && info->length == 0);
}

// Every building block answers a 16-bit status widened with its sign, and
// fails exactly when that status is negative.
inline bool failed(int32_t status) {
    return static_cast<int16_t>(status) < 0;
}

}  // namespace vrelo

#endif
