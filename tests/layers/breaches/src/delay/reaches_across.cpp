// A delay file reaching across into the sub-allocator: refused.
#include "offsetmem/block_list.hpp"
#include "platform/records.hpp"
