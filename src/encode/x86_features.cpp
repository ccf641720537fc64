// The cpuid questions behind the choice of encoder.
#include "encode/x86_features.hpp"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>

namespace vrelo {

bool has_sse2() {
#if defined(__x86_64__)
    return true;  // part of the x86-64 baseline
#else
    unsigned eax, ebx, ecx, edx;
    // __get_cpuid also answers false on processors without cpuid.
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    return (edx & bit_SSE2) != 0;
#endif
}

}  // namespace vrelo

#endif
