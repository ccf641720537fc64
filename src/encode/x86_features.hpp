// What the running x86 processor offers, asked once with cpuid: the i386
// product's baseline has no SSE2, so its SSE2 code runs only where it is.
#ifndef VRELO_ENCODE_X86_FEATURES_HPP
#define VRELO_ENCODE_X86_FEATURES_HPP

namespace vrelo {

#if defined(__i386__) || defined(__x86_64__)
bool has_sse2();
#endif

}  // namespace vrelo

#endif
