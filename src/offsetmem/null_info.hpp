// The null reference, copied over a reference or slot to empty it; shared by
// every subsystem that stores sub-allocator references.
#ifndef VRELO_OFFSETMEM_NULL_INFO_HPP
#define VRELO_OFFSETMEM_NULL_INFO_HPP

#include "vrelo417.h"

namespace vrelo {

inline constexpr OffsetInfo kNullInfo = {0, 0, 0};

}  // namespace vrelo

#endif
