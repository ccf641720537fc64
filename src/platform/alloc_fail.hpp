// Test switch of the memory layer: makes one of its next allocations fail,
// so tests can walk every allocation-failure path, and counts the blocks
// it holds, so they can tell that a failure leaked nothing. Only the test
// archive's memory layer has it (built with VRELO_ALLOCATION_SWITCH); the
// product carries none of it.
#ifndef VRELO_PLATFORM_ALLOC_FAIL_HPP
#define VRELO_PLATFORM_ALLOC_FAIL_HPP

#include <stdint.h>

namespace vrelo {

// The n-th allocation from now (1 = the next one) fails; n <= 0 disarms.
void fail_allocation_after(int64_t n);
// How many allocations the porting layer has made so far (successful or
// not), so a test can count the allocations of a call and sweep them all.
int64_t allocation_count();
// True while a failure is armed and has not fired yet.
bool allocation_failure_armed();
// Blocks handed out by the memory layer and not yet released.
int64_t live_allocations();

// Consulted by the memory layer: true when this allocation must fail.
bool allocation_should_fail();
// Told by the memory layer of every block it hands out and releases.
void note_block_made();
void note_block_released();

}  // namespace vrelo

#endif
