#include "alloc_sweep.hpp"

#include "platform/alloc_fail.hpp"

namespace vrelo_test {

int sweep_allocation_failures(const std::function<void(int)>& scenario) {
    for (int n = 1;; ++n) {
        vrelo::fail_allocation_after(n);
        scenario(n);
        const bool fired = !vrelo::allocation_failure_armed();
        vrelo::fail_allocation_after(0);
        if (!fired) return n - 1;
    }
}

}  // namespace vrelo_test
