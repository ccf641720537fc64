// Walks every allocation of a scenario: runs it once with the 1st
// allocation failing, once with the 2nd, and so on, until a run no longer
// reaches the armed allocation. Each run must clean up after itself.
#ifndef VRELO_TEST_ALLOC_SWEEP_HPP
#define VRELO_TEST_ALLOC_SWEEP_HPP

#include <functional>

namespace vrelo_test {

// Returns the number of allocation failures injected.
int sweep_allocation_failures(const std::function<void(int failing)>& scenario);

}  // namespace vrelo_test

#endif
