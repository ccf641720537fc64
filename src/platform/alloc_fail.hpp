// Test switch: makes one of the porting layer's next allocations fail, so
// tests can walk every allocation-failure path. Hidden from the product's
// exports; tests reach it through the static test archive.
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
// Consulted by the allocator: true when this allocation must fail.
bool allocation_should_fail();

}  // namespace vrelo

#endif
