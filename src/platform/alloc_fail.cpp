// The allocation-failure switch of the memory layer (test archive only).
#include "platform/alloc_fail.hpp"

namespace vrelo {
namespace {
int64_t allocations_made = 0;
int64_t failing_allocation = 0;  // absolute count; 0 = disarmed
int64_t blocks_live = 0;
}  // namespace

void fail_allocation_after(int64_t n) {
    failing_allocation = n > 0 ? allocations_made + n : 0;
}

bool allocation_failure_armed() {
    return failing_allocation != 0;
}

int64_t allocation_count() {
    return allocations_made;
}

int64_t live_allocations() {
    return blocks_live;
}

bool allocation_should_fail() {
    ++allocations_made;
    if (failing_allocation != 0 && allocations_made == failing_allocation) {
        failing_allocation = 0;
        return true;
    }
    return false;
}

void note_block_made() {
    ++blocks_live;
}

void note_block_released() {
    --blocks_live;
}

}  // namespace vrelo
